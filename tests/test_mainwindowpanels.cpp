#include "channelcontrol.h"
#include "customcheckbox.h"
#include "doublespinboxnode.h"
#include "emulatedprocessor.h"
#include "mainwindow.h"
#include "outputnode.h"
#include "paramtree.h"
#include "testsupport.h"
#include "treewidget.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QGridLayout>
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
            auto* box = static_cast<QMessageBox*>(dialog);
            *text = box->text();
            box->accept();
        },
        5000, "QMessageBox");
}

int writeRequestCount()
{
    int count = 0;
    for (const QByteArray& request : EmulatedProcessor::instance().requestLog()) {
        if (!request.isEmpty() && request.at(0) == 0x02)
            ++count;
    }
    return count;
}

QString storedPresetsDir()
{
    return QSettings(QStringLiteral("Veltrane"), QStringLiteral("Tonvise"))
        .value(QStringLiteral("lastPresetsDir"))
        .toString();
}

} // namespace

class TestMainWindowPanels : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { initTestResources(); }

    void init()
    {
        EmulatedProcessor::instance().reset();
        EmulatedProcessor::instance().setLatency(std::chrono::microseconds(0));
        EmulatedProcessor::instance().plugIn();
    }

    void routingTableAndLabels()
    {
        PrivatePreferences prefs;
        MainWindow w;
        auto* routing = w.findChild<QGridLayout*>(QStringLiteral("routingTable"));
        QVERIFY(routing);
        int boxes = 0;
        QStringList headers;
        for (int i = 0; i < routing->count(); ++i) {
            int row, column, rowSpan, columnSpan;
            routing->getItemPosition(i, &row, &column, &rowSpan, &columnSpan);
            QWidget* widget = routing->itemAt(i)->widget();
            if (auto* box = qobject_cast<CustomCheckBox*>(widget)) {
                ++boxes;
                QCOMPARE(box->property("className").toString(), QStringLiteral("routing-checkbox"));
                QVERIFY(row >= 1 && column >= 1);
            } else if (row == 0) {
                headers << qobject_cast<QLabel*>(widget)->text();
            }
        }
        QCOMPARE(boxes, 16);
        QCOMPARE(headers, QStringList({"Input 1", "Input 2"}));

        // Renaming output 3 through its title: 20 typed characters keep 16.
        QList<ChannelControl*> strips;
        for (ChannelControl* strip : w.findChildren<ChannelControl*>()) {
            if (strip->title().startsWith(QStringLiteral("  Output ")))
                strips << strip;
        }
        QCOMPARE(strips.size(), 8);
        ChannelControl* third = strips.at(2);
        answerNextDialog([](QWidget* dialog) {
            auto* input = qobject_cast<QInputDialog*>(dialog);
            QVERIFY(input);
            QCOMPARE(input->windowTitle(), QStringLiteral("Output 3"));
            QLineEdit* editor = input->findChild<QLineEdit*>();
            editor->clear();
            QTest::keyClicks(editor, QStringLiteral("Front left tweeter"));
            QCOMPARE(editor->text(), QStringLiteral("Front left tweet"));
            input->accept();
        });
        QTest::mousePress(third, Qt::LeftButton, Qt::NoModifier, QPoint(20, 40));
        QTRY_COMPARE(third->title(), QStringLiteral("  Front left tweet  "));
        QCOMPARE(third->getOutputLabel(), QStringLiteral("Front left tweet"));
        QVERIFY(w.findChildren<QLabel*>().size() > 0);
        int renamed = 0;
        for (QLabel* label : w.findChildren<QLabel*>())
            renamed += label->text() == QStringLiteral("Front left tweet");
        QCOMPARE(renamed, 2); // routing table and subwoofer table
    }

    void stripButtonsOpenTheDialogs()
    {
        PrivatePreferences prefs;
        MainWindow w;
        auto* hub = w.findChild<TreeWidget*>(QStringLiteral("paramTree"));
        auto* crossover = w.findChild<QDialog*>(QStringLiteral("CrossoverDialog"));
        auto* equalizer = w.findChild<QDialog*>(QStringLiteral("EqualizerDialog"));
        QVERIFY(crossover && equalizer);
        // A PEQ button whose node cannot be read opens nothing.
        Q_EMIT hub->peqButtonClicked(nullptr);
        QVERIFY(!equalizer->isVisible());
        w.getParamTree()->getOutputNode(2)->clickXoverButton();
        QVERIFY(crossover->isVisible());
        crossover->hide();
        w.getParamTree()->getOutputNode(2)->clickPeqButton();
        QVERIFY(equalizer->isVisible());
        equalizer->hide();
    }

    void saveWritesTheDocument()
    {
        PrivatePreferences prefs;
        QTemporaryDir dir;
        MainWindow w;
        w.show();
        auto* save = w.findChild<QPushButton*>(QStringLiteral("saveButton"));

        answerFileDialog(dir.filePath(QStringLiteral("plain")));
        save->click();
        QFile plain(dir.filePath(QStringLiteral("plain.json")));
        QVERIFY(plain.open(QIODevice::ReadOnly));
        QJsonDocument expected;
        w.getParamTree()->constructJsonDocument(expected);
        QCOMPARE(QJsonDocument::fromJson(plain.readAll()), expected);
        QCOMPARE(storedPresetsDir(), dir.path());

        answerFileDialog(dir.filePath(QStringLiteral("upper.JSON")));
        save->click();
        QVERIFY(QFile::exists(dir.filePath(QStringLiteral("upper.JSON"))));
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("upper.JSON.json"))));

        // Cancelling changes nothing, the remembered folder included.
        QSettings(QStringLiteral("Veltrane"), QStringLiteral("Tonvise"))
            .setValue(QStringLiteral("lastPresetsDir"), QStringLiteral("/nowhere"));
        answerFileDialog(QString());
        save->click();
        QCOMPARE(storedPresetsDir(), QStringLiteral("/nowhere"));
    }

    // A write that fails midway (the file size limit) must not cost the old file.
    void failedSaveKeepsTheOldFile()
    {
        PrivatePreferences prefs;
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("kept.json"));
        QFile old(path);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("{\"previous\": true}\n");
        old.close();

        MainWindow w;
        w.show();
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit saved{};
        getrlimit(RLIMIT_FSIZE, &saved);
        rlimit small = saved;
        small.rlim_cur = 4096;
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
        QString message;
        answerFileDialog(path);
        // First the file dialog's own question whether to replace the file, then our error.
        answerNextDialog(
            [&message](QWidget* dialog) {
                auto* box = static_cast<QMessageBox*>(dialog);
                box->button(QMessageBox::Yes)->click();
                answerMessageBox(&message);
            },
            5000, "QMessageBox");
        w.findChild<QPushButton*>(QStringLiteral("saveButton"))->click();
        setrlimit(RLIMIT_FSIZE, &saved);
        QTRY_COMPARE(message, QStringLiteral("Error: can't save settings."));
        QVERIFY(old.open(QIODevice::ReadOnly));
        QCOMPARE(old.readAll(), QByteArray("{\"previous\": true}\n"));
    }

    void loadAppliesAndWritesEverySetting()
    {
        PrivatePreferences prefs;
        QTemporaryDir dir;
        MainWindow w;
        w.show();
        ParamTree* tree = w.getParamTree();
        QTRY_VERIFY_WITH_TIMEOUT(w.isConnected() && w.automatonState() == 0, 10000);

        QJsonDocument document;
        tree->constructJsonDocument(document);
        QJsonObject root = document.object();
        QJsonObject output = root.value("Analog Output 2").toObject();
        output.insert("Volume", -33.3);
        root.insert("Analog Output 2", output);
        const QString path = dir.filePath(QStringLiteral("load.json"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QJsonDocument(root).toJson());
        file.close();

        EmulatedProcessor::instance().clearLogs();
        auto* volume =
            static_cast<DoubleSpinBoxNode*>(tree->getParamNode(ParamTree::All, 37 + 16 + 2));
        auto* hub = w.findChild<TreeWidget*>(QStringLiteral("paramTree"));
        answerFileDialog(path);
        w.findChild<QPushButton*>(QStringLiteral("loadButton"))->click();
        QCOMPARE(volume->value(), -33.3);
        QVERIFY(!hub->isEnabled());
        QTRY_VERIFY_WITH_TIMEOUT(w.automatonState() == 0, 20000);
        QVERIFY(hub->isEnabled());

        QList<QByteArray> writes;
        for (const QByteArray& request : EmulatedProcessor::instance().requestLog()) {
            if (request.at(0) == 0x02)
                writes << request;
        }
        const QList<Node*>& settings = *tree->subsetToList(ParamTree::Settings);
        QCOMPARE(writes.size(), settings.size());
        for (int i = 0; i < settings.size(); ++i) {
            const QByteArray path = settings.at(i)->makePath();
            QCOMPARE(writes.at(i).mid(2, path.size()).toHex(), path.toHex());
        }
        QCOMPARE(EmulatedProcessor::instance().value(37 + 16 + 2).toHex(),
                 volume->serialize().toHex());
    }

    void badOrCancelledLoadSendsNothing()
    {
        PrivatePreferences prefs;
        QTemporaryDir dir;
        MainWindow w;
        w.show();
        const QString path = dir.filePath(QStringLiteral("broken.json"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("{\"Analog Output 1\": {\"Volume\": -5,");
        file.close();
        EmulatedProcessor::instance().clearLogs();

        QString message;
        answerFileDialog(path);
        answerMessageBox(&message);
        w.findChild<QPushButton*>(QStringLiteral("loadButton"))->click();
        QTRY_COMPARE(message, QStringLiteral("Error: can't load settings."));

        QSettings(QStringLiteral("Veltrane"), QStringLiteral("Tonvise"))
            .setValue(QStringLiteral("lastPresetsDir"), QStringLiteral("/nowhere"));
        answerFileDialog(QString());
        w.findChild<QPushButton*>(QStringLiteral("loadButton"))->click();
        QCOMPARE(storedPresetsDir(), QStringLiteral("/nowhere"));
        QTest::qWait(50);
        QCOMPARE(writeRequestCount(), 0);
    }
};

QTEST_MAIN(TestMainWindowPanels)
#include "test_mainwindowpanels.moc"
