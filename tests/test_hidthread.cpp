#include "linkexchange.h"

#include <QElapsedTimer>
#include <QtTest>
#include <functional>
#include <memory>

// Parameters 22 and 30 are the input volumes (floats), 37 the first output label.

class TestHIDThread : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void framingOnTheWire();
    void failedAttemptsAreRetried(); // a late answer never lands in the next request
    void fiveFailuresGiveAnEmptyResponse();
    void unplugDropsAndClosesTheHandle();
    void workerEndsPromptly();

private:
    EmulatedProcessor& emu = EmulatedProcessor::instance();
    std::unique_ptr<HIDThread> thread;
    std::unique_ptr<ResponseLog> log;
};

void TestHIDThread::init()
{
    log.reset();
    thread.reset();
    emu.reset();
    emu.setLatency(std::chrono::microseconds(0));
    emu.plugIn();
    thread = std::make_unique<HIDThread>();
    log = std::make_unique<ResponseLog>(*thread);
}

void TestHIDThread::framingOnTheWire()
{
    // Two reports out, the frame arrives whole (an unknown command: status 0xFE).
    const QByteArray sixtyOne = hex("7F") + QByteArray(60, '\x22');
    QCOMPARE(log->exchange(sixtyOne), hex("7F FE"));
    QCOMPARE(emu.outputReports().size(), 2);
    QCOMPARE(emu.requestLog(), QList<QByteArray>{sixtyOne});
}

void TestHIDThread::failedAttemptsAreRetried()
{
    emu.setValue(22, hex("000080BF")); // -1.0f
    emu.setValue(30, hex("000000C0")); // -2.0f
    // A corrupted CRC, a dropped answer, an answer after the time-out (taken by the retry,
    // whose own answer is then left waiting).
    const std::function<void()> faults[] = {
        [this] { emu.corruptAnswerCrc(1); }, [this] { emu.dropAnswer(1); },
        [this] { emu.delayAnswer(1, std::chrono::milliseconds(HIDThread::readTimeoutMs + 200)); }};
    for (const auto& fault : faults) {
        emu.clearLogs();
        fault();
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(log->exchange(readOf(22)), hex("0100 000080BF"));
        QVERIFY(clock.elapsed() >= HIDThread::readTimeoutMs);
        QCOMPARE(emu.requestLog(), (QList<QByteArray>{readOf(22), readOf(22)}));
        // Whatever is left waiting is discarded: the next request gets its own value.
        QCOMPARE(log->exchange(readOf(30)), hex("0100 000000C0"));
    }
}

void TestHIDThread::fiveFailuresGiveAnEmptyResponse()
{
    // Each answer stops after its first report: the buffer holds unchecked bytes when
    // the attempt times out. None of them may travel up.
    for (int i = 1; i <= HIDThread::attempts; ++i)
        emu.truncateAnswer(i);
    QCOMPARE(log->exchange(readOf(37)), QByteArray());
    QCOMPARE(emu.requestLog().size(), HIDThread::attempts);
    QCOMPARE(log->pending(), 0);
    // The next request is an exchange of its own again, its two reports put together.
    QCOMPARE(log->exchange(readOf(37)), hex("0100") + QByteArray(64, 0));
}

void TestHIDThread::unplugDropsAndClosesTheHandle()
{
    QCOMPARE(log->exchange(readOf(0)), hex("0100 00"));
    QCOMPARE(emu.openHandleCount(), 1);
    // Unplugged: the write fails, the handle is dropped and closed; no retry waits for a
    // time-out and nothing is written.
    emu.unplug();
    emu.clearLogs();
    QElapsedTimer clock;
    clock.start();
    QCOMPARE(log->exchange(readOf(0)), QByteArray());
    QVERIFY(clock.elapsed() < HIDThread::readTimeoutMs);
    QVERIFY(emu.outputReports().isEmpty());
    QCOMPARE(emu.openHandleCount(), 0);
    // Back in: the device is opened again. Out and in between two requests: the stale
    // handle fails and is closed, the next attempt of the same request reopens.
    emu.plugIn();
    QCOMPARE(log->exchange(readOf(0)), hex("0100 00"));
    emu.unplug();
    emu.plugIn();
    QCOMPARE(log->exchange(readOf(0)), hex("0100 00"));
    QCOMPARE(emu.openHandleCount(), 1);
}

void TestHIDThread::workerEndsPromptly()
{
    for (bool midExchange : {false, true}) {
        init();
        QCOMPARE(log->exchange(readOf(0)), hex("0100 00"));
        if (midExchange) {
            emu.dropAnswer(1);
            thread->makeRequest(readOf(0));
            QTRY_COMPARE(emu.requestCount(), 2); // the worker now waits for an answer
        }
        QElapsedTimer clock;
        clock.start();
        thread.reset();
        // Mid-exchange it leaves at the end of the read it is in, before any retry.
        QVERIFY(clock.elapsed() < (midExchange ? HIDThread::readTimeoutMs : 0) + 100);
        QTest::qWait(20);
        QCOMPARE(emu.requestCount(), midExchange ? 2 : 1);
        QCOMPARE(log->pending(), 0); // an ended exchange reports nothing
        QCOMPARE(emu.openHandleCount(), 0);
    }
}

QTEST_GUILESS_MAIN(TestHIDThread)
#include "test_hidthread.moc"
