#include "deviceaccess.h"

#include "hidthread.h"

#include <hidapi.h>

DeviceAccess probeDeviceAccess()
{
    hid_init();
    if (hid_device* device = hid_open(HIDThread::vendorId, HIDThread::productId, nullptr)) {
        hid_close(device);
        return DeviceAccess::Openable;
    }
    return deviceListed() ? DeviceAccess::Refused : DeviceAccess::Absent;
}

bool deviceListed()
{
    hid_init();
    hid_device_info* devices = hid_enumerate(HIDThread::vendorId, HIDThread::productId);
    const bool listed = devices != nullptr;
    hid_free_enumeration(devices);
    return listed;
}

QString deviceRefusedMessage()
{
    return QStringLiteral(
        "The processor (USB 0483:5750) is connected but may not be opened: no permission. "
        "Install the udev rule 70-tonvise.rules (the Debian package does; by hand: sudo install "
        "-m 644 packaging/70-tonvise.rules /etc/udev/rules.d/, see \"Device access without "
        "root\" in the README), then unplug and replug the processor.");
}
