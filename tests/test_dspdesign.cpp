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

double dbAt(const XoverCoeffs& c, double f)
{
    return toDb(cascadeResponse(c, f));
}

double dbAt(const IIRCoeffs& c, double f)
{
    return toDb(sectionResponse(c, f));
}

// Magnitude of an ideal Butterworth filter of order n after the bilinear transform.
double butterworthDb(int n, bool highpass, double f, double corner)
{
    double r = std::tan(pi * f / 192000.0) / std::tan(pi * corner / 192000.0);
    return -10.0 * std::log10(1.0 + std::pow(highpass ? 1.0 / r : r, 2 * n));
}

} // namespace

class TestDspDesign : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // Worked out separately with IEEE doubles from the same constants and order of
    // operations; the device and saved settings rely on these exact values.
    void exactCoefficients()
    {
        // At 2073 Hz the divisor 2.0000000000000004 gives other bits than 2.0 would.
        const XoverCoeffs bw18 = xover(XoverType::BW_18, true, 2073.0);
        const XoverCoeffs ch24 = xover(XoverType::CH_24, true, 2000.0);
        const struct
        {
            IIRCoeffs actual, expected;
        } cases[] = {
            {bw18.sections[0],
             {0x1.ee138ee5d32edp+0, -0x1.de6e530d3cc5dp-1, 0x1.eea55c3638c8ep-1,
              -0x1.eea55c3638c8ep+0, 0x1.eea55c3638c8ep-1}},
            {bw18.sections[1],
             {0x1.de64c11bfd97bp-1, 0.0, -0x1.ef32608dfecbep-1, 0x1.ef32608dfecbep-1, 0.0}},
            {xover(XoverType::CH_12, false, 1000.0).sections[0],
             {0x1.f9fb54bf87bfap+0, -0x1.f45e44685bf60p-1, 0x1.2563220f18014p-13,
              0x1.2563220f18014p-12, 0x1.2563220f18014p-13}},
            {xover(XoverType::CH_12, true, 1000.0).sections[0],
             {0x1.f7e131f2f7c77p+0, -0x1.f07b84b90c697p-1, 0x1.64d8f4318a123p-1,
              -0x1.64d8f4318a123p+0, 0x1.64d8f4318a123p-1}},
            {ch24.sections[0],
             {0x1.d847743decbefp+0, -0x1.b647fdc5d07b0p-1, 0x1.d9b5b9906a7e3p-1,
              -0x1.d9b5b9906a7e3p+0, 0x1.d9b5b9906a7e3p-1}},
            {ch24.sections[1],
             {0x1.f9866ec221673p+0, -0x1.f518d2e325f59p-1, 0x1.fa096c19da310p-1,
              -0x1.fa096c19da310p+0, 0x1.fa096c19da310p-1}},
            {peq(PEQType::LOW_SHELF, 100.0, 6.0, 0.7),
             {0x1.fefe39420a986p+0, -0x1.fdfd706926fd8p-1, 0x1.0035313b05335p+0,
              -0x1.fefdfa15c206cp+0, 0x1.fd938c4badba3p-1}},
            // Base 2.718, not e; gain and q play no part.
            {peq(PEQType::AP, 1000.0, 3.0, 2.0),
             {0x1.ef8488a2fb947p-1, 0.0, -0x1.ef8488a2fb947p-1, 1.0, 0.0}},
        };
        for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i)
            QVERIFY2(sameBits(cases[i].actual, cases[i].expected), qPrintable(QString::number(i)));
    }

    void noFilterAndUnknownTypesAreUnity()
    {
        for (uint32_t code : {0u, 11u, 0xFFFFFFFFu}) {
            for (const IIRCoeffs& s : xover(XoverType(code), true, 1000.0).sections)
                QVERIFY(isUnity(s));
        }
        for (uint32_t code : {0u, 9u, 0xFFFFFFFFu})
            QVERIFY(isUnity(peq(PEQType(code), 1000.0, 6.0, 1.0)));
        for (uint32_t code = 1; code <= 10; ++code) {
            const XoverCoeffs x = xover(XoverType(code), false, 3000.0);
            QVERIFY(!isUnity(x.sections[0]) && isUnity(x.sections[2]) && isUnity(x.sections[3]));
        }
    }

    void butterworthMatchesTheIdealResponse()
    {
        const XoverType types[] = {XoverType::BW_6, XoverType::BW_12, XoverType::BW_18,
                                   XoverType::BW_24};
        for (int order = 1; order <= 4; ++order) {
            for (bool hp : {false, true}) {
                for (double corner : {50.0, 1000.0, 12000.0}) {
                    const XoverCoeffs c = xover(types[order - 1], hp, corner);
                    for (double f : {20.0, corner * 0.5, corner, corner * 2.0, 20000.0}) {
                        const double ref = butterworthDb(order, hp, f, corner);
                        QVERIFY(ref < -150.0 || std::abs(dbAt(c, f) - ref) < 1e-6);
                    }
                }
            }
        }
    }

    void physicalFacts()
    {
        const double third = 20 * std::log10(1 / std::sqrt(3.0)), ch = -3.0;
        const struct
        {
            const char* what;
            double actual, expected, tolerance;
        } facts[] = {
            {"LR_24 at its corner", dbAt(xover(XoverType::LR_24, false, 700), 700), -6.0206, 1e-4},
            {"BS_12 reads its Q", dbAt(xover(XoverType::BS_12, false, 1000), 1000), third, 1e-9},
            {"CH_12 lowpass DC", dbAt(xover(XoverType::CH_12, false, 1000), 0), ch, 1e-9},
            {"CH_12 highpass top", dbAt(xover(XoverType::CH_12, true, 1000), 96000), ch, 1e-9},
            {"PEAK at its centre", dbAt(peq(PEQType::PEAK, 1000, 6, 1), 1000), 6, 1e-6},
            {"low shelf DC", dbAt(peq(PEQType::LOW_SHELF, 1000, -12, 0.7), 0), -12, 1e-9},
            {"low shelf corner", dbAt(peq(PEQType::LOW_SHELF, 1000, 4.5, 0.7), 1000), 2.25, 1e-9},
            {"high shelf top", dbAt(peq(PEQType::HIGH_SHELF, 1000, 12, 0.7), 96000), 12, 1e-9},
        };
        for (const auto& f : facts)
            QVERIFY2(std::abs(f.actual - f.expected) < f.tolerance, f.what);
        // CH_24: unity in the passband's far end, under 0.4 dB of ripple up to the corner,
        // below -75 dB three octaves into the stopband.
        for (bool hp : {false, true}) {
            const XoverCoeffs c = xover(XoverType::CH_24, hp, 1000.0);
            QVERIFY(std::abs(cascadeResponse(c, hp ? 96000.0 : 0.0) - 1.0) < 1e-12);
            for (double octaves : {0.0, 0.5, 1.0, 2.0, 3.0})
                QVERIFY(std::abs(dbAt(c, 1000.0 * std::pow(2.0, hp ? octaves : -octaves))) < 0.4);
            QVERIFY(dbAt(c, hp ? 125.0 : 8000.0) < -75.0);
        }
        // Polarity at Nyquist: the second-order highpass passes 1, only BW_18 inverts.
        for (XoverType t : {XoverType::BW_6, XoverType::BW_12, XoverType::BW_24, XoverType::LR_12})
            QVERIFY(std::abs(cascadeResponse(xover(t, true, 1000), 96000) - 1.0) < 1e-9);
        QVERIFY(std::abs(cascadeResponse(xover(XoverType::BW_18, true, 1000), 96000) + 1.0) < 1e-9);
        QVERIFY(std::abs(cascadeResponse(xover(XoverType::BW_12, true, 1000), 0)) < 1e-12);
    }

    void equalizerSectionsAndTheirInputs()
    {
        // 0 dB is flat, all-passes are flat at any q.
        for (PEQType t : {PEQType::LOW_SHELF, PEQType::HIGH_SHELF, PEQType::PEAK}) {
            const IIRCoeffs c = peq(t, 500.0, 0.0, 2.0);
            QVERIFY(std::abs(c.b0 - 1.0) < 1e-14);
            QVERIFY(std::abs(c.b1 + c.a1) < 1e-14 && std::abs(c.b2 + c.a2) < 1e-14);
        }
        for (double f : {10.0, 1000.0, 25000.0, 90000.0}) {
            for (PEQType t : {PEQType::AP, PEQType::AP2})
                QVERIFY(std::abs(dbAt(peq(t, 1000.0, 6, f / 1000), f)) < 1e-10);
        }
        for (bool hp : {false, true}) {
            const XoverCoeffs c = xover(hp ? XoverType::BS_24 : XoverType::LR_24, hp, 700.0);
            QVERIFY(sameBits(c.sections[0], c.sections[1]));
            // The second-order bands are the crossover's BW_12 and ignore gain and q.
            const IIRCoeffs ref = xover(XoverType::BW_12, hp, 2500.0).sections[0];
            QVERIFY(sameBits(peq(hp ? PEQType::HP12 : PEQType::LP12, 2500.0, 12.0, 40.0), ref));
        }
        QVERIFY(sameBits(peq(PEQType::SUBWOOFER, 60.0, 7.5, 0.9),
                         peq(PEQType::LOW_SHELF, 60.0, 7.5, 0.9)));
    }
};

QTEST_GUILESS_MAIN(TestDspDesign)
#include "test_dspdesign.moc"
