// Each long operation of the device session against each fault of the emulated
// processor: the operation ends in time, reports what happened, keeps what a bad reply
// did not carry, and once the fault is gone the tree comes back to the device's values.
#include "linkexchange.h"
#include "sessionfixture.h"
#include "versionnode.h"
#include "wirevalue.h"

#include <QJsonDocument>
#include <QtTest>
#include <atomic>
#include <cmath>
#include <cstring>
#include <memory>

namespace {

// No cell may take longer: the worst single fault costs one request five 500 ms read
// time-outs, and the operations themselves take milliseconds at zero latency.
constexpr int boundMs = 5000;
constexpr uint8_t faultyStatus = 7;
constexpr int imageSize = 1000;              // nine chunks, then eighteen read-backs of 58 bytes
const QList<int> burst{55, 71, 39, 87, 103}; // output volumes, in the order edited

QByteArray image()
{
    QByteArray bytes(imageSize, '\0');
    for (int i = 0; i < imageSize; ++i)
        bytes[i] = char((i * 37) ^ (i >> 5));
    return bytes;
}

bool isKind(int i, const char* kind)
{
    return std::strcmp(firmwareParams[i].kind, kind) == 0;
}

} // namespace

class TestFaultMatrix : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup() { s.reset(); }
    void matrix_data();
    void matrix();

private:
    bool idle()
    {
        return waitUntil([this] { return s->session.isIdle(); }, boundMs);
    }
    void inject();
    QSet<int> plant();
    // What the tree shows for a parameter and what the device holds, comparably.
    QByteArray shown(int i) const
    {
        const Node* node = s->tree.getParamNode(ParamTree::All, i);
        auto* version = dynamic_cast<const VersionNode*>(node);
        return version ? version->text().toLatin1() : node->serialize();
    }
    QByteArray held(int i) const
    {
        return isKind(i, "version") ? QByteArray(emu.value(i).constData()) : emu.value(i);
    }

    EmulatedProcessor& emu = EmulatedProcessor::instance();
    std::unique_ptr<HeadlessSession> s;
    QByteArray fault;
    std::atomic_int completions{0};
    std::atomic_int injectAfter{-1};
};

void TestFaultMatrix::init()
{
    freshProcessor();
    s = std::make_unique<HeadlessSession>();
    // Runs in the worker right after it hands a response over, so the fault meets
    // exactly the next request of the operation.
    connect(
        s->session.findChild<HIDThread*>(), &HIDThread::requestComplete, &s->session,
        [this](QByteArray) {
            if (++completions == injectAfter)
                inject();
        },
        Qt::DirectConnection);
    s->session.tick();
    QVERIFY(idle() && s->session.isConnected());
}

// Each operation with the request its fault meets: the 40th read of Read All and the 23rd
// setting written are Analog Output 1/Volume; the chunk at 348, the read-back at 290.
void TestFaultMatrix::matrix_data()
{
    QTest::addColumn<QByteArray>("op");
    QTest::addColumn<int>("position");
    QTest::addColumn<QByteArray>("fault");
    const std::pair<const char*, int> ops[] = {{"readAll", 39},
                                               {"writeAll", 22},
                                               {"updateBurst", 2},
                                               {"pluginWriting", 3},
                                               {"pluginVerification", 9 + 5}};
    for (const auto& [op, position] : ops)
        for (const char* f : {"unplug", "replug", "dropped", "bad CRC", "status error",
                              "NaN and infinite floats", "bad versions", "other command byte"})
            QTest::addRow("%s: %s", op, f) << QByteArray(op) << position << QByteArray(f);
}

void TestFaultMatrix::inject()
{
    if (fault == "unplug" || fault == "replug")
        emu.unplug();
    if (fault == "replug")
        emu.plugIn();
    for (int n = 1; fault == "dropped" && n <= 5; ++n)
        emu.dropAnswer(n); // every attempt of the request
    if (fault == "bad CRC")
        emu.corruptAnswerCrc(1); // the second attempt goes through
    if (fault == "status error")
        emu.answerWithStatus(1, faultyStatus);
    if (fault == "other command byte")
        emu.answerWithCommand(1, 0x05);
}

// Bad values on the device; reading them must leave the tree alone.
QSet<int> TestFaultMatrix::plant()
{
    if (fault == "NaN and infinite floats") {
        // The probe's level, a level, volumes, a crossover's frequency, an equalizer band's Q.
        const std::tuple<int, int, float> bad[] = {{21, 0, NAN}, {2, 0, -INFINITY},
                                                   {39, 0, NAN}, {50, 0, INFINITY},
                                                   {43, 2, NAN}, {45, 9, INFINITY}};
        for (const auto& [i, at, value] : bad)
            emu.setValue(i, emu.value(i).replace(at, 4, writeFloatLE(value)));
        return {2, 21, 39, 43, 45, 50};
    }
    if (fault == "bad versions") {
        emu.setValue(10, QByteArray(32, 'x'));  // not terminated
        emu.setValue(11, QByteArray("3.1"));    // short
        emu.setValue(12, QByteArray(33, '\0')); // long
        return {10, 11, 12};
    }
    return {};
}

void TestFaultMatrix::matrix()
{
    QFETCH(QByteArray, op);
    QFETCH(int, position);
    QFETCH(QByteArray, fault);
    this->fault = fault;
    const bool reading = op == "readAll", plugin = op.startsWith("plugin");
    const bool unplug = fault == "unplug";
    const bool fails =
        unplug || fault == "dropped" || fault == "status error" || fault == "other command byte";
    ParamTree* tree = &s->tree;
    // Values that differ between the tree and the device, so each transfer shows.
    for (int k = 39; k < firmwareParamCount; k += 16) {
        if (reading)
            emu.setValue(k, writeFloatLE(-1.0f - k / 16));
        else
            QVERIFY(tree->deserializeParam(ParamTree::All, k, writeFloatLE(-1.0f - k / 16)));
    }
    QList<int> order = op == "updateBurst" ? burst : QList<int>(); // in the order transferred
    QVector<QByteArray> saved, before;
    for (int i = 0; i < firmwareParamCount; ++i) {
        saved << emu.value(i);
        before << shown(i);
        if (reading || (op == "writeAll" && tree->getParamNode(ParamTree::All, i)->isSetting()))
            order << i;
    }
    QJsonDocument document;
    tree->constructJsonDocument(document);

    const QSet<int> planted = plant();
    // What a bad reply should have carried is missing; a write carried out still counts.
    QSet<int> missed = reading ? planted : QSet<int>();
    if (unplug)
        missed = QSet<int>(order.begin() + qMin(position, order.size()), order.end());
    else if (fails && (reading || fault == "status error"))
        missed = {order.value(position)};

    QSignalSpy bulk(&s->session, &DeviceSession::bulkTransferChanged);
    QSignalSpy pluginFinished(&s->session, &DeviceSession::pluginFinished);
    completions = 0;
    injectAfter = position;
    QElapsedTimer clock;
    clock.start();
    if (reading)
        s->session.readAll();
    if (op == "writeAll") // the tree's own settings, saved and loaded again
        s->session.writeLoaded(tree->readJsonDocument(document).loaded);
    for (int i : op == "updateBurst" ? burst : QList<int>())
        s->queue().enqueue(i);
    if (plugin)
        s->session.writePlugin(image());
    QVERIFY(idle());
    QVERIFY(clock.elapsed() < boundMs);
    injectAfter = -1;
    // A front end that locked the tree or showed progress is told to stop, once.
    const bool bulkOp = reading || op == "writeAll";
    QCOMPARE(bulk.count(), bulkOp ? 2 : 0);
    QVERIFY(!bulkOp || !bulk.last().at(0).toBool());
    QCOMPARE(pluginFinished.count(), plugin ? 1 : 0);

    QString expected = "The plugin has been written successfully! Restart the device, please.";
    if (fails && op == "pluginVerification")
        expected = "Plugin verification failed!";
    else if (fails)
        expected = QStringLiteral("Error: can't write plugin (464/%1, code=%2)")
                       .arg(imageSize)
                       .arg(fault == "status error" ? faultyStatus : 0);
    QCOMPARE(s->prompter.messages, plugin ? QStringList{expected} : QStringList());
    QCOMPARE(emu.pluginImage() == image(), op == "pluginVerification" || (plugin && !fails));
    for (int i : order) {
        if (reading && !isKind(i, "signal_level"))
            QCOMPARE(shown(i), missed.contains(i) ? before[i] : held(i));
        if (!reading) {
            QCOMPARE(shown(i), before[i]); // a write never changes the tree
            QCOMPARE(emu.value(i), missed.contains(i) ? saved[i] : before[i]);
        }
    }

    // The next probe tells the truth about the link.
    QSignalSpy connection(&s->session, &DeviceSession::connectionChanged);
    s->session.tick();
    QVERIFY(idle());
    QCOMPARE(s->session.isConnected(), !unplug);
    QCOMPARE(connection.count(), unplug ? 1 : 0);

    // The fault clears: the probe reconnects (and reads everything), or a Read All does.
    emu.plugIn();
    for (int i : planted)
        emu.setValue(i, saved[i]);
    if (unplug)
        s->session.tick();
    else
        s->session.readAll();
    QVERIFY(idle());
    QVERIFY(s->session.isConnected());
    for (int i = 0; i < firmwareParamCount; ++i) {
        if (!isKind(i, "signal_level"))
            QCOMPARE(shown(i), held(i));
    }
    QVERIFY(emu.openHandleCount() <= 1);
}

QTEST_GUILESS_MAIN(TestFaultMatrix)
#include "test_faultmatrix.moc"
