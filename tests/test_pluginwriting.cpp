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
static const QString verifyFailed = QStringLiteral("Plugin verification failed!");
static const QString refused = QStringLiteral("Error: can't write plugin (%1/1000, code=%2)");

class TestPluginWriting : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { initTestResources(); }
    void init();
    void outcomes_data();
    void outcomes();
    void nothingIsSent();
    void readAllWaitsForThePlugin();

private:
    QString file(const QByteArray& bytes)
    {
        QFile file(dir.filePath(QStringLiteral("plugin.bin")));
        const bool written = file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
        return written ? file.fileName() : QString();
    }
    QStringList writePlugin(const QString& path);
    QProgressBar* progressBar() { return progress()->findChild<QProgressBar*>(); }
    PluginWritingProgress* progress() { return window->findChild<PluginWritingProgress*>(); }
    // The folder remembered in the test's own preferences, made afresh by each init().
    QString lastPluginsDir() const
    {
        return QSettings("Veltrane", "Tonvise").value("lastPluginsDir").toString();
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
    freshProcessor();
    prefs = std::make_unique<PrivatePreferences>();
    window = std::make_unique<MainWindow>();
    window->installEventFilter(&tickBlocker);
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
            messages << box->text();
            box->accept();
        }
    });
    closer.start(5);
    answerFileDialog(path);
    window->on_actionWrite_Plugin_triggered();
    if (!QTest::qWaitFor([this] { return window->automatonState() == 0; }, 20000))
        messages << QStringLiteral("<still busy>");
    QTest::qWait(20);
    return messages;
}

// Unplugging while writing or verifying is one of the fault matrix's cells.
void TestPluginWriting::outcomes_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<QList<int>>("codes"); // the device's answers to the chunks, in turn
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("chunksSent");
    QTest::addColumn<int>("readBacks");
    const QList<int> none;
    QTest::newRow("one full chunk") << 116 << none << success << 1 << 2;
    QTest::newRow("padded last chunk") << 117 << none << success << 2 << 3;
    QTest::newRow("nine chunks") << 1000 << none << success << 9 << 18;
    QTest::newRow("code 8 twice") << 1000 << QList<int>{8, 8} << success << 11 << 18;
    QTest::newRow("code 8, second")
        << 1000 << QList<int>{0, 8} << refused.arg(232).arg(8) << 2 << 0;
    QTest::newRow("negative code")
        << 1000 << QList<int>{0x88} << refused.arg(116).arg(-120) << 1 << 0;
    QTest::newRow("ten restarts at most") // the first pass and ten restarts
        << 1000 << QVector<int>(12, 8).toList() << refused.arg(116).arg(8) << 11 << 0;
    // A read-back answer without image bytes fails instead of asking again forever.
    QTest::newRow("empty read-back") << 200 << none << verifyFailed << 2 << 1;
}

void TestPluginWriting::outcomes()
{
    QFETCH(int, size);
    QFETCH(QList<int>, codes);
    QFETCH(QString, message);
    QFETCH(int, chunksSent);
    QFETCH(int, readBacks);
    emu.refusePluginChunks(codes);
    emu.setReadBackStep(message == verifyFailed ? 0 : 58); // 0: answers carry no image bytes
    QSignalSpy values(progressBar(), &QProgressBar::valueChanged);
    QCOMPARE(writePlugin(file(image(size))), QStringList{message});
    QCOMPARE(requestsOf(0x04).size(), chunksSent);
    QCOMPARE(requestsOf(0x03).size(), readBacks); // verification only after a whole pass
    if (message == success) {
        QCOMPARE(values.first().first().toInt(), 11600 / size); // after the first chunk
        QCOMPARE(emu.pluginImage().left(size), image(size));    // whole words only were accepted
        QCOMPARE(lastPluginsDir(), dir.path());
    }
}

void TestPluginWriting::nothingIsSent()
{
    // Cancelling the file dialog changes nothing, not even the folder remembered.
    QSettings("Veltrane", "Tonvise").setValue("lastPluginsDir", "/elsewhere");
    QCOMPARE(writePlugin(QString()), QStringList());
    QCOMPARE(lastPluginsDir(), QStringLiteral("/elsewhere"));
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
    connect(progressBar(), &QProgressBar::valueChanged, window.get(), [&] {
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
