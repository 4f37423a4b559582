#pragma once

#include <QWidget>
#include <memory>

namespace Ui {
class VolumeSlider;
}

// A fader in decibels with its printed scale and a level meter. Like the spin box it
// reports a value and a delta that a receiver may refuse.
class VolumeSlider : public QWidget
{
    Q_OBJECT
public:
    explicit VolumeSlider(QWidget* parent = nullptr);
    ~VolumeSlider() override;

    void setValueWithSignals(double db);
    double getValue() const;
    double calcDb(int sliderValue) const;
    bool isPossibleValue(double db) const;
    void hideMeter();

Q_SIGNALS:
    void editingFinishedWithValue(double db);
    void editingFinishedWithDelta(double deltaDb, bool* ok);

public Q_SLOTS:
    void setValueSilently(double db);
    void setLevelSilently(double db);
    void onSliderEntered();
    void on_slider_valueChanged(int value);

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    int sliderValueFor(double db) const;
    void moveSliderSilently(int value);
    void reserveScaleRoom();

    std::unique_ptr<Ui::VolumeSlider> ui;
    double lastDb = 0.0; // the value the current drag started from
};
