#include "channelcontrol.h"
#include "customcheckbox.h"
#include "doublespinboxnode.h"
#include "linkexchange.h"
#include "mainwindow.h"
#include "outputnode.h"
#include "paramtree.h"
#include "steadycachestyle.h"
#include "testsupport.h"
#include "treewidget.h"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QInputDialog>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
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

// The pixmaps a window's icons are drawn from. Qt's pixmap cache keeps every drawing of every
// icon, so a dialog that draws new ones on each opening leaves them all behind.
QList<qint64> iconDrawings(QWidget* window)
{
    QList<qint64> keys;
    for (QAbstractButton* button : window->findChildren<QAbstractButton*>())
        if (!button->icon().isNull())
            keys << button->icon().pixmap(16).cacheKey();
    for (QLabel* label : window->findChildren<QLabel*>())
        if (!label->pixmap(Qt::ReturnByValue).isNull())
            keys << label->pixmap(Qt::ReturnByValue).cacheKey();
    for (QComboBox* combo : window->findChildren<QComboBox*>())
        for (int i = 0; i < combo->count(); ++i)
            if (!combo->itemIcon(i).isNull())
                keys << combo->itemIcon(i).pixmap(16).cacheKey();
    for (QHeaderView* header : window->findChildren<QHeaderView*>()) {
        const QVariant spacer =
            header->model()->headerData(0, header->orientation(), Qt::DecorationRole);
        if (spacer.isValid())
            keys << qvariant_cast<QPixmap>(spacer).cacheKey();
    }
    return keys;
}

} // namespace

class TestMainWindowPanels : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        initTestResources();
        QApplication::setStyle(new SteadyCacheStyle(QStringLiteral("Fusion"))); // as main() does
    }

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

    // Each dialog, popup and input box leaves nothing behind once closed: no window, and no
    // new icon drawings in the pixmap cache (a file dialog used to leave some 20 KiB there).
    void closingLeavesNothingBehind()
    {
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        const auto menuAction = [this](const QString& text) {
            for (QAction* action : w->findChildren<QAction*>())
                if (action->text() == text)
                    return action;
            return static_cast<QAction*>(nullptr);
        };
        auto* preset = w->findChild<QComboBox*>(QStringLiteral("presetValue"));
        auto* crossover = w->findChild<QDialog*>(QStringLiteral("CrossoverDialog"));
        auto* highpass = crossover->findChild<QComboBox*>(QStringLiteral("highpassType"));
        ChannelControl* firstOutput = nullptr;
        for (ChannelControl* strip : w->findChildren<ChannelControl*>())
            if (strip->title() == QStringLiteral("  Output 1  "))
                firstOutput = strip;
        const struct
        {
            const char* what;
            const char* dialogClass; // the modal dialog it opens, cancelled when it shows
            std::function<void()> openAndClose;
        } cases[] = {
            {"save dialog", "QFileDialog", [&] { click("saveButton"); }},
            {"load dialog", "QFileDialog", [&] { click("loadButton"); }},
            {"plugin dialog", "QFileDialog", [&] { menuAction("   Write Plugin")->trigger(); }},
            {"confirmation", "QMessageBox", [&] { menuAction("Reboot")->trigger(); }},
            {"label editor", "QInputDialog", [&] { Q_EMIT firstOutput->titlePressed(); }},
            {"preset list", nullptr, // closed by choosing the preset already chosen
             [&] {
                 QTest::mouseClick(preset, Qt::LeftButton);
                 for (QPushButton* button : w->findChildren<QPushButton*>())
                     if (button->isVisible() && button->isChecked() &&
                         button->property("itemIndex").isValid())
                         return button->click();
                 QFAIL("no popup");
             }},
            {"crossover dialog and type list", nullptr,
             [&] {
                 w->getParamTree()->getOutputNode(0)->clickXoverButton();
                 highpass->showPopup();
                 QTest::qWait(20);
                 highpass->hidePopup();
                 crossover->reject();
             }},
            {"settings menu", nullptr,
             [&] {
                 click("settingsButton");
                 w->findChild<QMenu*>(QString(), Qt::FindDirectChildrenOnly)->close();
             }},
        };
        const auto windows = [] {
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            return QApplication::topLevelWidgets().size();
        };
        const int before = windows();
        int answered = 0;
        QList<qint64> drawn; // by the last dialog answered
        for (const auto& c : cases) {
            QList<qint64> firstDrawn;
            for (int i = 0; i < 4; ++i) {
                const int answeredBefore = answered;
                if (c.dialogClass) {
                    answerNextDialog(
                        [&](QWidget* dialog) {
                            ++answered;
                            drawn = iconDrawings(dialog);
                            static_cast<QDialog*>(dialog)->reject();
                        },
                        5000, c.dialogClass);
                }
                c.openAndClose();
                QVERIFY2(answered == answeredBefore + (c.dialogClass ? 1 : 0), c.what);
                QVERIFY2(windows() == before, c.what);
                if (i == 0)
                    firstDrawn = drawn; // the first opening may fill caches
                QVERIFY2(drawn == firstDrawn, c.what);
            }
        }
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
