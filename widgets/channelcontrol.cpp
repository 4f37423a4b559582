#include "channelcontrol.h"

#include "channelparamnodes.h"
#include "devicenodes.h"
#include "inputnode.h"
#include "levelnode.h"
#include "outputnode.h"
#include "parambinding.h"
#include "paramtree.h"
#include "ui_channelcontrol.h"

#include <QContextMenuEvent>
#include <QMouseEvent>
#include <QScopedValueRollback>
#include <QShortcut>
#include <cmath>

namespace {

// Ranges are compared at the precision the box shows and stores: -119.9 lowered by
// 0.1 must reach -120.0, not miss it by a floating-point hair.
double roundToDecimals(double value, int decimals)
{
    const double scale = std::pow(10.0, decimals);
    return std::round(value * scale) / scale;
}

bool withinRange(const QDoubleSpinBox* box, double target)
{
    const int decimals = box->decimals();
    const double rounded = roundToDecimals(target, decimals);
    return rounded >= roundToDecimals(box->minimum(), decimals) &&
           rounded <= roundToDecimals(box->maximum(), decimals);
}

} // namespace

ChannelControl::ChannelControl(QWidget* parent)
    : LabelledGroupBox(parent), ui(new Ui::ChannelControl)
{
    ui->setupUi(this);
}

ChannelControl::ChannelControl(const QString& title, bool isInput, QWidget* parent)
    : ChannelControl(parent)
{
    setTitle(title);
    defaultLabel = title.trimmed();
    nameControls(defaultLabel);
    if (isInput) {
        ui->group->hide();
        ui->link->hide();
        ui->delay->hide();
        ui->xover->hide();
        ui->invert->hide();
    } else {
        // The keyboard's way to the label editor that a click on the title opens.
        auto* rename = new QShortcut(QKeySequence(Qt::Key_F2), this);
        rename->setContext(Qt::WidgetWithChildrenShortcut);
        connect(rename, &QShortcut::activated, this, &ChannelControl::titlePressed);
        setAccessibleDescription(QStringLiteral("F2 renames this output"));
    }
    // The menu key reaches contextMenuEvent by itself; Shift+F10 is the other common route.
    auto* menuKey = new QShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F10), this);
    menuKey->setContext(Qt::WidgetWithChildrenShortcut);
    connect(menuKey, &QShortcut::activated, this,
            [this] { Q_EMIT menuRequested(mapToGlobal(QPoint(width() / 4, 10))); });
    ui->volumeSource->hide();
    ui->spdifCable->hide();
    // Clicked, not toggled: setLinked() shows a link made elsewhere without answering it.
    connect(ui->link, &QCheckBox::clicked, this, &ChannelControl::linkToggled);
    connect(ui->volume, &CustomDoubleSpinBox::editingFinishedWithDelta, this,
            &ChannelControl::onVolumeChangedByDelta);
    connect(ui->delay, &CustomDoubleSpinBox::editingFinishedWithDelta, this,
            &ChannelControl::onDelayChangedByDelta);
    connect(ui->volumeSlider, &VolumeSlider::editingFinishedWithDelta, this,
            &ChannelControl::onVolumeSliderChangedByDelta);
}

ChannelControl::~ChannelControl() = default;

void ChannelControl::bind(InputNode* node)
{
    inputNode = node;
    if (!node)
        return;
    ParamBinding::bind(node->muteNode(), ui->mute);
    ParamBinding::bind(node->volumeNode(), ui->volume);
    ParamBinding::bind(node->volumeNode(), ui->volumeSlider);
    ParamBinding::bindMeter(node->levelNode(), ui->volumeSlider);
}

void ChannelControl::bind(OutputNode* node)
{
    outputNode = node;
    if (!node)
        return;
    ParamBinding::bind(node->muteNode(), ui->mute);
    ParamBinding::bind(node->invertNode(), ui->invert);
    ParamBinding::bind(node->volumeNode(), ui->volume);
    ParamBinding::bind(node->volumeNode(), ui->volumeSlider);
    ParamBinding::bindMeter(node->levelNode(), ui->volumeSlider);
    ParamBinding::bind(node->getDelayNode(), ui->delay);
}

void ChannelControl::bind(ParamTree* tree)
{
    if (!tree)
        return;
    ParamBinding::bind(tree->masterVolumeNode(), ui->volume);
    ParamBinding::bind(tree->masterVolumeNode(), ui->volumeSlider);
    ParamBinding::bind(tree->volumeSourceNode(), ui->volumeSource);
    ParamBinding::bind(tree->spdifCableNode(), ui->spdifCable);
}

void ChannelControl::prepareForMasterVolume()
{
    setTitle(QStringLiteral("  Master  "));
    defaultLabel = QStringLiteral("Master");
    nameControls(defaultLabel);
    ui->group->hide();
    ui->link->hide();
    ui->delay->hide();
    ui->mute->hide();
    ui->invert->hide();
    ui->peq->hide();
    ui->xover->hide();
    ui->volumeSource->hide();
    ui->volumeSlider->hideMeter();
}

void ChannelControl::setChannelLabel(const QString& label)
{
    setLabelTitle(label);
    nameControls(label);
}

void ChannelControl::nameControls(const QString& label)
{
    const QString channel = label.trimmed().isEmpty() ? defaultLabel : label.trimmed();
    const auto name = [&channel](const char* what) {
        return channel + QLatin1Char(' ') + QLatin1String(what);
    };
    setAccessibleName(channel);
    ui->group->setAccessibleName(name("group"));
    ui->link->setAccessibleName(name("link L/R"));
    ui->volumeSlider->setAccessibleNames(name("volume fader"), name("level meter"));
    ui->volume->setAccessibleName(name("volume"));
    ui->mute->setAccessibleName(name("mute"));
    ui->invert->setAccessibleName(name("invert"));
    ui->volumeSource->setAccessibleName(name("volume source"));
    ui->spdifCable->setAccessibleName(name("S/PDIF cable"));
    ui->delay->setAccessibleName(name("delay"));
    ui->xover->setAccessibleName(name("crossover"));
    ui->peq->setAccessibleName(name("equalizer"));
}

void ChannelControl::setLinked(bool linked)
{
    ui->link->setChecked(linked);
}

QString ChannelControl::getOutputLabel() const
{
    return outputNode ? outputNode->getLabel() : QString();
}

void ChannelControl::setOutputLabel(const QString& label)
{
    if (outputNode)
        outputNode->setLabel(label);
}

// Asked through the model, so the window hears of it as from the tree view's buttons.
void ChannelControl::on_peq_clicked()
{
    if (inputNode)
        inputNode->requestEqualizer();
    else if (outputNode)
        outputNode->requestEqualizer();
}

void ChannelControl::on_xover_clicked()
{
    if (outputNode)
        outputNode->requestCrossover();
}

bool ChannelControl::offersChanges() const
{
    return ui->group->isChecked() && !applyingChange;
}

void ChannelControl::offer(int kind, bool checked, double delta, bool* ok)
{
    if (!offersChanges())
        return;
    Change change;
    change.kind = kind;
    change.checked = checked;
    change.delta = delta;
    Q_EMIT changed(change, ok);
}

void ChannelControl::on_mute_toggled(bool on)
{
    offer(Change::Mute, on, 0.0, nullptr);
}

void ChannelControl::on_invert_toggled(bool on)
{
    offer(Change::Invert, on, 0.0, nullptr);
}

void ChannelControl::onVolumeChangedByDelta(double delta, bool* ok)
{
    offer(Change::Volume, false, delta, ok);
}

void ChannelControl::onDelayChangedByDelta(double delta, bool* ok)
{
    offer(Change::Delay, false, delta, ok);
}

void ChannelControl::onVolumeSliderChangedByDelta(double delta, bool* ok)
{
    offer(Change::VolumeFader, false, delta, ok);
}

void ChannelControl::on_change(ChannelControl::Change change, bool* ok)
{
    if (!ui->group->isChecked())
        return;
    // Our own toggle and delta slots must not offer this change again; cleared on return.
    const QScopedValueRollback<bool> applying(applyingChange, true);

    switch (change.kind) {
    case Change::Mute:
        ui->mute->setChecked(change.checked);
        break;
    case Change::Invert:
        ui->invert->setChecked(change.checked);
        break;
    case Change::Volume:
    case Change::Delay: {
        CustomDoubleSpinBox* box = change.kind == Change::Volume ? ui->volume : ui->delay;
        const double target = box->value() + change.delta;
        if (!ok)
            box->setValueWithSignals(target);
        else if (!withinRange(box, target))
            *ok = false;
        break;
    }
    case Change::VolumeFader: {
        VolumeSlider* fader = ui->volumeSlider;
        const double target = fader->getValue() + change.delta;
        if (!ok)
            fader->setValueWithSignals(target);
        else if (!fader->isPossibleValue(roundToDecimals(target, ui->volume->decimals())))
            *ok = false;
        break;
    }
    default:
        break;
    }
}

void ChannelControl::mousePressEvent(QMouseEvent* event)
{
    LabelledGroupBox::mousePressEvent(event);
    // The right button opens the strip's menu instead.
    if (event->button() == Qt::LeftButton && qRound(event->localPos().y()) <= 40)
        Q_EMIT titlePressed();
}

void ChannelControl::contextMenuEvent(QContextMenuEvent* event)
{
    if (!inputNode && !outputNode) {
        event->ignore(); // the master strip has nothing to copy
        return;
    }
    Q_EMIT menuRequested(event->globalPos());
    event->accept();
}
