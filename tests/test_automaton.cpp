#include "customcombobox.h"
#include "customdoublespinbox.h"
#include "linkexchange.h"
#include "mainwindow.h"
#include "paramtree.h"
#include "paramtreeview.h"
#include "testsupport.h"

#include <QMessageBox>
#include <QProgressBar>
#include <QtTest>
#include <cstring>
#include <memory>

class TestAutomaton : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { initTestResources(); }
    void init();
    void editsDuringReadAllReachTheDevice_data();
    void editsDuringReadAllReachTheDevice();
    void answersThatDoNotFitAreRefused();
    void presetWriteIsFollowedByReadAll();
    void updatesAndWriteAll();
    void levelPolling();
    void rebootAndBootloader();

private:
    // Runs one input and waits until the automaton is idle again.
    void run(MainWindow::input in)
    {
        emu.clearLogs();
        window->runAutomaton(in);
        QTRY_COMPARE_WITH_TIMEOUT(window->automatonState(), 0, 20000);
    }
    Node* param(int i) { return window->getParamTree()->getParamNode(ParamTree::All, i); }
    ParamHub* hub() { return window->getParamTree()->hub; }
    ParamTreeView* treeView() { return window->findChild<ParamTreeView*>(); }

    EmulatedProcessor& emu = EmulatedProcessor::instance();
    std::unique_ptr<PrivatePreferences> prefs;
    std::unique_ptr<MainWindow> window;
    TickBlocker tickBlocker;
};

void TestAutomaton::init()
{
    window.reset();
    freshProcessor();
    emu.setValue(22, hex("0000F0C0")); // -7.5f
    emu.setValue(38, hex("33334BC1")); // -12.7f
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

// Read All is held at one request while the user changes a value in the window: output
// 1's volume in its strip, before or after the volume is read, or the preset before it is
// read. The device ends up with the change, the window keeps showing it, and ticks
// meanwhile send nothing.
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
    CustomDoubleSpinBox* volume = nullptr; // output 1's strip shows parameter 39
    for (auto* box : window->findChildren<CustomDoubleSpinBox*>(QStringLiteral("volume")))
        if (box->accessibleName() == QLatin1String("Output 1 volume"))
            volume = box;
    QVERIFY(volume);
    auto* presetBox = window->findChild<CustomComboBox*>(QStringLiteral("presetValue"));
    emu.delayAnswer(heldAt, std::chrono::milliseconds(300));
    window->runAutomaton(MainWindow::ReadAll);
    QTRY_COMPARE(emu.requestLog().size(), heldAt);
    QVERIFY(!treeView()->isEnabled());
    window->runAutomaton(MainWindow::TimerTick);
    if (preset)
        presetBox->setCurrentIndex(2);
    else
        QTest::keyClick(volume, Qt::Key_PageDown); // ten steps of 0.1 dB down
    QTRY_COMPARE_WITH_TIMEOUT(window->automatonState(), 0, 20000);
    QVERIFY(treeView()->isEnabled());

    QList<QByteArray> reads, expected;
    for (int i = 0; i < firmwareParamCount; ++i)
        reads << readOf(i);
    const QByteArray minusOne = hex("000080BF");
    if (preset) {
        expected << reads << hex("02 01 11 02") << reads; // the new preset is read whole
        QCOMPARE(emu.value(0), hex("02"));
        QCOMPARE(presetBox->currentIndex(), 2);
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
        QTest::ignoreMessage(QtDebugMsg,
                             qPrintable(message.arg(i).arg(size).arg(before.last().size())));
    }
    run(MainWindow::ReadAll);
    for (int k = 0; k < planted.size(); ++k)
        QCOMPARE(param(planted[k].first)->serialize(), before[k]);
}

// A preset write is followed by Read All; a refused one by nothing.
void TestAutomaton::presetWriteIsFollowedByReadAll()
{
    run(MainWindow::PresetChanged);
    QCOMPARE(emu.requestLog().size(), 1 + firmwareParamCount);
    QCOMPARE(emu.requestLog()[0], hex("02 01 11 00")); // write, path length 1, Preset, 0
    emu.setPathStatus(hex("11"), 7);
    run(MainWindow::PresetChanged);
    QCOMPARE(emu.requestLog(), QList<QByteArray>{hex("02 01 11 00")});
}

void TestAutomaton::updatesAndWriteAll()
{
    // The first edit goes out at once; the second waits, and its repetition with it.
    for (int i : {39, 40, 40})
        hub()->enqueueParamIndexForUpdate(i);
    QTRY_COMPARE(window->automatonState(), 0);
    QList<QByteArray> expected;
    for (int i : {39, 40})
        expected << DeviceProtocol::writeParamRequest(param(i)->makePath(), param(i)->serialize());
    QCOMPARE(emu.requestLog(), expected);

    // Write All: the settings (persistent, writable, not a level, by the device's own table)
    // in order, with the tree disabled until the last; the device then holds the tool's values.
    emu.clearLogs();
    window->runAutomaton(MainWindow::WriteAll);
    QVERIFY(!treeView()->isEnabled());
    QTRY_COMPARE(window->automatonState(), 0);
    QVERIFY(treeView()->isEnabled());
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
}

void TestAutomaton::levelPolling()
{
    emu.setValue(38, hex("000004C2")); // -33.0f
    Node* level = window->getParamTree()->getParamNode(ParamTree::Levels, 2);
    auto* bar = qobject_cast<QProgressBar*>(treeView()->itemWidget(treeView()->itemOf(level), 1));
    // Without "Read Levels" only the probe goes out, and its value is not applied.
    run(MainWindow::TimerTick);
    QCOMPARE(emu.requestLog(), QList<QByteArray>{readOf(21)});
    QCOMPARE(bar->value(), -12);
    for (QAction* action : window->findChildren<QAction*>())
        if (action->text() == QStringLiteral("   Read Levels"))
            action->setChecked(true);
    run(MainWindow::TimerTick);
    QList<QByteArray> levels;
    for (int i : {21, 29, 38, 54, 70, 86, 102, 118, 134, 150})
        levels << readOf(i);
    QCOMPARE(emu.requestLog(), levels);
    QCOMPARE(bar->value(), -33);
}

void TestAutomaton::rebootAndBootloader()
{
    QStringList questions;
    const auto ask = [&](void (MainWindow::*action)(), QMessageBox::StandardButton button) {
        answerNextDialog(
            [&questions, button](QWidget* dialog) {
                questions << static_cast<QMessageBox*>(dialog)->text();
                static_cast<QMessageBox*>(dialog)->done(button);
            },
            5000, "QMessageBox");
        (window.get()->*action)();
        QTRY_VERIFY(window->automatonState() == 0 && emu.isOnBus());
    };
    ask(&MainWindow::onActionRebootTriggered, QMessageBox::No);
    ask(&MainWindow::onActionRebootTriggered, QMessageBox::Yes);
    ask(&MainWindow::onActionRunBootloaderTriggered, QMessageBox::Yes);
    QCOMPARE(questions, (QStringList{"Reboot device?", "Reboot device?", "Run bootloader?"}));
    QCOMPARE(emu.requestLog(), (QList<QByteArray>{hex("05 E9C3175A"), hex("06 E9C3175A")}));
    QCOMPARE(emu.rebootCount() + emu.bootloaderCount(), 2);
}

QTEST_MAIN(TestAutomaton)
#include "test_automaton.moc"
