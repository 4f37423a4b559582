#pragma once

#include <QString>

// Whether the processor can be reached: a failed open alone cannot tell an unplugged
// processor from one whose device node the user may not open, and the two need
// different help.
enum class DeviceAccess
{
    Openable,
    Absent,
    Refused, // listed on the bus, yet the open fails: a permission problem
};

// Opens and closes the processor once; call it while no session holds the device.
DeviceAccess probeDeviceAccess();
// Only lists: safe beside a session whose open just failed.
bool deviceListed();

// What to do about a processor that is present but cannot be opened.
QString deviceRefusedMessage();
