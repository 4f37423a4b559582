#pragma once

#include "hidthread.h"

#include <QTest>

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
