// The device session on Qt Core alone, against the emulated processor: connecting,
// Read All, edits, Write All after a load, level polling, losing and finding the device,
// and the service commands.
#include "comboboxnode.h"
#include "doublespinboxnode.h"
#include "levelnode.h"
#include "linkexchange.h"
#include "sessionfixture.h"
#include "wirevalue.h"

#include <QJsonObject>
#include <QRegularExpression>
#include <QtTest>
#include <cstring>
#include <memory>

namespace {

QList<bool> flags(const QSignalSpy& spy)
{
    QList<bool> out;
    for (const QList<QVariant>& arguments : spy)
        out << arguments.at(0).toBool();
    return out;
}

} // namespace

class TestAutomaton : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void editsDuringReadAllReachTheDevice_data();
    void editsDuringReadAllReachTheDevice();
    void answersThatDoNotFitAreRefused();
    void presetWriteIsFollowedByReadAll();
    void updatesAndWriteAllAfterALoad();
    void levelPolling();
    void unplugAndReconnect();
    void rebootAndBootloader();

private:
    // Runs one command and waits until the session is idle again.
    void run(void (DeviceSession::*command)())
    {
        emu.clearLogs();
        (session().*command)();
        QVERIFY(idle());
    }
    bool idle()
    {
        return waitUntil([this] { return session().isIdle(); });
    }
    DeviceSession& session() { return s->session; }
    Node* param(int i) { return s->tree.getParamNode(ParamTree::All, i); }
    QByteArray writeOf(int i)
    {
        return DeviceProtocol::writeParamRequest(param(i)->makePath(), param(i)->serialize());
    }

    EmulatedProcessor& emu = EmulatedProcessor::instance();
    std::unique_ptr<HeadlessSession> s;
    std::unique_ptr<QSignalSpy> connection;
    std::unique_ptr<QSignalSpy> bulk;
};

void TestAutomaton::init()
{
    bulk.reset();
    connection.reset();
    s.reset();
    freshProcessor();
    emu.setValue(22, hex("0000F0C0")); // -7.5f
    emu.setValue(38, hex("33334BC1")); // -12.7f
    s = std::make_unique<HeadlessSession>();
    connection = std::make_unique<QSignalSpy>(&session(), &DeviceSession::connectionChanged);
    bulk = std::make_unique<QSignalSpy>(&session(), &DeviceSession::bulkTransferChanged);
    // The first tick probes the device (the first level); Read All follows at once, every
    // parameter by the device's own paths, in order.
    run(&DeviceSession::tick);
    QList<QByteArray> expected{readOf(21)};
    for (int i = 0; i < firmwareParamCount; ++i)
        expected.append(readOf(i));
    QCOMPARE(emu.requestLog(), expected);
    QCOMPARE(param(22)->serialize(), hex("0000F0C0"));
    QVERIFY(session().isConnected());
    QCOMPARE(flags(*connection), QList<bool>{true});
    QCOMPARE(flags(*bulk), (QList<bool>{true, false}));
    emu.clearLogs();
    bulk->clear();
}

// Read All is held at one request while the user changes a value: output 1's volume,
// before or after the volume is read, or the preset before it is read. The device ends
// up with the change, the tree keeps holding it, and ticks meanwhile send nothing.
void TestAutomaton::editsDuringReadAllReachTheDevice_data()
{
    QTest::addColumn<int>("heldAt");
    QTest::addColumn<bool>("preset");
    QTest::newRow("volume before its read") << 5 << false;
    QTest::newRow("volume after its read") << 100 << false;
    QTest::newRow("preset before its read") << 1 << true;
}

void TestAutomaton::editsDuringReadAllReachTheDevice()
{
    QFETCH(int, heldAt);
    QFETCH(bool, preset);
    auto* volume = static_cast<DoubleSpinBoxNode*>(param(39));
    auto* presetNode = static_cast<ComboBoxNode*>(param(0));
    emu.delayAnswer(heldAt, std::chrono::milliseconds(300));
    session().readAll();
    QVERIFY(waitUntil([&] { return emu.requestLog().size() == heldAt; }));
    QCOMPARE(session().state(), DeviceSession::ReadingAll);
    session().tick();
    if (preset)
        presetNode->setCurrentIndex(2, ChangeSource::User);
    else
        volume->setValue(-1.0, ChangeSource::User);
    QVERIFY(idle());

    QList<QByteArray> reads, expected;
    for (int i = 0; i < firmwareParamCount; ++i)
        reads << readOf(i);
    const QByteArray minusOne = hex("000080BF");
    if (preset) {
        expected << reads << hex("02 01 11 02") << reads; // the new preset is read whole
        QCOMPARE(emu.value(0), hex("02"));
        QCOMPARE(presetNode->currentIndex(), 2);
    } else {
        expected << reads << DeviceProtocol::writeParamRequest(hex("820107"), minusOne);
        QCOMPARE(emu.value(39), minusOne);
        QCOMPARE(volume->value(), -1.0);
        QCOMPARE(param(39)->serialize(), minusOne);
    }
    QCOMPARE(emu.requestLog(), expected);
}

// An answer whose value does not have the parameter's size is not taken, and says so:
// a float, a label, a check box, a choice, a crossover filter and an equalizer band.
void TestAutomaton::answersThatDoNotFitAreRefused()
{
    const QList<QPair<int, int>> planted{{39, 3}, {37, 68}, {40, 2}, {3, 0}, {43, 87}, {45, 32}};
    QList<QByteArray> before;
    for (const auto& [i, size] : planted) {
        before << param(i)->serialize();
        emu.setValue(i, QByteArray(size, '\x11'));
        const QString message =
            QStringLiteral("Read param %1 answered with %2 value bytes where %3 fit; value kept");
        QTest::ignoreMessage(QtWarningMsg,
                             qPrintable(message.arg(i).arg(size).arg(before.last().size())));
    }
    run(&DeviceSession::readAll);
    for (int k = 0; k < planted.size(); ++k)
        QCOMPARE(param(planted[k].first)->serialize(), before[k]);
}

// A preset write is followed by Read All; a refused one by nothing but a warning.
void TestAutomaton::presetWriteIsFollowedByReadAll()
{
    run(&DeviceSession::writePreset);
    QCOMPARE(emu.requestLog().size(), 1 + firmwareParamCount);
    QCOMPARE(emu.requestLog()[0], hex("02 01 11 00")); // write, path length 1, Preset, 0
    emu.setPathStatus(hex("11"), 7);
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^Write param not acknowledged"));
    run(&DeviceSession::writePreset);
    QCOMPARE(emu.requestLog(), QList<QByteArray>{hex("02 01 11 00")});
}

void TestAutomaton::updatesAndWriteAllAfterALoad()
{
    // The first edit goes out at once; the second waits, and its repetition with it.
    for (int i : {39, 40, 40})
        s->queue().enqueue(i);
    QVERIFY(idle());
    QCOMPARE(emu.requestLog(), (QList<QByteArray>{writeOf(39), writeOf(40)}));

    // Two files loaded while Read All runs: one Write All after it, of what they set, in
    // the order of the tree.
    emu.clearLogs();
    session().readAll();
    session().writeLoaded({param(55)});
    session().writeLoaded({param(39)});
    QVERIFY(idle());
    QCOMPARE(emu.requestLog().mid(firmwareParamCount),
             (QList<QByteArray>{writeOf(39), writeOf(55)}));
    QCOMPARE(flags(*bulk), (QList<bool>{true, false, true, false}));
    bulk->clear();

    // A whole settings file that sets Analog Output 2 to -33.3 dB.
    QJsonDocument document;
    s->tree.constructJsonDocument(document);
    QJsonObject root = document.object();
    QJsonObject output = root.value("Analog Output 2").toObject();
    output.insert("Volume", -33.3);
    root.insert("Analog Output 2", output);
    document.setObject(root);

    // Write All: the settings (persistent, writable, not a level, by the device's own table)
    // in order; the device then holds the tool's values, the loaded one among them.
    emu.clearLogs();
    session().writeLoaded(s->tree.readJsonDocument(document).loaded);
    QCOMPARE(session().state(), DeviceSession::WritingAll);
    QVERIFY(idle());
    QCOMPARE(flags(*bulk), (QList<bool>{true, false}));
    QList<QByteArray> writes;
    for (int i = 13; i < firmwareParamCount; ++i) {
        const char* kind = firmwareParams[i].kind;
        if (std::strcmp(kind, "signal_level") && std::strcmp(kind, "label") &&
            !QByteArray(firmwareParams[i].name).endsWith("Subwoofer Channel")) {
            writes << DeviceProtocol::writeParamRequest(firmwareParamPath(firmwareParams[i]),
                                                        param(i)->serialize());
            QCOMPARE(emu.value(i), param(i)->serialize());
        }
    }
    QCOMPARE(writes.size(), 126);
    QCOMPARE(emu.requestLog(), writes);
    QCOMPARE(emu.value(37 + 16 + 2), writeFloatLE(-33.3f));
}

void TestAutomaton::levelPolling()
{
    emu.setValue(38, hex("000004C2")); // -33.0f
    auto* level = static_cast<LevelNode*>(s->tree.getParamNode(ParamTree::Levels, 2));
    // Without "Read Levels" only the probe goes out, and its value is not applied.
    run(&DeviceSession::tick);
    QCOMPARE(emu.requestLog(), QList<QByteArray>{readOf(21)});
    QCOMPARE(level->level(), -12);
    session().setReadLevels(true);
    run(&DeviceSession::tick);
    QList<QByteArray> levels;
    for (int i : {21, 29, 38, 54, 70, 86, 102, 118, 134, 150})
        levels << readOf(i);
    QCOMPARE(emu.requestLog(), levels);
    QCOMPARE(level->level(), -33);
}

// Gone: one probe finds out, and nothing else is tried. Back: the next probe finds it
// and reads what changed meanwhile.
void TestAutomaton::unplugAndReconnect()
{
    emu.unplug();
    run(&DeviceSession::tick);
    QVERIFY(!session().isConnected() && emu.requestLog().isEmpty());
    run(&DeviceSession::tick);
    QCOMPARE(flags(*connection), (QList<bool>{true, false}));

    emu.plugIn();
    emu.setValue(39, writeFloatLE(-20.0f));
    run(&DeviceSession::tick);
    QCOMPARE(flags(*connection), (QList<bool>{true, false, true}));
    QCOMPARE(emu.requestLog().size(), 1 + firmwareParamCount);
    QCOMPARE(param(39)->serialize(), writeFloatLE(-20.0f));
}

void TestAutomaton::rebootAndBootloader()
{
    s->prompter.answers = {false, true, true};
    for (auto command :
         {&DeviceSession::reboot, &DeviceSession::reboot, &DeviceSession::runBootloader}) {
        (session().*command)();
        QVERIFY(waitUntil([this] { return session().isIdle() && emu.isOnBus(); }));
    }
    QCOMPARE(s->prompter.questions,
             (QStringList{"Reboot device?", "Reboot device?", "Run bootloader?"}));
    QCOMPARE(emu.requestLog(), (QList<QByteArray>{hex("05 E9C3175A"), hex("06 E9C3175A")}));
    QCOMPARE(emu.rebootCount() + emu.bootloaderCount(), 2);
}

QTEST_GUILESS_MAIN(TestAutomaton)
#include "test_automaton.moc"
