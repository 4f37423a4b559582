#include "customslider.h"
#include "piecewiselinear.h"
#include "volumemeter.h"
#include "volumeslider.h"

#include <QtTest>
#include <cmath>
#include <limits>

namespace {

const double notANumber = std::numeric_limits<double>::quiet_NaN();

QRgb pixelAt(VolumeMeter& meter, int y)
{
    return meter.grab().toImage().pixel(8, y);
}

} // namespace

class TestVolumeSlider : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void interpolationAndDecibelMapping()
    {
        const PiecewiseLinear f({0, 1, 3}, {10, 20, 0});
        QVERIFY(f.calcY(-5) == 10.0 && f.calcY(2) == 10.0 && f.calcY(9) == 0.0);
        // Degenerate tables answer without reading past their ends.
        QCOMPARE(PiecewiseLinear({}, {}).calcY(1), 0.0);
        QCOMPARE(PiecewiseLinear({0, 1, 2}, {4, 5}).calcY(5), 5.0);

        QVERIFY(VolumeMeter::tToDb(-1) == 3.0 && VolumeMeter::tToDb(2) == -120.0);
        QVERIFY(VolumeMeter::dbToT(10) == 0.0 && VolumeMeter::dbToT(-200) == 1.0);
        QVERIFY(VolumeMeter::dbToT(-6) == 0.25);
        QVERIFY(std::abs(VolumeMeter::dbToT(-21) - 2.0 / 3) < 1e-12); // top 24 dB: 2/3 of travel
        QVERIFY(std::abs(VolumeMeter::tToDb(VolumeMeter::dbToT(-47.5)) + 47.5) < 1e-9);
        QCOMPARE(VolumeMeter::tToColor(VolumeMeter::dbToT(-9)), qRgb(127, 255, 0));

        VolumeSlider vs;
        auto* slider = vs.findChild<CustomSlider*>(QStringLiteral("slider"));
        QCOMPARE(slider->maximum(), 1230);
        QCOMPARE(slider->value(), 1128);
        QVERIFY(std::abs(vs.getValue()) < 0.05);
        QVERIFY(!vs.isPossibleValue(3.01) && !vs.isPossibleValue(notANumber));
        vs.setValueSilently(-6);
        QCOMPARE(slider->value(), 923); // 922.5 rounded half up
        vs.setValueSilently(notANumber);
        QCOMPARE(slider->value(), 923);
    }

    void dragSendsDeltasAgainstTheLastAcceptedValue()
    {
        VolumeSlider vs;
        auto* slider = vs.findChild<CustomSlider*>(QStringLiteral("slider"));
        QStringList events;
        QList<double> numbers;
        bool refuse = false;
        connect(&vs, &VolumeSlider::editingFinishedWithDelta, [&](double d, bool* ok) {
            events << (ok ? "ask" : "announce");
            numbers << d;
            if (ok && refuse)
                *ok = false;
        });
        connect(&vs, &VolumeSlider::editingFinishedWithValue, [&](double db) {
            events << "value";
            numbers << db;
        });
        vs.setValueSilently(-6);
        QEvent enter(QEvent::Enter);
        QCoreApplication::sendEvent(slider, &enter);
        const double start = vs.getValue();
        // The device moves the fader after the mouse came in; the drag still counts from
        // where it stood when the mouse entered.
        vs.setValueSilently(-30);
        slider->setValue(930);
        const double first = vs.calcDb(930), second = vs.calcDb(940);
        slider->setValue(940);
        QCOMPARE(events, QStringList({"ask", "value", "announce", "ask", "value", "announce"}));
        QCOMPARE(numbers, QList<double>({first - start, first, first - start, second - first,
                                         second, second - first}));
        refuse = true;
        slider->setValue(600);
        QCOMPARE(events.size(), 7);
        QCOMPARE(slider->value(), 940);
    }

    void meterDimsAboveTheLevel()
    {
        VolumeMeter meter;
        meter.resize(16, 120);
        meter.setLevel(-130);
        QVERIFY(pixelAt(meter, 60) != VolumeMeter::tToColor(0.5));
        meter.setLevel(3);
        QCOMPARE(pixelAt(meter, 0), VolumeMeter::tToColor(0));
        // -21 dB sits two thirds down: dimmed above it, bright below; NaN is no level.
        meter.setLevel(-21);
        meter.setLevel(notANumber);
        QVERIFY(pixelAt(meter, 70) != VolumeMeter::tToColor(70.0 / 120));
        QCOMPARE(pixelAt(meter, 90), VolumeMeter::tToColor(90.0 / 120));
    }

    void metersOfOneHeightShareOneImage()
    {
        const int before = VolumeMeter::cachedBackgroundCount();
        {
            VolumeMeter a, b;
            a.resize(16, 173);
            b.resize(20, 173);
            pixelAt(a, 0);
            pixelAt(b, 0);
            QCOMPARE(a.getBackground().get(), b.getBackground().get());
            QCOMPARE(VolumeMeter::cachedBackgroundCount(), before + 1);
            const QImage* shared = a.getBackground().get();
            b.resize(16, 181);
            pixelAt(b, 0);
            QCOMPARE(a.getBackground().get(), shared);
            QCOMPARE(VolumeMeter::cachedBackgroundCount(), before + 2);
            // The last meter of a height moving away frees that height's image.
            a.resize(16, 181);
            pixelAt(a, 0);
            QCOMPARE(VolumeMeter::cachedBackgroundCount(), before + 1);
        }
        QCOMPARE(VolumeMeter::cachedBackgroundCount(), before);
    }
};

QTEST_MAIN(TestVolumeSlider)
#include "test_volumeslider.moc"
