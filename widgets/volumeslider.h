#pragma once

#include <QWidget>
#include <memory>

namespace Ui {
class VolumeSlider;
}

// A fader in decibels with its printed scale and a level meter. Like the spin box it
// reports a value and a delta that a receiver may refuse. Its value is held at the
// precision of the box it is bound to, so that fader and box always show the same value.
class VolumeSlider : public QWidget
{
    Q_OBJECT
public:
    // The fader's ends, and what one arrow key or Page key moves it by: the slider's own
    // steps are positions, which the scale turns into anything from 0.03 to 0.24 dB.
    static constexpr double maximumDb = 3.0;
    static constexpr double minimumDb = -120.0;
    static constexpr double keyStepDb = 0.5;
    static constexpr double pageStepDb = 3.0;

    explicit VolumeSlider(QWidget* parent = nullptr);
    ~VolumeSlider() override;

    void setValueWithSignals(double db);
    double getValue() const;
    double calcDb(int sliderValue) const;
    bool isPossibleValue(double db) const;
    void hideMeter();
    // The precision of the bound box: values are held and reported rounded as it rounds.
    void setDecimals(int decimals);
    // Names the fader and its meter for screen readers.
    void setAccessibleNames(const QString& faderName, const QString& meterName);
    // Moves the fader as the user would, in one complete edit (a screen reader setting the
    // value): the delta counts from the value shown now.
    void moveTo(double db);

Q_SIGNALS:
    void editingFinishedWithValue(double db);
    void editingFinishedWithDelta(double deltaDb, bool* ok);

public Q_SLOTS:
    void setValueSilently(double db);
    void setLevelSilently(double db);
    void on_slider_valueChanged(int value);

protected:
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    int sliderValueFor(double db) const;
    void moveSliderSilently(int value);
    double rounded(double db) const;
    double landingValue(double db) const;
    void stepBy(int direction, double stepDb);
    void tryMove(double db);
    void reserveScaleRoom();

    std::unique_ptr<Ui::VolumeSlider> ui;
    int decimals = 1;     // as every volume box
    double shownDb = 0.0; // what the fader stands for; every delta counts from it
};
