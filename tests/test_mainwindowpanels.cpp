#include "channelcontrol.h"
#include "customcheckbox.h"
#include "doublespinboxnode.h"
#include "labelledgroupbox.h"
#include "linkexchange.h"
#include "mainwindow.h"
#include "outputnode.h"
#include "paramtree.h"
#include "testsupport.h"
#include "treewidget.h"

#include <QComboBox>
#include <QDialogButtonBox>
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
        ChannelControl* third = strip(QStringLiteral("  Output 3  "));
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

    // Eight labels as wide as labels get keep the window and the crossover dialog within a
    // 1366 x 768 screen, in both themes: titles are cut short, with the whole label as
    // their tool tip; a label that fits is shown whole.
    void longLabelsKeepTheWindowOnALaptopScreen()
    {
        const QString widest(16, QLatin1Char('W'));
        for (int i = 0; i < 8; ++i)
            w->getParamTree()->getOutputNode(i)->setLabel(i == 7 ? QStringLiteral("Sub") : widest);
        // Opened after the labels came, as when the device names its outputs first.
        auto* crossover = w->findChild<QDialog*>(QStringLiteral("CrossoverDialog"));
        auto* equalizer = w->findChild<QDialog*>(QStringLiteral("EqualizerDialog"));
        w->getParamTree()->getOutputNode(0)->clickXoverButton();
        w->getParamTree()->getOutputNode(0)->clickPeqButton();
        for (const bool dark : {false, true}) {
            if (dark)
                w->reloadStyleblue();
            QCoreApplication::processEvents(); // lays the windows out anew
            for (QWidget* window : QList<QWidget*>{w.get(), crossover, equalizer})
                QVERIFY2(window->minimumSizeHint().width() <= 1280,
                         qPrintable(window->objectName()));
            // The output strips and the crossover dialog's outputs.
            int elided = 0, whole = 0;
            for (LabelledGroupBox* box : w->findChildren<LabelledGroupBox*>()) {
                const QString title = box->title();
                if (box->toolTip() == widest) {
                    elided += box->minimumSizeHint().width() <= box->sizeHint().width() &&
                              title.startsWith(QStringLiteral("  W")) &&
                              title.endsWith(QStringLiteral("\u2026  ")) &&
                              title.size() < widest.size() + 4;
                } else {
                    whole += title == QStringLiteral("  Sub  ") && box->toolTip().isEmpty();
                }
            }
            QCOMPARE(elided, 14);
            QCOMPARE(whole, 2);
        }
    }

    // Both filter dialogs close from their own Close button as well as with Escape. Every
    // dialog, message box and input box shows the window's font, not the system's.
    void dialogsCloseAndShareTheWindowsFont()
    {
        OutputNode* output = w->getParamTree()->getOutputNode(1);
        QStringList fonts;
        const auto fontOf = [](QWidget* widget) {
            return QStringLiteral("%1 %2")
                .arg(widget->font().family())
                .arg(widget->font().pointSize());
        };
        for (const char* name : {"CrossoverDialog", "EqualizerDialog"}) {
            auto* dialog = w->findChild<QDialog*>(QLatin1String(name));
            for (const bool escape : {false, true}) {
                if (dialog->objectName() == QLatin1String("CrossoverDialog"))
                    output->clickXoverButton();
                else
                    output->clickPeqButton();
                QVERIFY(dialog->isVisible());
                QPushButton* close =
                    dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Close);
                QVERIFY(close);
                if (escape)
                    QTest::keyClick(dialog, Qt::Key_Escape);
                else
                    close->click();
                QVERIFY(!dialog->isVisible());
            }
            fonts << fontOf(dialog->findChild<QComboBox*>());
        }
        w->onActionAboutTriggered(false);
        fonts << fontOf(
            w->findChild<QDialog*>(QStringLiteral("AboutDialog"))->findChild<QLabel*>());

        // A message box, the label editor's input box and a file dialog: their text.
        const auto record = [&fonts, fontOf](QWidget* dialog) {
            fonts << fontOf(dialog->findChild<QLabel*>());
            static_cast<QDialog*>(dialog)->reject();
        };
        answerNextDialog(record, 5000, "QMessageBox");
        w->confirm(QStringLiteral("Reboot device?"));
        answerNextDialog(record, 5000, "QInputDialog");
        QTest::mousePress(strip(QStringLiteral("  Output 1  ")), Qt::LeftButton, Qt::NoModifier,
                          QPoint(20, 20));
        answerNextDialog(record, 5000, "QFileDialog");
        click("saveButton");
        QCOMPARE(fonts, QVector<QString>(6, QStringLiteral("Roboto 10")).toList());
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
    // with the tree view disabled until the last.
    void loadAppliesAndWritesEverySetting()
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
    ChannelControl* strip(const QString& title)
    {
        for (ChannelControl* strip : w->findChildren<ChannelControl*>())
            if (strip->title() == title)
                return strip;
        return nullptr;
    }
    EmulatedProcessor& emu = EmulatedProcessor::instance();
    std::unique_ptr<PrivatePreferences> prefs;
    std::unique_ptr<MainWindow> w;
    QTemporaryDir dir;
};

QTEST_MAIN(TestMainWindowPanels)
#include "test_mainwindowpanels.moc"
