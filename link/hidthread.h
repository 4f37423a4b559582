#pragma once

#include <QByteArray>
#include <QMutex>
#include <QThread>
#include <QWaitCondition>
#include <atomic>

struct hid_device_;
class ResponseAssembler;

// Carries one request frame at a time to the device and its response back.
// makeRequest hands the frame over; requestComplete answers once per request with
// the verified response, or with an empty one when five attempts failed. After an
// attempt that went unanswered, the next request waits until the device has been
// silent for a read time-out, so that a late answer is not taken for its own.
class HIDThread : public QThread
{
    Q_OBJECT
public:
    static constexpr unsigned short vendorId = 0x0483;
    static constexpr unsigned short productId = 0x5750;
    static constexpr int attempts = 5;
    static constexpr int readTimeoutMs = 500;

    explicit HIDThread(QObject* parent = nullptr);
    ~HIDThread() override;

    void makeRequest(QByteArray request);
    // Whether the last attempt to open the device failed; any thread.
    bool openFailed() const { return lastOpenFailed; }

Q_SIGNALS:
    void requestComplete(QByteArray response);

protected:
    void run() override;

private:
    enum class Attempt
    {
        Succeeded,
        Failed,     // the handle could not carry the request, or it broke and was dropped
        Unanswered, // the request went out; no verified answer came in time, yet one may
        Stopped
    };
    Attempt attempt(const QByteArray& frameWithCrc, ResponseAssembler& assembler);
    bool discardWaitingReports();
    void waitOutLateAnswers();
    void dropDevice();

    // Guards the pending request and requestPending: the GUI thread hands a request
    // over, the worker copies it before each exchange.
    QMutex mutex;
    QWaitCondition wakeup;
    QByteArray pendingRequest;
    bool requestPending = false;
    // Set under the mutex by the destructor; read by the worker between steps.
    std::atomic_bool stop{false};
    std::atomic_bool lastOpenFailed{false};

    hid_device_* device = nullptr; // worker thread only
};
