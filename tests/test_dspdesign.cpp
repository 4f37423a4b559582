#include "biquadresponse.h"
#include "peqdesign.h"
#include "xoverdesign.h"

#include <QtTest>
#include <cstring>

namespace {

const double pi = 3.14159265358979323846;

bool sameBits(const IIRCoeffs& x, const IIRCoeffs& y)
{
    return std::memcmp(&x, &y, sizeof(IIRCoeffs)) == 0;
}

bool isUnity(const IIRCoeffs& c)
{
    return sameBits(c, IIRCoeffs());
}

XoverCoeffs xover(XoverType type, bool highpass, double f)
{
    return calcXoverCoeffs(XoverParams{type, highpass, f});
}

IIRCoeffs peq(PEQType type, double f, double gain, double q)
{
    return calcPEQCoeffs(PEQParams{type, f, gain, q});
}

// Magnitude of an ideal Butterworth filter of order n after the bilinear transform.
double butterworthDb(int n, bool highpass, double f, double corner)
{
    double r = std::tan(pi * f / 192000.0) / std::tan(pi * corner / 192000.0);
    if (highpass)
        r = 1.0 / r;
    return -10.0 * std::log10(1.0 + std::pow(r, 2 * n));
}

} // namespace

Q_DECLARE_METATYPE(IIRCoeffs)

class TestDspDesign : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // Worked out separately with IEEE doubles, following the same constants and order of
    // operations; the device and saved settings rely on these exact values.
    void exactCoefficients_data()
    {
        QTest::addColumn<IIRCoeffs>("actual");
        QTest::addColumn<IIRCoeffs>("expected");
        auto row = [](const char* name, const IIRCoeffs& actual, IIRCoeffs expected) {
            QTest::newRow(name) << actual << expected;
        };
        const XoverCoeffs bw18 = xover(XoverType::BW_18, true, 1000.0);
        row("BW_18 HP 1 kHz s1", bw18.sections[0],
            {0x1.f77d305edd957p+0, -0x1.ef847950c260ap-1, 0x1.f79fb6839f62ep-1,
             -0x1.f79fb6839f62ep+0, 0x1.f79fb6839f62ep-1});
        row("BW_18 HP 1 kHz s2", bw18.sections[1],
            {0x1.ef835cb81cddcp-1, 0.0, -0x1.f7c1ae5c0e6eep-1, 0x1.f7c1ae5c0e6eep-1, 0.0});
        row("BW_24 LP 250 Hz s2", xover(XoverType::BW_24, false, 250.0).sections[1],
            {0x1.fc2462a64f8dep+0, -0x1.f8517a52803edp-1, 0x1.16a0bc2460decp-16,
             0x1.16a0bc2460decp-15, 0x1.16a0bc2460decp-16});
        row("CH_12 LP 1 kHz", xover(XoverType::CH_12, false, 1000.0).sections[0],
            {0x1.f9fb54bf87bfap+0, -0x1.f45e44685bf60p-1, 0x1.2563220f18014p-13,
             0x1.2563220f18014p-12, 0x1.2563220f18014p-13});
        row("CH_12 HP 1 kHz", xover(XoverType::CH_12, true, 1000.0).sections[0],
            {0x1.f7e131f2f7c77p+0, -0x1.f07b84b90c697p-1, 0x1.64d8f4318a123p-1,
             -0x1.64d8f4318a123p+0, 0x1.64d8f4318a123p-1});
        const XoverCoeffs ch24lp = xover(XoverType::CH_24, false, 2000.0);
        row("CH_24 LP 2 kHz s1", ch24lp.sections[0],
            {0x1.f1e2d0ba3ef7dp+0, -0x1.e48724775d65cp-1, 0x1.830605beec687p-12,
             0x1.830605beec687p-11, 0x1.830605beec687p-12});
        row("CH_24 LP 2 kHz s2", ch24lp.sections[1],
            {0x1.f9170dc2812efp+0, -0x1.f4787158a2447p-1, 0x1.252ae9cff3488p-10,
             0x1.252ae9cff3488p-9, 0x1.252ae9cff3488p-10});
        const XoverCoeffs ch24hp = xover(XoverType::CH_24, true, 2000.0);
        row("CH_24 HP 2 kHz s1", ch24hp.sections[0],
            {0x1.d847743decbefp+0, -0x1.b647fdc5d07b0p-1, 0x1.d9b5b9906a7e3p-1,
             -0x1.d9b5b9906a7e3p+0, 0x1.d9b5b9906a7e3p-1});
        row("CH_24 HP 2 kHz s2", ch24hp.sections[1],
            {0x1.f9866ec221673p+0, -0x1.f518d2e325f59p-1, 0x1.fa096c19da310p-1,
             -0x1.fa096c19da310p+0, 0x1.fa096c19da310p-1});
        row("LOW_SHELF 100 Hz +6 dB q 0.7", peq(PEQType::LOW_SHELF, 100.0, 6.0, 0.7),
            {0x1.fefe39420a986p+0, -0x1.fdfd706926fd8p-1, 0x1.0035313b05335p+0,
             -0x1.fefdfa15c206cp+0, 0x1.fd938c4badba3p-1});
        row("HIGH_SHELF 8 kHz -4.5 dB q 1.3", peq(PEQType::HIGH_SHELF, 8000.0, -4.5, 1.3),
            {0x1.ca404839d8a3ep+0, -0x1.ad5acf5a4f05bp-1, 0x1.3ac4f4377a5a8p-1,
             -0x1.0e735c7a32d9fp+0, 0x1.f5f80747122ecp-2});
        row("PEAK 1 kHz +6 dB q 1", peq(PEQType::PEAK, 1000.0, 6.0, 1.0),
            {0x1.f9ddf93733b77p+0, -0x1.f446b1fb5a091p-1, 0x1.02eac579306d2p+0,
             -0x1.f9ddf93733b77p+0, 0x1.ee712708f92efp-1});
        // Base 2.718, not e.
        row("AP 1 kHz", peq(PEQType::AP, 1000.0, 3.0, 2.0),
            {0x1.ef8488a2fb947p-1, 0.0, -0x1.ef8488a2fb947p-1, 1.0, 0.0});
    }

    void exactCoefficients()
    {
        QFETCH(IIRCoeffs, actual);
        QFETCH(IIRCoeffs, expected);
        const double a[] = {actual.a1, actual.a2, actual.b0, actual.b1, actual.b2};
        const double e[] = {expected.a1, expected.a2, expected.b0, expected.b1, expected.b2};
        for (int i = 0; i < 5; ++i)
            QVERIFY2(std::memcmp(&a[i], &e[i], sizeof(double)) == 0,
                     qPrintable(QString("coefficient %1: %2 instead of %3")
                                    .arg(i)
                                    .arg(a[i], 0, 'g', 17)
                                    .arg(e[i], 0, 'g', 17)));
    }

    void noFilterAndUnknownTypesAreUnity()
    {
        for (double f : {10.0, 1000.0, 25000.0}) {
            for (uint32_t code : {0u, 11u, 0x10Au, 0xFFFFFFFFu}) {
                const XoverCoeffs x = xover(XoverType(code), true, f);
                for (const IIRCoeffs& s : x.sections)
                    QVERIFY(isUnity(s));
            }
            for (uint32_t code : {0u, 9u, 0xFFFFFFFFu})
                QVERIFY(isUnity(peq(PEQType(code), f, 6.0, 1.0)));
        }
        // Designs fill at most two sections.
        for (uint32_t code = 1; code <= 10; ++code) {
            const XoverCoeffs x = xover(XoverType(code), false, 3000.0);
            QVERIFY(!isUnity(x.sections[0]));
            QVERIFY(isUnity(x.sections[2]) && isUnity(x.sections[3]));
        }
    }

    void butterworthResponses()
    {
        const XoverType types[] = {XoverType::BW_6, XoverType::BW_12, XoverType::BW_18,
                                   XoverType::BW_24};
        for (int order = 1; order <= 4; ++order) {
            for (bool hp : {false, true}) {
                for (double corner : {50.0, 1000.0, 12000.0}) {
                    const XoverCoeffs c = xover(types[order - 1], hp, corner);
                    for (double f : {20.0, corner * 0.5, corner, corner * 2.0, 20000.0}) {
                        const double ref = butterworthDb(order, hp, f, corner);
                        if (ref > -150.0)
                            QVERIFY2(std::abs(toDb(cascadeResponse(c, f)) - ref) < 1e-6,
                                     qPrintable(QString("order %1 hp %2 corner %3 f %4")
                                                    .arg(order)
                                                    .arg(hp)
                                                    .arg(corner)
                                                    .arg(f)));
                    }
                }
            }
        }
        const XoverCoeffs bw12 = xover(XoverType::BW_12, false, 1000.0);
        QCOMPARE(qRound(toDb(cascadeResponse(bw12, 1000.0)) * 100), -301);
        QVERIFY(std::abs(std::abs(cascadeResponse(bw12, 0.0)) - 1.0) < 1e-12);
        const XoverCoeffs bw12hp = xover(XoverType::BW_12, true, 1000.0);
        QVERIFY(std::abs(cascadeResponse(bw12hp, 0.0)) < 1e-12);
        QVERIFY(std::abs(cascadeResponse(bw12hp, 96000.0) - 1.0) < 1e-12);
    }

    void linkwitzRileyAndBesselRepeatTheirSection()
    {
        for (bool hp : {false, true}) {
            for (XoverType t : {XoverType::LR_12, XoverType::LR_24, XoverType::BS_24}) {
                const XoverCoeffs c = xover(t, hp, 700.0);
                QVERIFY(sameBits(c.sections[0], c.sections[1]));
            }
            QVERIFY(sameBits(xover(XoverType::BS_24, hp, 700.0).sections[0],
                             xover(XoverType::BS_12, hp, 700.0).sections[0]));
            // Both Linkwitz-Riley types are -6.02 dB at the corner.
            for (XoverType t : {XoverType::LR_12, XoverType::LR_24})
                QCOMPARE(qRound(toDb(cascadeResponse(xover(t, hp, 700.0), 700.0)) * 100), -602);
        }
        // Second-order Bessel, Q = 1/sqrt(3): a second-order lowpass reads Q at its corner.
        const double bs = toDb(cascadeResponse(xover(XoverType::BS_12, false, 1000.0), 1000.0));
        QVERIFY(std::abs(bs - 20 * std::log10(1 / std::sqrt(3.0))) < 1e-9);
    }

    void highpassPolarity()
    {
        // Sign at Nyquist of the whole cascade: the BW_18 highpass is inverted, the others not.
        auto nyquist = [](XoverType t) {
            return cascadeResponse(xover(t, true, 1000.0), 96000.0).real();
        };
        QVERIFY(std::abs(nyquist(XoverType::BW_6) - 1.0) < 1e-9);
        QVERIFY(std::abs(nyquist(XoverType::BW_12) - 1.0) < 1e-9);
        QVERIFY(std::abs(nyquist(XoverType::BW_18) + 1.0) < 1e-9);
        QVERIFY(std::abs(nyquist(XoverType::BW_24) - 1.0) < 1e-9);
        QVERIFY(std::abs(nyquist(XoverType::LR_12) - 1.0) < 1e-9);

        const IIRCoeffs bw6 = xover(XoverType::BW_6, true, 1000.0).sections[0];
        QVERIFY(bw6.b0 > 0 && bw6.b1 == -bw6.b0);
        const IIRCoeffs bw18 = xover(XoverType::BW_18, true, 1000.0).sections[1];
        QVERIFY(bw18.b0 < 0 && bw18.b1 == -bw18.b0);
        const IIRCoeffs lr12 = xover(XoverType::LR_12, true, 1000.0).sections[0];
        QVERIFY(lr12.b0 < 0 && lr12.b1 == -lr12.b0);
    }

    void chebyshevGains()
    {
        const double g = std::sqrt(1.0 / std::pow(10.0, 0.3)); // about 0.7079
        const XoverCoeffs lp = xover(XoverType::CH_12, false, 1000.0);
        QVERIFY(std::abs(std::abs(cascadeResponse(lp, 0.0)) - g) < 1e-12);
        QVERIFY(std::abs(g - 0.7079) < 1e-4);
        const XoverCoeffs hp = xover(XoverType::CH_12, true, 1000.0);
        QVERIFY(std::abs(std::abs(cascadeResponse(hp, 96000.0)) - g) < 1e-12);
        QVERIFY(std::abs(cascadeResponse(hp, 0.0)) < 1e-12);
        // CH_24: unity at DC (Nyquist for the highpass), a passband ripple under 0.4 dB up
        // to the corner, and below -75 dB three octaves into the stopband.
        for (bool hp4 : {false, true}) {
            const XoverCoeffs c = xover(XoverType::CH_24, hp4, 1000.0);
            QVERIFY(std::abs(std::abs(cascadeResponse(c, hp4 ? 96000.0 : 0.0)) - 1.0) < 1e-12);
            for (double octave : {0.0, 0.5, 1.0, 2.0, 3.0}) {
                const double f =
                    hp4 ? 1000.0 * std::pow(2.0, octave) : 1000.0 / std::pow(2.0, octave);
                QVERIFY(std::abs(toDb(cascadeResponse(c, f))) < 0.4);
            }
            QVERIFY(toDb(cascadeResponse(c, hp4 ? 125.0 : 8000.0)) < -75.0);
        }
    }

    void equalizerMagnitudes()
    {
        QCOMPARE(qRound(toDb(sectionResponse(peq(PEQType::PEAK, 1000.0, 6.0, 1.0), 1000.0)) * 1e6),
                 6000000);
        for (double gain : {-12.0, 4.5, 12.0}) {
            const IIRCoeffs low = peq(PEQType::LOW_SHELF, 1000.0, gain, 0.7);
            const IIRCoeffs high = peq(PEQType::HIGH_SHELF, 1000.0, gain, 0.7);
            QVERIFY(std::abs(toDb(sectionResponse(low, 0.0)) - gain) < 1e-9);
            QVERIFY(std::abs(toDb(sectionResponse(low, 96000.0))) < 1e-9);
            QVERIFY(std::abs(toDb(sectionResponse(high, 96000.0)) - gain) < 1e-9);
            QVERIFY(std::abs(toDb(sectionResponse(high, 0.0))) < 1e-9);
            // Half the gain at the corner.
            QVERIFY(std::abs(toDb(sectionResponse(low, 1000.0)) - gain / 2) < 1e-9);
        }
        for (PEQType t :
             {PEQType::LOW_SHELF, PEQType::HIGH_SHELF, PEQType::PEAK, PEQType::SUBWOOFER}) {
            const IIRCoeffs c = peq(t, 500.0, 0.0, 2.0);
            QVERIFY(std::abs(c.b0 - 1.0) < 1e-14);
            QVERIFY(std::abs(c.b1 + c.a1) < 1e-14 && std::abs(c.b2 + c.a2) < 1e-14);
        }
        for (double f : {10.0, 300.0, 1000.0, 5000.0, 25000.0, 90000.0}) {
            for (double q : {0.5, 4.0, 50.0}) {
                for (PEQType t : {PEQType::AP, PEQType::AP2})
                    QVERIFY(std::abs(toDb(sectionResponse(peq(t, 1000.0, 6, q), f))) < 1e-10);
            }
        }
        QCOMPARE(peq(PEQType::AP2, 1234.0, 0.0, 7.0).b2, 1.0);
    }

    void equalizerTypesAndTheirInputs()
    {
        QVERIFY(sameBits(peq(PEQType::SUBWOOFER, 60.0, 7.5, 0.9),
                         peq(PEQType::LOW_SHELF, 60.0, 7.5, 0.9)));
        // The low- and high-order bands are the crossover's BW_12 and ignore gain and q.
        for (bool hp : {false, true}) {
            const PEQType t = hp ? PEQType::HP12 : PEQType::LP12;
            const IIRCoeffs ref = xover(XoverType::BW_12, hp, 2500.0).sections[0];
            QVERIFY(sameBits(peq(t, 2500.0, 0.0, 0.5), ref));
            QVERIFY(sameBits(peq(t, 2500.0, 12.0, 40.0), ref));
        }
        // The shelf slope round trip lands on the cookbook alpha = sin(w) / (2q).
        const double w = 2 * pi * 300.0 / 192000.0;
        const double a = std::pow(10.0, 9.0 / 40.0), q = 1.7;
        const double alpha = std::sin(w) / (2 * q), beta = 2 * std::sqrt(a) * alpha;
        const double a0 = (a + 1) + (a - 1) * std::cos(w) + beta;
        const IIRCoeffs low = peq(PEQType::LOW_SHELF, 300.0, 9.0, q);
        QVERIFY(std::abs(low.b0 - a * ((a + 1) - (a - 1) * std::cos(w) + beta) / a0) < 1e-12);
        QVERIFY(std::abs(low.a2 + ((a + 1) + (a - 1) * std::cos(w) - beta) / a0) < 1e-12);
    }
};

QTEST_GUILESS_MAIN(TestDspDesign)
#include "test_dspdesign.moc"
