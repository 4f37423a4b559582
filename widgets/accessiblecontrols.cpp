#include "accessiblecontrols.h"

#include "volumemeter.h"
#include "volumeslider.h"

#include <QAbstractItemView>
#include <QAccessibleWidget>
#include <QComboBox>
#include <cmath>

namespace {

// Read at the precision the volume boxes show, so the fader and its box agree.
double toTenths(double db)
{
    return std::round(db * 10.0) / 10.0;
}

QString decibelText(double db)
{
    return QStringLiteral("%1 dB").arg(toTenths(db), 0, 'f', 1);
}

// The slider inside a VolumeSlider: the part that takes focus and keys.
class AccessibleFader : public QAccessibleWidget, public QAccessibleValueInterface
{
public:
    explicit AccessibleFader(QWidget* slider) : QAccessibleWidget(slider, QAccessible::Slider) {}

    void* interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::ValueInterface)
            return static_cast<QAccessibleValueInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    QString text(QAccessible::Text type) const override
    {
        const VolumeSlider* f = fader();
        if (type == QAccessible::Value && f)
            return decibelText(f->getValue());
        return QAccessibleWidget::text(type);
    }

    QVariant currentValue() const override
    {
        const VolumeSlider* f = fader();
        return f ? QVariant(toTenths(f->getValue())) : QVariant();
    }

    // A screen reader's "set value" is a user edit: grouped strips follow or refuse it.
    void setCurrentValue(const QVariant& value) override
    {
        bool ok = false;
        const double db = value.toDouble(&ok);
        if (VolumeSlider* f = fader(); f && ok)
            f->moveTo(db);
    }

    QVariant maximumValue() const override { return VolumeSlider::maximumDb; }
    QVariant minimumValue() const override { return VolumeSlider::minimumDb; }
    QVariant minimumStepSize() const override { return VolumeSlider::keyStepDb; }

private:
    // Looked up each time: the fader is the slider's parent and is destroyed first.
    VolumeSlider* fader() const { return qobject_cast<VolumeSlider*>(widget()->parentWidget()); }
};

class AccessibleLevelMeter : public QAccessibleWidget, public QAccessibleValueInterface
{
public:
    explicit AccessibleLevelMeter(QWidget* meter)
        : QAccessibleWidget(meter, QAccessible::ProgressBar)
    {}

    void* interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::ValueInterface)
            return static_cast<QAccessibleValueInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        s.readOnly = true;
        return s;
    }

    QString text(QAccessible::Text type) const override
    {
        if (type == QAccessible::Value)
            return decibelText(meter()->getLevel());
        return QAccessibleWidget::text(type);
    }

    QVariant currentValue() const override { return toTenths(meter()->getLevel()); }
    void setCurrentValue(const QVariant&) override {} // the device's level, not ours to set
    QVariant maximumValue() const override { return VolumeSlider::maximumDb; }
    QVariant minimumValue() const override { return VolumeSlider::minimumDb; }
    QVariant minimumStepSize() const override { return 0.0; }

private:
    const VolumeMeter* meter() const { return static_cast<const VolumeMeter*>(widget()); }
};

// Qt on Linux reports a combo box's current choice as its name and leaves the label to a
// relation with a QLabel, which the strips' and filter dialogs' combo boxes do not have. A
// named combo box reads as on the other platforms: the name says what it sets, the value
// what is chosen; the item list stays its child. An unnamed one reads as Qt's.
class AccessibleComboBox : public QAccessibleWidget
{
public:
    explicit AccessibleComboBox(QWidget* combo) : QAccessibleWidget(combo, QAccessible::ComboBox) {}

    QString text(QAccessible::Text type) const override
    {
        if (type == QAccessible::Value ||
            (type == QAccessible::Name && combo()->accessibleName().isEmpty()))
            return combo()->currentText();
        return QAccessibleWidget::text(type);
    }

    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        s.expandable = true;
        s.expanded = combo()->view()->isVisible();
        return s;
    }

    int childCount() const override { return 1; }
    QAccessibleInterface* child(int index) const override
    {
        return index == 0 ? QAccessible::queryAccessibleInterface(combo()->view()) : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override
    {
        return child && child->object() == combo()->view() ? 0 : -1;
    }

    QStringList actionNames() const override
    {
        return QStringList{showMenuAction(), pressAction()} + QAccessibleWidget::actionNames();
    }
    void doAction(const QString& action) override
    {
        if (action == showMenuAction() || action == pressAction())
            combo()->showPopup();
        else
            QAccessibleWidget::doAction(action);
    }

private:
    QComboBox* combo() const { return static_cast<QComboBox*>(widget()); }
};

QAccessibleInterface* interfaceFor(const QString& className, QObject* object)
{
    if (!object || !object->isWidgetType())
        return nullptr;
    auto* widget = static_cast<QWidget*>(object);
    if (className == QLatin1String("VolumeMeter"))
        return new AccessibleLevelMeter(widget);
    // Other sliders (the harmonic ones) keep Qt's own interface: their positions are values.
    if (className == QLatin1String("CustomSlider") &&
        qobject_cast<VolumeSlider*>(widget->parentWidget()))
        return new AccessibleFader(widget);
    // Decided by class, not by name: the interface is made once and kept, and a screen
    // reader may ask for it before the box is named. Editable ones keep Qt's, which knows
    // their line edit.
    if (className == QLatin1String("QComboBox") && !static_cast<QComboBox*>(widget)->isEditable())
        return new AccessibleComboBox(widget);
    return nullptr;
}

} // namespace

void installAccessibleFactory()
{
    static bool installed = false;
    if (installed)
        return;
    installed = true;
    QAccessible::installFactory(interfaceFor);
}
