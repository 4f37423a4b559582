#include "linkexchange.h"

#include <QtTest>

// Guards the parts of the emulated device's contract that the other link tests rely on.
class TestEmulator : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void pathTreeResolvesItsOwnTable();
    void answersCarryTheDeviceStatus();
};

static QByteArray pathOf(int paramIndex)
{
    return firmwareParamPath(firmwareParams[paramIndex]);
}

void TestEmulator::pathTreeResolvesItsOwnTable()
{
    const QVector<path_tree_item> tree = buildFirmwarePathTree();
    QCOMPARE(firmwareParamCount, 165);
    for (int i = 0; i < firmwareParamCount; ++i) {
        const QByteArray path = pathOf(i);
        const auto* bytes = reinterpret_cast<const uint8_t*>(path.constData());
        QCOMPARE(find_param_index(tree.constData(), tree.size(), bytes, path.size()), i);
    }
    // Spot checks against the layout tables: Output 1 Xover HP, Output 8 from Digital Input 2.
    QCOMPARE(pathOf(43), hex("82010D0F"));
    QCOMPARE(pathOf(164), hex("8208108302"));
    const uint8_t xover[] = {0x82, 0x01, 0x0D}; // an inner node is no parameter
    QCOMPARE(find_param_index(tree.constData(), tree.size(), xover, 3), -1);
    // The device's CRC-16/X-25, by its catalogue check value.
    QCOMPARE(EmulatedProcessor::crc16("123456789"), quint16(0x906E));
}

void TestEmulator::answersCarryTheDeviceStatus()
{
    EmulatedProcessor& emu = EmulatedProcessor::instance();
    emu.reset();
    emu.setLatency(std::chrono::microseconds(0));
    emu.plugIn();
    HIDThread thread;
    ResponseLog log(thread);
    const QByteArray volume = pathOf(22);
    using P = DeviceProtocol;
    const QList<QPair<QByteArray, const char*>> cases{
        {readOf(22), "010000000000"},
        {P::writeParamRequest(volume, QByteArray(3, 0)), "0203"},      // wrong size
        {P::readParamRequest(hex("7E")), "0101"},                      // unknown path
        {P::readParamRequest(hex("82010D")), "0101"},                  // an inner node
        {P::writeParamRequest(pathOf(10), QByteArray(32, 0)), "0204"}, // read-only
        {hex("01058301"), "0102"}, // path length 5, two path bytes
    };
    for (const auto& c : cases)
        QCOMPARE(log.exchange(c.first), hex(c.second));
    QCOMPARE(emu.value(22), QByteArray(4, 0)); // the refused write changed nothing
    emu.setPathStatus(volume, 0x90);
    QCOMPARE(log.exchange(readOf(22)), hex("0190"));
}

QTEST_GUILESS_MAIN(TestEmulator)
#include "test_emulator.moc"
