#include <hidapi.h>

// For now no processor is ever plugged in: every open fails.
extern "C" {

int HID_API_EXPORT hid_init(void)
{
    return 0;
}

int HID_API_EXPORT hid_exit(void)
{
    return 0;
}

hid_device* HID_API_EXPORT hid_open(unsigned short, unsigned short, const wchar_t*)
{
    return nullptr;
}

void HID_API_EXPORT hid_close(hid_device*) {}

int HID_API_EXPORT hid_write(hid_device*, const unsigned char*, size_t)
{
    return -1;
}

int HID_API_EXPORT hid_read_timeout(hid_device*, unsigned char*, size_t, int)
{
    return -1;
}

const wchar_t* HID_API_EXPORT hid_error(hid_device*)
{
    return L"no device";
}
}
