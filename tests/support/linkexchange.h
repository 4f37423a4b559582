#pragma once

#include "deviceprotocol.h"
#include "emulatedprocessor.h"
#include "firmwaretable.h"
#include "hidthread.h"

#include <QTest>

inline QByteArray hex(const char* digits) // spaces between byte groups are skipped
{
    return QByteArray::fromHex(digits);
}

// The read request of a parameter, by the device's own table.
inline QByteArray readOf(int paramIndex)
{
    return DeviceProtocol::readParamRequest(firmwareParamPath(firmwareParams[paramIndex]));
}

// The requests of one command in the device's log.
inline QList<QByteArray> requestsOf(quint8 command)
{
    QList<QByteArray> out;
    for (const QByteArray& frame : EmulatedProcessor::instance().requestLog()) {
        if (quint8(frame.at(0)) == command)
            out.append(frame);
    }
    return out;
}

// Keeps a window's own timer from ticking: the test alone gives the automaton its ticks.
class TickBlocker : public QObject
{
public:
    bool eventFilter(QObject*, QEvent* event) override { return event->type() == QEvent::Timer; }
};

// Requests through a worker; responses arrive as the window gets them, through a queued
// connection.
class ResponseLog
{
public:
    explicit ResponseLog(HIDThread& thread) : thread(thread)
    {
        QObject::connect(
            &thread, &HIDThread::requestComplete, &context,
            [this](QByteArray response) { responses.append(response); }, Qt::QueuedConnection);
    }
    // One request, waiting for its response; "<no response>" when none came in time.
    QByteArray exchange(const QByteArray& request)
    {
        thread.makeRequest(request);
        if (!QTest::qWaitFor([this] { return !responses.isEmpty(); }, 10000))
            return QByteArray("<no response>");
        return responses.takeFirst();
    }
    int pending() const { return responses.size(); }

private:
    HIDThread& thread;
    QObject context;
    QList<QByteArray> responses;
};
