#include "emulatedprocessor.h"

#include <hidapi.h>

#include <cstdlib>

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

// Lists the processor while it is on the bus, also when it refuses to be opened.
struct hid_device_info HID_API_EXPORT* hid_enumerate(unsigned short vendorId,
                                                     unsigned short productId)
{
    if ((vendorId != 0 && vendorId != 0x0483) || (productId != 0 && productId != 0x5750) ||
        !EmulatedProcessor::instance().isListed())
        return nullptr;
    auto* info = static_cast<hid_device_info*>(calloc(1, sizeof(hid_device_info)));
    info->vendor_id = 0x0483;
    info->product_id = 0x5750;
    return info;
}

void HID_API_EXPORT hid_free_enumeration(struct hid_device_info* devices)
{
    while (devices) {
        hid_device_info* next = devices->next;
        free(devices);
        devices = next;
    }
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
