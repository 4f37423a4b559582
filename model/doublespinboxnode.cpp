#include "doublespinboxnode.h"

#include "customdoublespinbox.h"
#include "customslider.h"
#include "settingsjson.h"
#include "treewidget.h"
#include "volumeslider.h"
#include "wirevalue.h"

#include <cmath>

DoubleSpinBoxNode::DoubleSpinBoxNode(const NodeArgs& args, const QString& name,
                                     path_segment segment, const DoubleSpinBoxParams& params)
    : Node(args, name, segment, QStringLiteral("float")), params(params),
      treeWidget(args.treeWidget), spinBox(new CustomDoubleSpinBox)
{
    applyParamsToSpinBox(spinBox);
    registerParam(args, spinBox);
    spinBox->setProperty("paramIndex", paramIndex);
    QObject::connect(spinBox, &CustomDoubleSpinBox::editingFinishedWithValue, treeWidget,
                     &TreeWidget::onDoubleSpinBoxValueChanged);
}

QByteArray DoubleSpinBoxNode::serialize() const
{
    return writeFloatLE(float(spinBox->value()));
}

bool DoubleSpinBoxNode::deserialize(const QByteArray& data)
{
    if (data.size() != 4)
        return false;
    const float value = readFloatLE(data);
    if (!std::isfinite(value))
        return false;
    setValueSilently(double(value));
    return true;
}

void DoubleSpinBoxNode::constructJson(QJsonObject& parent) const
{
    parent.insert(name, spinBox->value());
}

// A number beyond the range is refused rather than clamped: the spin box would otherwise
// send a value the file never held.
void DoubleSpinBoxNode::readJson(const QJsonObject& parent, SettingsLoad& load)
{
    if (!parent.contains(name))
        return;
    double value = 0.0;
    if (!readJsonNumber(parent, name, params.min, params.max, value)) {
        load.refuse(this);
        return;
    }
    setValueSilently(value);
    load.accept(this);
}

void DoubleSpinBoxNode::anchor() {}

void DoubleSpinBoxNode::bindSpinBox(CustomDoubleSpinBox* sb)
{
    boundSpinBox = sb;
    applyParamsToSpinBox(sb);
    QObject::connect(spinBox, &CustomDoubleSpinBox::editingFinishedWithValue, sb,
                     &CustomDoubleSpinBox::setValueSilently);
    QObject::connect(sb, &CustomDoubleSpinBox::editingFinishedWithValue, spinBox,
                     &CustomDoubleSpinBox::setValueSilently);
    sb->setProperty("paramIndex", paramIndex);
    QObject::connect(sb, &CustomDoubleSpinBox::editingFinishedWithValue, treeWidget,
                     &TreeWidget::onDoubleSpinBoxValueChanged);
}

void DoubleSpinBoxNode::bind(CustomDoubleSpinBox* sb, VolumeSlider* vs)
{
    if (!sb)
        return;
    bindSpinBox(sb);
    if (!vs)
        return;
    boundVolumeSlider = vs;
    vs->setDecimals(params.decimals);
    QObject::connect(spinBox, &CustomDoubleSpinBox::editingFinishedWithValue, vs,
                     &VolumeSlider::setValueSilently);
    QObject::connect(vs, &VolumeSlider::editingFinishedWithValue, spinBox,
                     &CustomDoubleSpinBox::setValueSilently);
    QObject::connect(vs, &VolumeSlider::editingFinishedWithValue, sb,
                     &CustomDoubleSpinBox::setValueSilently);
    QObject::connect(sb, &CustomDoubleSpinBox::editingFinishedWithValue, vs,
                     &VolumeSlider::setValueSilently);
    vs->setProperty("paramIndex", paramIndex);
    QObject::connect(vs, &VolumeSlider::editingFinishedWithValue, treeWidget,
                     &TreeWidget::onDoubleSpinBoxValueChanged);
}

void DoubleSpinBoxNode::bind(CustomDoubleSpinBox* sb, CustomSlider* slider)
{
    if (!sb)
        return;
    bindSpinBox(sb);
    if (!slider)
        return;
    boundSlider = slider;
    const auto toSlider = [slider](double value) {
        slider->setValueSilently(truncateToInt(value));
    };
    QObject::connect(spinBox, &CustomDoubleSpinBox::editingFinishedWithValue, slider, toSlider);
    QObject::connect(slider, &CustomSlider::editingFinishedWithValue, spinBox,
                     &CustomDoubleSpinBox::setValueSilently);
    QObject::connect(slider, &CustomSlider::editingFinishedWithValue, sb,
                     &CustomDoubleSpinBox::setValueSilently);
    QObject::connect(sb, &CustomDoubleSpinBox::editingFinishedWithValue, slider, toSlider);
    slider->setProperty("paramIndex", paramIndex);
    QObject::connect(slider, &CustomSlider::editingFinishedWithValue, treeWidget,
                     &TreeWidget::onDoubleSpinBoxValueChanged);
}

// Starts from the configured initial value, not from the node's current one.
void DoubleSpinBoxNode::applyParamsToSpinBox(QDoubleSpinBox* sb)
{
    sb->setRange(params.min, params.max);
    sb->setSingleStep(params.step);
    sb->setValue(params.value);
    sb->setSuffix(params.suffix);
    sb->setDecimals(params.decimals);
}

void DoubleSpinBoxNode::setValueSilently(double value)
{
    // What rounds to zero at the box's precision becomes a plain zero: the box would keep
    // a tiny negative value as a negative zero and send it back with its sign bit set.
    if (std::fabs(value) * std::pow(10.0, spinBox->decimals()) < 0.5)
        value = 0.0;
    spinBox->setValueSilently(value);
    if (boundSpinBox)
        boundSpinBox->setValueSilently(value);
    if (boundVolumeSlider)
        boundVolumeSlider->setValueSilently(value);
    if (boundSlider)
        boundSlider->setValueSilently(truncateToInt(value));
}

double DoubleSpinBoxNode::value() const
{
    return spinBox->value();
}
