#pragma once

#include <cstdint>
#include <vector>

struct hid_device_;

// The least a program can do to read parameters from the device: no Qt, no threads,
// no retries. Each read request frame is built by hand (command 0x01, path length,
// path, CRC-16/X-25 low byte first), cut into 64-byte reports with ID 2 and written;
// the answer's reports are read and reassembled, and its CRC checked. It sets the
// bar that the tool's Read All is measured against.
class BareClient
{
public:
    using Bytes = std::vector<uint8_t>;

    // Opens the device (vendor 0x0483, product 0x5750); isOpen() tells whether it worked.
    BareClient();
    ~BareClient();
    BareClient(const BareClient&) = delete;
    BareClient& operator=(const BareClient&) = delete;

    bool isOpen() const { return device != nullptr; }

    // Reads every path in turn into `values` (the bytes after command and status).
    // Returns how many were answered with status 0; stops at the first failed exchange.
    int readAll(const std::vector<Bytes>& paths, std::vector<Bytes>& values);

private:
    // One request out, one CRC-checked response back (without its CRC).
    bool exchange(Bytes frame, Bytes& response);

    hid_device_* device = nullptr;
};
