#include "equalizerdialog.h"

#include "peqdesign.h"
#include "peqsnode.h"
#include "ui_equalizerdialog.h"

namespace {

constexpr int bandCount = 5;
constexpr int sumCurve = bandCount;
constexpr int outputCount = 8;

// The first five colours of the crossover curves, half opaque: the sum is what matters,
// but each band must still be seen on its own.
const QColor bandColours[bandCount] = {
    QColor(209, 78, 75),   QColor(27, 61, 119), QColor(57, 158, 164),
    QColor(246, 219, 101), QColor(0, 145, 31),
};

QPen curvePen(QColor colour, double alpha)
{
    colour.setAlphaF(alpha);
    QPen pen(colour, 3);
    pen.setCosmetic(true);
    return pen;
}

} // namespace

EqualizerDialog::EqualizerDialog(QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::EqualizerDialog>())
{
    ui->setupUi(this);
    freqs = makeFreqsRange(10.0, 30000.0, 0.01);
    for (int i = 0; i < outputCount; ++i)
        channelLabels.append(QString());

    bandGains.resize(bandCount);
    for (int i = 0; i < bandCount; ++i) {
        auto* control = new EqualizerControl(this);
        control->setTitle(QStringLiteral("EQ%1").arg(i + 1));
        control->setIndex(i);
        connect(control, &EqualizerControl::changed, this, &EqualizerDialog::onControlChanged);
        controls.append(control);
        ui->equalizerControls->addWidget(control);

        const QPen pen = curvePen(bandColours[i], 0.5);
        if (i == 0) {
            ui->graph->useGraph(0);
            ui->graph->setGraphPen(pen);
        } else {
            ui->graph->appendGraph(pen);
        }
        bandGains[i] = QVector<double>(freqs.size(), 0.0);
        updateSingleGraph(i, false);
    }

    // A blue that stands out both on the light theme's white graph and the dark one's black.
    ui->graph->appendGraph(curvePen(QColor(0x2f, 0x6f, 0xdf), 1.0));
    sumGains = QVector<double>(freqs.size(), 0.0);
    updateSumGraph();
    ui->graph->prepareGrid(-20, 20, 5);
    // Only a picture: Tab passes it by, and a screen reader hears what it shows.
    ui->graph->setFocusPolicy(Qt::NoFocus);
    ui->graph->setAccessibleName(QStringLiteral("Equalizer response"));
    nameBands(QString());
}

EqualizerDialog::~EqualizerDialog() = default;

void EqualizerDialog::show(PEQSNode* node)
{
    // A button without a node, or a node that went away, opens nothing.
    if (!node)
        return;
    peqsNode = node;
    const bool isInput = node->isInputNode();
    // The item list is set before the band is loaded, so that an input's stored
    // "Subwoofer" type is shown as such rather than leaving the previous selection.
    controls.at(0)->setSubwooferFilterVisible(isInput);
    for (int i = 0; i < bandCount; ++i) {
        controls.at(i)->setPEQParams(node->getPEQParams(i));
        updateSingleGraph(i, false);
    }
    updateSumGraph();
    updateTitle();
    // Each channel's bands are edited from the first one on.
    controls.at(0)->setFocus(Qt::OtherFocusReason);
    QDialog::show();
}

void EqualizerDialog::onControlChanged(int controlIndex)
{
    if (controlIndex < 0 || controlIndex >= bandCount)
        return;
    updateSingleGraph(controlIndex, true);
    updateSumGraph();
}

void EqualizerDialog::updateSingleGraph(int index, bool store)
{
    if (index < 0 || index >= bandCount)
        return;
    const PEQParams params = controls.at(index)->getPEQParams();
    const PEQCoeffs coeffs = calcPEQCoeffs(params);
    if (store && peqsNode) {
        peqsNode->setPEQParamsAndCoeffs(index, params, coeffs, ChangeSource::User);
    }

    const IIRGainCalc gain(coeffs);
    QVector<double>& gains = bandGains[index];
    for (int j = 0; j < freqs.size(); ++j)
        gains[j] = gain.calcGain(freqs.at(j).frequency);
    updateGraphPoints(index, gains);
}

void EqualizerDialog::updateSumGraph()
{
    for (int j = 0; j < freqs.size(); ++j) {
        double sum = 0.0;
        for (int k = 0; k < bandCount; ++k)
            sum += bandGains.at(k).at(j);
        sumGains[j] = sum;
    }
    updateGraphPoints(sumCurve, sumGains);
}

void EqualizerDialog::updateGraphPoints(int curve, const QVector<double>& gains)
{
    FrequencyResponseGraph* graph = ui->graph;
    graph->useGraph(curve);
    graph->clear();
    const int count = qMin(freqs.size(), gains.size());
    for (int j = 0; j < count; ++j)
        graph->addPoint(freqs.at(j).logFrequency, gains.at(j));
}

QString EqualizerDialog::prepareTitle(const QString& name)
{
    return QStringLiteral("Equalizer of ") + name;
}

// The output's user label when one arrived, else the channel's own name.
QString EqualizerDialog::channelName() const
{
    const std::optional<int> output = peqsNode->getOutputChannelIndex();
    if (output && *output >= 0 && *output < channelLabels.size() &&
        !channelLabels.at(*output).isEmpty())
        return channelLabels.at(*output);
    return peqsNode->getChannelName();
}

void EqualizerDialog::updateTitle()
{
    if (!peqsNode)
        return;
    const QString channel = channelName();
    setWindowTitle(prepareTitle(channel));
    nameBands(channel);
}

// Screen readers hear the channel the title names with each field ("Tweeter L EQ 2 gain").
void EqualizerDialog::nameBands(const QString& channel)
{
    const QString prefix =
        channel.trimmed().isEmpty() ? QString() : channel.trimmed() + QLatin1Char(' ');
    for (int i = 0; i < controls.size(); ++i)
        controls.at(i)->setBandName(prefix + QStringLiteral("EQ %1").arg(i + 1));
}

void EqualizerDialog::onChannelLabelChanged(int channelIndex, QString text)
{
    if (channelIndex >= 0 && channelIndex < channelLabels.size())
        channelLabels[channelIndex] = text;
    updateTitle();
}

void EqualizerDialog::on_buttonBox_rejected()
{
    close();
}
