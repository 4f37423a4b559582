#include "iircoeffs.h"
#include "xoverdesign.h"

#include <QtTest>
#include <cstring>
#include <limits>

namespace {

template <typename Repr> QByteArray bytesOf(const Repr& repr)
{
    return QByteArray(reinterpret_cast<const char*>(&repr), sizeof repr);
}

// A record whose every byte is 0xEE, so bytes a writer skips would show.
template <typename Repr> Repr dirtyRepr()
{
    Repr repr;
    std::memset(&repr, 0xEE, sizeof repr);
    return repr;
}

// (0, 0, 1, 0, 0) in fixed 8.24: 0, 0, 16777216, 0, 0.
const QByteArray unityHex = "0000000000000000000000010000000000000000";

} // namespace

class TestDspRecords : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void crossoverBytes()
    {
        const XoverParams params{XoverType::BW_6, true, 1000.1};
        XoverCoeffs coeffs;
        coeffs.sections[0] = IIRCoeffs{0.5, -0.25, 1.0, -1.0, 1.0 / 16777216.0};
        xover_repr_t repr = dirtyRepr<xover_repr_t>();
        params.toRepr(repr);
        coeffs.toRepr(repr);
        QCOMPARE(bytesOf(repr), QByteArray::fromHex("01"       // type BW_6
                                                    "01"       // highpass
                                                    "66067a44" // 1000.1 Hz as a single
                                                    "00008000" // a1 0.5
                                                    "0000c0ff" // a2 -0.25
                                                    "00000001" // b0 1.0
                                                    "000000ff" // b1 -1.0
                                                    "01000000" // b2 2^-24
                                                    + unityHex + unityHex + unityHex));

        XoverParams back{XoverType::NONE, false, 0.0};
        QVERIFY(back.fromRepr(repr));
        QCOMPARE(back.type, XoverType::BW_6);
        QVERIFY(back.highpass);
        QCOMPARE(back.frequency, 1000.0999755859375); // the nearest single, not 1000.1
        XoverCoeffs coeffsBack;
        coeffsBack.fromRepr(repr);
        QVERIFY(std::memcmp(&coeffsBack, &coeffs, sizeof coeffs) == 0);

        // A one-section design still carries four sections.
        calcXoverCoeffs(XoverParams{XoverType::BW_12, false, 1000.0}).toRepr(repr);
        QCOMPARE(bytesOf(repr).mid(26), QByteArray::fromHex(unityHex + unityHex + unityHex));
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

        for (uint8_t bad : {uint8_t(11), uint8_t(255)}) {
            params = XoverParams{XoverType::CH_12, true, 123.0};
            repr.type = bad;
            QVERIFY(!params.fromRepr(repr));
            QVERIFY(params.type == XoverType::CH_12 && params.highpass &&
                    params.frequency == 123.0);
        }
    }

    void equalizerBytes()
    {
        const PEQParams params{PEQType::PEAK, 1000.1, -3.5, 0.707};
        PEQCoeffs coeffs;
        coeffs.a1 = -1.5;
        coeffs.b2 = 0.75;
        peq_repr_t repr = dirtyRepr<peq_repr_t>();
        params.toRepr(repr);
        coeffs.toRepr(repr);
        QCOMPARE(bytesOf(repr), QByteArray::fromHex("03"       // type PEAK
                                                    "000060c0" // gain -3.5 dB, before frequency
                                                    "66067a44" // 1000.1 Hz
                                                    "f4fd343f" // q 0.707
                                                    "000080fe" // a1 -1.5
                                                    "00000000" // a2
                                                    "00000001" // b0 1.0
                                                    "00000000" // b1
                                                    "0000c000" // b2 0.75
                                                    ));
        PEQParams back;
        QVERIFY(back.fromRepr(repr));
        QCOMPARE(back.type, PEQType::PEAK);
        QCOMPARE(back.gain, -3.5);
        QCOMPARE(back.frequency, 1000.0999755859375);
        QCOMPARE(back.q, double(0.707f));
        PEQCoeffs coeffsBack;
        coeffsBack.fromRepr(repr);
        QVERIFY(std::memcmp(&coeffsBack, &coeffs, sizeof coeffs) == 0);

        repr.type = 8;
        QVERIFY(back.fromRepr(repr));
        QCOMPARE(back.type, PEQType::SUBWOOFER);
        back = PEQParams{PEQType::HIGH_SHELF, 9000.0, -2.0, 3.0};
        repr.type = 9;
        QVERIFY(!back.fromRepr(repr));
        QVERIFY(back.type == PEQType::HIGH_SHELF && back.frequency == 9000.0 && back.gain == -2.0 &&
                back.q == 3.0);
    }

    void coefficientsSaturate()
    {
        const IIRCoeffs wild{200.0, std::numeric_limits<double>::quiet_NaN(), -128.0, -1e300,
                             0.25 + 1.0 / 1073741824.0};
        QCOMPARE(bytesOf(wild.toRepr()),
                 QByteArray::fromHex("ffffff7f"    // a1 above range
                                     "00000080"    // a2 NaN
                                     "00000080"    // b0 -128 exactly
                                     "00000080"    // b1 below range
                                     "00004000")); // b2 0.25 + 2^-30, truncated
    }
};

QTEST_GUILESS_MAIN(TestDspRecords)
#include "test_dsprecords.moc"
