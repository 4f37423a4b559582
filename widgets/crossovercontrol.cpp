#include "crossovercontrol.h"

#include "accessiblecontrols.h"
#include "ui_crossovercontrol.h"

namespace {

constexpr double minFrequency = 10.0;
constexpr double maxFrequency = 25000.0;

struct TypeItem
{
    const char* text;
    const char* tooltipSuffix; // after "<prefix> Filter"
};

// Item i carries the crossover type code i.
const TypeItem typeItems[] = {
    {"None", nullptr},
    {"BW 6", ", Butterworth, 6 db/oct"},
    {"BW 12", ", Butterworth, 12 db/oct"},
    {"BW 18", ", Butterworth, 18 db/oct"},
    {"BW 24", ", Butterworth, 24 db/oct"},
    {"LR 12", ", Linkwitz-Riley, 12 db/oct"},
    {"LR 24", ", Linkwitz-Riley, 24 db/oct"},
    {"CH 12", ", Chebyshev, 12 db/oct"},
    {"CH 24", ", Chebyshev, 24 db/oct"},
    {"BS 12", ", Bessel, 12 db/oct"},
    {"BS 24", ", Bessel, 24 db/oct"},
};
constexpr int typeCount = int(sizeof typeItems / sizeof typeItems[0]);

void fillTypes(QComboBox* combo)
{
    const bool wasBlocked = combo->blockSignals(true);
    for (int code = 0; code < typeCount; ++code)
        combo->addItem(QString::fromLatin1(typeItems[code].text), code);
    combo->blockSignals(wasBlocked);
}

void selectType(QComboBox* combo, XoverType type)
{
    const int item = combo->findData(int(type));
    if (item < 0)
        return;
    const bool wasBlocked = combo->blockSignals(true);
    combo->setCurrentIndex(item);
    combo->blockSignals(wasBlocked);
}

} // namespace

CrossoverControl::CrossoverControl(QWidget* parent)
    : LabelledGroupBox(parent), ui(std::make_unique<Ui::CrossoverControl>())
{
    installAccessibleFactory(); // before the type boxes exist, so their names are read
    ui->setupUi(this);
    fillTypes(ui->highpassType);
    fillTypes(ui->lowpassType);
    ui->highpassFrequency->setRange(minFrequency, maxFrequency);
    ui->lowpassFrequency->setRange(minFrequency, maxFrequency);
    // Focusing the control (as the dialog does for the output it opens on) lands here.
    setFocusProxy(ui->highpassType);
}

CrossoverControl::~CrossoverControl() = default;

void CrossoverControl::setIndex(int newIndex)
{
    index = newIndex;
}

void CrossoverControl::setChannelLabel(const QString& label)
{
    setLabelTitle(label);
    const QString channel =
        label.trimmed().isEmpty() ? QStringLiteral("Output %1").arg(index + 1) : label.trimmed();
    setAccessibleName(channel);
    ui->highpassType->setAccessibleName(channel + QStringLiteral(" highpass type"));
    ui->highpassFrequency->setAccessibleName(channel + QStringLiteral(" highpass frequency"));
    ui->lowpassType->setAccessibleName(channel + QStringLiteral(" lowpass type"));
    ui->lowpassFrequency->setAccessibleName(channel + QStringLiteral(" lowpass frequency"));
    ui->graphVisible->setAccessibleName(channel + QStringLiteral(" show response"));
}

void CrossoverControl::getXoverParams(XoverParams& highpass, XoverParams& lowpass)
{
    highpass.type = XoverType(getFilterType(ui->highpassType));
    highpass.highpass = true;
    highpass.frequency = ui->highpassFrequency->value();
    lowpass.type = XoverType(getFilterType(ui->lowpassType));
    lowpass.highpass = false;
    lowpass.frequency = ui->lowpassFrequency->value();
}

void CrossoverControl::setXoverParams(const XoverParams& highpass, const XoverParams& lowpass)
{
    selectType(ui->highpassType, highpass.type);
    selectType(ui->lowpassType, lowpass.type);
    ui->highpassFrequency->setValueSilently(highpass.frequency);
    ui->lowpassFrequency->setValueSilently(lowpass.frequency);
}

int CrossoverControl::getFilterType(QComboBox* combo)
{
    bool ok = false;
    const int type = combo->currentData().toInt(&ok);
    return ok ? type : 0;
}

bool CrossoverControl::graphVisible()
{
    return ui->graphVisible->isChecked();
}

void CrossoverControl::setGraphVisibility(bool visible)
{
    const bool wasBlocked = ui->graphVisible->blockSignals(true);
    ui->graphVisible->setChecked(visible);
    ui->graphVisible->blockSignals(wasBlocked);
}

void CrossoverControl::updateTypeTooltip(const QString& prefix, QComboBox* combo, int itemIndex)
{
    bool ok = false;
    const int type = combo->itemData(itemIndex).toInt(&ok);
    if (!ok)
        return;
    QString tooltip = prefix + QStringLiteral(" Filter");
    if (type == 0)
        tooltip = QStringLiteral("No filter");
    else if (type > 0 && type < typeCount)
        tooltip += QString::fromLatin1(typeItems[type].tooltipSuffix);
    combo->setToolTip(tooltip);
}

void CrossoverControl::on_highpassType_currentIndexChanged(int itemIndex)
{
    updateTypeTooltip(QStringLiteral("Highpass"), ui->highpassType, itemIndex);
    Q_EMIT changed(index, Highpass);
}

void CrossoverControl::on_lowpassType_currentIndexChanged(int itemIndex)
{
    updateTypeTooltip(QStringLiteral("Lowpass"), ui->lowpassType, itemIndex);
    Q_EMIT changed(index, Lowpass);
}

void CrossoverControl::on_graphVisible_stateChanged(int)
{
    Q_EMIT changed(index, GraphVisible);
}

void CrossoverControl::on_highpassFrequency_editingFinished()
{
    Q_EMIT changed(index, Highpass);
}

void CrossoverControl::on_lowpassFrequency_editingFinished()
{
    Q_EMIT changed(index, Lowpass);
}
