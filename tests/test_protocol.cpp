#include "linkexchange.h"
#include "reportframing.h"
#include "responseassembler.h"

#include <QtEndian>
#include <QtTest>
#include <array>
#include <tuple>

static QByteArray pattern(int size)
{
    QByteArray bytes(size, '\0');
    for (int i = 0; i < size; ++i)
        bytes[i] = char(i * 7 + 1);
    return bytes;
}

class TestProtocol : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void framingAndReassembly();
    void requests();
    void responseChecks();
};

void TestProtocol::framingAndReassembly()
{
    // CRC-16/X-25: the catalogue check value, appended low byte first; nothing sums to zero.
    QCOMPARE(ReportFraming::withCrc("123456789"), QByteArray("123456789") + hex("6E90"));
    QCOMPARE(ReportFraming::withCrc(QByteArray()), hex("0000"));

    // Frame size, then each report's length byte (bit 7 marks the last); 121 is a plugin chunk.
    // Reports carry ID 2 and are padded to 64 bytes; the device's input reports (ID 1) put
    // the frame together again.
    const std::pair<int, const char*> cases[] = {
        {0, "82"}, {60, "BE"}, {61, "3E 81"}, {121, "3E BD"}};
    for (const auto& [frameSize, lengths] : cases) {
        const QByteArray wire = ReportFraming::withCrc(pattern(frameSize));
        QVector<QByteArray> reports;
        for (char length : hex(lengths))
            reports << (hex("02") + length + wire.mid(62 * reports.size(), length & 0x7F))
                           .leftJustified(64, '\0');
        QCOMPARE(ReportFraming::outputReports(wire), reports);
        ResponseAssembler assembler;
        int left = reports.size();
        for (QByteArray input : reports) {
            input[0] = 1;
            QCOMPARE(assembler.addReport(reinterpret_cast<const uchar*>(input.constData()), 64),
                     --left || !frameSize ? ResponseAssembler::NeedMore
                                          : ResponseAssembler::Complete);
        }
        QCOMPARE(assembler.response(), frameSize ? pattern(frameSize) : QByteArray());
    }

    // A wrong CRC (of 0200: F73C) throws the response away and reading goes on, so do two
    // bytes. Not the device's: under 3 bytes, output report ID, length over 62 or beyond the
    // read.
    const std::pair<QByteArray, ResponseAssembler::Outcome> reports[] = {
        {hex("0184 0200F63C"), ResponseAssembler::NeedMore},
        {hex("0182 0000"), ResponseAssembler::NeedMore},
        {hex("0181"), ResponseAssembler::Malformed},
        {hex("02 82 0000"), ResponseAssembler::Malformed},
        {hex("01 BF") + QByteArray(62, '\0'), ResponseAssembler::Malformed},
        {hex("0185 AABBCC"), ResponseAssembler::Malformed}};
    for (const auto& [report, outcome] : reports) {
        ResponseAssembler assembler;
        QCOMPARE(
            assembler.addReport(reinterpret_cast<const uchar*>(report.constData()), report.size()),
            outcome);
        QVERIFY(outcome == ResponseAssembler::Malformed || assembler.response().isEmpty());
    }
}

void TestProtocol::requests()
{
    using P = DeviceProtocol;
    // read, path length 4, Analog Output 1 / Xover / HP
    QCOMPARE(P::readParamRequest(hex("82010D0F")), hex("01 04 82010D0F"));
    // write, path length 3, Digital Input 2 / Volume, 1.5f
    QCOMPARE(P::writeParamRequest(hex("830207"), hex("0000C03F")), hex("02 03 830207 0000C03F"));
    // read back from an offset, least significant byte first
    QCOMPARE(P::readPluginRequest(0x12345678), hex("03 78563412"));
    // reboot / run bootloader with the confirmation word 0x5A17C3E9
    QCOMPARE(P::rebootRequest() + P::runBootloaderRequest(), hex("05 E9C3175A 06 E9C3175A"));
    // Offsets are signed 32-bit numbers, and an empty image is nothing to write.
    QVERIFY(!P::pluginSizeSupported(0) && P::pluginSizeSupported(1));
    QVERIFY(P::pluginSizeSupported(0x7FFFFFFF) && !P::pluginSizeSupported(0x80000000LL));

    // Plugin chunks: image size, offset, image bytes carried, zero padding to whole words.
    const std::array<int, 4> chunks[] = {
        {117, 0, 116, 0}, {117, 116, 1, 3}, {1000, 928, 72, 0}, {6, 0, 6, 2}, {117, 117, 0, 0}};
    for (const auto& [size, offset, length, padding] : chunks) {
        QByteArray header(5, char(P::CMD_WRITE_PLUGIN));
        qToLittleEndian<qint32>(offset, header.data() + 1);
        int carried = -1;
        QCOMPARE(P::writePluginRequest(pattern(size), offset, &carried),
                 header + pattern(size).mid(offset, length) + QByteArray(padding, '\0'));
        QCOMPARE(carried, length);
    }
}

void TestProtocol::responseChecks()
{
    using P = DeviceProtocol;
    // Parameter reads: a refusal is still an answer (valid, not ok), its status signed.
    QCOMPARE(P::checkReadParamResponse(hex("0100 0000C03F")).value, hex("0000C03F"));
    const P::ReadParamResult refused = P::checkReadParamResponse(hex("01FE"));
    QVERIFY(refused.valid && !refused.ok && refused.value.isEmpty());
    QCOMPARE(refused.status, -2);
    for (const char* bad : {"", "01", "0200AA"})
        QVERIFY(!P::checkReadParamResponse(hex(bad)).valid);

    // A parameter write: extra bytes are accepted.
    QVERIFY(P::checkWriteParamResponse(hex("0200 FFFF")));
    for (const char* bad : {"0203", "0100", "02", ""})
        QVERIFY(!P::checkWriteParamResponse(hex(bad)));

    // A plugin chunk: exactly two bytes; codes of 0x80 and above are negative numbers.
    const std::tuple<const char*, bool, int> chunks[] = {
        {"0400", true, 0},    {"0408", true, 8}, {"0480", true, -128}, {"04F8", true, -8},
        {"040000", false, 0}, {"04", false, 0},  {"", false, 0},       {"0300", false, 0}};
    for (const auto& [answer, valid, code] : chunks) {
        const P::WritePluginResult r = P::checkWritePluginResponse(hex(answer));
        QCOMPARE(std::make_tuple(r.valid, r.ok, r.code),
                 std::make_tuple(valid, valid && !code, code));
    }

    // Plugin read-back: answer and offset, then whether it matched and the bytes compared.
    const QByteArray image = pattern(117);
    QByteArray differs = image.mid(58, 58);
    differs[57] = char(differs[57] ^ 0x10);
    const std::tuple<QByteArray, int, bool, int> cases[] = {
        {hex("0300") + image.left(58), 0, true, 58},
        {hex("0300") + image.mid(116) + hex("000000"), 116, true, 1}, // padding not compared
        {hex("0300") + differs, 58, false, 58},
        {hex("0300"), 58, false, 0}, // accepted but empty: a failure, not an endless loop
        {hex("0301") + image.left(4), 0, false, 0},
        {hex("03"), 0, false, 0}};
    for (const auto& [answer, offset, equal, compared] : cases) {
        const auto r = DeviceProtocol::checkReadPluginResponse(answer, image, offset);
        QCOMPARE(std::make_pair(r.equal, r.compared), std::make_pair(equal, compared));
    }
}

QTEST_GUILESS_MAIN(TestProtocol)
#include "test_protocol.moc"
