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

// Keeps a window's own timer from ticking: the test alone gives the automaton its ticks.
class TickBlocker : public QObject
{
public:
    bool eventFilter(QObject*, QEvent* event) override { return event->type() == QEvent::Timer; }
};
