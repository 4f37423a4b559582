#pragma once

#include "crossovercontrol.h"
#include "responsecalc.h"

#include <QDialog>
#include <QList>
#include <memory>

class XoverNode;

namespace Ui {
class CrossoverDialog;
}

// Edits the crossovers of the eight outputs. Every edit is designed at once and stored
// into the output's crossover node as the user's change, which queues it for writing.
class CrossoverDialog : public QDialog
{
    Q_OBJECT
public:
    explicit CrossoverDialog(QWidget* parent = nullptr);
    ~CrossoverDialog() override;

    void setXoverNodes(const QList<XoverNode*>& nodes);
    XoverNode* getXoverNode(int index);

    // Loads every control from its node, draws only `outputIndex`'s response and
    // shows the dialog.
    void show(int outputIndex);

    void recalcCoeffs(int index, CrossoverControl::ChangedSubcontrol subcontrol);
    // Shows output `index`'s crossover as its node holds it now.
    void reloadControl(int index);
    void updateGraph(int index, bool visible, const XoverCoeffs& highpass,
                     const XoverCoeffs& lowpass);

public Q_SLOTS:
    void onControlChanged(int controlIndex, CrossoverControl::ChangedSubcontrol subcontrol);
    void onChannelLabelChanged(int channelIndex, QString text);
    void on_buttonBox_rejected();

Q_SIGNALS:
    // "Copy crossover to…": the window asks where to copy the shown output's crossover.
    void copyRequested(int outputIndex);

private:
    std::unique_ptr<Ui::CrossoverDialog> ui;
    QList<CrossoverControl*> controls;
    QList<XoverNode*> xoverNodes;
    QList<FreqPair> freqs;
    int shownOutput = -1;              // whose response is drawn
    int storingOutput = -1;            // whose edit here goes into its node (a linked one follows)
    QMetaObject::Connection following; // to the hub whose changes the dialog shows
};
