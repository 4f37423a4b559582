#include "deviceprotocol.h"
#include "reportframing.h"
#include "responseassembler.h"

#include <QtTest>

namespace {

QByteArray hex(const char* digits)
{
    return QByteArray::fromHex(digits);
}

QByteArray pattern(int size)
{
    QByteArray bytes(size, '\0');
    for (int i = 0; i < size; ++i)
        bytes[i] = char(i * 7 + 1);
    return bytes;
}

ResponseAssembler::Outcome feed(ResponseAssembler& assembler, const QByteArray& report)
{
    return assembler.addReport(reinterpret_cast<const unsigned char*>(report.constData()),
                               report.size());
}

// An input report as the device sends it: ID 1, length byte, payload, zero tail.
QByteArray inputReport(const QByteArray& payload, bool last)
{
    QByteArray report(64, '\0');
    report[0] = 1;
    report[1] = char(payload.size() | (last ? 0x80 : 0));
    report.replace(2, payload.size(), payload);
    return report;
}

} // namespace

class TestProtocol : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void crcIsIso3309();
    void framingAtItsEdges();
    void assemblerAcceptsOnlyVerifiedResponses();
    void assemblerRejectsForeignReports();
    void parameterRequests();
    void pluginRequests();
    void serviceRequests();
    void readParamResponses();
    void writeParamResponses();
    void writePluginResponses();
    void readPluginResponses();
    void pluginSizes();
};

void TestProtocol::crcIsIso3309()
{
    // The catalogue check value of CRC-16/X-25.
    QCOMPARE(ReportFraming::crc("123456789"), quint16(0x906E));
    QCOMPARE(ReportFraming::withCrc("123456789"), QByteArray("123456789") + hex("6E90"));
    // Start 0xFFFF, complemented at the end: the empty string sums to zero.
    QCOMPARE(ReportFraming::withCrc(QByteArray()), hex("0000"));
}

void TestProtocol::framingAtItsEdges()
{
    const QVector<QByteArray> empty = ReportFraming::outputReports(ReportFraming::withCrc({}));
    QCOMPARE(empty.size(), 1);
    QCOMPARE(empty[0].size(), 64);
    // report ID 2, last + 2 bytes, the CRC of nothing, zero tail
    QCOMPARE(empty[0], hex("02"
                           "82"
                           "0000") +
                           QByteArray(60, '\0'));

    // 60 frame bytes and the CRC fill one report exactly.
    const QByteArray sixtyWire = ReportFraming::withCrc(pattern(60));
    const QVector<QByteArray> sixty = ReportFraming::outputReports(sixtyWire);
    QCOMPARE(sixty.size(), 1);
    QCOMPARE(quint8(sixty[0][1]), quint8(0xBE)); // last + 62
    QCOMPARE(sixty[0].mid(2), sixtyWire);

    const QByteArray sixtyOneWire = ReportFraming::withCrc(pattern(61));
    const QVector<QByteArray> sixtyOne = ReportFraming::outputReports(sixtyOneWire);
    QCOMPARE(sixtyOne.size(), 2);
    QCOMPARE(quint8(sixtyOne[0][1]), quint8(0x3E)); // 62, more follows
    QCOMPARE(quint8(sixtyOne[1][1]), quint8(0x81)); // last + 1: the CRC's high byte
    QCOMPARE(sixtyOne[0].mid(2), sixtyOneWire.left(62));
    QCOMPARE(sixtyOne[1][2], sixtyOneWire[62]);
    QCOMPARE(sixtyOne[1].mid(3), QByteArray(61, '\0'));
    QCOMPARE(sixtyOne[1][0], char(2));

    // A full plugin chunk (121 bytes + CRC) takes two reports.
    QCOMPARE(ReportFraming::outputReports(ReportFraming::withCrc(pattern(121))).size(), 2);
}

void TestProtocol::assemblerAcceptsOnlyVerifiedResponses()
{
    const QByteArray frame = hex("0100") + pattern(64); // a label read: 66 bytes
    const QByteArray wire = ReportFraming::withCrc(frame);

    ResponseAssembler assembler;
    QCOMPARE(feed(assembler, inputReport(wire.left(62), false)), ResponseAssembler::NeedMore);
    QCOMPARE(assembler.response(), wire.left(62)); // partial, unchecked
    QCOMPARE(feed(assembler, inputReport(wire.mid(62), true)), ResponseAssembler::Complete);
    QCOMPARE(assembler.response(), frame);

    // A last report with a wrong CRC throws the response away; reading goes on.
    assembler.clear();
    QByteArray bad = ReportFraming::withCrc(hex("0200"));
    bad[3] = char(bad[3] ^ 1);
    QCOMPARE(feed(assembler, inputReport(bad, true)), ResponseAssembler::NeedMore);
    QVERIFY(assembler.response().isEmpty());
    QCOMPARE(feed(assembler, inputReport(ReportFraming::withCrc(hex("0200")), true)),
             ResponseAssembler::Complete);
    QCOMPARE(assembler.response(), hex("0200"));

    // Two bytes cannot be a frame and its CRC.
    assembler.clear();
    QCOMPARE(feed(assembler, inputReport(hex("0000"), true)), ResponseAssembler::NeedMore);
    QVERIFY(assembler.response().isEmpty());
}

void TestProtocol::assemblerRejectsForeignReports()
{
    ResponseAssembler assembler;
    QCOMPARE(feed(assembler, hex("0181")), ResponseAssembler::Malformed); // under 3 bytes
    QByteArray wrongId = inputReport(ReportFraming::withCrc(hex("0200")), true);
    wrongId[0] = 2;
    QCOMPARE(feed(assembler, wrongId), ResponseAssembler::Malformed);
    QByteArray tooLong = inputReport(QByteArray(), true);
    tooLong[1] = char(0x80 | 63);
    QCOMPARE(feed(assembler, tooLong), ResponseAssembler::Malformed);
    // A length byte promising more than was read.
    QCOMPARE(feed(assembler, hex("0185AABBCC")), ResponseAssembler::Malformed);
    QVERIFY(assembler.response().isEmpty());
}

void TestProtocol::parameterRequests()
{
    // read, path length 4, Analog Output 1 / Xover / HP
    QCOMPARE(DeviceProtocol::readParamRequest(hex("82010D0F")), hex("01"
                                                                    "04"
                                                                    "82010D0F"));
    // read, path length 1, Preset
    QCOMPARE(DeviceProtocol::readParamRequest(hex("11")), hex("01"
                                                              "01"
                                                              "11"));
    // write, path length 3, Digital Input 2 / Volume, 1.5f
    QCOMPARE(DeviceProtocol::writeParamRequest(hex("830207"), hex("0000C03F")), hex("02"
                                                                                    "03"
                                                                                    "830207"
                                                                                    "0000C03F"));
    // write, path length 1, Preset, option 3
    QCOMPARE(DeviceProtocol::writeParamRequest(hex("11"), hex("03")), hex("02"
                                                                          "01"
                                                                          "11"
                                                                          "03"));
}

void TestProtocol::pluginRequests()
{
    // read back from offset 0x12345678; a negative offset goes out as its two's complement
    QCOMPARE(DeviceProtocol::readPluginRequest(0x12345678), hex("03"
                                                                "78563412"));
    QCOMPARE(DeviceProtocol::readPluginRequest(-2), hex("03"
                                                        "FEFFFFFF"));

    const QByteArray image = pattern(117);
    int length = -1;
    // write, offset 0, 116 image bytes, no padding
    QCOMPARE(DeviceProtocol::writePluginRequest(image, 0, &length), hex("04"
                                                                        "00000000") +
                                                                        image.left(116));
    QCOMPARE(length, 116);
    // write, offset 116, the last byte and three zero bytes of padding
    QCOMPARE(DeviceProtocol::writePluginRequest(image, 116, &length), hex("04"
                                                                          "74000000") +
                                                                          image.mid(116) +
                                                                          hex("000000"));
    QCOMPARE(length, 1);

    // 1000 bytes: the ninth chunk carries 72 bytes, already whole words
    const QByteArray big = pattern(1000);
    QCOMPARE(DeviceProtocol::writePluginRequest(big, 928, &length), hex("04"
                                                                        "A0030000") +
                                                                        big.mid(928));
    QCOMPARE(length, 72);
    // An exact multiple of 116 ends on a full chunk without padding.
    QCOMPARE(DeviceProtocol::writePluginRequest(pattern(232), 116, &length).size(), 121);
    QCOMPARE(length, 116);
    // 6 bytes: two bytes of padding
    QCOMPARE(DeviceProtocol::writePluginRequest(pattern(6), 0, &length), hex("04"
                                                                             "00000000") +
                                                                             pattern(6) +
                                                                             hex("0000"));
    QCOMPARE(length, 6);
    // Nothing left at or past the end.
    DeviceProtocol::writePluginRequest(image, 117, &length);
    QCOMPARE(length, 0);
}

void TestProtocol::serviceRequests()
{
    // reboot / run bootloader, confirmation 0x5A17C3E9 least significant byte first
    QCOMPARE(DeviceProtocol::rebootRequest(), hex("05"
                                                  "E9C3175A"));
    QCOMPARE(DeviceProtocol::runBootloaderRequest(), hex("06"
                                                         "E9C3175A"));
}

void TestProtocol::readParamResponses()
{
    using R = DeviceProtocol::ReadParamResult;
    R r = DeviceProtocol::checkReadParamResponse(QByteArray());
    QVERIFY(!r.valid && !r.ok);
    r = DeviceProtocol::checkReadParamResponse(hex("01"));
    QVERIFY(!r.valid);
    r = DeviceProtocol::checkReadParamResponse(hex("0200AA"));
    QVERIFY(!r.valid);
    r = DeviceProtocol::checkReadParamResponse(hex("0100"));
    QVERIFY(r.valid && r.ok);
    QVERIFY(r.value.isEmpty());
    r = DeviceProtocol::checkReadParamResponse(hex("01000000C03F"));
    QVERIFY(r.valid && r.ok);
    QCOMPARE(r.value, hex("0000C03F"));
    // A refusal is still an answer of the device: valid, not ok, status signed.
    r = DeviceProtocol::checkReadParamResponse(hex("01FE"));
    QVERIFY(r.valid && !r.ok);
    QCOMPARE(r.status, -2);
    QVERIFY(r.value.isEmpty());
}

void TestProtocol::writeParamResponses()
{
    QVERIFY(DeviceProtocol::checkWriteParamResponse(hex("0200")));
    QVERIFY(DeviceProtocol::checkWriteParamResponse(hex("0200FFFF"))); // extra bytes ignored
    QVERIFY(!DeviceProtocol::checkWriteParamResponse(hex("0203")));
    QVERIFY(!DeviceProtocol::checkWriteParamResponse(hex("0100")));
    QVERIFY(!DeviceProtocol::checkWriteParamResponse(hex("02")));
    QVERIFY(!DeviceProtocol::checkWriteParamResponse(QByteArray()));
}

void TestProtocol::writePluginResponses()
{
    using R = DeviceProtocol::WritePluginResult;
    R r = DeviceProtocol::checkWritePluginResponse(hex("0400"));
    QVERIFY(r.valid && r.ok);
    QCOMPARE(r.code, 0);
    r = DeviceProtocol::checkWritePluginResponse(hex("0408"));
    QVERIFY(r.valid && !r.ok);
    QCOMPARE(r.code, 8);
    // Codes of 0x80 and above are negative numbers.
    r = DeviceProtocol::checkWritePluginResponse(hex("0480"));
    QCOMPARE(r.code, -128);
    r = DeviceProtocol::checkWritePluginResponse(hex("04F8"));
    QCOMPARE(r.code, -8);
    QVERIFY(r.valid && !r.ok);
    // Exactly two bytes: a third byte makes it invalid even with status 0.
    for (const QByteArray& bad : {hex("040000"), hex("04"), QByteArray(), hex("0300")}) {
        r = DeviceProtocol::checkWritePluginResponse(bad);
        QVERIFY(!r.valid && !r.ok);
        QCOMPARE(r.code, 0);
    }
}

void TestProtocol::readPluginResponses()
{
    const QByteArray image = pattern(117);
    using R = DeviceProtocol::ReadBackResult;
    R r = DeviceProtocol::checkReadPluginResponse(hex("0300") + image.mid(0, 58), image, 0);
    QVERIFY(r.equal);
    QCOMPARE(r.compared, 58);
    // Padding past the image is not compared.
    r = DeviceProtocol::checkReadPluginResponse(hex("0300") + image.mid(116) + hex("000000"), image,
                                                116);
    QVERIFY(r.equal);
    QCOMPARE(r.compared, 1);
    QByteArray differs = image.mid(58, 58);
    differs[57] = char(differs[57] ^ 0x10);
    r = DeviceProtocol::checkReadPluginResponse(hex("0300") + differs, image, 58);
    QVERIFY(!r.equal);
    QCOMPARE(r.compared, 58);
    // Accepted but empty: a failure, not an endless request for the same offset.
    r = DeviceProtocol::checkReadPluginResponse(hex("0300"), image, 58);
    QVERIFY(!r.equal);
    QCOMPARE(r.compared, 0);
    for (const QByteArray& bad :
         {hex("0301") + image.left(4), hex("0400") + image.left(4), hex("03"), QByteArray()}) {
        r = DeviceProtocol::checkReadPluginResponse(bad, image, 0);
        QVERIFY(!r.equal);
        QCOMPARE(r.compared, 0);
    }
}

void TestProtocol::pluginSizes()
{
    QVERIFY(!DeviceProtocol::pluginSizeSupported(0));
    QVERIFY(DeviceProtocol::pluginSizeSupported(1));
    QVERIFY(DeviceProtocol::pluginSizeSupported(0x7FFFFFFF));
    QVERIFY(!DeviceProtocol::pluginSizeSupported(0x80000000LL));
}

QTEST_GUILESS_MAIN(TestProtocol)
#include "test_protocol.moc"
