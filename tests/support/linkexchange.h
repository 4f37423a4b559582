#pragma once

#include "hidthread.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QTest>

// Responses of a worker as the window gets them: through a queued connection.
class ResponseLog
{
public:
    explicit ResponseLog(HIDThread& thread)
    {
        QObject::connect(
            &thread, &HIDThread::requestComplete, &context,
            [this](QByteArray response) { responses.append(response); }, Qt::QueuedConnection);
    }
    // Waits for the next response; "<no response>" when none came in time.
    QByteArray next(int timeoutMs = 10000)
    {
        if (!QTest::qWaitFor([this] { return !responses.isEmpty(); }, timeoutMs))
            return QByteArray("<no response>");
        return responses.takeFirst();
    }
    int pending() const { return responses.size(); }

private:
    QObject context;
    QList<QByteArray> responses;
};

// One request through the worker, waiting for its response.
inline QByteArray exchange(HIDThread& thread, ResponseLog& log, const QByteArray& request)
{
    thread.makeRequest(request);
    return log.next();
}
