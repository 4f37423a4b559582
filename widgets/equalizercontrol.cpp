#include "equalizercontrol.h"

#include "accessiblecontrols.h"
#include "ui_equalizercontrol.h"

namespace {

constexpr int subwooferType = int(PEQType::SUBWOOFER);

} // namespace

EqualizerControl::EqualizerControl(QWidget* parent)
    : QGroupBox(parent), ui(std::make_unique<Ui::EqualizerControl>())
{
    installAccessibleFactory(); // before the type box exists, so its name is read
    ui->setupUi(this);
    const bool wasBlocked = ui->type->blockSignals(true);
    ui->type->addItem(QStringLiteral("None"), int(PEQType::NONE));
    ui->type->addItem(QStringLiteral("Low Shelf"), int(PEQType::LOW_SHELF));
    ui->type->addItem(QStringLiteral("High Shelf"), int(PEQType::HIGH_SHELF));
    ui->type->addItem(QStringLiteral("Peak"), int(PEQType::PEAK));
    ui->type->blockSignals(wasBlocked);
    ui->frequency->setRange(10.0, 25000.0);
    ui->q->setRange(0.5, 50.0);
    // Bands are limited to 12 dB either way; the form's wider range is not offered.
    ui->gain->setRange(-12.0, 12.0);
    // Focusing the band (as the dialog does when it opens) lands on its type.
    setFocusProxy(ui->type);
}

EqualizerControl::~EqualizerControl() = default;

void EqualizerControl::setIndex(int newIndex)
{
    index = newIndex;
}

void EqualizerControl::setBandName(const QString& name)
{
    setAccessibleName(name);
    ui->type->setAccessibleName(name + QStringLiteral(" type"));
    ui->frequency->setAccessibleName(name + QStringLiteral(" frequency"));
    ui->q->setAccessibleName(name + QStringLiteral(" Q"));
    ui->gain->setAccessibleName(name + QStringLiteral(" gain"));
}

PEQParams EqualizerControl::getPEQParams()
{
    PEQParams params;
    params.type = PEQType(getFilterType(ui->type));
    params.frequency = ui->frequency->value();
    params.q = ui->q->value();
    params.gain = ui->gain->value();
    return params;
}

// Types a band can hold (set by an imported filter list or by the device) though the list
// does not offer them; shown when a band holds one, so the selection never shows another.
static QString extraTypeText(PEQType type)
{
    switch (type) {
    case PEQType::LP12:
        return QStringLiteral("Low Pass 12");
    case PEQType::HP12:
        return QStringLiteral("High Pass 12");
    case PEQType::AP:
        return QStringLiteral("All-pass 1st order");
    case PEQType::AP2:
        return QStringLiteral("All-pass");
    default:
        return QString();
    }
}

void EqualizerControl::setPEQParams(const PEQParams& params)
{
    int item = ui->type->findData(int(params.type));
    if (item < 0 && !extraTypeText(params.type).isEmpty()) {
        const bool wasBlocked = ui->type->blockSignals(true);
        ui->type->addItem(extraTypeText(params.type), int(params.type));
        ui->type->blockSignals(wasBlocked);
        item = ui->type->count() - 1;
    }
    if (item >= 0) {
        const bool wasBlocked = ui->type->blockSignals(true);
        ui->type->setCurrentIndex(item);
        ui->type->blockSignals(wasBlocked);
    }
    ui->frequency->setValueSilently(params.frequency);
    ui->q->setValueSilently(params.q);
    ui->gain->setValueSilently(params.gain);
}

int EqualizerControl::getFilterType(QComboBox* combo)
{
    bool ok = false;
    const int type = combo->currentData().toInt(&ok);
    return ok ? type : 0;
}

void EqualizerControl::setSubwooferFilterVisible(bool visible)
{
    const int item = ui->type->findData(subwooferType);
    // Removing the selected item moves the selection; that is no edit of the band.
    const bool wasBlocked = ui->type->blockSignals(true);
    if (!visible && item >= 0)
        ui->type->removeItem(item);
    else if (visible && item < 0)
        ui->type->addItem(QStringLiteral("Subwoofer"), subwooferType);
    ui->type->blockSignals(wasBlocked);
}

void EqualizerControl::on_type_currentIndexChanged(int)
{
    Q_EMIT changed(index);
}

void EqualizerControl::on_frequency_editingFinished()
{
    Q_EMIT changed(index);
}

void EqualizerControl::on_q_editingFinished()
{
    Q_EMIT changed(index);
}

void EqualizerControl::on_gain_editingFinished()
{
    Q_EMIT changed(index);
}
