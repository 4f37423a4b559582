#pragma once

#include "equalizercontrol.h"
#include "filtertext.h"
#include "responsecalc.h"

#include <QDialog>
#include <QList>
#include <QPointer>
#include <QStringList>
#include <QVector>
#include <memory>

class ParamHub;
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
    // Asks for a filter list and previews it; the folder is remembered.
    void chooseImportFile();
    // Previews the filter list in `fileName`: the bands stay as they are until OK.
    void importFile(const QString& fileName);
    void chooseExportFile();
    // Writes the shown channel's bands to `fileName`; false (after saying why) if not.
    bool exportFile(const QString& fileName);

Q_SIGNALS:
    // "Copy equalizer to…": the window asks where to copy the shown channel's bands.
    void copyRequested(PEQSNode* node);

private:
    QString channelName() const;
    void nameBands(const QString& channel);
    // Shows a band of the shown channel that changed other than through the dialog.
    void reloadChangedBand(int paramIndex);
    void drawBand(int index, const PEQParams& params);
    void drawBands(const FilterTextBands& bands);
    FilterTextBands nodeBands() const;
    void showProblem(const QString& text);

    std::unique_ptr<Ui::EqualizerDialog> ui;
    QList<EqualizerControl*> controls;
    QList<FreqPair> freqs;
    QVector<QVector<double>> bandGains; // per band, dB at each grid point
    QVector<double> sumGains;
    QStringList channelLabels; // the outputs' user labels, by output index
    PEQSNode* peqsNode = nullptr;
    QPointer<ParamHub> followedHub; // the shown channel's tree's, not owned
    bool storing = false;           // while a band edit goes into the node
};
