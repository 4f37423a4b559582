#include "emulatedprocessor.h"
#include "mainwindow.h"
#include "pluginwritingprogress.h"
#include "testsupport.h"

#include <QApplication>
#include <QFile>
#include <QMessageBox>
#include <QProgressBar>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <functional>
#include <memory>

static QByteArray image(int size)
{
    QByteArray bytes(size, '\0');
    for (int i = 0; i < size; ++i)
        bytes[i] = char((i * 37) ^ (i >> 5));
    return bytes;
}

static QList<QByteArray> requestsOf(quint8 command)
{
    QList<QByteArray> out;
    for (const QByteArray& frame : EmulatedProcessor::instance().requestLog()) {
        if (quint8(frame.at(0)) == command)
            out.append(frame);
    }
    return out;
}

static const QString success =
    QStringLiteral("The plugin has been written successfully! Restart the device, please.");

// Keeps the window's own timer from ticking: the test alone gives the automaton its ticks.
class TickBlocker : public QObject
{
public:
    bool eventFilter(QObject*, QEvent* event) override { return event->type() == QEvent::Timer; }
};

class TestPluginWriting : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { initTestResources(); }
    void init();
    void outcomes_data();
    void outcomes();
    void chunkFramesAndReadBackSteps();
    void unplugWhileWritingOrVerifying();
    void emptyAndOversizedFilesAreRefused();
    void cancellingChangesNothing();
    void readAllWaitsForThePlugin();

private:
    QString file(const QByteArray& bytes);
    QStringList writePlugin(const QString& path);
    QProgressBar* progressBar()
    {
        return window->findChild<PluginWritingProgress*>()->findChild<QProgressBar*>();
    }

    EmulatedProcessor& emu = EmulatedProcessor::instance();
    QTemporaryDir dir;
    std::unique_ptr<PrivatePreferences> prefs;
    std::unique_ptr<MainWindow> window;
    TickBlocker tickBlocker;
};

void TestPluginWriting::init()
{
    window.reset();
    emu.reset();
    emu.setLatency(std::chrono::microseconds(0));
    emu.plugIn();
    prefs = std::make_unique<PrivatePreferences>();
    window = std::make_unique<MainWindow>();
    window->installEventFilter(&tickBlocker);
}

QString TestPluginWriting::file(const QByteArray& bytes)
{
    QFile file(dir.filePath(QStringLiteral("plugin.bin")));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        return QString();
    return file.fileName();
}

// Chooses `path` in the file dialog (cancels it when empty), lets the sequence run and
// returns the texts of the message boxes it showed.
QStringList TestPluginWriting::writePlugin(const QString& path)
{
    QStringList messages;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&messages] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box && box->isVisible()) {
            messages.append(box->text());
            box->accept();
        }
    });
    closer.start(5);
    answerFileDialog(path);
    window->on_actionWrite_Plugin_triggered();
    if (!QTest::qWaitFor([this] { return window->automatonState() == 0; }, 20000))
        messages.append(QStringLiteral("<still busy>"));
    QTest::qWait(20);
    return messages;
}

void TestPluginWriting::outcomes_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<QList<int>>("refusals"); // the device's codes for the chunks, in turn
    QTest::addColumn<int>("readBackStep");
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("chunksSent");
    QTest::addColumn<int>("readBacks");
    QTest::addColumn<int>("firstProgress"); // -1: not checked
    const QString refused = QStringLiteral("Error: can't write plugin (%1/1000, code=%2)");
    const QList<int> twelveEights = QVector<int>(12, 8).toList();
    QTest::newRow("one full chunk") << 116 << QList<int>() << 58 << success << 1 << 2 << 100;
    QTest::newRow("nine chunks") << 1000 << QList<int>() << 58 << success << 9 << 18 << 11;
    QTest::newRow("code 8 twice, then written")
        << 1000 << QList<int>{8, 8} << 58 << success << 11 << 18 << -1;
    QTest::newRow("code 8 on the second chunk")
        << 1000 << QList<int>{0, 8} << 58 << refused.arg(232).arg(8) << 2 << 0 << -1;
    QTest::newRow("a negative code does not restart")
        << 1000 << QList<int>{0x88} << 58 << refused.arg(116).arg(-120) << 1 << 0 << -1;
    QTest::newRow("ten restarts at most") // the first pass and ten restarts
        << 1000 << twelveEights << 58 << refused.arg(116).arg(8) << 11 << 0 << -1;
    QTest::newRow("read-back without bytes")
        << 200 << QList<int>() << 0 << QStringLiteral("Plugin verification failed!") << 2 << 1
        << -1;
}

void TestPluginWriting::outcomes()
{
    QFETCH(int, size);
    QFETCH(QList<int>, refusals);
    QFETCH(int, readBackStep);
    QFETCH(QString, message);
    QFETCH(int, chunksSent);
    QFETCH(int, readBacks);
    QFETCH(int, firstProgress);
    emu.refusePluginChunks(refusals);
    emu.setReadBackStep(readBackStep);
    QSignalSpy progress(progressBar(), &QProgressBar::valueChanged);
    QCOMPARE(writePlugin(file(image(size))), QStringList{message});
    QCOMPARE(requestsOf(0x04).size(), chunksSent);
    QCOMPARE(requestsOf(0x03).size(), readBacks);
    if (firstProgress >= 0)
        QCOMPARE(progress.first().first().toInt(), firstProgress);
    if (message == success) {
        QCOMPARE(emu.pluginImage(), image(size));
        QVERIFY(!window->findChild<PluginWritingProgress*>()->isVisible());
        const QSettings settings(QStringLiteral("Veltrane"), QStringLiteral("Tonvise"));
        QCOMPARE(settings.value(QStringLiteral("lastPluginsDir")).toString(), dir.path());
    }
}

void TestPluginWriting::chunkFramesAndReadBackSteps()
{
    // write, offset 116, the last byte and three bytes of padding; then read back from 0, 58
    // and 116, in the device's steps.
    const QByteArray bytes = image(117);
    QCOMPARE(writePlugin(file(bytes)), QStringList{success});
    QCOMPARE(requestsOf(0x04).last(),
             QByteArray::fromHex("04 74000000") + bytes.mid(116) + QByteArray::fromHex("000000"));
    QCOMPARE(requestsOf(0x03), (QList<QByteArray>{QByteArray::fromHex("03 00000000"),
                                                  QByteArray::fromHex("03 3A000000"),
                                                  QByteArray::fromHex("03 74000000")}));
}

void TestPluginWriting::unplugWhileWritingOrVerifying()
{
    QObject::connect(progressBar(), &QProgressBar::valueChanged, window.get(), [this](int value) {
        if (value == 23) // the third chunk is next
            emu.unplug();
    });
    QCOMPARE(writePlugin(file(image(1000))),
             QStringList{QStringLiteral("Error: can't write plugin (348/1000, code=0)")});

    init();
    QObject::connect(progressBar(), &QProgressBar::valueChanged, window.get(), [this](int value) {
        auto* dialog = window->findChild<PluginWritingProgress*>();
        if (dialog->text() == QStringLiteral("Verifying plugin...") && value > 0)
            emu.unplug();
    });
    QCOMPARE(writePlugin(file(image(1000))),
             QStringList{QStringLiteral("Plugin verification failed!")});
    QCOMPARE(requestsOf(0x04).size(), 9);
}

void TestPluginWriting::emptyAndOversizedFilesAreRefused()
{
    const QStringList refused{QStringLiteral("Error: can't start plugin writing.")};
    QCOMPARE(writePlugin(file(QByteArray())), refused);
    // Past the signed 32-bit offsets (a sparse file: nothing is read or sent).
    QFile huge(dir.filePath(QStringLiteral("huge.bin")));
    QVERIFY(huge.open(QIODevice::WriteOnly) && huge.resize(qint64(1) << 31));
    huge.close();
    QCOMPARE(writePlugin(huge.fileName()), refused);
    QVERIFY(emu.requestLog().isEmpty());
}

void TestPluginWriting::cancellingChangesNothing()
{
    QSettings settings(QStringLiteral("Veltrane"), QStringLiteral("Tonvise"));
    settings.setValue(QStringLiteral("lastPluginsDir"), QStringLiteral("/elsewhere"));
    QCOMPARE(writePlugin(QString()), QStringList());
    QCOMPARE(settings.value(QStringLiteral("lastPluginsDir")).toString(),
             QStringLiteral("/elsewhere"));
    QVERIFY(emu.requestLog().isEmpty());
}

void TestPluginWriting::readAllWaitsForThePlugin()
{
    bool pressed = false;
    QObject::connect(progressBar(), &QProgressBar::valueChanged, window.get(), [&] {
        if (!std::exchange(pressed, true))
            window->on_actionRead_All_triggered();
    });
    QCOMPARE(writePlugin(file(image(1000))), QStringList{success});
    QTRY_VERIFY(window->automatonState() == 0 && requestsOf(0x01).size() == 165);
    // Nothing of Read All went out before the last read-back.
    const QList<QByteArray> log = emu.requestLog();
    QCOMPARE(log.mid(log.size() - 165), requestsOf(0x01));
    QCOMPARE(quint8(log[log.size() - 166].at(0)), quint8(0x03));
}

QTEST_MAIN(TestPluginWriting)
#include "test_pluginwriting.moc"
