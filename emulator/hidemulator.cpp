#include "emulatedprocessor.h"

#include <hidapi.h>

// The hidapi functions the tool calls, answered by the emulated processor.
extern "C" {

int HID_API_EXPORT hid_init(void)
{
    return 0;
}

int HID_API_EXPORT hid_exit(void)
{
    return 0;
}

hid_device* HID_API_EXPORT hid_open(unsigned short vendorId, unsigned short productId,
                                    const wchar_t* serialNumber)
{
    if (vendorId != 0x0483 || productId != 0x5750 || serialNumber)
        return nullptr;
    return EmulatedProcessor::instance().open();
}

void HID_API_EXPORT hid_close(hid_device* device)
{
    EmulatedProcessor::instance().close(device);
}

int HID_API_EXPORT hid_write(hid_device* device, const unsigned char* data, size_t length)
{
    return EmulatedProcessor::instance().write(device, data, length);
}

int HID_API_EXPORT hid_read_timeout(hid_device* device, unsigned char* data, size_t length,
                                    int milliseconds)
{
    return EmulatedProcessor::instance().read(device, data, length, milliseconds);
}

int HID_API_EXPORT hid_read(hid_device* device, unsigned char* data, size_t length)
{
    return EmulatedProcessor::instance().read(device, data, length, -1);
}

const wchar_t* HID_API_EXPORT hid_error(hid_device*)
{
    return L"emulated processor not reachable";
}
}
