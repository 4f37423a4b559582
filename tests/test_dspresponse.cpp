#include "biquadresponse.h"
#include "peqdesign.h"
#include "responsecalc.h"
#include "xoverdesign.h"

#include <QtTest>

class TestDspResponse : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // Every design type, at corners across the dialogs' range, against H(e^jw) itself. The
    // precomputed polynomial loses some accuracy deep in a stopband and for very narrow bands
    // at low frequencies; a wrong term would be off by far more than 1e-3 dB.
    void gainMatchesDirectEvaluation()
    {
        const QList<FreqPair> grid = makeFreqsRange(10.0, 30000.0, 0.01);
        auto check = [](double gain, std::complex<double> h, double f) {
            const double ref = toDb(h);
            QVERIFY2(ref < -120.0 || std::abs(gain - ref) < 1e-3, qPrintable(QString::number(f)));
        };
        for (double f0 : {20.0, 440.0, 3000.0, 25000.0}) {
            for (uint32_t type = 0; type <= 10; ++type) {
                for (bool hp : {false, true}) {
                    const XoverCoeffs c = calcXoverCoeffs(XoverParams{XoverType(type), hp, f0});
                    for (const FreqPair& p : grid) {
                        const double gain = XoverGainCalc(c).calcGain(p.frequency);
                        check(gain, cascadeResponse(c, p.frequency), p.frequency);
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
                    for (const FreqPair& p : grid)
                        check(IIRGainCalc(c).calcGain(p.frequency), sectionResponse(c, p.frequency),
                              p.frequency);
                }
            }
        }
        QCOMPARE(IIRGainCalc().calcGain(1000.0), 0.0);
    }

    void frequencyGrid()
    {
        const QList<FreqPair> grid = makeFreqsRange(10.0, 30000.0, 0.01);
        QCOMPARE(grid.size(), 348);
        QVERIFY(grid.first().frequency == 10.0 && grid.first().logFrequency == 1.0);
        QVERIFY(std::abs(grid.last().frequency - 29512.0) < 1.0);
        for (int i = 1; i < grid.size(); ++i)
            QVERIFY(std::abs(std::log10(grid[i].frequency) - grid[i].logFrequency) < 1e-12);
        QVERIFY(makeFreqsRange(1000.0, 1000.0, 0.01).isEmpty());
        QVERIFY(makeFreqsRange(2000.0, 1000.0, 0.01).isEmpty());
        QCOMPARE(makeFreqsRange(100.0, 1000.0, 1.5).size(), 1);
        // A step that never advances must not loop for ever.
        for (double step : {0.0, -0.01, 1e-300})
            QCOMPARE(makeFreqsRange(10.0, 30000.0, step).size(), 1);
    }
};

QTEST_GUILESS_MAIN(TestDspResponse)
#include "test_dspresponse.moc"
