#include "linkexchange.h"
#include "mainwindow.h"
#include "testsupport.h"

#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QtTest>
#include <cstring>
#include <memory>

class TestAutomaton : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { initTestResources(); }
    void init();
    void connectDisconnectReconnect();
    void readAllDropsTicksAndQueuedEdits();
    void updatesAndWriteAll();
    void levelPolling();
    void rebootAndBootloader();

private:
    void run(MainWindow::input in)
    {
        window->runAutomaton(in);
        QTRY_COMPARE_WITH_TIMEOUT(window->automatonState(), 0, 20000);
    }
    Node* param(int i, ParamTree::ParamSubset in = ParamTree::All)
    {
        return window->getParamTree()->getParamNode(in, i);
    }
    TreeWidget* hub() { return window->findChild<TreeWidget*>(); }
    QPushButton* indicator() { return window->findChild<QPushButton*>("connectButton"); }

    EmulatedProcessor& emu = EmulatedProcessor::instance();
    std::unique_ptr<PrivatePreferences> prefs;
    std::unique_ptr<MainWindow> window;
    TickBlocker tickBlocker;
};

void TestAutomaton::init()
{
    window.reset();
    emu.reset();
    emu.setLatency(std::chrono::microseconds(0));
    emu.setLevelsMoving(false);
    emu.setValue(22, hex("0000F0C0")); // -7.5f
    emu.setValue(38, hex("33334BC1")); // -12.7f
    emu.plugIn();
    prefs = std::make_unique<PrivatePreferences>();
    window = std::make_unique<MainWindow>();
    window->installEventFilter(&tickBlocker);
    // The first tick probes the device (the first level); Read All follows at once, every
    // parameter by the device's own paths, in order.
    run(MainWindow::TimerTick);
    QList<QByteArray> expected{readOf(21)};
    for (int i = 0; i < firmwareParamCount; ++i)
        expected.append(readOf(i));
    QCOMPARE(emu.requestLog(), expected);
    QCOMPARE(param(22)->serialize(), hex("0000F0C0"));
    emu.clearLogs();
}

void TestAutomaton::connectDisconnectReconnect()
{
    QVERIFY(window->isConnected() && hub()->isEnabled());
    QCOMPARE(indicator()->text(), QStringLiteral("Connected"));
    QVERIFY(indicator()->styleSheet().contains("#00ff00"));
    emu.unplug();
    run(MainWindow::TimerTick);
    QCOMPARE(indicator()->text(), QStringLiteral("Connecting"));
    QVERIFY(indicator()->styleSheet().contains("#ff0000") && emu.requestLog().isEmpty());
    emu.plugIn();
    run(MainWindow::TimerTick);
    QCOMPARE(indicator()->text(), QStringLiteral("Connected"));
    QCOMPARE(emu.requestLog().size(), 1 + firmwareParamCount);
}

void TestAutomaton::readAllDropsTicksAndQueuedEdits()
{
    window->runAutomaton(MainWindow::ReadAll);
    QVERIFY(!hub()->isEnabled());
    // An edit queued meanwhile is overwritten by the device's values and dropped; ticks
    // during Read All send nothing.
    hub()->enqueueParamIndexForUpdate(39);
    window->runAutomaton(MainWindow::TimerTick);
    run(MainWindow::TimerTick);
    QVERIFY(hub()->isEnabled());
    int index = -1;
    QVERIFY(!hub()->dequeueParamIndex(index));
    QCOMPARE(emu.requestLog().size(), firmwareParamCount);

    // A preset write is followed by Read All; a refused one by nothing.
    emu.clearLogs();
    run(MainWindow::PresetChanged);
    QCOMPARE(emu.requestLog().size(), 1 + firmwareParamCount);
    QCOMPARE(emu.requestLog()[0], hex("02 01 11 00")); // write, path length 1, Preset, 0
    emu.clearLogs();
    emu.setPathStatus(hex("11"), 7);
    run(MainWindow::PresetChanged);
    QCOMPARE(emu.requestLog(), QList<QByteArray>{hex("02 01 11 00")});
}

void TestAutomaton::updatesAndWriteAll()
{
    // The first edit goes out at once; the second waits, and its repetition with it.
    hub()->enqueueParamIndexForUpdate(39);
    hub()->enqueueParamIndexForUpdate(40);
    hub()->enqueueParamIndexForUpdate(40);
    QTRY_COMPARE(window->automatonState(), 0);
    QList<QByteArray> expected;
    for (int i : {39, 40})
        expected.append(
            DeviceProtocol::writeParamRequest(param(i)->makePath(), param(i)->serialize()));
    QCOMPARE(emu.requestLog(), expected);

    // Write All: the settings (persistent, writable, not a level, by the device's own table)
    // in order, with the tree disabled until the last; the device then holds the tool's values.
    emu.clearLogs();
    window->runAutomaton(MainWindow::WriteAll);
    QVERIFY(!hub()->isEnabled());
    QTRY_COMPARE(window->automatonState(), 0);
    QVERIFY(hub()->isEnabled());
    QList<QByteArray> paths;
    for (int i = 13; i < firmwareParamCount; ++i) {
        const char* kind = firmwareParams[i].kind;
        if (std::strcmp(kind, "signal_level") && std::strcmp(kind, "label") &&
            !QByteArray(firmwareParams[i].name).endsWith("Subwoofer Channel")) {
            paths.append(firmwareParamPath(firmwareParams[i]));
            QCOMPARE(emu.value(i), param(i)->serialize());
        }
    }
    const QList<QByteArray> writes = emu.requestLog();
    QCOMPARE(writes.size(), 126);
    QCOMPARE(paths.size(), 126);
    for (int k = 0; k < writes.size(); ++k)
        QCOMPARE(writes[k].left(2 + paths[k].size()), hex("02") + char(paths[k].size()) + paths[k]);
}

void TestAutomaton::levelPolling()
{
    emu.setValue(38, hex("000004C2")); // -33.0f
    auto* bar =
        qobject_cast<QProgressBar*>(hub()->itemWidget(param(2, ParamTree::Levels)->treeItem, 1));
    QVERIFY(bar);
    QCOMPARE(bar->value(), -12);
    // Without "Read Levels" only the probe goes out, and its value is not applied.
    run(MainWindow::TimerTick);
    QCOMPARE(emu.requestLog(), QList<QByteArray>{readOf(21)});
    QCOMPARE(bar->value(), -12);

    emu.clearLogs();
    for (QAction* action : window->findChildren<QAction*>()) {
        if (action->text() == QStringLiteral("   Read Levels"))
            action->setChecked(true);
    }
    run(MainWindow::TimerTick);
    QList<QByteArray> levels;
    for (int i : {21, 29, 38, 54, 70, 86, 102, 118, 134, 150})
        levels.append(readOf(i));
    QCOMPARE(emu.requestLog(), levels);
    QCOMPARE(bar->value(), -33);
}

void TestAutomaton::rebootAndBootloader()
{
    QStringList questions;
    const auto ask = [&](void (MainWindow::*action)(), QMessageBox::StandardButton button) {
        answerNextDialog(
            [&questions, button](QWidget* dialog) {
                questions.append(static_cast<QMessageBox*>(dialog)->text());
                static_cast<QMessageBox*>(dialog)->done(button);
            },
            5000, "QMessageBox");
        (window.get()->*action)();
        QTRY_VERIFY(window->automatonState() == 0 && emu.isOnBus());
    };
    ask(&MainWindow::onActionRebootTriggered, QMessageBox::No);
    QVERIFY(emu.requestLog().isEmpty());
    ask(&MainWindow::onActionRebootTriggered, QMessageBox::Yes);
    ask(&MainWindow::onActionRunBootloaderTriggered, QMessageBox::Yes);
    QCOMPARE(questions, (QStringList{"Reboot device?", "Reboot device?", "Run bootloader?"}));
    QCOMPARE(emu.requestLog(), (QList<QByteArray>{hex("05 E9C3175A"), hex("06 E9C3175A")}));
    QCOMPARE(emu.rebootCount(), 1);
    QCOMPARE(emu.bootloaderCount(), 1);
}

QTEST_MAIN(TestAutomaton)
#include "test_automaton.moc"
