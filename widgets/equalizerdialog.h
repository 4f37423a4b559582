#pragma once

#include "equalizercontrol.h"
#include "responsecalc.h"

#include <QDialog>
#include <QList>
#include <QStringList>
#include <QVector>
#include <memory>

class PEQSNode;

namespace Ui {
class EqualizerDialog;
}

// Edits the five EQ bands of one channel. Every edit is designed at once and stored into
// the channel's PEQ-set node as the user's change, which queues it for writing. Each
// band's response is drawn faintly, their sum as the main curve.
class EqualizerDialog : public QDialog
{
    Q_OBJECT
public:
    explicit EqualizerDialog(QWidget* parent = nullptr);
    ~EqualizerDialog() override;

    // Loads the bands of `node` and shows the dialog; a null node changes nothing.
    void show(PEQSNode* node);

    void updateSingleGraph(int index, bool store);
    void updateSumGraph();
    void updateGraphPoints(int curve, const QVector<double>& gains);
    void updateTitle();
    QString prepareTitle(const QString& name);

public Q_SLOTS:
    void onControlChanged(int controlIndex);
    void onChannelLabelChanged(int channelIndex, QString text);
    void on_buttonBox_rejected();

private:
    QString channelName() const;
    void nameBands(const QString& channel);

    std::unique_ptr<Ui::EqualizerDialog> ui;
    QList<EqualizerControl*> controls;
    QList<FreqPair> freqs;
    QVector<QVector<double>> bandGains; // per band, dB at each grid point
    QVector<double> sumGains;
    QStringList channelLabels; // the outputs' user labels, by output index
    PEQSNode* peqsNode = nullptr;
};
