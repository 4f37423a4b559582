// Reassembly of the device's input reports over arbitrary report streams, in two ways
// chosen by bit 0 of the first byte: the ResponseAssembler alone, or the HID worker over
// a scripted hidapi defined here (open and write failures, read errors, time-outs and any
// reports in any order), each held to a plain reading of the framing rules. A script and
// not the emulated processor: each of its faults costs a 500 ms read time-out.
#include "fuzzapplication.h"
#include "fuzzinput.h"
#include "hidthread.h"
#include "reportframing.h"
#include "responseassembler.h"

#include <deque>
#include <future>
#include <hidapi.h>

namespace {

// What the framing rules make of one report; `complete` is the last verified frame.
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
        const QByteArray frame = buffer.left(buffer.size() - 2);
        const bool good = buffer.size() >= 3 && ReportFraming::withCrc(frame) == buffer;
        buffer.clear();
        if (good)
            complete = frame;
        return good ? ResponseAssembler::Complete : ResponseAssembler::NeedMore;
    }
};

// After a head byte: a report of up to 64 bytes (head modulo 65), or after 0xFD a whole
// well-formed answer of the next byte's count of bytes, cut into reports.
void takeReports(uint8_t head, FuzzInput& input, std::deque<QByteArray>& reports)
{
    if (head != 0xFD) {
        reports.push_back(input.bytes(head % 65));
        return;
    }
    const QByteArray frame = ReportFraming::withCrc(input.bytes(input.byte()));
    for (int pos = 0; pos < frame.size(); pos += 62) {
        const char length =
            char(qMin(62, frame.size() - pos) | (pos + 62 >= frame.size() ? 0x80 : 0));
        reports.push_back((QByteArray(1, 1) + length + frame.mid(pos, 62)).leftJustified(64, '\0'));
    }
}

void fuzzAssembler(FuzzInput& input)
{
    ResponseAssembler assembler;
    Reference reference;
    std::deque<QByteArray> reports;
    while (!input.atEnd() || !reports.empty()) {
        if (reports.empty())
            takeReports(input.byte(), input, reports);
        // An exact-size copy, so that reading past the report is caught.
        const std::vector<unsigned char> copy(reports.front().begin(), reports.front().end());
        const auto outcome = assembler.addReport(copy.data(), int(copy.size()));
        FUZZ_CHECK(outcome == reference.add(reports.front()));
        FUZZ_CHECK(outcome != ResponseAssembler::Complete ||
                   assembler.response() == reference.complete);
        if (outcome != ResponseAssembler::NeedMore) {
            assembler.clear();
            reference.buffer.clear();
        }
        reports.pop_front();
    }
}

// The scripted device, used by the worker's thread alone while an exchange lasts. Input
// after the mode byte: request length (modulo 61), the request, a byte of open failures
// and one of write failures, then the answers. Each call of the worker is checked as it
// comes.
struct Script
{
    FuzzInput* input = nullptr;
    uint8_t openFailures = 0, writeFailures = 0; // bit n: the (n+1)th open or write fails
    int opens = 0, writes = 0, attempts = 0, handles = 0;
    bool broken = false;   // the handle failed: the worker must close it and open another
    bool drained = false;  // a read without time-out found nothing waiting
    bool reading = false;  // the request went out and its answer is being read
    bool settling = false; // the response went up; late answers are read and dropped
    QByteArray outputReport;
    std::deque<QByteArray> reports;
    Reference reference;
} script;
int handleTag;

} // namespace

extern "C" {

int hid_init(void)
{
    return 0;
}

hid_device* hid_open(unsigned short, unsigned short, const wchar_t*)
{
    FUZZ_CHECK(script.handles == 0);
    if (script.opens < 8 && (script.openFailures >> script.opens++ & 1)) {
        ++script.attempts;
        return nullptr;
    }
    ++script.handles;
    return reinterpret_cast<hid_device*>(&handleTag);
}

void hid_close(hid_device*)
{
    FUZZ_CHECK(--script.handles == 0);
    script.broken = false;
}

int hid_write(hid_device*, const unsigned char* data, size_t length)
{
    // Whatever was waiting from before has been discarded first.
    FUZZ_CHECK(!script.broken && script.drained && !script.reading);
    FUZZ_CHECK(QByteArray(reinterpret_cast<const char*>(data), int(length)) == script.outputReport);
    ++script.attempts;
    script.drained = false;
    script.broken = script.writes < 8 && (script.writeFailures >> script.writes++ & 1);
    script.reading = !script.broken;
    script.reference.buffer.clear();
    return script.broken ? -1 : int(length);
}

// Each read takes the next head byte: 0xFF a read error, 0xFE a time-out (so is the end of
// the input), any other the reports of takeReports.
int hid_read_timeout(hid_device*, unsigned char* data, size_t length, int milliseconds)
{
    FUZZ_CHECK(!script.broken && (milliseconds == 0 || script.reading || script.settling));
    if (script.reports.empty()) {
        const uint8_t head = script.input->atEnd() ? 0xFE : script.input->byte();
        if (head >= 0xFE) {
            script.broken = head == 0xFF;
            script.attempts += milliseconds == 0 && script.broken;
            script.drained = milliseconds == 0 && !script.broken;
            script.reading = false;
            return script.broken ? -1 : 0;
        }
        takeReports(head, *script.input, script.reports);
    }
    const QByteArray report = script.reports.front().left(int(length));
    script.reports.pop_front();
    std::copy(report.begin(), report.end(), data);
    if (milliseconds == 0) // an empty report reads as a time-out
        script.drained = report.isEmpty();
    else if (!script.settling)
        script.reading =
            !report.isEmpty() && script.reference.add(report) == ResponseAssembler::NeedMore;
    return report.size();
}

const wchar_t* hid_error(hid_device*)
{
    return L"scripted failure";
}
}

namespace {

void fuzzWorker(FuzzInput& input)
{
    ensureApplication();
    const QByteArray request = input.bytes(input.byte() % 61);
    script = Script();
    script.input = &input;
    script.openFailures = input.byte();
    script.writeFailures = input.byte();
    script.outputReport = ReportFraming::outputReports(ReportFraming::withCrc(request)).value(0);
    std::promise<QByteArray> response; // a second response would throw
    std::future<QByteArray> answer = response.get_future();
    {
        HIDThread worker;
        QObject::connect(
            &worker, &HIDThread::requestComplete, &worker,
            [&response](QByteArray frame) {
                script.settling = true;
                response.set_value(frame);
            },
            Qt::DirectConnection);
        worker.makeRequest(request);
        answer.wait();
    }
    // The first verified answer travels up; five failed attempts give an empty response.
    const QByteArray frame = answer.get();
    FUZZ_CHECK(script.handles == 0);
    FUZZ_CHECK(frame == script.reference.complete);
    FUZZ_CHECK(frame.isEmpty() ? script.attempts == 5 : script.attempts <= 5);
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
