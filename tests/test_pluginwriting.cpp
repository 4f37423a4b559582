#include "emulatedprocessor.h"
#include "mainwindow.h"
#include "pluginwritingprogress.h"
#include "testsupport.h"

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QMessageBox>
#include <QProgressBar>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <functional>
#include <memory>

namespace {

QByteArray hex(const char* digits)
{
    return QByteArray::fromHex(digits);
}

QByteArray image(int size)
{
    QByteArray bytes(size, '\0');
    for (int i = 0; i < size; ++i)
        bytes[i] = char((i * 37) ^ (i >> 5));
    return bytes;
}

QList<QByteArray> requestsOf(quint8 command)
{
    QList<QByteArray> out;
    for (const QByteArray& frame : EmulatedProcessor::instance().requestLog()) {
        if (!frame.isEmpty() && quint8(frame[0]) == command)
            out.append(frame);
    }
    return out;
}

// Answers the file dialog with `path` (or cancels it when empty) and closes every
// message box, keeping its text.
class DialogAnswers
{
public:
    explicit DialogAnswers(const QString& path) : path(path)
    {
        timer.setInterval(5);
        QObject::connect(&timer, &QTimer::timeout, [this] {
            QWidget* modal = QApplication::activeModalWidget();
            if (auto* files = qobject_cast<QFileDialog*>(modal)) {
                if (this->path.isEmpty()) {
                    files->reject();
                } else {
                    files->selectFile(this->path);
                    static_cast<QDialog*>(files)->accept();
                }
            } else if (auto* box = qobject_cast<QMessageBox*>(modal)) {
                if (box->isVisible()) {
                    messages.append(box->text());
                    box->accept();
                }
            }
        });
        timer.start();
    }
    QString path;
    QStringList messages;

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

class TestPluginWriting : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void oneFullChunk();
    void shortLastChunkIsPadded();
    void nineChunksWithProgress();
    void firstChunkRefusedTwiceThenWritten();
    void secondChunkRefused();
    void negativeCodesDoNotRestart();
    void restartsAreBounded();
    void unplugWhileWriting();
    void unplugWhileVerifying();
    void readBackWithoutBytesFails();
    void emptyAndOversizedFilesAreRefused();
    void cancellingChangesNothing();
    void readAllWaitsForThePlugin();

private:
    QString writeFile(const QByteArray& bytes);
    // Chooses the file, waits for the sequence to end and returns the messages shown.
    QStringList writePlugin(const QString& path);
    QProgressBar* progressBar();
    void onProgress(std::function<void(int)> action);

    EmulatedProcessor& emu = EmulatedProcessor::instance();
    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<PrivatePreferences> prefs;
    std::unique_ptr<MainWindow> window;
    TickBlocker tickBlocker;
};

void TestPluginWriting::initTestCase()
{
    initTestResources();
}

void TestPluginWriting::init()
{
    emu.reset();
    emu.setLatency(std::chrono::microseconds(0));
    emu.plugIn();
    dir = std::make_unique<QTemporaryDir>();
    prefs = std::make_unique<PrivatePreferences>();
    window = std::make_unique<MainWindow>();
    window->installEventFilter(&tickBlocker);
}

void TestPluginWriting::cleanup()
{
    window.reset();
    prefs.reset();
    dir.reset();
}

QString TestPluginWriting::writeFile(const QByteArray& bytes)
{
    const QString path = dir->filePath(QStringLiteral("plugin.bin"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        return QString();
    return path;
}

QStringList TestPluginWriting::writePlugin(const QString& path)
{
    DialogAnswers answers(path);
    window->on_actionWrite_Plugin_triggered();
    if (!QTest::qWaitFor([this] { return window->automatonState() == 0; }, 20000))
        return {QStringLiteral("<still busy>")};
    QTest::qWait(20);
    return answers.messages;
}

QProgressBar* TestPluginWriting::progressBar()
{
    auto* dialog = window->findChild<PluginWritingProgress*>();
    return dialog ? dialog->findChild<QProgressBar*>(QStringLiteral("progressBar")) : nullptr;
}

void TestPluginWriting::onProgress(std::function<void(int)> action)
{
    QObject::connect(progressBar(), &QProgressBar::valueChanged, window.get(), action);
}

static const QString success =
    QStringLiteral("The plugin has been written successfully! Restart the device, please.");

void TestPluginWriting::oneFullChunk()
{
    const QByteArray bytes = image(116);
    QSignalSpy progress(progressBar(), &QProgressBar::valueChanged);
    QCOMPARE(writePlugin(writeFile(bytes)), QStringList{success});
    QCOMPARE(requestsOf(0x04), QList<QByteArray>{hex("04"
                                                     "00000000") +
                                                 bytes});
    QCOMPARE(emu.pluginImage(), bytes);
    QCOMPARE(progress.first().first().toInt(), 100);
    QVERIFY(!window->findChild<PluginWritingProgress*>()->isVisible());
    QCOMPARE(QSettings(QStringLiteral("Veltrane"), QStringLiteral("Tonvise"))
                 .value(QStringLiteral("lastPluginsDir"))
                 .toString(),
             dir->path());
}

void TestPluginWriting::shortLastChunkIsPadded()
{
    const QByteArray bytes = image(117);
    QCOMPARE(writePlugin(writeFile(bytes)), QStringList{success});
    const QList<QByteArray> writes = requestsOf(0x04);
    QCOMPARE(writes.size(), 2);
    QCOMPARE(writes[1], hex("04"
                            "74000000") +
                            bytes.mid(116) + hex("000000"));
    // Read back in the device's steps of 58 bytes.
    QCOMPARE(requestsOf(0x03), (QList<QByteArray>{hex("03"
                                                      "00000000"),
                                                  hex("03"
                                                      "3A000000"),
                                                  hex("03"
                                                      "74000000")}));
}

void TestPluginWriting::nineChunksWithProgress()
{
    QSignalSpy progress(progressBar(), &QProgressBar::valueChanged);
    QCOMPARE(writePlugin(writeFile(image(1000))), QStringList{success});
    QCOMPARE(requestsOf(0x04).size(), 9);
    QCOMPARE(requestsOf(0x04).last().size(), 5 + 72);
    QCOMPARE(progress.first().first().toInt(), 11);
    QCOMPARE(emu.pluginImage(), image(1000));
}

void TestPluginWriting::firstChunkRefusedTwiceThenWritten()
{
    emu.refusePluginChunks({8, 8});
    QCOMPARE(writePlugin(writeFile(image(1000))), QStringList{success});
    const QList<QByteArray> writes = requestsOf(0x04);
    QCOMPARE(writes.size(), 11);
    QCOMPARE(writes[0], writes[2]);
    QCOMPARE(writes[3].mid(1, 4), hex("74000000"));
}

void TestPluginWriting::secondChunkRefused()
{
    emu.refusePluginChunks({0, 8});
    QCOMPARE(writePlugin(writeFile(image(1000))),
             QStringList{QStringLiteral("Error: can't write plugin (232/1000, code=8)")});
    QCOMPARE(requestsOf(0x04).size(), 2);
    QVERIFY(requestsOf(0x03).isEmpty());
}

void TestPluginWriting::negativeCodesDoNotRestart()
{
    emu.refusePluginChunks({0x88});
    QCOMPARE(writePlugin(writeFile(image(1000))),
             QStringList{QStringLiteral("Error: can't write plugin (116/1000, code=-120)")});
    QCOMPARE(requestsOf(0x04).size(), 1);
}

void TestPluginWriting::restartsAreBounded()
{
    emu.refusePluginChunks(QList<int>()
                           << 8 << 8 << 8 << 8 << 8 << 8 << 8 << 8 << 8 << 8 << 8 << 8);
    QCOMPARE(writePlugin(writeFile(image(1000))),
             QStringList{QStringLiteral("Error: can't write plugin (116/1000, code=8)")});
    QCOMPARE(requestsOf(0x04).size(), 11); // the first pass and ten restarts
}

void TestPluginWriting::unplugWhileWriting()
{
    onProgress([this](int value) {
        if (value == 23)
            emu.unplug();
    });
    QCOMPARE(writePlugin(writeFile(image(1000))),
             QStringList{QStringLiteral("Error: can't write plugin (348/1000, code=0)")});
}

void TestPluginWriting::unplugWhileVerifying()
{
    onProgress([this](int value) {
        auto* dialog = window->findChild<PluginWritingProgress*>();
        if (dialog->text() == QStringLiteral("Verifying plugin...") && value > 0)
            emu.unplug();
    });
    QCOMPARE(writePlugin(writeFile(image(1000))),
             QStringList{QStringLiteral("Plugin verification failed!")});
    QCOMPARE(requestsOf(0x04).size(), 9);
}

void TestPluginWriting::readBackWithoutBytesFails()
{
    emu.setReadBackStep(0);
    QCOMPARE(writePlugin(writeFile(image(200))),
             QStringList{QStringLiteral("Plugin verification failed!")});
    QCOMPARE(requestsOf(0x03).size(), 1);
}

void TestPluginWriting::emptyAndOversizedFilesAreRefused()
{
    const QString refused = QStringLiteral("Error: can't start plugin writing.");
    QCOMPARE(writePlugin(writeFile(QByteArray())), QStringList{refused});

    // Past the signed 32-bit offsets (a sparse file: nothing is read or sent).
    const QString path = dir->filePath(QStringLiteral("huge.bin"));
    QFile huge(path);
    QVERIFY(huge.open(QIODevice::WriteOnly));
    QVERIFY(huge.resize(qint64(1) << 31));
    huge.close();
    QCOMPARE(writePlugin(path), QStringList{refused});
    QVERIFY(emu.requestLog().isEmpty());
}

void TestPluginWriting::cancellingChangesNothing()
{
    QCOMPARE(writePlugin(writeFile(image(116))), QStringList{success});
    QSettings settings(QStringLiteral("Veltrane"), QStringLiteral("Tonvise"));
    settings.setValue(QStringLiteral("lastPluginsDir"), QStringLiteral("/elsewhere"));
    emu.clearLogs();
    QCOMPARE(writePlugin(QString()), QStringList());
    QCOMPARE(settings.value(QStringLiteral("lastPluginsDir")).toString(),
             QStringLiteral("/elsewhere"));
    QVERIFY(emu.requestLog().isEmpty());
    QCOMPARE(emu.pluginImage(), image(116));
}

void TestPluginWriting::readAllWaitsForThePlugin()
{
    bool pressed = false;
    onProgress([&](int) {
        if (!pressed) {
            pressed = true;
            window->on_actionRead_All_triggered();
        }
    });
    QCOMPARE(writePlugin(writeFile(image(1000))), QStringList{success});
    QTRY_VERIFY(window->automatonState() == 0 && requestsOf(0x01).size() == 165);
    // Nothing of Read All went out before the last read-back.
    const QList<QByteArray> log = emu.requestLog();
    int lastReadBack = -1;
    int firstParamRead = -1;
    for (int i = 0; i < log.size(); ++i) {
        if (quint8(log[i][0]) == 0x03)
            lastReadBack = i;
        if (quint8(log[i][0]) == 0x01 && firstParamRead < 0)
            firstParamRead = i;
    }
    QVERIFY(firstParamRead > lastReadBack);
}

QTEST_MAIN(TestPluginWriting)
#include "test_pluginwriting.moc"
