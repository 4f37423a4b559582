#include "iircoeffs.h"
#include "xoverdesign.h"

#include <QtTest>
#include <cmath>
#include <cstring>
#include <limits>

namespace {

template <typename Repr> QByteArray bytesOf(const Repr& repr)
{
    return QByteArray(reinterpret_cast<const char*>(&repr), sizeof repr);
}

template <typename Repr> Repr reprOf(const QByteArray& bytes)
{
    Repr repr;
    Q_ASSERT(bytes.size() == int(sizeof repr));
    std::memcpy(&repr, bytes.constData(), sizeof repr);
    return repr;
}

// (0, 0, 1, 0, 0) in fixed 8.24: 0, 0, 16777216, 0, 0.
const QByteArray unityHex = "00000000"
                            "00000000"
                            "00000001"
                            "00000000"
                            "00000000";

} // namespace

class TestDspRecords : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void crossoverBytes()
    {
        XoverParams params{XoverType::BW_6, true, 1000.1};
        XoverCoeffs coeffs;
        coeffs.sections[0] = IIRCoeffs{0.5, -0.25, 1.0, -1.0, 1.0 / 16777216.0};
        xover_repr_t repr;
        std::memset(&repr, 0xEE, sizeof repr);
        params.toRepr(repr);
        coeffs.toRepr(repr);
        const QByteArray expected = QByteArray::fromHex("01"       // type BW_6
                                                        "01"       // highpass
                                                        "66067a44" // 1000.1 Hz as a single
                                                        "00008000" // a1 0.5
                                                        "0000c0ff" // a2 -0.25
                                                        "00000001" // b0 1.0
                                                        "000000ff" // b1 -1.0
                                                        "01000000" // b2 2^-24
                                                        + unityHex + unityHex + unityHex);
        QCOMPARE(bytesOf(repr), expected);

        XoverParams back{XoverType::NONE, false, 0.0};
        QVERIFY(back.fromRepr(repr));
        QCOMPARE(back.type, XoverType::BW_6);
        QVERIFY(back.highpass);
        QCOMPARE(back.frequency, 1000.0999755859375); // the nearest single, not 1000.1
        XoverCoeffs coeffsBack;
        coeffsBack.fromRepr(repr);
        QVERIFY(std::memcmp(&coeffsBack, &coeffs, sizeof coeffs) == 0);
    }

    void designedCrossoverCarriesFourSections()
    {
        xover_repr_t repr;
        calcXoverCoeffs(XoverParams{XoverType::BW_12, false, 1000.0}).toRepr(repr);
        const QByteArray bytes = bytesOf(repr);
        QCOMPARE(bytes.size(), 86);
        QCOMPARE(bytes.mid(26), QByteArray::fromHex(unityHex + unityHex + unityHex));
        QVERIFY(bytes.mid(6, 20) != QByteArray::fromHex(unityHex));
    }

    void crossoverDecoding()
    {
        xover_repr_t repr;
        XoverParams{XoverType::LR_24, true, 2500.0}.toRepr(repr);
        repr.highpass = 2; // anything but 1 is a lowpass
        XoverParams params;
        QVERIFY(params.fromRepr(repr));
        QVERIFY(!params.highpass);
        QCOMPARE(params.type, XoverType::LR_24);

        repr.type = 10;
        QVERIFY(params.fromRepr(repr));
        QCOMPARE(params.type, XoverType::BS_24);

        const XoverParams before{XoverType::CH_12, true, 123.0};
        for (uint8_t bad : {uint8_t(11), uint8_t(255)}) {
            params = before;
            repr.type = bad;
            repr.highpass = 0;
            QVERIFY(!params.fromRepr(repr));
            QCOMPARE(params.type, before.type);
            QCOMPARE(params.highpass, before.highpass);
            QCOMPARE(params.frequency, before.frequency);
        }
    }

    void equalizerBytes()
    {
        PEQParams params{PEQType::PEAK, 1000.1, -3.5, 0.707};
        PEQCoeffs coeffs;
        coeffs.a1 = -1.5;
        coeffs.b2 = 0.75;
        peq_repr_t repr;
        std::memset(&repr, 0xEE, sizeof repr);
        params.toRepr(repr);
        coeffs.toRepr(repr);
        const QByteArray expected = QByteArray::fromHex("03"       // type PEAK
                                                        "000060c0" // gain -3.5 dB
                                                        "66067a44" // 1000.1 Hz
                                                        "f4fd343f" // q 0.707
                                                        "000080fe" // a1 -1.5
                                                        "00000000" // a2
                                                        "00000001" // b0 1.0
                                                        "00000000" // b1
                                                        "0000c000" // b2 0.75
        );
        QCOMPARE(bytesOf(repr), expected);

        PEQParams back;
        QVERIFY(back.fromRepr(reprOf<peq_repr_t>(expected)));
        QCOMPARE(back.type, PEQType::PEAK);
        QCOMPARE(back.gain, -3.5);
        QCOMPARE(back.frequency, 1000.0999755859375);
        QCOMPARE(back.q, double(0.707f));
        PEQCoeffs coeffsBack;
        coeffsBack.fromRepr(repr);
        QCOMPARE(coeffsBack.a1, -1.5);
        QCOMPARE(coeffsBack.b0, 1.0);
        QCOMPARE(coeffsBack.b2, 0.75);
    }

    void equalizerDecodingRejectsUnknownTypes()
    {
        peq_repr_t repr;
        PEQParams{PEQType::SUBWOOFER, 40.0, 6.0, 1.0}.toRepr(repr);
        PEQParams params;
        QVERIFY(params.fromRepr(repr));
        QCOMPARE(params.type, PEQType::SUBWOOFER);

        const PEQParams before{PEQType::HIGH_SHELF, 9000.0, -2.0, 3.0};
        params = before;
        repr.type = 9;
        QVERIFY(!params.fromRepr(repr));
        QCOMPARE(params.type, before.type);
        QCOMPARE(params.frequency, before.frequency);
        QCOMPARE(params.gain, before.gain);
        QCOMPARE(params.q, before.q);
    }

    void coefficientsSaturate()
    {
        const IIRCoeffs wild{200.0, std::numeric_limits<double>::quiet_NaN(), -128.0, -1e300,
                             127.99999999};
        const QByteArray bytes = bytesOf(wild.toRepr());
        QCOMPARE(bytes, QByteArray::fromHex("ffffff7f"    // a1 above range: largest value
                                            "00000080"    // a2 NaN: smallest value
                                            "00000080"    // b0 -128 exactly
                                            "00000080"    // b1 below range
                                            "ffffff7f")); // b2 truncated, not rounded up
        IIRCoeffs back;
        back.fromRepr(reprOf<iir_coeffs_repr_t>(bytes));
        QCOMPARE(back.a1, 128.0 - 1.0 / 16777216.0);
        QCOMPARE(back.b0, -128.0);
    }
};

QTEST_GUILESS_MAIN(TestDspRecords)
#include "test_dsprecords.moc"
