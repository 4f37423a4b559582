#include "peqdesign.h"
#include "responsecalc.h"
#include "xoverdesign.h"

#include <QtEndian>
#include <QtTest>
#include <complex>
#include <cstring>

namespace {

const double pi = 3.14159265358979323846;

// H(z) = (b0 + b1 z^-1 + b2 z^-2) / (1 - a1 z^-1 - a2 z^-2) on the unit circle at 192 kHz,
// evaluated directly, apart from the gain calculators under test.
std::complex<double> response(const IIRCoeffs& c, double f)
{
    const std::complex<double> z1 = std::polar(1.0, -2.0 * pi * f / 192000.0), z2 = z1 * z1;
    return (c.b0 + c.b1 * z1 + c.b2 * z2) / (1.0 - c.a1 * z1 - c.a2 * z2);
}

std::complex<double> response(const XoverCoeffs& c, double f)
{
    std::complex<double> h = 1.0;
    for (const IIRCoeffs& section : c.sections)
        h *= response(section, f);
    return h;
}

template <typename C> double dbAt(const C& c, double f)
{
    return 20.0 * std::log10(std::abs(response(c, f)));
}

bool sameBits(const IIRCoeffs& x, const IIRCoeffs& y)
{
    return std::memcmp(&x, &y, sizeof(IIRCoeffs)) == 0;
}

XoverCoeffs xover(XoverType type, bool highpass, double f)
{
    return calcXoverCoeffs(XoverParams{type, highpass, f});
}

IIRCoeffs peq(PEQType type, double f, double gain, double q)
{
    return calcPEQCoeffs(PEQParams{type, f, gain, q});
}

template <typename Repr> QByteArray bytesOf(const Repr& repr)
{
    return QByteArray(reinterpret_cast<const char*>(&repr), sizeof repr);
}

// The fixed 8.24 integers the device is sent: sections 1 and 2 of a crossover (3 and 4 are
// always unity), or the one section of a band.
QVector<qint32> wire(const XoverParams& params)
{
    xover_repr_t repr;
    calcXoverCoeffs(params).toRepr(repr);
    QVector<qint32> ints;
    for (int i = 0; i < 2; ++i)
        for (const uint8_t* v : {repr.coeffs[i].a1, repr.coeffs[i].a2, repr.coeffs[i].b0,
                                 repr.coeffs[i].b1, repr.coeffs[i].b2})
            ints << qFromLittleEndian<qint32>(v);
    return ints;
}

QVector<qint32> wire(const PEQParams& params)
{
    peq_repr_t repr;
    calcPEQCoeffs(params).toRepr(repr);
    QVector<qint32> ints;
    for (const uint8_t* v :
         {repr.coeffs.a1, repr.coeffs.a2, repr.coeffs.b0, repr.coeffs.b1, repr.coeffs.b2})
        ints << qFromLittleEndian<qint32>(v);
    return ints;
}

QString text(const QVector<qint32>& ints)
{
    QStringList out;
    for (qint32 v : ints)
        out << QString::number(v);
    return out.join(QStringLiteral(", "));
}

// (0, 0, 1, 0, 0) in fixed 8.24: 0, 0, 16777216, 0, 0.
const QByteArray unityHex = "0000000000000000000000010000000000000000";

} // namespace

class TestDsp : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // Worked out separately with IEEE doubles from the same constants and order of
    // operations; the device and saved settings rely on these exact values.
    void exactCoefficients()
    {
        // At 2073 Hz the divisor 2.0000000000000004 gives other bits than 2.0 would.
        const XoverCoeffs bw18 = xover(XoverType::BW_18, true, 2073.0);
        const struct
        {
            IIRCoeffs actual, expected;
        } cases[] = {
            {bw18.sections[0],
             {0x1.ee138ee5d32edp+0, -0x1.de6e530d3cc5dp-1, 0x1.eea55c3638c8ep-1,
              -0x1.eea55c3638c8ep+0, 0x1.eea55c3638c8ep-1}},
            {peq(PEQType::LOW_SHELF, 100.0, 6.0, 0.7),
             {0x1.fefe39420a986p+0, -0x1.fdfd706926fd8p-1, 0x1.0035313b05335p+0,
              -0x1.fefdfa15c206cp+0, 0x1.fd938c4badba3p-1}},
            // Base 2.718, not e; gain and q play no part.
            {peq(PEQType::AP, 1000.0, 3.0, 2.0),
             {0x1.ef8488a2fb947p-1, 0.0, -0x1.ef8488a2fb947p-1, 1.0, 0.0}},
        };
        for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i)
            QVERIFY2(sameBits(cases[i].actual, cases[i].expected), qPrintable(QString::number(i)));

        // No filter and unknown codes are unity.
        const uint32_t codes[][2] = {{0, 0}, {11, 9}, {~0u, ~0u}}; // crossover, band
        for (const auto& code : codes) {
            for (const IIRCoeffs& s : xover(XoverType(code[0]), true, 1000.0).sections)
                QVERIFY(sameBits(s, IIRCoeffs()));
            QVERIFY(sameBits(peq(PEQType(code[1]), 1000.0, 6.0, 1.0), IIRCoeffs()));
        }
    }

    // What the device runs, for every design type on both sides of the crossover and every
    // band type, at two settings each: a1, a2, b0, b1, b2 per section in fixed 8.24. The
    // expected integers come from tools/filtertable.py, which works the designs out apart
    // from this code; a changed term or constant shows here as soon as it reaches the wire.
    void wireCoefficientsOfEveryDesign()
    {
        const struct
        {
            QVector<qint32> actual, expected;
        } designs[] = {
            {wire(XoverParams{XoverType::BW_6, false, 3000.0}),
             {15205982, 0, 785616, 785616, 0, 0, 0, 16777216, 0, 0}},
            {wire(XoverParams{XoverType::BW_6, true, 90.0}),
             {16727875, 0, 16752545, -16752545, 0, 0, 0, 16777216, 0, 0}},
            {wire(XoverParams{XoverType::BW_12, false, 3000.0}),
             {31228458, -14602343, 37775, 75550, 37775, 0, 0, 16777216, 0, 0}},
            {wire(XoverParams{XoverType::BW_12, true, 90.0}),
             {33484551, -16707480, 16742312, -33484624, 16742312, 0, 0, 16777216, 0, 0}},
            {wire(XoverParams{XoverType::BW_18, false, 3000.0}),
             {31832779, -15209588, 38506, 77012, 38506, 15205982, 0, 785616, 785616, 0}},
            {wire(XoverParams{XoverType::BW_18, true, 90.0}),
             {33504946, -16727875, 16752509, -33505019, 16752509, 16727875, 0, -16752545, 16752545,
              0}},
            {wire(XoverParams{XoverType::BW_24, false, 3000.0}),
             {32185591, -15564107, 38933, 77866, 38933, 30620029, -13990971, 37039, 74078, 37039}},
            {wire(XoverParams{XoverType::BW_24, true, 90.0}),
             {33516510, -16739439, 16758291, -33516582, 16758291, 33463231, -16686160, 16731652,
              -33463304, 16731652}},
            {wire(XoverParams{XoverType::LR_12, false, 3000.0}),
             {15205982, 0, 785616, 785616, 0, 15205982, 0, 785616, 785616, 0}},
            {wire(XoverParams{XoverType::LR_12, true, 90.0}),
             {16727875, 0, -16752545, 16752545, 0, 16727875, 0, -16752545, 16752545, 0}},
            {wire(XoverParams{XoverType::LR_24, false, 3000.0}),
             {31228458, -14602343, 37775, 75550, 37775, 31228458, -14602343, 37775, 75550, 37775}},
            {wire(XoverParams{XoverType::LR_24, true, 90.0}),
             {33484551, -16707480, 16742312, -33484624, 16742312, 33484551, -16707480, 16742312,
              -33484624, 16742312}},
            {wire(XoverParams{XoverType::CH_12, false, 3000.0}),
             {32320654, -15660123, 20651, 41303, 20651, 0, 0, 16777216, 0, 0}},
            {wire(XoverParams{XoverType::CH_12, true, 90.0}),
             {33507822, -16730800, 11860895, -23721790, 11860895, 0, 0, 16777216, 0, 0}},
            {wire(XoverParams{XoverType::CH_24, false, 3000.0}),
             {32167415, -15445185, 13746, 27492, 13746, 32823585, -16214211, 41960, 83921, 41960}},
            {wire(XoverParams{XoverType::CH_24, true, 90.0}),
             {33437062, -16660254, 16718633, -33437266, 16718633, 33538041, -16760962, 16769055,
              -33538110, 16769055}},
            {wire(XoverParams{XoverType::BS_12, false, 3000.0}),
             {30780080, -14151796, 37232, 74465, 37232, 0, 0, 16777216, 0, 0}},
            {wire(XoverParams{XoverType::BS_12, true, 90.0}),
             {33468918, -16691848, 16734495, -33468991, 16734495, 0, 0, 16777216, 0, 0}},
            {wire(XoverParams{XoverType::BS_24, false, 3000.0}),
             {30780080, -14151796, 37232, 74465, 37232, 30780080, -14151796, 37232, 74465, 37232}},
            {wire(XoverParams{XoverType::BS_24, true, 90.0}),
             {33468918, -16691848, 16734495, -33468991, 16734495, 33468918, -16691848, 16734495,
              -33468991, 16734495}},
            {wire(PEQParams{PEQType::LOW_SHELF, 60.0, 4.5, 0.7}),
             {33513090, -16735923, 16783329, -33513073, 16729827}},
            {wire(PEQParams{PEQType::LOW_SHELF, 5000.0, -9.0, 2.5}),
             {31482478, -15424060, 16387710, -31714357, 15581686}},
            {wire(PEQParams{PEQType::HIGH_SHELF, 60.0, 4.5, 0.7}),
             {33500866, -16723733, 28155398, -56241417, 28086102}},
            {wire(PEQParams{PEQType::HIGH_SHELF, 5000.0, -9.0, 2.5}),
             {32468149, -15952034, 6094267, -11435904, 5602738}},
            {wire(PEQParams{PEQType::PEAK, 60.0, 4.5, 0.7}),
             {33518086, -16740934, 16789529, -33518086, 16728620}},
            {wire(PEQParams{PEQType::PEAK, 5000.0, -9.0, 2.5}),
             {31389444, -15037163, 16215886, -31389444, 15598492}},
            {wire(PEQParams{PEQType::AP, 60.0, 4.5, 0.7}), {16744309, 0, -16744309, 16777216, 0}},
            {wire(PEQParams{PEQType::AP, 5000.0, -9.0, 2.5}),
             {14245116, 0, -14245116, 16777216, 0}},
            {wire(PEQParams{PEQType::AP2, 60.0, 4.5, 0.7}),
             {33507373, -16730221, 16730221, -33507373, 16777216}},
            {wire(PEQParams{PEQType::AP2, 5000.0, -9.0, 2.5}),
             {32061714, -15718533, 15718533, -32061714, 16777216}},
            {wire(PEQParams{PEQType::LP12, 60.0, 4.5, 0.7}), {33507845, -16730693, 16, 32, 16}},
            {wire(PEQParams{PEQType::LP12, 5000.0, -9.0, 2.5}),
             {29686797, -13311466, 100471, 200942, 100471}},
            {wire(PEQParams{PEQType::HP12, 60.0, 4.5, 0.7}),
             {33507845, -16730693, 16753938, -33507877, 16753938}},
            {wire(PEQParams{PEQType::HP12, 5000.0, -9.0, 2.5}),
             {29686797, -13311466, 14943870, -29887740, 14943870}},
            {wire(PEQParams{PEQType::SUBWOOFER, 60.0, 4.5, 0.7}),
             {33513090, -16735923, 16783329, -33513073, 16729827}},
            {wire(PEQParams{PEQType::SUBWOOFER, 5000.0, -9.0, 2.5}),
             {31482478, -15424060, 16387710, -31714357, 15581686}},
        };
        for (size_t i = 0; i < sizeof designs / sizeof designs[0]; ++i)
            QVERIFY2(designs[i].actual == designs[i].expected,
                     qPrintable(QStringLiteral("row %1: %2").arg(i).arg(text(designs[i].actual))));
    }

    // Order n is BW_6 .. BW_24 (codes 1 to 4); at the corner this reads -3.01 dB for all.
    void butterworthMatchesTheIdealResponse()
    {
        for (int n = 1; n <= 4; ++n) {
            for (bool hp : {false, true}) {
                for (double corner : {50.0, 1000.0, 12000.0}) {
                    const XoverCoeffs c = xover(XoverType(n), hp, corner);
                    for (double f : {20.0, corner * 0.5, corner, corner * 2.0, 20000.0}) {
                        // The ideal magnitude after the bilinear transform.
                        const double r = std::tan(pi * f / 192e3) / std::tan(pi * corner / 192e3);
                        const double ref =
                            -10.0 * std::log10(1.0 + std::pow(hp ? 1 / r : r, 2 * n));
                        QVERIFY(ref < -150.0 || std::abs(dbAt(c, f) - ref) < 1e-6);
                    }
                }
            }
        }
    }

    void physicalFacts()
    {
        const double third = 20 * std::log10(1 / std::sqrt(3.0));
        const struct
        {
            const char* what;
            double actual, expected, tolerance;
        } facts[] = {
            {"LR_24 at its corner", dbAt(xover(XoverType::LR_24, false, 700), 700), -6.0206, 1e-4},
            {"BS_12 reads its Q", dbAt(xover(XoverType::BS_12, false, 1000), 1000), third, 1e-9},
            {"CH_12 lowpass DC", dbAt(xover(XoverType::CH_12, false, 1000), 0), -3.0, 1e-9},
            {"CH_12 highpass top", dbAt(xover(XoverType::CH_12, true, 1000), 96000), -3.0, 1e-9},
            {"PEAK at its centre", dbAt(peq(PEQType::PEAK, 1000, 6, 1), 1000), 6, 1e-6},
            {"low shelf DC", dbAt(peq(PEQType::LOW_SHELF, 1000, -12, 0.7), 0), -12, 1e-9},
            {"low shelf corner", dbAt(peq(PEQType::LOW_SHELF, 1000, 4.5, 0.7), 1000), 2.25, 1e-9},
            {"high shelf top", dbAt(peq(PEQType::HIGH_SHELF, 1000, 12, 0.7), 96000), 12, 1e-9},
        };
        for (const auto& f : facts)
            QVERIFY2(std::abs(f.actual - f.expected) < f.tolerance, f.what);
        // CH_24: unity at the passband's far end, under 0.4 dB of ripple up to the corner,
        // below -75 dB three octaves into the stopband.
        for (bool hp : {false, true}) {
            const XoverCoeffs c = xover(XoverType::CH_24, hp, 1000.0);
            QVERIFY(std::abs(response(c, hp ? 96000.0 : 0.0) - 1.0) < 1e-12);
            for (double octaves : {0.0, 0.5, 1.0, 2.0, 3.0})
                QVERIFY(std::abs(dbAt(c, 1000.0 * std::pow(2.0, hp ? octaves : -octaves))) < 0.4);
            QVERIFY(dbAt(c, hp ? 125.0 : 8000.0) < -75.0);
        }
        // Polarity at Nyquist: the highpasses pass 1 there, only BW_18 inverts; DC is blocked.
        for (uint32_t t : {1, 2, 3, 4, 5}) // BW_6 .. BW_24, LR_12
            QVERIFY(std::abs(response(xover(XoverType(t), true, 1000), 96000) -
                             (t == 3 ? -1.0 : 1.0)) < 1e-9);
        QVERIFY(std::abs(response(xover(XoverType::BW_12, true, 1000), 0)) < 1e-12);

        // 0 dB gives a flat section; an all-pass is flat at any q.
        for (double f : {10.0, 1000.0, 25000.0, 90000.0})
            for (PEQType t : {PEQType::LOW_SHELF, PEQType::HIGH_SHELF, PEQType::PEAK, PEQType::AP,
                              PEQType::AP2})
                QVERIFY(std::abs(dbAt(peq(t, 1000.0, 0.0, f / 1000), f)) < 1e-10);
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

    // Every design type, at corners across the dialogs' range, against H(e^jw) itself. The
    // precomputed polynomial loses some accuracy deep in a stopband and for very narrow bands
    // at low frequencies; a wrong term would be off by far more than 1e-3 dB.
    void gainCalculatorsMatchDirectEvaluation()
    {
        const QList<FreqPair> grid = makeFreqsRange(10.0, 30000.0, 0.01);
        auto check = [&grid](const auto& calc, const auto& coeffs) {
            for (const FreqPair& p : grid) {
                const double ref = dbAt(coeffs, p.frequency);
                QVERIFY2(ref < -120.0 || std::abs(calc.calcGain(p.frequency) - ref) < 1e-3,
                         qPrintable(QString::number(p.frequency)));
            }
        };
        for (double f0 : {20.0, 440.0, 3000.0, 25000.0}) {
            for (uint32_t type = 0; type <= 10; ++type) {
                for (bool hp : {false, true}) {
                    const XoverCoeffs c = xover(XoverType(type), hp, f0);
                    check(XoverGainCalc(c), c);
                }
            }
            for (uint32_t type = 0; type <= 8; ++type) {
                for (double q : {0.5, 3.0, 50.0}) {
                    const PEQCoeffs c = calcPEQCoeffs(PEQParams{PEQType(type), f0, -7.5, q});
                    check(IIRGainCalc(c), IIRCoeffs(c));
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
        QVERIFY(makeFreqsRange(1000, 1000, 0.01).isEmpty() &&
                makeFreqsRange(2000, 1000, 0.01).isEmpty());
        // One point; steps that never advance must not loop for ever.
        for (double step : {0.0, -0.01, 1e-300})
            QCOMPARE(makeFreqsRange(10.0, 30000.0, step).size(), 1);
        QCOMPARE(makeFreqsRange(100.0, 1000.0, 1.5).size(), 1);
    }

    // Wire records; every byte starts as 0xEE, so bytes a writer skips would show.
    void wireRecords()
    {
        xover_repr_t repr;
        std::memset(&repr, 0xEE, sizeof repr);
        XoverParams{XoverType::BW_6, true, 1000.1}.toRepr(repr);
        XoverCoeffs{{{0.5, -0.25, 1.0, -1.0, 1.0 / 16777216.0}}}.toRepr(repr);
        // BW_6, highpass, 1000.1 Hz as a single; a1 0.5, a2 -0.25, b0 1, b1 -1, b2 2^-24.
        QCOMPARE(bytesOf(repr),
                 QByteArray::fromHex("01 01 66067a44 00008000 0000c0ff 00000001 000000ff 01000000" +
                                     unityHex + unityHex + unityHex));
        XoverParams back;
        QVERIFY(back.fromRepr(repr) && back.type == XoverType::BW_6 && back.highpass);
        QCOMPARE(back.frequency, 1000.0999755859375); // the nearest single, not 1000.1

        repr.type = 10;
        repr.highpass = 2; // anything but 1 is a lowpass
        QVERIFY(back.fromRepr(repr) && back.type == XoverType::BS_24 && !back.highpass);
        repr.type = 11;
        QVERIFY(!back.fromRepr(repr) && back.type == XoverType::BS_24);
        // A one-section design still carries four sections.
        calcXoverCoeffs(XoverParams{XoverType::BW_12, false, 1000.0}).toRepr(repr);
        QCOMPARE(bytesOf(repr).mid(26), QByteArray::fromHex(unityHex + unityHex + unityHex));

        peq_repr_t band;
        std::memset(&band, 0xEE, sizeof band);
        PEQParams{PEQType::PEAK, 1000.1, -3.5, 0.707}.toRepr(band);
        PEQCoeffs{{-1.5, 0.0, 1.0, 0.0, 0.75}}.toRepr(band);
        // PEAK, gain -3.5 dB before the frequency 1000.1 Hz, q 0.707; a1 -1.5, b0 1, b2 0.75.
        QCOMPARE(bytesOf(band), QByteArray::fromHex("03 000060c0 66067a44 f4fd343f 000080fe "
                                                    "00000000 00000001 00000000 0000c000"));
        PEQParams bandBack;
        QVERIFY(bandBack.fromRepr(band));
        band.type = 9;
        QVERIFY(!bandBack.fromRepr(band));
        QVERIFY(bandBack.type == PEQType::PEAK && bandBack.gain == -3.5 &&
                bandBack.q == double(0.707f));
    }
};

QTEST_GUILESS_MAIN(TestDsp)
#include "test_dsp.moc"
