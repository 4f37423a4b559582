#include "biquadresponse.h"
#include "peqdesign.h"
#include "responsecalc.h"
#include "xoverdesign.h"

#include <QtTest>

namespace {

// The pre-computed polynomial loses some accuracy deep in a stopband and for very narrow
// bands at low frequencies; a wrong term would be off by far more than 1e-3 dB.
bool closeDb(double actual, double reference)
{
    return reference < -120.0 || std::abs(actual - reference) < 1e-3;
}

} // namespace

class TestDspResponse : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // Every design type, at corners across the dialogs' range, against H(e^jw) itself.
    void gainMatchesDirectEvaluation()
    {
        const QList<FreqPair> grid = makeFreqsRange(10.0, 30000.0, 0.01);
        for (double f0 : {20.0, 440.0, 3000.0, 25000.0}) {
            for (uint32_t type = 0; type <= 10; ++type) {
                for (bool hp : {false, true}) {
                    const XoverCoeffs c = calcXoverCoeffs(XoverParams{XoverType(type), hp, f0});
                    const XoverGainCalc calc(c);
                    for (const FreqPair& p : grid) {
                        const double gain = calc.calcGain(p.frequency);
                        QVERIFY2(
                            closeDb(gain, toDb(cascadeResponse(c, p.frequency))),
                            qPrintable(QString("type %1 at %2 Hz").arg(type).arg(p.frequency)));
                        double sum = 0.0; // exactly the sections' own gains, summed in order
                        for (const IIRCoeffs& s : c.sections)
                            sum += IIRGainCalc(s).calcGain(p.frequency);
                        QCOMPARE(gain, sum);
                    }
                }
            }
            for (uint32_t type = 0; type <= 8; ++type) {
                for (double q : {0.5, 3.0, 50.0}) {
                    const PEQCoeffs c = calcPEQCoeffs(PEQParams{PEQType(type), f0, -7.5, q});
                    const IIRGainCalc calc(c);
                    for (const FreqPair& p : grid)
                        QVERIFY2(
                            closeDb(calc.calcGain(p.frequency),
                                    toDb(sectionResponse(c, p.frequency))),
                            qPrintable(QString("band %1 at %2 Hz").arg(type).arg(p.frequency)));
                }
            }
        }
    }

    void neutralAndLimitCases()
    {
        const IIRGainCalc neutral, unity{IIRCoeffs()};
        const XoverGainCalc noFilter{XoverCoeffs()};
        for (double f : {0.0, 10.0, 1000.0, 29512.0, 96000.0}) {
            QCOMPARE(neutral.calcGain(f), 0.0);
            QCOMPARE(unity.calcGain(f), 0.0);
            QCOMPARE(noFilter.calcGain(f), 0.0);
        }
        const IIRGainCalc shelf(calcPEQCoeffs(PEQParams{PEQType::LOW_SHELF, 1000.0, 9.0, 0.7}));
        QVERIFY(std::abs(shelf.calcGain(0.0) - 9.0) < 1e-9); // DC gain
        QVERIFY(std::abs(shelf.calcGain(96000.0)) < 1e-9);   // Nyquist gain
        const XoverGainCalc lowpass(calcXoverCoeffs(XoverParams{XoverType::BW_12, false, 1000.0}));
        QVERIFY(lowpass.calcGain(96000.0) < -200.0);
        QVERIFY(std::abs(lowpass.calcGain(1000.0) + 3.0103) < 1e-4);
    }

    void frequencyGrid()
    {
        const QList<FreqPair> grid = makeFreqsRange(10.0, 30000.0, 0.01);
        QCOMPARE(grid.size(), 348);
        QCOMPARE(grid.first().frequency, 10.0);
        QCOMPARE(grid.first().logFrequency, 1.0);
        QVERIFY(std::abs(grid.last().frequency - 29512.0) < 1.0);
        for (int i = 1; i < grid.size(); ++i) {
            QVERIFY(grid[i].frequency > grid[i - 1].frequency);
            QVERIFY(std::abs(std::log10(grid[i].frequency) - grid[i].logFrequency) < 1e-12);
        }

        QVERIFY(makeFreqsRange(1000.0, 1000.0, 0.01).isEmpty());
        QVERIFY(makeFreqsRange(2000.0, 1000.0, 0.01).isEmpty());
        const QList<FreqPair> one = makeFreqsRange(100.0, 1000.0, 1.5);
        QCOMPARE(one.size(), 1);
        QCOMPARE(one.first().frequency, 100.0);
        QCOMPARE(one.first().logFrequency, 2.0);
        // A step that never advances must not loop for ever.
        for (double step : {0.0, -0.01, 1e-300})
            QCOMPARE(makeFreqsRange(10.0, 30000.0, step).size(), 1);
    }
};

QTEST_GUILESS_MAIN(TestDspResponse)
#include "test_dspresponse.moc"
