#include "parambinding.h"

#include "checkboxnode.h"
#include "comboboxnode.h"
#include "customcheckbox.h"
#include "customcombobox.h"
#include "customdoublespinbox.h"
#include "customlineedit.h"
#include "custompushbutton.h"
#include "customslider.h"
#include "doublespinboxnode.h"
#include "labelnode.h"
#include "levelnode.h"
#include "paramhub.h"
#include "versionnode.h"
#include "volumeslider.h"
#include "wirevalue.h"

#include <QLabel>
#include <QProgressBar>
#include <QScopedValueRollback>

namespace {

// The widget whose edit is being stored: it shows that edit already, and putting the value
// back would move a fader's handle off the spot the user left it on.
QObject* editingWidget = nullptr;

// Calls `show` now (unless `showNow` is false) and after every change of the node, for as
// long as the widget lives.
template <typename Show> void follow(Node* node, QObject* widget, Show show, bool showNow = true)
{
    if (showNow)
        show();
    if (!node->hub)
        return;
    const int index = node->paramIndex;
    QObject::connect(node->hub, &ParamHub::valueChanged, widget,
                     [index, widget, show](int changed, ChangeSource) {
                         if (changed == index && widget != editingWidget)
                             show();
                     });
}

// What an edit connection lives no longer than: the widget, and the hub (and with it the
// tree's nodes), so that a widget outliving the tree, as in a window's teardown, stores
// nothing into freed nodes.
QObject* editGuard(Node* node, QObject* widget)
{
    return node->hub ? static_cast<QObject*>(node->hub) : widget;
}

// Stores a finished edit of `widget` as the user's change.
template <typename Store> void store(QObject* widget, Store set)
{
    const QScopedValueRollback<QObject*> editing(editingWidget, widget);
    set();
}

void showChoice(const ComboBoxNode* node, CustomComboBox* box)
{
    const QSignalBlocker blocker(box);
    const QStringList items = node->itemTexts();
    while (box->count() > items.size())
        box->removeItem(box->count() - 1);
    for (int i = 0; i < items.size(); ++i) {
        if (i < box->count())
            box->setItemText(i, items.at(i));
        else
            box->addItem(items.at(i));
    }
    box->setCurrentIndex(node->currentItem());
}

QString levelText(int db)
{
    return QStringLiteral("%1 dB").arg(db);
}

} // namespace

namespace ParamBinding {

void bind(DoubleSpinBoxNode* node, CustomDoubleSpinBox* box)
{
    if (!node || !box)
        return;
    const DoubleSpinBoxParams& params = node->spinBoxParams();
    box->setRange(params.min, params.max);
    box->setSingleStep(params.step);
    box->setSuffix(params.suffix);
    box->setDecimals(params.decimals);
    follow(node, box, [node, box] { box->setValueSilently(node->value()); });
    QObject::connect(box, &CustomDoubleSpinBox::editingFinishedWithValue, editGuard(node, box),
                     [node, box](double value) {
                         store(box, [&] { node->setValue(value, ChangeSource::User); });
                     });
}

void bind(DoubleSpinBoxNode* node, VolumeSlider* fader)
{
    if (!node || !fader)
        return;
    fader->setDecimals(node->spinBoxParams().decimals);
    follow(node, fader, [node, fader] { fader->setValueSilently(node->value()); });
    QObject::connect(fader, &VolumeSlider::editingFinishedWithValue, editGuard(node, fader),
                     [node, fader](double value) {
                         store(fader, [&] { node->setValue(value, ChangeSource::User); });
                     });
}

void bind(DoubleSpinBoxNode* node, CustomSlider* slider)
{
    if (!node || !slider)
        return;
    follow(node, slider,
           [node, slider] { slider->setValueSilently(truncateToInt(node->value())); });
    QObject::connect(slider, &CustomSlider::editingFinishedWithValue, editGuard(node, slider),
                     [node, slider](double value) {
                         store(slider, [&] { node->setValue(value, ChangeSource::User); });
                     });
}

void bind(CheckBoxNode* node, CustomCheckBox* box)
{
    if (!node || !box)
        return;
    follow(node, box, [node, box] { box->setCheckedSilently(node->isChecked()); });
    QObject::connect(box, &QCheckBox::toggled, editGuard(node, box), [node, box](bool on) {
        store(box, [&] { node->setChecked(on, ChangeSource::User); });
    });
}

void bind(CheckBoxNode* node, CustomPushButton* button)
{
    if (!node || !button)
        return;
    follow(node, button, [node, button] { button->setCheckedSilently(node->isChecked()); });
    QObject::connect(button, &QPushButton::toggled, editGuard(node, button),
                     [node, button](bool on) {
                         store(button, [&] { node->setChecked(on, ChangeSource::User); });
                     });
}

// Choosing the "Unknown (N)" item again changes nothing: it is the value already.
void bind(ComboBoxNode* node, CustomComboBox* box)
{
    if (!node || !box)
        return;
    follow(node, box, [node, box] { showChoice(node, box); });
    QObject::connect(box, qOverload<int>(&QComboBox::currentIndexChanged), editGuard(node, box),
                     [node](int item) {
                         if (item >= 0 && item < node->optionTexts().size())
                             node->setCurrentIndex(item, ChangeSource::User);
                     });
}

void bind(LabelNode* node, CustomLineEdit* edit)
{
    if (!node || !edit)
        return;
    edit->setMaxLength(LabelNode::maxLength);
    follow(node, edit, [node, edit] {
        const QSignalBlocker blocker(edit);
        edit->setText(node->text());
    });
    QObject::connect(edit, &QLineEdit::editingFinished, editGuard(node, edit), [node, edit] {
        store(edit, [&] { node->setText(edit->text(), ChangeSource::User); });
    });
}

// The bar ends at 0 dB; a louder level fills it and is shown as it is.
void bind(LevelNode* node, QProgressBar* bar)
{
    if (!node || !bar)
        return;
    bar->setTextVisible(true);
    bar->setRange(LevelNode::floorDb, 0);
    follow(node, bar, [node, bar] {
        const QSignalBlocker blocker(bar);
        bar->setValue(std::min(node->level(), bar->maximum()));
        bar->setFormat(levelText(node->level()));
    });
}

void bindMeter(LevelNode* node, VolumeSlider* fader)
{
    if (!node || !fader || !node->hub)
        return;
    const int index = node->paramIndex;
    QObject::connect(node->hub, &ParamHub::valueChanged, fader,
                     [index, node, fader](int changed, ChangeSource) {
                         if (changed == index)
                             fader->setLevelSilently(node->level());
                     });
}

void bind(VersionNode* node, QLabel* label)
{
    if (!node || !label)
        return;
    // A label keeps its own text until the device reports a version.
    follow(
        node, label, [node, label] { label->setText(node->text()); }, false);
}

} // namespace ParamBinding
