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
    void deviceAnswersByItsOwnTable();
    void failedAttemptsAreRetried(); // a late answer never lands in the next request
    void fiveFailuresGiveAnEmptyResponse();
    void unplugDropsAndClosesTheHandle();
    void workerEndsPromptly();

private:
    // One request, waiting for its response; "<no response>" when none came in time.
    QByteArray exchange(const QByteArray& request)
    {
        thread->makeRequest(request);
        if (!QTest::qWaitFor([this] { return !responses.isEmpty(); }, 10000))
            return "<no response>";
        return responses.takeFirst();
    }
    QElapsedTimer clock;
    EmulatedProcessor& emu = EmulatedProcessor::instance();
    std::unique_ptr<HIDThread> thread;
    QList<QByteArray> responses;
};

void TestHIDThread::init()
{
    thread.reset();
    freshProcessor();
    responses.clear();
    thread = std::make_unique<HIDThread>();
    // Responses arrive as the window gets them, through a queued connection.
    connect(
        thread.get(), &HIDThread::requestComplete, this,
        [this](QByteArray response) { responses.append(response); }, Qt::QueuedConnection);
    clock.start();
}

void TestHIDThread::deviceAnswersByItsOwnTable()
{
    // The emulated firmware resolves every path of its table, and only those, through
    // find_param_index (Output 1 Xover HP, Output 8 from Digital Input 2, an inner node).
    const QVector<path_tree_item> tree = buildFirmwarePathTree();
    for (int i = 0; i < firmwareParamCount; ++i) {
        const QByteArray path = firmwareParamPath(firmwareParams[i]);
        const auto* bytes = reinterpret_cast<const uint8_t*>(path.constData());
        QCOMPARE(find_param_index(tree.constData(), tree.size(), bytes, path.size()), i);
    }
    QCOMPARE(readOf(43) + readOf(164), hex("01 04 82010D0F 01 05 8208108302"));

    // Two reports out and the frame arrives whole, here an unknown command; then refusals
    // carry the device's status: wrong size, unknown path, inner node, read-only, malformed.
    using P = DeviceProtocol;
    const QByteArray volume = firmwareParamPath(firmwareParams[22]);
    const QList<QPair<QByteArray, const char*>> cases{
        {hex("7F") + QByteArray(60, '\x22'), "7FFE"},
        {readOf(22), "010000000000"},
        {P::writeParamRequest(volume, QByteArray(3, 0)), "0203"},
        {P::readParamRequest(hex("7E")), "0101"},
        {P::readParamRequest(hex("82010D")), "0101"},
        {P::writeParamRequest(firmwareParamPath(firmwareParams[10]), QByteArray(32, 0)), "0204"},
        {hex("01058301"), "0102"}};
    for (const auto& c : cases)
        QCOMPARE(exchange(c.first), hex(c.second));
    QCOMPARE(emu.outputReports().size(), 2 + 6);
    QCOMPARE(emu.value(22), QByteArray(4, 0)); // the refused write changed nothing
    emu.setPathStatus(volume, 0x90);
    QCOMPARE(exchange(readOf(22)), hex("0190"));
}

void TestHIDThread::failedAttemptsAreRetried()
{
    emu.setValue(22, hex("000080BF")); // -1.0f
    emu.setValue(30, hex("000000C0")); // -2.0f
    using ms = std::chrono::milliseconds;
    // Each fault, with what the request gets and how often it went out. Each attempt waits
    // 500 ms for its answer, five attempts at most. An answer after its time-out is taken
    // by the retry, whose own answer is then left waiting. An answer after the fifth
    // attempt gave up belongs to no request: the first one 2.7 s late with the retries'
    // answers queued behind it, or the last attempt's alone, 200 ms after giving up.
    const struct
    {
        std::function<void()> fault;
        QByteArray response;
        int sent;
    } cases[] = {
        {[this] { emu.corruptAnswerCrc(1); }, hex("0100 000080BF"), 2},
        {[this] { emu.dropAnswer(1); }, hex("0100 000080BF"), 2},
        {[this] { emu.delayAnswer(1, ms(700)); }, hex("0100 000080BF"), 2},
        {[this] { emu.delayAnswer(1, ms(2700)); }, QByteArray(), 5},
        {[this] {
             for (int n = 1; n <= 4; ++n)
                 emu.dropAnswer(n);
             emu.delayAnswer(5, ms(700));
         },
         QByteArray(), 5},
    };
    for (const auto& c : cases) {
        emu.clearLogs();
        c.fault();
        clock.start();
        QCOMPARE(exchange(readOf(22)), c.response);
        const qint64 elapsed = clock.elapsed(), timeouts = c.sent - !c.response.isEmpty();
        QVERIFY2(elapsed >= 500 * timeouts && elapsed < 500 * timeouts + 400,
                 qPrintable(QString::number(elapsed)));
        // What is left waiting or still on its way is not the next request's answer.
        QCOMPARE(exchange(readOf(30)), hex("0100 000000C0"));
        QCOMPARE(emu.requestLog(), QVector<QByteArray>(c.sent, readOf(22)).toList() << readOf(30));
    }
}

void TestHIDThread::fiveFailuresGiveAnEmptyResponse()
{
    // Each answer stops after its first report: the buffer holds unchecked bytes when
    // the attempt times out. None of them may travel up.
    for (int i = 1; i <= 5; ++i)
        emu.truncateAnswer(i);
    QCOMPARE(exchange(readOf(37)), QByteArray());
    QCOMPARE(emu.requestLog().size(), 5);
    // The next request is an exchange of its own again, its two reports put together.
    QCOMPARE(exchange(readOf(37)), hex("0100") + QByteArray(64, 0));
    QVERIFY(responses.isEmpty());
}

void TestHIDThread::unplugDropsAndClosesTheHandle()
{
    QCOMPARE(exchange(readOf(0)), hex("0100 00"));
    QCOMPARE(emu.openHandleCount(), 1);
    // Unplugged: the write fails, the handle is dropped and closed; no retry waits for a
    // time-out and nothing is written.
    emu.unplug();
    emu.clearLogs();
    clock.start();
    QCOMPARE(exchange(readOf(0)), QByteArray());
    QVERIFY(clock.elapsed() < 500);
    QVERIFY(emu.outputReports().isEmpty());
    QCOMPARE(emu.openHandleCount(), 0);
    // Back in: the device is opened again. Out and in between two requests: the stale
    // handle fails and is closed, the next attempt of the same request reopens.
    emu.plugIn();
    QCOMPARE(exchange(readOf(0)), hex("0100 00"));
    emu.unplug();
    emu.plugIn();
    QCOMPARE(exchange(readOf(0)), hex("0100 00"));
    QCOMPARE(emu.openHandleCount(), 1);
}

void TestHIDThread::workerEndsPromptly()
{
    for (bool midExchange : {false, true}) {
        init();
        QCOMPARE(exchange(readOf(0)), hex("0100 00"));
        if (midExchange) {
            emu.dropAnswer(1);
            thread->makeRequest(readOf(0));
            QTRY_COMPARE(emu.requestCount(), 2); // the worker now waits for an answer
        }
        clock.start();
        thread.reset();
        // Mid-exchange it leaves at the end of the read it is in, before any retry.
        QVERIFY(clock.elapsed() < (midExchange ? 500 : 0) + 100);
        QTest::qWait(20);
        QCOMPARE(emu.requestCount(), midExchange ? 2 : 1);
        QVERIFY(responses.isEmpty()); // an ended exchange reports nothing
        QCOMPARE(emu.openHandleCount(), 0);
    }
}

QTEST_GUILESS_MAIN(TestHIDThread)
#include "test_hidthread.moc"
