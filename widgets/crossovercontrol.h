#pragma once

#include "iircoeffs.h"
#include "labelledgroupbox.h"

#include <memory>

class QComboBox;

namespace Ui {
class CrossoverControl;
}

// The highpass and lowpass filter of one output: type, corner frequency and whether
// the output's response is drawn.
class CrossoverControl : public LabelledGroupBox
{
    Q_OBJECT
public:
    enum ChangedSubcontrol
    {
        Nothing = 0, // never raised by the control: the dialog only redraws
        Highpass = 1,
        Lowpass = 2,
        GraphVisible = 3,
    };
    Q_ENUM(ChangedSubcontrol)

    explicit CrossoverControl(QWidget* parent = nullptr);
    ~CrossoverControl() override;

    void setIndex(int index);
    int getIndex() const { return index; }
    // Shows the output's label as the title and names the fields after it, for screen
    // readers ("Tweeter L highpass frequency").
    void setChannelLabel(const QString& label);

    void getXoverParams(XoverParams& highpass, XoverParams& lowpass);
    // Loads the widgets without announcing anything.
    void setXoverParams(const XoverParams& highpass, const XoverParams& lowpass);
    int getFilterType(QComboBox* combo);
    bool graphVisible();
    void setGraphVisibility(bool visible);
    void updateTypeTooltip(const QString& prefix, QComboBox* combo, int itemIndex);

Q_SIGNALS:
    void changed(int index, CrossoverControl::ChangedSubcontrol subcontrol);

private Q_SLOTS:
    void on_highpassType_currentIndexChanged(int index);
    void on_lowpassType_currentIndexChanged(int index);
    void on_graphVisible_stateChanged(int arg1);
    void on_highpassFrequency_editingFinished();
    void on_lowpassFrequency_editingFinished();

private:
    std::unique_ptr<Ui::CrossoverControl> ui;
    int index = 0;
};
