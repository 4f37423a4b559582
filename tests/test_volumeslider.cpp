#include "customslider.h"
#include "piecewiselinear.h"
#include "volumemeter.h"
#include "volumeslider.h"

#include <QtTest>
#include <cmath>
#include <limits>

namespace {

// What a fader reported, in order, as in the spin box test: ask/announce carry deltas.
struct FaderLog
{
    QStringList events;
    QList<double> numbers;
    bool refuse = false;

    void attach(VolumeSlider* vs)
    {
        QObject::connect(vs, &VolumeSlider::editingFinishedWithDelta, [this](double d, bool* ok) {
            events << (ok ? QStringLiteral("ask") : QStringLiteral("announce"));
            numbers << d;
            if (ok && refuse)
                *ok = false;
        });
        QObject::connect(vs, &VolumeSlider::editingFinishedWithValue, [this](double db) {
            events << QStringLiteral("value");
            numbers << db;
        });
    }
};

bool near(double a, double b, double eps = 1e-9)
{
    return std::abs(a - b) < eps;
}

QImage paintedMeter(VolumeMeter& meter)
{
    return meter.grab().toImage().convertToFormat(QImage::Format_ARGB32);
}

} // namespace

class TestVolumeSlider : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void interpolationClampsAndUsesTheRightSegment()
    {
        const PiecewiseLinear f({0, 1, 3}, {10, 20, 0});
        QCOMPARE(f.calcY(-5), 10.0);
        QCOMPARE(f.calcY(0.5), 15.0);
        QCOMPARE(f.calcY(1), 20.0);
        QCOMPARE(f.calcY(2), 10.0);
        QCOMPARE(f.calcY(9), 0.0);
        // Degenerate tables answer without reading past their ends.
        QCOMPARE(PiecewiseLinear({}, {}).calcY(1), 0.0);
        QCOMPARE(PiecewiseLinear({2}, {7}).calcY(1), 7.0);
        QCOMPARE(PiecewiseLinear({0, 1, 2}, {4, 5}).calcY(5), 5.0);
        QCOMPARE(Line(1, 3, 2, 6).calcY(2), 4.0);
    }

    void decibelMappingHitsItsPoints()
    {
        QCOMPARE(VolumeMeter::tToDb(0), 3.0);
        QCOMPARE(VolumeMeter::tToDb(1), -120.0);
        QCOMPARE(VolumeMeter::tToDb(2), -120.0);
        QCOMPARE(VolumeMeter::tToDb(-1), 3.0);
        QCOMPARE(VolumeMeter::dbToT(-200), 1.0);
        QCOMPARE(VolumeMeter::dbToT(10), 0.0);
        QVERIFY(VolumeMeter::dbToT(-6) == 0.25);
        QVERIFY(near(VolumeMeter::dbToT(1), 1.0 / 18));
        QVERIFY(near(VolumeMeter::dbToT(-2), 5.0 / 36));
        QVERIFY(near(VolumeMeter::tToDb(VolumeMeter::dbToT(-47.5)), -47.5));
        // Two thirds of the travel for the top 24 dB.
        QVERIFY(near(VolumeMeter::dbToT(-21), 2.0 / 3));

        QCOMPARE(VolumeMeter::tToColor(0), qRgb(255, 0, 0));
        QCOMPARE(VolumeMeter::tToColor(VolumeMeter::dbToT(-4)), qRgb(255, 255, 0));
        QCOMPARE(VolumeMeter::tToColor(VolumeMeter::dbToT(-9)), qRgb(127, 255, 0));
        QCOMPARE(VolumeMeter::tToColor(1), qRgb(0, 255, 0));
    }

    void newFaderStandsAtZeroDecibels()
    {
        VolumeSlider vs;
        auto* slider = vs.findChild<CustomSlider*>(QStringLiteral("slider"));
        QVERIFY(slider);
        QCOMPARE(slider->maximum(), 1230);
        QCOMPARE(slider->value(), 1128);
        QVERIFY(std::abs(vs.getValue()) < 0.05);
        QCOMPARE(vs.calcDb(1230), 3.0);
        QCOMPARE(vs.calcDb(0), -120.0);

        QVERIFY(vs.isPossibleValue(3.0) && vs.isPossibleValue(-120.0));
        QVERIFY(!vs.isPossibleValue(3.01) && !vs.isPossibleValue(-120.5));
        QVERIFY(!vs.isPossibleValue(std::numeric_limits<double>::quiet_NaN()));
    }

    void silentAndAnnouncedMoves()
    {
        VolumeSlider vs;
        auto* slider = vs.findChild<CustomSlider*>(QStringLiteral("slider"));
        FaderLog log;
        log.attach(&vs);

        vs.setValueSilently(-6);
        QCOMPARE(slider->value(), 923); // 1230 * 0.75 = 922.5, rounded half up
        vs.setValueSilently(-500);
        QCOMPARE(slider->value(), 0);
        vs.setValueSilently(std::numeric_limits<double>::quiet_NaN());
        QCOMPARE(slider->value(), 0);
        QVERIFY(log.events.isEmpty());

        // The announced value is the fader's own, on its grid.
        vs.setValueWithSignals(-6);
        QCOMPARE(log.events, QStringList({"value"}));
        QCOMPARE(log.numbers.first(), vs.calcDb(923));
        QVERIFY(!near(log.numbers.first(), -6.0));
    }

    void dragSendsDeltasAgainstTheLastAcceptedValue()
    {
        VolumeSlider vs;
        auto* slider = vs.findChild<CustomSlider*>(QStringLiteral("slider"));
        FaderLog log;
        log.attach(&vs);

        vs.setValueSilently(-6);
        QEvent enter(QEvent::Enter);
        QCoreApplication::sendEvent(slider, &enter);
        const double start = vs.getValue();
        // The device moves the fader after the mouse came in; the drag still counts from
        // where it was when the mouse entered.
        vs.setValueSilently(-30);
        slider->setValue(930);
        const double first = vs.calcDb(930);
        QCOMPARE(log.events, QStringList({"ask", "value", "announce"}));
        QCOMPARE(log.numbers, QList<double>({first - start, first, first - start}));

        log.events.clear();
        log.numbers.clear();
        slider->setValue(940);
        const double second = vs.calcDb(940);
        QCOMPARE(log.numbers, QList<double>({second - first, second, second - first}));
    }

    void refusedDeltaSnapsBack()
    {
        VolumeSlider vs;
        auto* slider = vs.findChild<CustomSlider*>(QStringLiteral("slider"));
        FaderLog log;
        log.attach(&vs);
        QEvent enter(QEvent::Enter);
        QCoreApplication::sendEvent(slider, &enter);
        log.refuse = true;
        slider->setValue(600);
        QCOMPARE(log.events, QStringList({"ask"}));
        QCOMPARE(slider->value(), 1128);
    }

    void meterDimsAboveTheLevel()
    {
        VolumeMeter meter;
        meter.resize(16, 120);
        const QRgb bright = VolumeMeter::tToColor(60.0 / 120);

        // Nothing lit before the first level, nor at -120 dB or below.
        QVERIFY(paintedMeter(meter).pixel(8, 119) != VolumeMeter::tToColor(119.0 / 120));
        meter.setLevel(-130);
        QVERIFY(paintedMeter(meter).pixel(8, 60) != bright);

        meter.setLevel(3);
        QImage image = paintedMeter(meter);
        QCOMPARE(image.pixel(8, 60), bright);
        QCOMPARE(image.pixel(8, 0), VolumeMeter::tToColor(0));

        // -21 dB sits two thirds down: dimmed above it, bright below.
        meter.setLevel(-21);
        image = paintedMeter(meter);
        QVERIFY(image.pixel(8, 70) != VolumeMeter::tToColor(70.0 / 120));
        QCOMPARE(image.pixel(8, 90), VolumeMeter::tToColor(90.0 / 120));

        // NaN is no level.
        meter.setLevel(std::numeric_limits<double>::quiet_NaN());
        QCOMPARE(paintedMeter(meter).pixel(8, 90), VolumeMeter::tToColor(90.0 / 120));
    }

    void metersOfOneHeightShareOneImage()
    {
        const int before = VolumeMeter::cachedBackgroundCount();
        {
            VolumeMeter a;
            VolumeMeter b;
            a.resize(16, 173);
            b.resize(20, 173);
            paintedMeter(a);
            paintedMeter(b);
            QVERIFY(a.getBackground());
            QCOMPARE(a.getBackground().get(), b.getBackground().get());
            QCOMPARE(VolumeMeter::cachedBackgroundCount(), before + 1);

            const QImage* shared = a.getBackground().get();
            b.resize(16, 181);
            paintedMeter(b);
            QCOMPARE(b.getBackground()->height(), 181);
            QCOMPARE(a.getBackground().get(), shared);
            QCOMPARE(VolumeMeter::cachedBackgroundCount(), before + 2);

            // The last meter of a height moving away frees that height's image.
            a.resize(16, 181);
            paintedMeter(a);
            QCOMPARE(a.getBackground().get(), b.getBackground().get());
            QCOMPARE(VolumeMeter::cachedBackgroundCount(), before + 1);
        }
        QCOMPARE(VolumeMeter::cachedBackgroundCount(), before);
    }

    void faderPaintsItsScaleLeftOfTheHandle()
    {
        VolumeSlider vs;
        vs.resize(120, 300);
        const QImage image = vs.grab().toImage();
        auto* slider = vs.findChild<CustomSlider*>(QStringLiteral("slider"));
        const QImage scale = image.copy(0, 0, slider->x(), image.height());
        bool inked = false;
        for (int y = 0; y < scale.height(); ++y) {
            for (int x = 0; x < scale.width(); ++x)
                inked = inked || scale.pixel(x, y) != scale.pixel(0, 0);
        }
        QVERIFY(inked);
        vs.hideMeter();
        QVERIFY(vs.findChild<VolumeMeter*>(QStringLiteral("meter"))->isHidden());
    }
};

QTEST_MAIN(TestVolumeSlider)
#include "test_volumeslider.moc"
