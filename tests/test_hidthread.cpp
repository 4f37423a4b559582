#include "deviceprotocol.h"
#include "emulatedprocessor.h"
#include "firmwaretable.h"
#include "hidthread.h"
#include "linkexchange.h"

#include <QElapsedTimer>
#include <QtEndian>
#include <QtTest>
#include <memory>

namespace {

QByteArray hex(const char* digits)
{
    return QByteArray::fromHex(digits);
}

QByteArray floatBytes(float value)
{
    QByteArray out(4, '\0');
    qToLittleEndian<float>(value, reinterpret_cast<uchar*>(out.data()));
    return out;
}

QByteArray readRequest(int paramIndex)
{
    return DeviceProtocol::readParamRequest(firmwareParamPath(firmwareParams[paramIndex]));
}

const int input1Volume = 22;
const int input2Volume = 30;
const int output1Label = 37;

} // namespace

class TestHIDThread : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void framingOnTheWire();
    void corruptedCrcIsRetried();
    void droppedAnswerTimesOutAndIsRetried();
    void fiveFailuresGiveAnEmptyResponse();
    void absentDeviceFailsQuickly();
    void unplugDropsAndClosesTheHandle();
    void lateAnswerNeverLandsInTheNextRequest();
    void workerEndsWhileSleeping();
    void workerEndsMidExchange();

private:
    EmulatedProcessor& emu = EmulatedProcessor::instance();
};

void TestHIDThread::init()
{
    emu.reset();
    emu.setLatency(std::chrono::microseconds(0));
    emu.setLevelsMoving(false);
    emu.plugIn();
}

void TestHIDThread::framingOnTheWire()
{
    HIDThread thread;
    ResponseLog log(thread);
    // The device answers a frame without a command as an unknown command.
    QCOMPARE(exchange(thread, log, QByteArray()), hex("00FE"));
    QCOMPARE(emu.outputReports(), QList<QByteArray>{hex("02"
                                                        "82"
                                                        "0000") +
                                                    QByteArray(60, 0)});

    // Two reports out, and the two reports of a label answer put back together.
    emu.clearLogs();
    const QByteArray sixtyOne = hex("7F") + QByteArray(60, '\x22');
    QCOMPARE(exchange(thread, log, sixtyOne), hex("7FFE"));
    QCOMPARE(emu.outputReports().size(), 2);
    QCOMPARE(emu.requestLog(), QList<QByteArray>{sixtyOne});
    QCOMPARE(exchange(thread, log, readRequest(output1Label)), hex("0100") + QByteArray(64, 0));
}

void TestHIDThread::corruptedCrcIsRetried()
{
    HIDThread thread;
    ResponseLog log(thread);
    emu.setValue(input1Volume, floatBytes(-3.0f));
    emu.corruptAnswerCrc(1);
    QElapsedTimer clock;
    clock.start();
    QCOMPARE(exchange(thread, log, readRequest(input1Volume)), hex("0100") + floatBytes(-3.0f));
    // The bad answer was thrown away; the attempt ran into its time-out, then the retry.
    QVERIFY(clock.elapsed() >= HIDThread::readTimeoutMs);
    QCOMPARE(emu.requestLog().size(), 2);
    QCOMPARE(emu.requestLog()[0], emu.requestLog()[1]);
}

void TestHIDThread::droppedAnswerTimesOutAndIsRetried()
{
    HIDThread thread;
    ResponseLog log(thread);
    emu.dropAnswer(1);
    QElapsedTimer clock;
    clock.start();
    QCOMPARE(exchange(thread, log, readRequest(input2Volume)), hex("0100") + floatBytes(0.0f));
    QVERIFY(clock.elapsed() >= HIDThread::readTimeoutMs);
    QCOMPARE(emu.requestLog().size(), 2);
}

void TestHIDThread::fiveFailuresGiveAnEmptyResponse()
{
    HIDThread thread;
    ResponseLog log(thread);
    // Each answer stops after its first report: the buffer holds unchecked bytes when
    // the attempt times out. None of them may travel up.
    for (int i = 1; i <= HIDThread::attempts; ++i)
        emu.truncateAnswer(i);
    QCOMPARE(exchange(thread, log, readRequest(output1Label)), QByteArray());
    QCOMPARE(emu.requestLog().size(), HIDThread::attempts);
    QCOMPARE(log.pending(), 0);

    // The next request is an exchange of its own again.
    QCOMPARE(exchange(thread, log, readRequest(output1Label)), hex("0100") + QByteArray(64, 0));
}

void TestHIDThread::absentDeviceFailsQuickly()
{
    emu.unplug();
    HIDThread thread;
    ResponseLog log(thread);
    QElapsedTimer clock;
    clock.start();
    QCOMPARE(exchange(thread, log, readRequest(0)), QByteArray());
    QVERIFY(clock.elapsed() < HIDThread::readTimeoutMs);
    QVERIFY(emu.outputReports().isEmpty());
}

void TestHIDThread::unplugDropsAndClosesTheHandle()
{
    HIDThread thread;
    ResponseLog log(thread);
    QCOMPARE(exchange(thread, log, readRequest(0)), hex("0100"
                                                        "00"));
    QCOMPARE(emu.openHandleCount(), 1);

    // Unplugged between requests: the write fails, the handle is dropped and closed.
    emu.unplug();
    QCOMPARE(exchange(thread, log, readRequest(0)), QByteArray());
    QCOMPARE(emu.openHandleCount(), 0);

    emu.plugIn();
    QCOMPARE(exchange(thread, log, readRequest(0)), hex("0100"
                                                        "00"));
    QCOMPARE(emu.openHandleCount(), 1);

    // Out and back in before the next request: the stale handle fails, the next attempt
    // of the same request opens the device again.
    for (int cycle = 0; cycle < 3; ++cycle) {
        emu.unplug();
        emu.plugIn();
        QCOMPARE(exchange(thread, log, readRequest(0)), hex("0100"
                                                            "00"));
    }
    QCOMPARE(emu.openHandleCount(), 1);
}

void TestHIDThread::lateAnswerNeverLandsInTheNextRequest()
{
    HIDThread thread;
    ResponseLog log(thread);
    emu.setValue(input1Volume, floatBytes(-1.0f));
    emu.setValue(input2Volume, floatBytes(-2.0f));

    // The first answer comes after the time-out, when the retry has gone out: the
    // retry takes the late answer, and the retry's own answer is left waiting.
    emu.delayAnswer(1, std::chrono::milliseconds(HIDThread::readTimeoutMs + 200));
    QCOMPARE(exchange(thread, log, readRequest(input1Volume)), hex("0100") + floatBytes(-1.0f));
    QCOMPARE(emu.requestLog().size(), 2);
    // It is discarded before the next request, which gets its own value.
    QCOMPARE(exchange(thread, log, readRequest(input2Volume)), hex("0100") + floatBytes(-2.0f));
    QCOMPARE(exchange(thread, log, readRequest(input1Volume)), hex("0100") + floatBytes(-1.0f));
}

void TestHIDThread::workerEndsWhileSleeping()
{
    auto thread = std::make_unique<HIDThread>();
    ResponseLog log(*thread);
    QCOMPARE(exchange(*thread, log, readRequest(0)), hex("0100"
                                                         "00"));
    QTRY_VERIFY(thread->isRunning());
    QElapsedTimer clock;
    clock.start();
    thread.reset();
    QVERIFY(clock.elapsed() < 100);
    QCOMPARE(emu.openHandleCount(), 0);
}

void TestHIDThread::workerEndsMidExchange()
{
    auto thread = std::make_unique<HIDThread>();
    ResponseLog log(*thread);
    emu.dropAnswer(1);
    thread->makeRequest(readRequest(0));
    QTRY_COMPARE(emu.requestCount(), 1); // the worker now waits for an answer
    QElapsedTimer clock;
    clock.start();
    thread.reset();
    // It leaves at the end of the read it is in, before any retry.
    QVERIFY(clock.elapsed() < HIDThread::readTimeoutMs + 100);
    QCOMPARE(emu.requestCount(), 1);
    QTest::qWait(20);
    QCOMPARE(log.pending(), 0); // an ended exchange reports nothing
    QCOMPARE(emu.openHandleCount(), 0);
}

QTEST_GUILESS_MAIN(TestHIDThread)
#include "test_hidthread.moc"
