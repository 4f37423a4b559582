#include "deviceprotocol.h"
#include "emulatedprocessor.h"
#include "firmwaretable.h"
#include "mainwindow.h"
#include "node.h"
#include "outputnode.h"
#include "paramtree.h"
#include "testsupport.h"
#include "treewidget.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidgetItem>
#include <QtEndian>
#include <QtTest>
#include <cstring>
#include <memory>

namespace {

QByteArray hex(const char* digits)
{
    return QByteArray::fromHex(digits);
}

QByteArray floatBytes(float value)
{
    QByteArray out(4, '\0');
    qToLittleEndian<float>(value, reinterpret_cast<uchar*>(out.data()));
    return out;
}

QByteArray labelBytes(const QByteArray& text)
{
    QByteArray out(64, '\0');
    for (int i = 0; i < text.size(); ++i)
        out[4 * i] = text[i];
    return out;
}

// Requests of one command from the device's log.
QList<QByteArray> requestsOf(quint8 command)
{
    QList<QByteArray> out;
    for (const QByteArray& frame : EmulatedProcessor::instance().requestLog()) {
        if (!frame.isEmpty() && quint8(frame[0]) == command)
            out.append(frame);
    }
    return out;
}

QByteArray readOf(int paramIndex)
{
    return DeviceProtocol::readParamRequest(firmwareParamPath(firmwareParams[paramIndex]));
}

bool isSettingInFirmware(int i)
{
    const char* kind = firmwareParams[i].kind;
    return i >= 13 && std::strcmp(kind, "signal_level") != 0 && std::strcmp(kind, "label") != 0 &&
           !QByteArray(firmwareParams[i].name).endsWith("Subwoofer Channel");
}

// Closes the next message box (not the progress dialog) and keeps its text.
class MessageCatcher
{
public:
    MessageCatcher()
    {
        timer.setInterval(5);
        QObject::connect(&timer, &QTimer::timeout, [this] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box || !box->isVisible())
                return;
            texts.append(box->text());
            box->done(box->standardButtons() & QMessageBox::Yes ? answer : QMessageBox::Ok);
        });
        timer.start();
    }
    QStringList texts;
    QMessageBox::StandardButton answer = QMessageBox::Yes;

private:
    QTimer timer;
};

// Keeps the window's own 1000 ms timer from ticking, so that the test alone decides
// when the automaton gets a tick.
class TickBlocker : public QObject
{
public:
    bool eventFilter(QObject*, QEvent* event) override { return event->type() == QEvent::Timer; }
};

} // namespace

class TestAutomaton : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void probeConnectsAndReadsAll();
    void unplugAndReplug();
    void readAllLeavesNothingQueued();
    void ticksDuringReadAllAreDropped();
    void quickChangesAreCoalesced();
    void writeAllSendsEverySetting();
    void presetWriteAndItsRefusal();
    void levelPolling();
    void rebootAndBootloader();

private:
    void connectWindow();
    void waitIdle() { QTRY_COMPARE_WITH_TIMEOUT(window->automatonState(), 0, 20000); }
    ParamTree* tree() { return window->getParamTree(); }
    TreeWidget* hub() { return window->findChild<TreeWidget*>(); }
    QPushButton* indicator() { return window->findChild<QPushButton*>("connectButton"); }
    QAction* menuEntry(const QString& text);

    EmulatedProcessor& emu = EmulatedProcessor::instance();
    std::unique_ptr<PrivatePreferences> prefs;
    std::unique_ptr<MainWindow> window;
    TickBlocker tickBlocker;
};

void TestAutomaton::initTestCase()
{
    initTestResources();
}

void TestAutomaton::init()
{
    emu.reset();
    emu.setLatency(std::chrono::microseconds(0));
    emu.setLevelsMoving(false);
    emu.plugIn();
    prefs = std::make_unique<PrivatePreferences>();
    window = std::make_unique<MainWindow>();
    window->installEventFilter(&tickBlocker);
}

void TestAutomaton::cleanup()
{
    window.reset();
    prefs.reset();
}

QAction* TestAutomaton::menuEntry(const QString& text)
{
    for (QMenu* menu : window->findChildren<QMenu*>()) {
        for (QAction* action : menu->actions()) {
            if (action->text() == text)
                return action;
        }
    }
    return nullptr;
}

void TestAutomaton::connectWindow()
{
    window->runAutomaton(MainWindow::TimerTick);
    waitIdle();
    QVERIFY(window->isConnected());
    emu.clearLogs();
}

void TestAutomaton::probeConnectsAndReadsAll()
{
    emu.setValue(37, labelBytes("Tweeter L"));
    emu.setValue(22, floatBytes(-7.5f));
    QVERIFY(!window->isConnected());

    window->runAutomaton(MainWindow::TimerTick);
    QVERIFY(!hub()->isEnabled() || window->automatonState() != 0);
    waitIdle();
    QCOMPARE(indicator()->text(), QStringLiteral("Connected"));
    QVERIFY(indicator()->styleSheet().contains("#00ff00"));
    QVERIFY(hub()->isEnabled());

    // The probe reads the first level; Read All then reads every parameter by the
    // device's own paths, in order.
    const QList<QByteArray> log = emu.requestLog();
    QCOMPARE(log.size(), 1 + firmwareParamCount);
    QCOMPARE(log[0], readOf(21));
    for (int i = 0; i < firmwareParamCount; ++i)
        QCOMPARE(log[1 + i], readOf(i));
    QCOMPARE(tree()->getOutputNode(0)->getLabel(), QStringLiteral("Tweeter L"));
    QCOMPARE(tree()->getParamNode(ParamTree::All, 22)->serialize(), floatBytes(-7.5f));
    int index = -1;
    QVERIFY(!hub()->dequeueParamIndex(index));
}

void TestAutomaton::unplugAndReplug()
{
    connectWindow();
    emu.unplug();
    window->runAutomaton(MainWindow::TimerTick);
    waitIdle();
    QCOMPARE(indicator()->text(), QStringLiteral("Connecting"));
    QVERIFY(indicator()->styleSheet().contains("#ff0000"));
    QVERIFY(requestsOf(0x01).isEmpty());

    emu.plugIn();
    window->runAutomaton(MainWindow::TimerTick);
    waitIdle();
    QCOMPARE(indicator()->text(), QStringLiteral("Connected"));
    QCOMPARE(requestsOf(0x01).size(), 1 + firmwareParamCount);
}

void TestAutomaton::readAllLeavesNothingQueued()
{
    connectWindow();
    window->runAutomaton(MainWindow::ReadAll);
    QCOMPARE(window->automatonState(), 4);
    QVERIFY(!hub()->isEnabled());
    // An edit queued meanwhile is overwritten by the device's values and dropped.
    hub()->enqueueParamIndexForUpdate(39);
    waitIdle();
    QVERIFY(hub()->isEnabled());
    int index = -1;
    QVERIFY(!hub()->dequeueParamIndex(index));
    QVERIFY(requestsOf(0x02).isEmpty());
    QCOMPARE(requestsOf(0x01).size(), firmwareParamCount);
}

void TestAutomaton::ticksDuringReadAllAreDropped()
{
    connectWindow();
    window->runAutomaton(MainWindow::ReadAll);
    window->runAutomaton(MainWindow::TimerTick);
    window->runAutomaton(MainWindow::TimerTick);
    waitIdle();
    QCOMPARE(requestsOf(0x01).size(), firmwareParamCount);
}

void TestAutomaton::quickChangesAreCoalesced()
{
    connectWindow();
    Node* volume = tree()->getParamNode(ParamTree::All, 39);
    Node* mute = tree()->getParamNode(ParamTree::All, 40);
    // The first edit goes out at once; the second waits, and its repetition with it.
    hub()->enqueueParamIndexForUpdate(39);
    hub()->enqueueParamIndexForUpdate(40);
    hub()->enqueueParamIndexForUpdate(40);
    waitIdle();
    const QList<QByteArray> writes = requestsOf(0x02);
    QCOMPARE(writes.size(), 2);
    QCOMPARE(writes[0], DeviceProtocol::writeParamRequest(volume->makePath(), volume->serialize()));
    QCOMPARE(writes[1], DeviceProtocol::writeParamRequest(mute->makePath(), mute->serialize()));
}

void TestAutomaton::writeAllSendsEverySetting()
{
    connectWindow();
    window->runAutomaton(MainWindow::WriteAll);
    QVERIFY(!hub()->isEnabled());
    waitIdle();
    QVERIFY(hub()->isEnabled());
    QList<int> expected;
    for (int i = 0; i < firmwareParamCount; ++i) {
        if (isSettingInFirmware(i))
            expected.append(i);
    }
    const QList<QByteArray> writes = requestsOf(0x02);
    QCOMPARE(writes.size(), 126);
    QCOMPARE(expected.size(), 126);
    for (int k = 0; k < writes.size(); ++k) {
        const int i = expected[k];
        const QByteArray path = firmwareParamPath(firmwareParams[i]);
        QCOMPARE(writes[k].mid(1, 1 + path.size()), char(path.size()) + path);
        // Every write was accepted: the device holds the tool's values.
        QCOMPARE(emu.value(i), tree()->getParamNode(ParamTree::All, i)->serialize());
    }
}

void TestAutomaton::presetWriteAndItsRefusal()
{
    connectWindow();
    window->runAutomaton(MainWindow::PresetChanged);
    waitIdle();
    QCOMPARE(requestsOf(0x02).size(), 1);
    QCOMPARE(requestsOf(0x02)[0], hex("02"
                                      "01"
                                      "11"
                                      "00"));
    QCOMPARE(requestsOf(0x01).size(), firmwareParamCount); // Read All followed

    emu.clearLogs();
    emu.setPathStatus(hex("11"), 7);
    window->runAutomaton(MainWindow::PresetChanged);
    waitIdle();
    QCOMPARE(requestsOf(0x02).size(), 1);
    QVERIFY(requestsOf(0x01).isEmpty());
}

void TestAutomaton::levelPolling()
{
    emu.setValue(38, floatBytes(-12.7f));
    connectWindow();
    emu.setValue(38, floatBytes(-33.0f));
    auto* bar = qobject_cast<QProgressBar*>(
        hub()->itemWidget(tree()->getParamNode(ParamTree::Levels, 2)->treeItem, 1));
    QVERIFY(bar);
    QCOMPARE(bar->value(), -12);

    // Without "Read Levels" only the probe goes out, and its value is not applied.
    window->runAutomaton(MainWindow::TimerTick);
    waitIdle();
    QCOMPARE(emu.requestLog(), QList<QByteArray>{readOf(21)});
    QCOMPARE(bar->value(), -12);

    emu.clearLogs();
    QAction* readLevels = menuEntry(QStringLiteral("   Read Levels"));
    QVERIFY(readLevels);
    readLevels->setChecked(true);
    window->runAutomaton(MainWindow::TimerTick);
    waitIdle();
    const QList<int> levels{21, 29, 38, 54, 70, 86, 102, 118, 134, 150};
    QCOMPARE(emu.requestLog().size(), levels.size());
    for (int k = 0; k < levels.size(); ++k)
        QCOMPARE(emu.requestLog()[k], readOf(levels[k]));
    QCOMPARE(bar->value(), -33);
}

void TestAutomaton::rebootAndBootloader()
{
    connectWindow();
    MessageCatcher catcher;
    catcher.answer = QMessageBox::No;
    window->onActionRebootTriggered();
    QCOMPARE(catcher.texts, QStringList{QStringLiteral("Reboot device?")});
    QVERIFY(emu.requestLog().isEmpty());

    catcher.answer = QMessageBox::Yes;
    window->onActionRebootTriggered();
    waitIdle();
    QCOMPARE(emu.requestLog(), QList<QByteArray>{hex("05"
                                                     "E9C3175A")});
    QCOMPARE(emu.rebootCount(), 1);

    QTRY_VERIFY(emu.isOnBus());
    emu.clearLogs();
    window->onActionRunBootloaderTriggered();
    waitIdle();
    QCOMPARE(catcher.texts.last(), QStringLiteral("Run bootloader?"));
    QCOMPARE(emu.requestLog(), QList<QByteArray>{hex("06"
                                                     "E9C3175A")});
    QCOMPARE(emu.bootloaderCount(), 1);
}

QTEST_MAIN(TestAutomaton)
#include "test_automaton.moc"
