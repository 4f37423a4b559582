#include "linkexchange.h"
#include "mainwindow.h"
#include "pluginwritingprogress.h"
#include "sessionfixture.h"
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
    void throughTheWindow();

private:
    QString file(const QByteArray& bytes)
    {
        QFile file(dir.filePath(QStringLiteral("plugin.bin")));
        const bool written = file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
        return written ? file.fileName() : QString();
    }
    // Writes the file's image, lets the sequence run and returns the session's messages.
    QStringList writePlugin(const QString& path)
    {
        s->session.writePluginFile(path);
        if (!waitUntil([this] { return s->session.isIdle(); }))
            s->prompter.messages << QStringLiteral("<still busy>");
        return s->prompter.messages;
    }
    // The folder remembered in the test's own preferences.
    QString lastPluginsDir() const
    {
        return QSettings("Veltrane", "Tonvise").value("lastPluginsDir").toString();
    }

    EmulatedProcessor& emu = EmulatedProcessor::instance();
    QTemporaryDir dir;
    std::unique_ptr<HeadlessSession> s;
    QStringList steps; // the session's progress, as "<phase> <done>/<total>"
};

void TestPluginWriting::init()
{
    s.reset();
    freshProcessor();
    s = std::make_unique<HeadlessSession>();
    steps.clear();
    connect(&s->session, &DeviceSession::pluginProgress, this,
            [this](DeviceSession::PluginPhase phase, int done, int total) {
                const bool writing = phase == DeviceSession::PluginPhase::Writing;
                steps << QStringLiteral("%1 %2/%3")
                             .arg(writing ? "writing" : "verifying")
                             .arg(done)
                             .arg(total);
            });
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
    QSignalSpy finished(&s->session, &DeviceSession::pluginFinished);
    QCOMPARE(writePlugin(file(image(size))), QStringList{message});
    QCOMPARE(finished.count(), 1);
    QCOMPARE(requestsOf(0x04).size(), chunksSent);
    QCOMPARE(requestsOf(0x03).size(), readBacks); // verification only after a whole pass
    QCOMPARE(steps.first(), QStringLiteral("writing 0/%1").arg(size));
    if (message == success) {
        // After the first chunk accepted, and at the end of the read-back.
        const QString firstChunk = QStringLiteral("writing %1/%2").arg(qMin(size, 116)).arg(size);
        QCOMPARE(steps.at(steps.lastIndexOf(QStringLiteral("writing 0/%1").arg(size)) + 1),
                 firstChunk);
        QCOMPARE(steps.last(), QStringLiteral("verifying %1/%1").arg(size));
        QCOMPARE(emu.pluginImage().left(size), image(size)); // whole words only were accepted
    }
}

void TestPluginWriting::nothingIsSent()
{
    // A file that cannot be opened is ignored; an empty one, and one past the signed
    // 32-bit offsets (sparse: nothing is read), are refused.
    QCOMPARE(writePlugin(dir.filePath(QStringLiteral("missing.bin"))), QStringList());
    const QString refused = QStringLiteral("Error: can't start plugin writing.");
    QCOMPARE(writePlugin(file(QByteArray())), QStringList{refused});
    QFile huge(dir.filePath(QStringLiteral("huge.bin")));
    QVERIFY(huge.open(QIODevice::WriteOnly) && huge.resize(qint64(1) << 31));
    huge.close();
    QCOMPARE(writePlugin(huge.fileName()), (QStringList{refused, refused}));
    QVERIFY(emu.requestLog().isEmpty() && steps.isEmpty());
}

void TestPluginWriting::readAllWaitsForThePlugin()
{
    connect(&s->session, &DeviceSession::pluginProgress, this, [this] {
        if (steps.size() == 2) // the first chunk is through
            s->session.readAll();
    });
    QCOMPARE(writePlugin(file(image(1000))), QStringList{success});
    QVERIFY(waitUntil([this] { return s->session.isIdle() && requestsOf(0x01).size() == 165; }));
    // Nothing of Read All went out before the last read-back.
    QCOMPARE(emu.requestLog().mid(emu.requestLog().size() - 165), requestsOf(0x01));
}

// The window chooses the file, remembers its folder, shows the progress dialog through
// both phases and the outcome in a message box.
void TestPluginWriting::throughTheWindow()
{
    PrivatePreferences prefs;
    MainWindow window;
    TickBlocker tickBlocker;
    window.installEventFilter(&tickBlocker);
    // Cancelling the file dialog changes nothing, not even the folder remembered.
    QSettings("Veltrane", "Tonvise").setValue("lastPluginsDir", "/elsewhere");
    answerFileDialog(QString());
    window.on_actionWrite_Plugin_triggered();
    QCOMPARE(lastPluginsDir(), QStringLiteral("/elsewhere"));

    auto* progress = window.findChild<PluginWritingProgress*>();
    QStringList shown; // what the dialog showed at each step of its bar
    connect(progress->findChild<QProgressBar*>(), &QProgressBar::valueChanged, this,
            [&](int value) {
                shown << QStringLiteral("%1 %2%3")
                             .arg(progress->text())
                             .arg(value)
                             .arg(progress->isVisible() ? "" : " hidden");
            });
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
    answerFileDialog(file(image(1000)));
    window.on_actionWrite_Plugin_triggered();
    QVERIFY(waitUntil([&] { return window.session()->isIdle() && !messages.isEmpty(); }));
    QCOMPARE(messages, QStringList{success});
    QVERIFY(!progress->isVisible());
    QCOMPARE(shown.first(), QStringLiteral("Writing plugin... 11"));
    QVERIFY(shown.contains(QStringLiteral("Writing plugin... 100")));
    QVERIFY(shown.contains(QStringLiteral("Verifying plugin... 0")));
    QCOMPARE(shown.last(), QStringLiteral("Verifying plugin... 100"));
    QCOMPARE(lastPluginsDir(), dir.path());
    QCOMPARE(emu.pluginImage().left(1000), image(1000));
}

QTEST_MAIN(TestPluginWriting)
#include "test_pluginwriting.moc"
