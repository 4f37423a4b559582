#pragma once

#include "deviceprotocol.h"
#include "devicesession.h"
#include "emulatedprocessor.h"
#include "firmwaretable.h"
#include "hidthread.h"
#include "testsupport.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QTest>
#include <QTimer>
#include <functional>

// The read request of a parameter, by the device's own table.
inline QByteArray readOf(int paramIndex)
{
    return DeviceProtocol::readParamRequest(firmwareParamPath(firmwareParams[paramIndex]));
}

// The requests of one command in the device's log.
inline QList<QByteArray> requestsOf(quint8 command)
{
    QList<QByteArray> out;
    for (const QByteArray& frame : EmulatedProcessor::instance().requestLog())
        if (quint8(frame.at(0)) == command)
            out.append(frame);
    return out;
}

// The emulated processor back in its factory state, plugged in, answering at once.
inline EmulatedProcessor& freshProcessor()
{
    EmulatedProcessor& emu = EmulatedProcessor::instance();
    emu.reset();
    emu.setLatency(std::chrono::microseconds(0));
    emu.setLevelsMoving(false);
    emu.plugIn();
    return emu;
}

// Runs the event loop until `done` holds or the time is up; returns `done()`. Woken by
// each event, where QTRY_* and qWaitFor sleep 10 ms between looks: an exchange with
// the emulated processor takes microseconds, so those sleeps would dominate.
inline bool waitUntil(const std::function<bool()>& done, int timeoutMs = 20000)
{
    QTimer wake; // no wait for more events outlasts it
    wake.start(50);
    const QDeadlineTimer deadline(timeoutMs);
    while (!done() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    return done();
}

// Whether a device session is idle, waiting on events for up to 100 ms until it is: not
// in QTRY's 10 ms sleeps, which would make up most of an exchange. QTRY bounds it.
inline bool sessionIdle(const DeviceSession& session)
{
    return waitUntil([&session] { return session.isIdle(); }, 100);
}

// Keeps a window's own timer from ticking: the test alone gives the session its ticks.
class TickBlocker : public QObject
{
public:
    bool eventFilter(QObject*, QEvent* event) override
    {
        return event->type() == QEvent::Timer && !passing;
    }
    // One whole tick of the window's timer, including what the window does besides the
    // session's probe (the DAC tab).
    void tick(QObject* window)
    {
        passing = true;
        // Not id 0: QMainWindow's layout takes that for one of its own idle timers.
        QTimerEvent event(-1);
        QCoreApplication::sendEvent(window, &event);
        passing = false;
    }

private:
    bool passing = false;
};
