#include "crossoverdialog.h"

#include "paramhub.h"
#include "ui_crossoverdialog.h"
#include "xoverdesign.h"
#include "xovernode.h"

#include <QPushButton>
#include <QScopedValueRollback>

namespace {

constexpr int outputCount = 8;

// Curve i belongs to output i.
const QColor curveColours[outputCount] = {
    QColor(209, 78, 75), QColor(27, 61, 119), QColor(57, 158, 164), QColor(246, 219, 101),
    QColor(0, 145, 31),  QColor(123, 83, 75), QColor(246, 134, 34), QColor(77, 147, 202),
};

QPen curvePen(const QColor& colour)
{
    QPen pen(colour, 3);
    pen.setCosmetic(true);
    return pen;
}

} // namespace

CrossoverDialog::CrossoverDialog(QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::CrossoverDialog>())
{
    ui->setupUi(this);
    for (int i = 0; i < outputCount; ++i) {
        auto* control = new CrossoverControl(this);
        control->setIndex(i);
        control->setChannelLabel(QStringLiteral("Output %1").arg(i + 1));
        connect(control, &CrossoverControl::changed, this, &CrossoverDialog::onControlChanged);
        controls.append(control);
        ui->crossoverControls->addWidget(control);

        if (i == 0) {
            ui->graph->useGraph(0);
            ui->graph->setGraphPen(curvePen(curveColours[i]));
        } else {
            ui->graph->appendGraph(curvePen(curveColours[i]));
        }
    }
    ui->graph->prepareGrid(-30, 3, 3);
    // Only a picture: Tab passes it by, and a screen reader hears what it shows.
    ui->graph->setFocusPolicy(Qt::NoFocus);
    ui->graph->setAccessibleName(QStringLiteral("Crossover responses"));
    freqs = makeFreqsRange(10.0, 30000.0, 0.01);
    QPushButton* copy = ui->buttonBox->addButton(QStringLiteral("Copy crossover to\u2026"),
                                                 QDialogButtonBox::ActionRole);
    copy->setObjectName(QStringLiteral("copyCrossover"));
    connect(copy, &QPushButton::clicked, this, [this] {
        if (shownOutput >= 0)
            Q_EMIT copyRequested(shownOutput);
    });
}

CrossoverDialog::~CrossoverDialog() = default;

void CrossoverDialog::setXoverNodes(const QList<XoverNode*>& nodes)
{
    if (&nodes == &xoverNodes)
        return;
    xoverNodes = nodes;
    // An undo, a paste or a linked output changes a crossover behind the dialog's back.
    disconnect(following); // the nodes of an earlier tree
    if (!nodes.isEmpty() && nodes.first()->hub)
        following =
            connect(nodes.first()->hub, &ParamHub::valueChanged, this, [this](int paramIndex) {
                if (!isVisible())
                    return; // showing the dialog loads every output anew
                for (int i = 0; i < xoverNodes.size(); ++i)
                    if (i != storingOutput &&
                        (xoverNodes.at(i)->getParamIndex(true) == paramIndex ||
                         xoverNodes.at(i)->getParamIndex(false) == paramIndex))
                        reloadControl(i);
            });
}

XoverNode* CrossoverDialog::getXoverNode(int index)
{
    if (index < 0 || index >= xoverNodes.size())
        return nullptr;
    return xoverNodes.at(index);
}

void CrossoverDialog::show(int outputIndex)
{
    shownOutput = outputIndex;
    for (int i = 0; i < controls.size(); ++i) {
        controls.at(i)->setGraphVisibility(i == outputIndex);
        reloadControl(i);
    }
    // Opened from an output's strip, the keyboard starts at that output's controls.
    if (outputIndex >= 0 && outputIndex < controls.size())
        controls.at(outputIndex)->setFocus(Qt::OtherFocusReason);
    QDialog::show();
}

void CrossoverDialog::reloadControl(int index)
{
    XoverNode* node = getXoverNode(index);
    if (!node || index >= controls.size())
        return;
    XoverParams highpass;
    XoverParams lowpass;
    node->getXoverParams(highpass, lowpass);
    controls.at(index)->setXoverParams(highpass, lowpass);
    recalcCoeffs(index, CrossoverControl::Nothing);
}

void CrossoverDialog::onControlChanged(int controlIndex,
                                       CrossoverControl::ChangedSubcontrol subcontrol)
{
    if (controlIndex < 0 || controlIndex >= controls.size())
        return;
    recalcCoeffs(controlIndex, subcontrol);
}

void CrossoverDialog::recalcCoeffs(int index, CrossoverControl::ChangedSubcontrol subcontrol)
{
    if (index < 0 || index >= controls.size())
        return;
    CrossoverControl* control = controls.at(index);
    XoverParams highpass;
    XoverParams lowpass;
    control->getXoverParams(highpass, lowpass);
    const bool visible = control->graphVisible();
    const XoverCoeffs hpCoeffs = calcXoverCoeffs(highpass);
    const XoverCoeffs lpCoeffs = calcXoverCoeffs(lowpass);

    XoverNode* node = getXoverNode(index);
    if (node &&
        (subcontrol == CrossoverControl::Highpass || subcontrol == CrossoverControl::Lowpass)) {
        const bool isHighpass = subcontrol == CrossoverControl::Highpass;
        const QScopedValueRollback<int> guard(storingOutput, index);
        node->setXoverParamsAndCoeffs(isHighpass, isHighpass ? highpass : lowpass,
                                      isHighpass ? hpCoeffs : lpCoeffs, ChangeSource::User);
    }

    updateGraph(index, visible, hpCoeffs, lpCoeffs);
}

void CrossoverDialog::updateGraph(int index, bool visible, const XoverCoeffs& highpass,
                                  const XoverCoeffs& lowpass)
{
    const XoverGainCalc highpassGain(highpass);
    const XoverGainCalc lowpassGain(lowpass);
    FrequencyResponseGraph* graph = ui->graph;
    graph->useGraph(index);
    graph->clear();
    if (!visible)
        return;
    // The output's total response: its two filters in cascade, summed in dB.
    for (const FreqPair& p : qAsConst(freqs))
        graph->addPoint(p.logFrequency,
                        highpassGain.calcGain(p.frequency) + lowpassGain.calcGain(p.frequency));
}

void CrossoverDialog::onChannelLabelChanged(int channelIndex, QString text)
{
    if (channelIndex < 0 || channelIndex >= controls.size())
        return;
    controls.at(channelIndex)->setChannelLabel(text);
}

void CrossoverDialog::on_buttonBox_rejected()
{
    close();
}
