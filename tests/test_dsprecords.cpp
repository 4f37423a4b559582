#include "iircoeffs.h"
#include "xoverdesign.h"

#include <QtTest>
#include <cstring>
#include <limits>

namespace {

// Every byte starts as 0xEE, so bytes a writer skips would show.
template <typename Repr> QByteArray written(const Repr& repr)
{
    return QByteArray(reinterpret_cast<const char*>(&repr), sizeof repr);
}

// (0, 0, 1, 0, 0) in fixed 8.24: 0, 0, 16777216, 0, 0.
const QByteArray unityHex = "0000000000000000000000010000000000000000";

} // namespace

class TestDspRecords : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void crossoverRecord()
    {
        XoverCoeffs coeffs;
        coeffs.sections[0] = IIRCoeffs{0.5, -0.25, 1.0, -1.0, 1.0 / 16777216.0};
        xover_repr_t repr;
        std::memset(&repr, 0xEE, sizeof repr);
        XoverParams{XoverType::BW_6, true, 1000.1}.toRepr(repr);
        coeffs.toRepr(repr);
        QCOMPARE(written(repr), QByteArray::fromHex("01"       // type BW_6
                                                    "01"       // highpass
                                                    "66067a44" // 1000.1 Hz as a single
                                                    "00008000" // a1 0.5
                                                    "0000c0ff" // a2 -0.25
                                                    "00000001" // b0 1.0
                                                    "000000ff" // b1 -1.0
                                                    "01000000" // b2 2^-24
                                                    + unityHex + unityHex + unityHex));
        XoverParams back;
        QVERIFY(back.fromRepr(repr));
        QVERIFY(back.type == XoverType::BW_6 && back.highpass);
        QCOMPARE(back.frequency, 1000.0999755859375); // the nearest single, not 1000.1
        XoverCoeffs coeffsBack;
        coeffsBack.fromRepr(repr);
        QVERIFY(std::memcmp(&coeffsBack, &coeffs, sizeof coeffs) == 0);

        repr.type = 10;
        repr.highpass = 2; // anything but 1 is a lowpass
        QVERIFY(back.fromRepr(repr));
        QVERIFY(back.type == XoverType::BS_24 && !back.highpass);
        for (uint8_t bad : {uint8_t(11), uint8_t(255)}) {
            repr.type = bad;
            QVERIFY(!back.fromRepr(repr));
            QVERIFY(back.type == XoverType::BS_24 && back.frequency == 1000.0999755859375);
        }
        // A one-section design still carries four sections.
        calcXoverCoeffs(XoverParams{XoverType::BW_12, false, 1000.0}).toRepr(repr);
        QCOMPARE(written(repr).mid(26), QByteArray::fromHex(unityHex + unityHex + unityHex));
    }

    void equalizerRecord()
    {
        PEQCoeffs coeffs;
        coeffs.a1 = -1.5;
        coeffs.b2 = 0.75;
        peq_repr_t repr;
        std::memset(&repr, 0xEE, sizeof repr);
        PEQParams{PEQType::PEAK, 1000.1, -3.5, 0.707}.toRepr(repr);
        coeffs.toRepr(repr);
        QCOMPARE(written(repr), QByteArray::fromHex("03"       // type PEAK
                                                    "000060c0" // gain -3.5 dB, before frequency
                                                    "66067a44" // 1000.1 Hz
                                                    "f4fd343f" // q 0.707
                                                    "000080fe" // a1 -1.5
                                                    "00000000" // a2
                                                    "00000001" // b0 1.0
                                                    "00000000" // b1
                                                    "0000c000" // b2 0.75
                                                    ));
        repr.type = 8;
        PEQParams back;
        QVERIFY(back.fromRepr(repr));
        QVERIFY(back.type == PEQType::SUBWOOFER && back.gain == -3.5 && back.q == double(0.707f));
        repr.type = 9;
        QVERIFY(!back.fromRepr(repr));
        QCOMPARE(back.type, PEQType::SUBWOOFER);

        const double nan = std::numeric_limits<double>::quiet_NaN();
        const IIRCoeffs wild{200.0, nan, -128.0, -1e300, 0.25 + 1.0 / 1073741824.0};
        QCOMPARE(written(wild.toRepr()), QByteArray::fromHex("ffffff7f"    // a1 above range
                                                             "00000080"    // a2 NaN
                                                             "00000080"    // b0 -128 exactly
                                                             "00000080"    // b1 below range
                                                             "00004000")); // b2 truncated
    }
};

QTEST_GUILESS_MAIN(TestDspRecords)
#include "test_dsprecords.moc"
