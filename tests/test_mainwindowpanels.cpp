#include "channelcontrol.h"
#include "customcheckbox.h"
#include "doublespinboxnode.h"
#include "linkexchange.h"
#include "mainwindow.h"
#include "outputnode.h"
#include "paramtree.h"
#include "testsupport.h"
#include "treewidget.h"
#include "wirevalue.h"

#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QInputDialog>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QSlider>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>
#include <sys/resource.h>

namespace {

// Closes the next message box and records its text.
void answerMessageBox(QString* text)
{
    answerNextDialog(
        [text](QWidget* dialog) {
            *text = static_cast<QMessageBox*>(dialog)->text();
            static_cast<QMessageBox*>(dialog)->accept();
        },
        5000, "QMessageBox");
}

void writeFile(const QString& path, const QByteArray& data)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(data) == data.size());
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The remembered folder: set to a marker first, it shows whether a dialog changed it.
QString presetsDir(const QString& marker = QString())
{
    QSettings settings(QStringLiteral("Veltrane"), QStringLiteral("Tonvise"));
    if (!marker.isEmpty())
        settings.setValue(QStringLiteral("lastPresetsDir"), marker);
    return settings.value(QStringLiteral("lastPresetsDir")).toString();
}

} // namespace

class TestMainWindowPanels : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { initTestResources(); }

    void init()
    {
        w.reset();
        freshProcessor();
        prefs = std::make_unique<PrivatePreferences>();
        w = std::make_unique<MainWindow>();
        w->show();
    }

    void routingTableAndLabels()
    {
        auto* routing = w->findChild<QGridLayout*>(QStringLiteral("routingTable"));
        int boxes = 0;
        QStringList headers;
        for (int i = 0; i < routing->count(); ++i) {
            int row, column, rowSpan, columnSpan;
            routing->getItemPosition(i, &row, &column, &rowSpan, &columnSpan);
            if (auto* box = qobject_cast<CustomCheckBox*>(routing->itemAt(i)->widget())) {
                boxes += row >= 1 && column >= 1 &&
                         box->property("className").toString() == "routing-checkbox";
            } else if (row == 0) {
                headers << qobject_cast<QLabel*>(routing->itemAt(i)->widget())->text();
            }
        }
        QCOMPARE(boxes, 16);
        QCOMPARE(headers, QStringList({"Input 1", "Input 2"}));

        // Renaming output 3 through its title: 20 typed characters keep 16.
        ChannelControl* third = nullptr;
        for (ChannelControl* strip : w->findChildren<ChannelControl*>())
            if (strip->title() == QStringLiteral("  Output 3  "))
                third = strip;
        answerNextDialog([](QWidget* dialog) {
            auto* input = qobject_cast<QInputDialog*>(dialog);
            QCOMPARE(input->windowTitle(), QStringLiteral("Output 3"));
            QLineEdit* editor = input->findChild<QLineEdit*>();
            editor->clear();
            QTest::keyClicks(editor, QStringLiteral("Front left tweeter"));
            input->accept();
        });
        QTest::mousePress(third, Qt::LeftButton, Qt::NoModifier, QPoint(20, 40));
        QTRY_COMPARE(third->title(), QStringLiteral("  Front left tweet  "));
        int renamed = 0;
        for (QLabel* label : w->findChildren<QLabel*>())
            renamed += label->text() == QStringLiteral("Front left tweet");
        QCOMPARE(renamed, 2); // routing table and subwoofer table
    }

    void stripButtonsOpenTheDialogs()
    {
        auto* equalizer = w->findChild<QDialog*>(QStringLiteral("EqualizerDialog"));
        // A PEQ button whose node cannot be read opens nothing.
        Q_EMIT hub()->peqButtonClicked(nullptr);
        QVERIFY(!equalizer->isVisible());
        w->getParamTree()->getOutputNode(2)->clickXoverButton();
        QVERIFY(w->findChild<QDialog*>(QStringLiteral("CrossoverDialog"))->isVisible());
        w->getParamTree()->getOutputNode(2)->clickPeqButton();
        QVERIFY(equalizer->isVisible());

        // Labels reach the dialogs, and a dialog's edit reaches the write queue.
        w->getParamTree()->getOutputNode(2)->setLabel(QStringLiteral("Mid L"));
        QVERIFY(equalizer->windowTitle().contains(QStringLiteral("Mid L")));
        const auto boxes = w->findChild<QDialog*>("CrossoverDialog")->findChildren<QGroupBox*>();
        QVERIFY(std::any_of(boxes.begin(), boxes.end(),
                            [](QGroupBox* box) { return box->title() == "  Mid L  "; }));
        hub()->clearQueueOfUpdates();
        auto* gain = equalizer->findChildren<QDoubleSpinBox*>().last();
        gain->setFocus();
        gain->selectAll();
        QTest::keyClicks(gain, QStringLiteral("3"));
        QTest::keyClick(gain, Qt::Key_Return);
        int queued = -1;
        QVERIFY(hub()->dequeueParamIndex(queued));
        QCOMPARE(w->getParamTree()->getParamNode(ParamTree::All, queued)->typeTag,
                 QStringLiteral("peq"));
    }

    // Save adds ".json" when missing and keeps ".JSON"; a write that fails midway (the file
    // size limit) must not cost the old file.
    // Grouped faders in the window, against the processor: two grouped outputs at -10 dB,
    // the first one's box clicked, Shift+Tab to its fader (which no mouse has entered), Up.
    // Both go to -9.9 dB, the ungrouped third stays. Once the third, at +3 dB, is grouped
    // too, the next Up is refused: no fader, box or processor value moves.
    void groupedFaderKeysReachTheProcessor()
    {
        QList<int> volumes;
        QList<ChannelControl*> strips;
        for (int i = 0; i < 3; ++i) {
            for (Node* node : w->getParamTree()->getOutputNode(i)->children)
                if (node->name == QLatin1String("Volume"))
                    volumes << node->paramIndex;
            emu.setValue(volumes[i], writeFloatLE(i == 2 ? 3.0f : -10.0f));
            for (ChannelControl* strip : w->findChildren<ChannelControl*>())
                if (strip->title() == QStringLiteral("  Output %1  ").arg(i + 1))
                    strips << strip;
        }
        const auto processor = [&] {
            QList<float> values;
            for (int index : volumes)
                values << readFloatLE(emu.value(index));
            return values;
        };
        const auto shown = [&] {
            QList<double> values;
            for (ChannelControl* strip : strips)
                values << strip->findChild<QDoubleSpinBox*>(QStringLiteral("volume"))->value()
                       << strip->findChild<QSlider*>(QStringLiteral("slider"))->value();
            return values;
        };
        QTRY_VERIFY_WITH_TIMEOUT(w->session()->isConnected() && w->session()->isIdle(), 10000);
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w.get()));
        for (int i : {0, 1})
            strips[i]->findChild<QCheckBox*>(QStringLiteral("group"))->click();

        auto* box = strips[0]->findChild<QDoubleSpinBox*>(QStringLiteral("volume"));
        QTest::mouseClick(box, Qt::LeftButton);
        QTest::keyClick(box, Qt::Key_Backtab);
        QWidget* fader = strips[0]->findChild<QSlider*>(QStringLiteral("slider"));
        QCOMPARE(QApplication::focusWidget(), fader);
        QTest::keyClick(fader, Qt::Key_Up);
        QTRY_COMPARE(processor(), (QList<float>{-9.9f, -9.9f, 3.0f}));

        strips[2]->findChild<QCheckBox*>(QStringLiteral("group"))->click();
        QTRY_VERIFY(w->session()->isIdle());
        emu.clearLogs();
        const QList<double> before = shown();
        QTest::keyClick(fader, Qt::Key_Up);
        QCOMPARE(shown(), before);
        QTest::qWait(50);
        QVERIFY(requestsOf(0x02).isEmpty());
        QCOMPARE(processor(), (QList<float>{-9.9f, -9.9f, 3.0f}));
    }

    void saveThroughTheButton()
    {
        answerFileDialog(dir.filePath(QStringLiteral("plain")));
        click("saveButton");
        QJsonDocument expected;
        w->getParamTree()->constructJsonDocument(expected);
        QCOMPARE(QJsonDocument::fromJson(readFile(dir.filePath("plain.json"))), expected);
        QCOMPARE(presetsDir(), dir.path());
        answerFileDialog(dir.filePath(QStringLiteral("upper.JSON")));
        click("saveButton");
        QVERIFY(QFile::exists(dir.filePath("upper.JSON")));
        QVERIFY(!QFile::exists(dir.filePath("upper.JSON.json")));

        const QString path = dir.filePath(QStringLiteral("kept.json"));
        writeFile(path, "{\"previous\": true}\n");
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit saved{};
        getrlimit(RLIMIT_FSIZE, &saved);
        const rlimit small{4096, saved.rlim_max};
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
        QString message;
        answerFileDialog(path);
        // First the file dialog's own question whether to replace the file, then our error.
        answerNextDialog(
            [&message](QWidget* dialog) {
                static_cast<QMessageBox*>(dialog)->button(QMessageBox::Yes)->click();
                answerMessageBox(&message);
            },
            5000, "QMessageBox");
        click("saveButton");
        setrlimit(RLIMIT_FSIZE, &saved);
        QTRY_COMPARE(message, QStringLiteral("Error: can't save settings."));
        QCOMPARE(readFile(path), QByteArray("{\"previous\": true}\n"));
    }

    // The window shows a loaded file at once, then writes the settings one request each
    // with the tree view disabled until the last.
    void loadAppliesAndWritesEverySetting()
    {
        ParamTree* tree = w->getParamTree();
        QTRY_VERIFY_WITH_TIMEOUT(w->session()->isConnected() && w->session()->isIdle(), 10000);
        QJsonDocument document;
        tree->constructJsonDocument(document);
        QJsonObject root = document.object();
        QJsonObject output = root.value("Analog Output 2").toObject();
        output.insert("Volume", -33.3);
        root.insert("Analog Output 2", output);
        const QString path = dir.filePath(QStringLiteral("load.json"));
        writeFile(path, QJsonDocument(root).toJson());

        emu.clearLogs();
        const int volumeIndex = 37 + 16 + 2;
        auto* volume =
            static_cast<DoubleSpinBoxNode*>(tree->getParamNode(ParamTree::All, volumeIndex));
        answerFileDialog(path);
        click("loadButton");
        QCOMPARE(volume->value(), -33.3);
        QVERIFY(!hub()->isEnabled());
        QTRY_VERIFY_WITH_TIMEOUT(w->session()->isIdle(), 20000);
        QVERIFY(hub()->isEnabled());

        // Their order and paths are Write All's, checked with the device session.
        QCOMPARE(requestsOf(0x02).size(), tree->subsetToList(ParamTree::Settings)->size());
        QCOMPARE(emu.value(volumeIndex).toHex(), volume->serialize().toHex());
        QCOMPARE(readFile(path), QJsonDocument(root).toJson()); // a load leaves the file alone
    }

    void badFileOrCancelledDialogChangesNothing()
    {
        const QString path = dir.filePath(QStringLiteral("broken.json"));
        writeFile(path, "{\"Analog Output 1\": {\"Volume\": -5,");
        emu.clearLogs();
        QString message;
        answerFileDialog(path);
        answerMessageBox(&message);
        click("loadButton");
        QTRY_COMPARE(message, QStringLiteral("Error: can't load settings."));

        // Cancelling either dialog changes nothing, the remembered folder included.
        for (const char* button : {"saveButton", "loadButton"}) {
            presetsDir(QStringLiteral("/nowhere"));
            answerFileDialog(QString());
            click(button);
            QCOMPARE(presetsDir(), QStringLiteral("/nowhere"));
        }
        QTest::qWait(50);
        QVERIFY(requestsOf(0x02).isEmpty());
    }

private:
    TreeWidget* hub() { return w->findChild<TreeWidget*>(QStringLiteral("paramTree")); }
    void click(const char* button) { w->findChild<QPushButton*>(button)->click(); }
    EmulatedProcessor& emu = EmulatedProcessor::instance();
    std::unique_ptr<PrivatePreferences> prefs;
    std::unique_ptr<MainWindow> w;
    QTemporaryDir dir;
};

QTEST_MAIN(TestMainWindowPanels)
#include "test_mainwindowpanels.moc"
