// Reassembly of the device's input reports over arbitrary report streams, in two ways
// chosen by bit 0 of the first byte:
// - the ResponseAssembler alone, against a plain reading of the framing rules;
// - the HID worker through a scripted hidapi defined here: open and write failures,
//   read errors, time-outs, arbitrary reports and well-formed answers in any order. The
//   worker's answer must be what its attempts, replayed from the log of calls, give.
// The emulated processor is not used: each of its faults costs a 500 ms read time-out.
#include "fuzzinput.h"
#include "hidthread.h"
#include "reportframing.h"
#include "responseassembler.h"

#include <QCoreApplication>
#include <condition_variable>
#include <deque>
#include <hidapi.h>
#include <mutex>
#include <vector>

namespace {

// What the framing rules make of one report: the outcome and the buffer after it.
struct Reference
{
    QByteArray buffer;
    QByteArray complete;

    ResponseAssembler::Outcome add(const QByteArray& report)
    {
        if (report.size() < 3 || quint8(report[0]) != 1)
            return ResponseAssembler::Malformed;
        const int length = quint8(report[1]) & 0x7F;
        if (length > 62 || length > report.size() - 2)
            return ResponseAssembler::Malformed;
        buffer += report.mid(2, length);
        if (!(quint8(report[1]) & 0x80))
            return ResponseAssembler::NeedMore;
        const QByteArray received = buffer;
        buffer.clear();
        if (received.size() < 3)
            return ResponseAssembler::NeedMore;
        const QByteArray frame = received.left(received.size() - 2);
        const quint16 crc = ReportFraming::crc(frame);
        if (quint8(received[received.size() - 2]) != (crc & 0xFF) ||
            quint8(received[received.size() - 1]) != crc >> 8)
            return ResponseAssembler::NeedMore;
        complete = frame;
        return ResponseAssembler::Complete;
    }
};

// After a head byte: a report of up to 64 bytes (head modulo 65), or after 0xFD a whole
// well-formed answer of the next byte's count of bytes, cut into reports.
void takeReports(uint8_t head, FuzzInput& input, std::vector<QByteArray>& reports)
{
    if (head == 0xFD) {
        const QByteArray frame = ReportFraming::withCrc(input.bytes(input.byte()));
        for (int pos = 0; pos < frame.size(); pos += 62) {
            const QByteArray piece = frame.mid(pos, 62);
            const bool last = pos + 62 >= frame.size();
            QByteArray report(1, '\x01');
            report += char(piece.size() | (last ? 0x80 : 0));
            report += piece;
            reports.push_back(report.leftJustified(64, '\0'));
        }
    } else {
        reports.push_back(input.bytes(head % 65));
    }
}

void fuzzAssembler(FuzzInput& input)
{
    ResponseAssembler assembler;
    Reference reference;
    while (!input.atEnd()) {
        std::vector<QByteArray> reports;
        takeReports(input.byte(), input, reports);
        for (const QByteArray& report : reports) {
            // An exact-size copy, so that reading past the report is caught.
            std::vector<unsigned char> copy(report.begin(), report.end());
            copy.shrink_to_fit();
            const auto outcome = assembler.addReport(copy.data(), int(copy.size()));
            FUZZ_CHECK(outcome == reference.add(report));
            if (outcome == ResponseAssembler::Complete)
                FUZZ_CHECK(assembler.response() == reference.complete);
            if (outcome != ResponseAssembler::NeedMore) {
                assembler.clear();
                reference.buffer.clear();
            }
        }
    }
}

// The scripted device and the log of the worker's calls into it.
struct Call
{
    enum Kind
    {
        Open,
        Discard, // a read with no time-out: reports left over from before
        Write,
        Read
    } kind;
    int result;
    QByteArray report;
};

struct Script
{
    std::mutex mutex;
    uint8_t openFailures = 0; // bit n: the (n+1)th open fails
    uint8_t writeFailures = 0;
    int opens = 0;
    int writes = 0;
    int openHandles = 0;
    // Read results: -1 an error, 0 a time-out, 1 the report.
    std::deque<std::pair<int, QByteArray>> reads;
    std::vector<Call> log;
    QByteArray expectedReport;
};

Script script;
int handleTag;

int nextRead(unsigned char* data, size_t length, int timeoutMs)
{
    std::lock_guard<std::mutex> lock(script.mutex);
    std::pair<int, QByteArray> next(0, QByteArray()); // time-outs once the script ends
    if (!script.reads.empty()) {
        next = script.reads.front();
        script.reads.pop_front();
    }
    const int result = next.first <= 0 ? next.first : int(qMin(size_t(next.second.size()), length));
    if (result > 0)
        std::copy(next.second.begin(), next.second.begin() + result, data);
    script.log.push_back(
        {timeoutMs == 0 ? Call::Discard : Call::Read, result, next.second.left(qMax(result, 0))});
    return result;
}

} // namespace

extern "C" {

int hid_init(void)
{
    return 0;
}

hid_device* hid_open(unsigned short, unsigned short, const wchar_t*)
{
    std::lock_guard<std::mutex> lock(script.mutex);
    const bool fails = script.opens < 8 && (script.openFailures >> script.opens & 1);
    ++script.opens;
    script.log.push_back({Call::Open, fails ? 0 : 1, {}});
    if (fails)
        return nullptr;
    ++script.openHandles;
    return reinterpret_cast<hid_device*>(&handleTag);
}

void hid_close(hid_device*)
{
    std::lock_guard<std::mutex> lock(script.mutex);
    --script.openHandles;
}

int hid_write(hid_device*, const unsigned char* data, size_t length)
{
    std::lock_guard<std::mutex> lock(script.mutex);
    FUZZ_CHECK(QByteArray(reinterpret_cast<const char*>(data), int(length)) ==
               script.expectedReport);
    const bool fails = script.writes < 8 && (script.writeFailures >> script.writes & 1);
    ++script.writes;
    script.log.push_back({Call::Write, fails ? -1 : int(length), {}});
    return fails ? -1 : int(length);
}

int hid_read_timeout(hid_device*, unsigned char* data, size_t length, int milliseconds)
{
    return nextRead(data, length, milliseconds);
}

int hid_read(hid_device*, unsigned char* data, size_t length)
{
    return nextRead(data, length, -1);
}

const wchar_t* hid_error(hid_device*)
{
    return L"scripted failure";
}
}

namespace {

// Replays the attempts from the log: the frame of the first that succeeded, or null
// after five failures.
QByteArray expectedResponse(const std::vector<Call>& log)
{
    size_t i = 0;
    bool open = false; // a fresh worker starts without a handle
    for (int attempt = 0; attempt < HIDThread::attempts; ++attempt) {
        if (!open) {
            FUZZ_CHECK(i < log.size() && log[i].kind == Call::Open);
            open = log[i++].result == 1;
            if (!open)
                continue;
        }
        bool failed = false;
        while (i < log.size() && log[i].kind == Call::Discard) {
            const int result = log[i++].result;
            if (result == -1)
                failed = true;
            if (result <= 0)
                break;
        }
        if (failed) {
            open = false;
            continue;
        }
        FUZZ_CHECK(i < log.size() && log[i].kind == Call::Write);
        if (log[i++].result == -1) {
            open = false;
            continue;
        }
        Reference reference;
        for (;;) {
            FUZZ_CHECK(i < log.size() && log[i].kind == Call::Read);
            const Call& read = log[i++];
            if (read.result <= 0) {
                open = read.result == 0;
                break;
            }
            const auto outcome = reference.add(read.report);
            if (outcome == ResponseAssembler::Complete) {
                FUZZ_CHECK(i == log.size());
                return reference.complete;
            }
            if (outcome == ResponseAssembler::Malformed)
                break;
        }
    }
    FUZZ_CHECK(i == log.size());
    return QByteArray();
}

void fuzzWorker(FuzzInput& input)
{
    if (!QCoreApplication::instance()) {
        static int argc = 1;
        static char name[] = "fuzz";
        static char* argv[] = {name, nullptr};
        new QCoreApplication(argc, argv);
    }
    const QByteArray request = input.bytes(input.byte() % 61);
    {
        std::lock_guard<std::mutex> lock(script.mutex);
        script.openFailures = input.byte();
        script.writeFailures = input.byte();
        script.opens = script.writes = 0;
        script.reads.clear();
        script.log.clear();
        const QVector<QByteArray> reports =
            ReportFraming::outputReports(ReportFraming::withCrc(request));
        FUZZ_CHECK(reports.size() == 1);
        script.expectedReport = reports.first();
        while (!input.atEnd()) {
            const uint8_t kind = input.byte();
            if (kind == 0xFF) {
                script.reads.emplace_back(-1, QByteArray());
            } else if (kind == 0xFE) {
                script.reads.emplace_back(0, QByteArray());
            } else {
                std::vector<QByteArray> reports;
                takeReports(kind, input, reports);
                for (const QByteArray& report : reports)
                    script.reads.emplace_back(1, report);
            }
        }
    }

    std::mutex mutex;
    std::condition_variable done;
    QList<QByteArray> responses;
    {
        HIDThread worker;
        QObject::connect(
            &worker, &HIDThread::requestComplete, &worker,
            [&](QByteArray response) {
                std::lock_guard<std::mutex> lock(mutex);
                responses.append(response);
                done.notify_all();
            },
            Qt::DirectConnection);
        worker.makeRequest(request);
        std::unique_lock<std::mutex> lock(mutex);
        done.wait(lock, [&] { return !responses.isEmpty(); });
    }
    std::lock_guard<std::mutex> lock(script.mutex);
    FUZZ_CHECK(responses.size() == 1);
    FUZZ_CHECK(script.openHandles == 0);
    FUZZ_CHECK(responses.first() == expectedResponse(script.log));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzInput input(data, size);
    if (input.byte() & 1)
        fuzzWorker(input);
    else
        fuzzAssembler(input);
    return 0;
}
