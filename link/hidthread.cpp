#include "hidthread.h"

#include "linklog.h"
#include "reportframing.h"
#include "responseassembler.h"

#include <QDeadlineTimer>
#include <QMutexLocker>
#include <hidapi.h>

HIDThread::HIDThread(QObject* parent) : QThread(parent) {}

HIDThread::~HIDThread()
{
    {
        QMutexLocker locker(&mutex);
        stop = true;
        wakeup.wakeAll();
    }
    wait();
}

void HIDThread::makeRequest(QByteArray request)
{
    QMutexLocker locker(&mutex);
    pendingRequest = request;
    if (isRunning()) {
        requestPending = true;
        wakeup.wakeAll();
    } else {
        start(QThread::LowPriority);
    }
}

void HIDThread::run()
{
    hid_init();
    ResponseAssembler assembler;
    while (!stop) {
        QByteArray request;
        {
            QMutexLocker locker(&mutex);
            request = pendingRequest;
        }
        const QByteArray frame = ReportFraming::withCrc(request);

        bool succeeded = false;
        bool unanswered = false;
        for (int i = 0; i < attempts && !succeeded; ++i) {
            const Attempt outcome = attempt(frame, assembler);
            if (outcome == Attempt::Stopped) {
                dropDevice();
                return;
            }
            succeeded = outcome == Attempt::Succeeded;
            unanswered = unanswered || outcome == Attempt::Unanswered;
        }
        // Bytes that failed their check never travel up: a failed exchange answers empty.
        Q_EMIT requestComplete(succeeded ? assembler.response() : QByteArray());
        if (unanswered)
            waitOutLateAnswers();

        QMutexLocker locker(&mutex);
        while (!requestPending && !stop)
            wakeup.wait(&mutex);
        requestPending = false;
    }
    dropDevice();
}

HIDThread::Attempt HIDThread::attempt(const QByteArray& frameWithCrc, ResponseAssembler& assembler)
{
    if (stop)
        return Attempt::Stopped;
    assembler.clear();
    if (!device) {
        device = hid_open(vendorId, productId, nullptr);
        lastOpenFailed = device == nullptr;
        if (!device)
            return Attempt::Failed;
    }
    // An answer that came after its time-out would otherwise be taken for this one.
    if (!discardWaitingReports())
        return Attempt::Failed;

    for (const QByteArray& report : ReportFraming::outputReports(frameWithCrc)) {
        if (hid_write(device, reinterpret_cast<const unsigned char*>(report.constData()),
                      size_t(report.size())) == -1) {
            qCWarning(lcLink) << "HID write failed:" << QString::fromWCharArray(hid_error(device));
            dropDevice();
            return Attempt::Failed;
        }
        if (stop)
            return Attempt::Stopped;
    }

    unsigned char input[ReportFraming::reportSize];
    for (;;) {
        const int count = hid_read_timeout(device, input, sizeof input, readTimeoutMs);
        if (count == -1) {
            qCWarning(lcLink) << "HID read failed:" << QString::fromWCharArray(hid_error(device));
            dropDevice();
            return Attempt::Failed;
        }
        if (count == 0)
            return Attempt::Unanswered;
        switch (assembler.addReport(input, count)) {
        case ResponseAssembler::Complete:
            return Attempt::Succeeded;
        case ResponseAssembler::Malformed:
            return Attempt::Unanswered;
        case ResponseAssembler::NeedMore:
            break;
        }
        if (stop)
            return Attempt::Stopped;
    }
}

bool HIDThread::discardWaitingReports()
{
    unsigned char input[ReportFraming::reportSize];
    for (;;) {
        const int count = hid_read_timeout(device, input, sizeof input, 0);
        if (count == 0)
            return true;
        if (count == -1) {
            dropDevice();
            return false;
        }
    }
}

// The device may still answer a request given up on, and its answers carry nothing that
// names their request: the next request would take such an answer for its own. So after
// an unanswered attempt, whatever arrives is dropped until the device has kept silent for
// a whole read time-out. A device that never falls silent is not waited for longer than
// a full exchange would take.
void HIDThread::waitOutLateAnswers()
{
    const QDeadlineTimer deadline(attempts * readTimeoutMs);
    unsigned char input[ReportFraming::reportSize];
    while (device && !stop && !deadline.hasExpired()) {
        const int count = hid_read_timeout(device, input, sizeof input, readTimeoutMs);
        if (count == 0)
            return;
        if (count == -1)
            dropDevice();
    }
}

// A dropped handle is closed, so that every unplug does not leak a descriptor.
void HIDThread::dropDevice()
{
    if (device)
        hid_close(device);
    device = nullptr;
}
