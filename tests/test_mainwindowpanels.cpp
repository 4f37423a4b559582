#include "channelcontrol.h"
#include "customcheckbox.h"
#include "customcombobox.h"
#include "doublespinboxnode.h"
#include "linkexchange.h"
#include "mainwindow.h"
#include "outputnode.h"
#include "paramtree.h"
#include "peqdesign.h"
#include "testsupport.h"
#include "treewidget.h"
#include "xoverdesign.h"

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
    // with the tree view disabled until the last. Members a saved file never holds are
    // refused by name: the window keeps showing what the device holds.
    void loadAppliesAndWritesWhatTheFileSets()
    {
        ParamTree* tree = w->getParamTree();
        QTRY_VERIFY_WITH_TIMEOUT(w->isConnected() && w->automatonState() == 0, 10000);
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
        QTRY_VERIFY_WITH_TIMEOUT(w->automatonState() == 0, 20000);
        QVERIFY(hub()->isEnabled());

        // Their order and paths are Write All's, checked with the automaton.
        QCOMPARE(requestsOf(0x02).size(), tree->subsetToList(ParamTree::Settings)->size());
        QCOMPARE(emu.value(volumeIndex).toHex(), volume->serialize().toHex());

        // Every member that Write All does not send, set away from the device's value, and
        // one delay: only the delay is written, to the preset the device is in.
        const QJsonObject unwritten{
            {"Preset", "3"},
            {"Preset Source", "Switch"},
            {"Master Volume", -20},
            {"Volume Source", "Pot"},
            {"Subwoofer Volume", 5},
            {"Subwoofer Mode", "Parametric"},
            {"SPDIF Cable", "Coaxial"},
            {"Input Source", "USB"},
            {"Auto Input", true},
            {"RC Screen", "Rotated"},
            {"Analog Output 3", QJsonObject{{"Subwoofer Channel", true}, {"Delay", 2.5}}}};
        writeFile(path, QJsonDocument(unwritten).toJson());
        emu.clearLogs();
        QString message;
        answerFileDialog(path);
        answerMessageBox(&message);
        click("loadButton");
        QTRY_VERIFY(w->automatonState() == 0 && !message.isEmpty());
        QStringList lines = message.split(QLatin1Char('\n'));
        QCOMPARE(lines.takeFirst(), QStringLiteral("Error: can't load settings."));
        std::sort(lines.begin(), lines.end());
        QCOMPARE(lines, QStringList({"Analog Output 3/Subwoofer Channel", "Auto Input",
                                     "Input Source", "Master Volume", "Preset", "Preset Source",
                                     "RC Screen", "SPDIF Cable", "Subwoofer Mode",
                                     "Subwoofer Volume", "Volume Source"}));
        const int delayIndex = 37 + 16 * 2 + 13;
        QCOMPARE(requestsOf(0x02), QList<QByteArray>({hex("02 03 820308 00002040")})); // 2.5 ms
        QCOMPARE(emu.value(0), hex("00")); // still the first preset
        for (Node* node : *tree->subsetToList(ParamTree::All)) {
            if (!node->readOnly)
                QCOMPARE(node->serialize().toHex(), emu.value(node->paramIndex).toHex());
        }
        QCOMPARE(emu.value(delayIndex), hex("00002040"));
    }

    // What the device holds beyond the editors' limits saves and loads back as it was: an EQ
    // band at +15 dB, a filter index none of the options stands for, and a high-pass slot
    // whose flag byte said low-pass (the slot designs a high-pass all the same). A member a
    // hand edit put out of range is named, and only it is not sent.
    void savedFileLoadsBackAsTheDeviceHeldIt()
    {
        const int sabreFilter = 17, hpIndex = 43, eqIndex = 61, volumeIndex = 55;
        const PEQParams loud{PEQType::PEAK, 1000.0, 15.0, 1.0};
        peq_repr_t band{};
        loud.toRepr(band);
        calcPEQCoeffs(loud).toRepr(band);
        const QByteArray loudBand(reinterpret_cast<const char*>(&band), sizeof band);
        // BW_12, flag 0, 100 Hz, unity sections.
        const QByteArray unity = hex("00000000 00000000 00000001 00000000 00000000");
        emu.setValue(hpIndex, hex("02 00 0000c842") + unity.repeated(4));
        emu.setValue(eqIndex, loudBand);
        emu.setValue(sabreFilter, hex("09"));
        QTRY_VERIFY_WITH_TIMEOUT(w->isConnected() && w->automatonState() == 0, 10000);
        auto* filter = w->findChild<CustomComboBox*>(QStringLiteral("sabreFilterSettingsValue"));
        QCOMPARE(filter->currentText(), QStringLiteral("Unknown (9)"));

        const QString path = dir.filePath(QStringLiteral("held.json"));
        answerFileDialog(path);
        click("saveButton");
        // Back to the factory values, but the high-pass slot's flag byte still says low-pass.
        for (int i : {sabreFilter, eqIndex})
            emu.setValue(i, firmwareParamInitialValue(firmwareParams[i]));
        emu.setValue(hpIndex, hex("00 00 00002041") + unity.repeated(4));
        w->on_actionRead_All_triggered();
        QTRY_VERIFY(w->automatonState() == 0 && filter->currentIndex() == 0);
        QJsonObject root = QJsonDocument::fromJson(readFile(path)).object();
        QJsonObject output = root.value("Analog Output 2").toObject();
        output.insert("Volume", 50);
        root.insert("Analog Output 2", output);
        writeFile(path, QJsonDocument(root).toJson());

        emu.clearLogs();
        QString message;
        answerFileDialog(path);
        answerMessageBox(&message);
        click("loadButton");
        QTRY_VERIFY(w->automatonState() == 0 && !message.isEmpty());
        QCOMPARE(message, QStringLiteral("Error: can't load settings.\nAnalog Output 2/Volume"));
        QCOMPARE(emu.value(eqIndex).toHex(), loudBand.toHex());
        QCOMPARE(emu.value(sabreFilter), hex("09"));
        QCOMPARE(filter->currentText(), QStringLiteral("Unknown (9)"));
        const XoverParams highPass{XoverType::BW_12, true, 100.0};
        xover_repr_t hp{};
        highPass.toRepr(hp);
        calcXoverCoeffs(highPass).toRepr(hp);
        QCOMPARE(emu.value(hpIndex).left(2), hex("02 01"));
        QCOMPARE(emu.value(hpIndex), QByteArray(reinterpret_cast<const char*>(&hp), sizeof hp));
        QCOMPARE(emu.value(volumeIndex), hex("00000000"));
        QCOMPARE(requestsOf(0x02).size(),
                 w->getParamTree()->subsetToList(ParamTree::Settings)->size() - 1);
        for (const QByteArray& frame : requestsOf(0x02))
            QVERIFY(!frame.startsWith(hex("02 03 820207")));
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
