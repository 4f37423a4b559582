#pragma once

#include "iircoeffs.h"

#include <QGroupBox>
#include <memory>

class QComboBox;

namespace Ui {
class EqualizerControl;
}

// Type, frequency, Q and gain of one parametric-EQ band.
class EqualizerControl : public QGroupBox
{
    Q_OBJECT
public:
    explicit EqualizerControl(QWidget* parent = nullptr);
    ~EqualizerControl() override;

    void setIndex(int index);
    int getIndex() const { return index; }
    // Names the band and its fields for screen readers ("Digital Input 1 EQ 2 gain").
    void setBandName(const QString& name);

    PEQParams getPEQParams();
    // Loads the widgets without announcing anything.
    void setPEQParams(const PEQParams& params);
    int getFilterType(QComboBox* combo);
    // Offers the "Subwoofer" type (inputs' first band only) or takes it away.
    void setSubwooferFilterVisible(bool visible);

Q_SIGNALS:
    void changed(int index);

private Q_SLOTS:
    void on_type_currentIndexChanged(int index);
    void on_frequency_editingFinished();
    void on_q_editingFinished();
    void on_gain_editingFinished();

private:
    std::unique_ptr<Ui::EqualizerControl> ui;
    int index = 0;
};
