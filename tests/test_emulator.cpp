#include "deviceprotocol.h"
#include "emulatedprocessor.h"
#include "firmwaretable.h"
#include "hidthread.h"
#include "linkexchange.h"
#include "reportframing.h"

#include <QSet>
#include <QtEndian>
#include <QtTest>
#include <cstring>

namespace {

QByteArray hex(const char* digits)
{
    return QByteArray::fromHex(digits);
}

QByteArray pathOf(int paramIndex)
{
    return firmwareParamPath(firmwareParams[paramIndex]);
}

float floatOf(const QByteArray& bytes)
{
    return qFromLittleEndian<float>(reinterpret_cast<const uchar*>(bytes.constData()));
}

int kindSize(const char* kind)
{
    static const QMap<QByteArray, int> sizes{{"choice", 1},       {"checkbox", 1}, {"float", 4},
                                             {"signal_level", 4}, {"label", 64},   {"version", 32},
                                             {"xover", 86},       {"peq", 33}};
    return sizes.value(kind, -1);
}

} // namespace

class TestEmulator : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void tableHasTheDeviceLayout();
    void pathTreeResolvesEveryPath();
    void crcAgreesWithTheHost();
    void parameterAnswers();
    void parameterRefusals();
    void levelsMove();
    void presetsKeepTheirOwnSettings();
    void pluginStorageAndReadBack();
    void serviceCommandsDropOffTheBus();

private:
    EmulatedProcessor& emu = EmulatedProcessor::instance();
};

void TestEmulator::init()
{
    emu.reset();
    emu.setLatency(std::chrono::microseconds(0));
    emu.plugIn();
}

void TestEmulator::tableHasTheDeviceLayout()
{
    QCOMPARE(firmwareParamCount, 165);
    QList<int> levels;
    int settingsLike = 0;
    QSet<QByteArray> paths;
    for (int i = 0; i < firmwareParamCount; ++i) {
        const FirmwareParam& p = firmwareParams[i];
        QCOMPARE(p.index, i);
        QCOMPARE(p.size, kindSize(p.kind));
        QCOMPARE(firmwareParamInitialValue(p).size(), p.size);
        paths.insert(pathOf(i));
        if (std::strcmp(p.kind, "signal_level") == 0) {
            levels.append(i);
            QCOMPARE(p.path[p.pathLength - 1], uint8_t(18));
        }
    }
    QCOMPARE(paths.size(), 165);
    QCOMPARE(levels, (QList<int>{21, 29, 38, 54, 70, 86, 102, 118, 134, 150}));
    // Persistent, writable and not a level: DAC settings and the channel settings.
    for (int i = 13; i < firmwareParamCount; ++i) {
        const QByteArray kind = firmwareParams[i].kind;
        const QByteArray name = firmwareParams[i].name;
        if (kind != "signal_level" && kind != "label" && !name.endsWith("Subwoofer Channel"))
            ++settingsLike;
    }
    QCOMPARE(settingsLike, 126);

    // Spot checks against the layout tables.
    QCOMPARE(pathOf(0), hex("11"));
    QCOMPARE(pathOf(43), hex("82010D0F"));
    QCOMPARE(QByteArray(firmwareParams[43].name), QByteArray("Analog Output 1/Xover/HP"));
    QCOMPARE(pathOf(36), hex("83020B8C05"));
    QCOMPARE(pathOf(164), hex("820810"
                              "8302"));
    QCOMPARE(QByteArray(firmwareParams[164].name),
             QByteArray("Analog Output 8/Sources/Digital Input 2"));
    QCOMPARE(pathOf(20), hex("1C20"));
    // The AK449x filters start on "Short delay sharp roll-off"; a new EQ band is
    // type 0, 0 dB, 10 Hz, Q 0.5 with a pass-through section.
    QCOMPARE(firmwareParamInitialValue(firmwareParams[13]), hex("02"));
    QCOMPARE(firmwareParamInitialValue(firmwareParams[24]), hex("00"
                                                                "00000000"
                                                                "00002041"
                                                                "0000003F"
                                                                "00000000"
                                                                "00000000"
                                                                "00000001"
                                                                "00000000"
                                                                "00000000"));
    QCOMPARE(firmwareParamInitialValue(firmwareParams[43]).left(6), hex("00"
                                                                        "01"
                                                                        "00002041"));
    QCOMPARE(firmwareParamInitialValue(firmwareParams[44]).left(6), hex("00"
                                                                        "00"
                                                                        "00002041"));
}

void TestEmulator::pathTreeResolvesEveryPath()
{
    const QVector<path_tree_item> tree = buildFirmwarePathTree();
    QCOMPARE(tree.size(), 242);
    for (int i = 0; i < firmwareParamCount; ++i) {
        const QByteArray path = pathOf(i);
        QCOMPARE(find_param_index(tree.constData(), tree.size(),
                                  reinterpret_cast<const uint8_t*>(path.constData()), path.size()),
                 i);
    }
    // An inner node is no parameter.
    const uint8_t xover[] = {0x82, 0x01, 0x0D};
    QCOMPARE(find_param_index(tree.constData(), tree.size(), xover, 3), -1);
}

void TestEmulator::crcAgreesWithTheHost()
{
    for (const QByteArray& bytes : {QByteArray(), QByteArray("123456789"), hex("0100FF7F80")})
        QCOMPARE(EmulatedProcessor::crc16(bytes), ReportFraming::crc(bytes));
}

void TestEmulator::parameterAnswers()
{
    HIDThread thread;
    ResponseLog log(thread);
    QCOMPARE(exchange(thread, log, DeviceProtocol::readParamRequest(pathOf(12))),
             hex("0100") + firmwareParamInitialValue(firmwareParams[12]));
    const QByteArray hp = hex("04") + firmwareParamInitialValue(firmwareParams[43]).mid(1);
    QCOMPARE(exchange(thread, log, DeviceProtocol::writeParamRequest(pathOf(43), hp)), hex("0200"));
    QCOMPARE(emu.value(43), hp);
    QCOMPARE(exchange(thread, log, DeviceProtocol::readParamRequest(pathOf(43))), hex("0100") + hp);
    QCOMPARE(emu.requestLog().last(), DeviceProtocol::readParamRequest(pathOf(43)));
}

void TestEmulator::parameterRefusals()
{
    HIDThread thread;
    ResponseLog log(thread);
    // Wrong value size, unknown path, a path ending on an inner node, read-only values.
    QCOMPARE(exchange(thread, log, DeviceProtocol::writeParamRequest(pathOf(22), hex("000000"))),
             hex("0203"));
    QCOMPARE(exchange(thread, log, DeviceProtocol::readParamRequest(hex("7E"))), hex("0101"));
    QCOMPARE(exchange(thread, log, DeviceProtocol::readParamRequest(hex("82010D"))), hex("0101"));
    QCOMPARE(
        exchange(thread, log, DeviceProtocol::writeParamRequest(pathOf(10), QByteArray(32, '\0'))),
        hex("0204"));
    // A path length beyond the frame.
    QCOMPARE(exchange(thread, log,
                      hex("0105"
                          "8301")),
             hex("0102"));
    QCOMPARE(emu.value(22), hex("00000000"));

    emu.setPathStatus(pathOf(22), 0x90);
    QCOMPARE(exchange(thread, log, DeviceProtocol::readParamRequest(pathOf(22))), hex("0190"));
    emu.setPathStatus(pathOf(22), 0);
    QCOMPARE(exchange(thread, log, DeviceProtocol::readParamRequest(pathOf(22))), hex("0100"
                                                                                      "00000000"));
}

void TestEmulator::levelsMove()
{
    HIDThread thread;
    ResponseLog log(thread);
    QSet<QByteArray> seen;
    for (int i = 0; i < 5; ++i) {
        const QByteArray answer =
            exchange(thread, log, DeviceProtocol::readParamRequest(pathOf(38)));
        QCOMPARE(answer.size(), 6);
        const float level = floatOf(answer.mid(2));
        QVERIFY(level <= 0.0f && level > -60.0f);
        seen.insert(answer);
        QTest::qWait(30);
    }
    QVERIFY(seen.size() > 1);
    emu.setLevelsMoving(false);
    QCOMPARE(exchange(thread, log, DeviceProtocol::readParamRequest(pathOf(38))), hex("0100"
                                                                                      "000016C3"));
}

void TestEmulator::presetsKeepTheirOwnSettings()
{
    HIDThread thread;
    ResponseLog log(thread);
    const QByteArray quiet = hex("000020C1"); // -10.0f
    QCOMPARE(exchange(thread, log, DeviceProtocol::writeParamRequest(pathOf(39), quiet)),
             hex("0200"));
    QCOMPARE(exchange(thread, log, DeviceProtocol::writeParamRequest(pathOf(0), hex("01"))),
             hex("0200"));
    QCOMPARE(emu.value(39), hex("00000000")); // preset 2 as it came from the factory
    QCOMPARE(emu.value(10), firmwareParamInitialValue(firmwareParams[10]));
    QCOMPARE(exchange(thread, log, DeviceProtocol::writeParamRequest(pathOf(0), hex("00"))),
             hex("0200"));
    QCOMPARE(emu.value(39), quiet);
    QCOMPARE(emu.value(0), hex("00"));
}

void TestEmulator::pluginStorageAndReadBack()
{
    HIDThread thread;
    ResponseLog log(thread);
    QByteArray image(117, '\0');
    for (int i = 0; i < image.size(); ++i)
        image[i] = char(i ^ 0x5C);
    QCOMPARE(exchange(thread, log, DeviceProtocol::writePluginRequest(image, 0)), hex("0400"));
    QCOMPARE(exchange(thread, log, DeviceProtocol::writePluginRequest(image, 116)), hex("0400"));
    QCOMPARE(emu.pluginImage(), image + hex("000000")); // the padding is stored too

    emu.setReadBackStep(50);
    QCOMPARE(exchange(thread, log, DeviceProtocol::readPluginRequest(0)),
             hex("0300") + image.left(50));
    QCOMPARE(exchange(thread, log, DeviceProtocol::readPluginRequest(100)),
             hex("0300") + image.mid(100) + hex("000000"));
    QCOMPARE(exchange(thread, log, DeviceProtocol::readPluginRequest(200)), hex("0300"));
    emu.setReadBackStep(0);
    QCOMPARE(exchange(thread, log, DeviceProtocol::readPluginRequest(0)), hex("0300"));

    // Chunks come in whole words; a new pass at offset 0 starts a new image.
    QCOMPARE(exchange(thread, log,
                      hex("04"
                          "00000000"
                          "AABBCC")),
             hex("0402"));
    QCOMPARE(exchange(thread, log,
                      hex("04"
                          "00000000"
                          "AABBCCDD")),
             hex("0400"));
    QCOMPARE(emu.pluginImage(), hex("AABBCCDD"));

    // Refusals come in the order given; a refused chunk is not stored.
    emu.refusePluginChunks({8, -3});
    QCOMPARE(exchange(thread, log,
                      hex("04"
                          "00000000"
                          "11223344")),
             hex("0408"));
    QCOMPARE(exchange(thread, log,
                      hex("04"
                          "00000000"
                          "11223344")),
             hex("04FD"));
    QCOMPARE(emu.pluginImage(), hex("AABBCCDD"));
    QCOMPARE(exchange(thread, log,
                      hex("04"
                          "00000000"
                          "11223344")),
             hex("0400"));
}

void TestEmulator::serviceCommandsDropOffTheBus()
{
    emu.setServiceOffBusTime(std::chrono::milliseconds(300));
    HIDThread thread;
    ResponseLog log(thread);
    // Without the confirmation word the device stays where it is.
    QCOMPARE(exchange(thread, log,
                      hex("05"
                          "E9C3175B")),
             hex("0505"));
    QCOMPARE(exchange(thread, log,
                      hex("06"
                          "E9C317")),
             hex("0605"));
    QVERIFY(emu.isOnBus());
    QCOMPARE(exchange(thread, log, DeviceProtocol::rebootRequest()), hex("0500"));
    QCOMPARE(emu.rebootCount(), 1);
    QVERIFY(!emu.isOnBus());
    // Away for a moment: requests fail, then it answers again.
    QCOMPARE(exchange(thread, log, DeviceProtocol::readParamRequest(pathOf(0))), QByteArray());
    QTRY_VERIFY(emu.isOnBus());
    QCOMPARE(exchange(thread, log, DeviceProtocol::readParamRequest(pathOf(0))), hex("0100"
                                                                                     "00"));

    QCOMPARE(exchange(thread, log, DeviceProtocol::runBootloaderRequest()), hex("0600"));
    QCOMPARE(emu.bootloaderCount(), 1);
    QVERIFY(!emu.isOnBus());
    QTRY_VERIFY(emu.isOnBus());
    QCOMPARE(emu.rebootCount(), 1);
}

QTEST_GUILESS_MAIN(TestEmulator)
#include "test_emulator.moc"
