#include "linkexchange.h"
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
#include <memory>

static QByteArray image(int size)
{
    QByteArray bytes(size, '\0');
    for (int i = 0; i < size; ++i)
        bytes[i] = char((i * 37) ^ (i >> 5));
    return bytes;
}

static const QString success =
    QStringLiteral("The plugin has been written successfully! Restart the device, please.");

class TestPluginWriting : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { initTestResources(); }
    void init();
    void outcomes_data();
    void outcomes();
    void unplugOrEmptyReadBack();
    void nothingIsSent();
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
    const bool written = file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
    return written ? file.fileName() : QString();
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
    QTest::addColumn<QList<int>>("codes"); // the device's answers to the chunks, in turn
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("chunksSent");
    QTest::addColumn<int>("readBacks");
    const QString refused = QStringLiteral("Error: can't write plugin (%1/1000, code=%2)");
    QTest::newRow("one full chunk") << 116 << QList<int>() << success << 1 << 2;
    QTest::newRow("padded last chunk") << 117 << QList<int>() << success << 2 << 3;
    QTest::newRow("nine chunks") << 1000 << QList<int>() << success << 9 << 18;
    QTest::newRow("code 8 twice") << 1000 << QList<int>{8, 8} << success << 11 << 18;
    QTest::newRow("code 8, second")
        << 1000 << QList<int>{0, 8} << refused.arg(232).arg(8) << 2 << 0;
    QTest::newRow("negative code")
        << 1000 << QList<int>{0x88} << refused.arg(116).arg(-120) << 1 << 0;
    QTest::newRow("ten restarts at most") // the first pass and ten restarts
        << 1000 << QVector<int>(12, 8).toList() << refused.arg(116).arg(8) << 11 << 0;
}

void TestPluginWriting::outcomes()
{
    QFETCH(int, size);
    QFETCH(QList<int>, codes);
    QFETCH(QString, message);
    QFETCH(int, chunksSent);
    QFETCH(int, readBacks);
    emu.refusePluginChunks(codes);
    QSignalSpy progress(progressBar(), &QProgressBar::valueChanged);
    QCOMPARE(writePlugin(file(image(size))), QStringList{message});
    QCOMPARE(requestsOf(0x04).size(), chunksSent);
    QCOMPARE(requestsOf(0x03).size(), readBacks); // verification only after a whole pass
    if (message == success) {
        QCOMPARE(progress.first().first().toInt(), 11600 / size); // after the first chunk
        QCOMPARE(emu.pluginImage().left(size), image(size));      // whole words only were accepted
        QVERIFY(!window->findChild<PluginWritingProgress*>()->isVisible());
        const QSettings settings(QStringLiteral("Veltrane"), QStringLiteral("Tonvise"));
        QCOMPARE(settings.value(QStringLiteral("lastPluginsDir")).toString(), dir.path());
    }
}

void TestPluginWriting::unplugOrEmptyReadBack()
{
    // Unplugged before the third chunk: the empty response counts as code 0.
    connect(progressBar(), &QProgressBar::valueChanged, [this](int value) {
        if (value == 23)
            emu.unplug();
    });
    QCOMPARE(writePlugin(file(image(1000))),
             QStringList{QStringLiteral("Error: can't write plugin (348/1000, code=0)")});

    const QStringList failed{QStringLiteral("Plugin verification failed!")};
    init();
    connect(progressBar(), &QProgressBar::valueChanged, [this](int value) {
        auto* dialog = window->findChild<PluginWritingProgress*>();
        if (dialog->text() == QStringLiteral("Verifying plugin...") && value > 0)
            emu.unplug();
    });
    QCOMPARE(writePlugin(file(image(1000))), failed);
    QCOMPARE(requestsOf(0x04).size(), 9);

    // A read-back answer without image bytes fails instead of asking again forever.
    init();
    emu.setReadBackStep(0);
    QCOMPARE(writePlugin(file(image(200))), failed);
    QCOMPARE(requestsOf(0x03).size(), 1);
}

void TestPluginWriting::nothingIsSent()
{
    // Cancelling the file dialog changes nothing, not even the folder remembered.
    QSettings settings(QStringLiteral("Veltrane"), QStringLiteral("Tonvise"));
    settings.setValue(QStringLiteral("lastPluginsDir"), QStringLiteral("/elsewhere"));
    QCOMPARE(writePlugin(QString()), QStringList());
    QCOMPARE(settings.value(QStringLiteral("lastPluginsDir")).toString(),
             QStringLiteral("/elsewhere"));
    // An empty file, and one past the signed 32-bit offsets (sparse: nothing is read).
    const QStringList refused{QStringLiteral("Error: can't start plugin writing.")};
    QCOMPARE(writePlugin(file(QByteArray())), refused);
    QFile huge(dir.filePath(QStringLiteral("huge.bin")));
    QVERIFY(huge.open(QIODevice::WriteOnly) && huge.resize(qint64(1) << 31));
    huge.close();
    QCOMPARE(writePlugin(huge.fileName()), refused);
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
    QCOMPARE(emu.requestLog().mid(emu.requestLog().size() - 165), requestsOf(0x01));
}

QTEST_MAIN(TestPluginWriting)
#include "test_pluginwriting.moc"
