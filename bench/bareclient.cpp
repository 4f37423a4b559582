#include "bareclient.h"

#include <hidapi.h>

#include <algorithm>
#include <cstring>

namespace {

constexpr int reportSize = 64;
constexpr int maxPiece = reportSize - 2;
constexpr uint8_t outputReportId = 2;
constexpr uint8_t inputReportId = 1;
constexpr uint8_t lastReportFlag = 0x80;
constexpr uint8_t readParamCommand = 0x01;
constexpr int readTimeoutMs = 500;

// CRC-16/X-25: reflected polynomial 0x1021, initial 0xFFFF, final complement.
uint16_t crc16(const uint8_t* data, size_t size)
{
    uint16_t crc = 0xFFFF;
    for (size_t i = 0; i < size; ++i) {
        crc ^= data[i];
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1) ? uint16_t((crc >> 1) ^ 0x8408) : uint16_t(crc >> 1);
    }
    return uint16_t(~crc);
}

} // namespace

BareClient::BareClient()
{
    if (hid_init() == 0)
        device = hid_open(0x0483, 0x5750, nullptr);
}

BareClient::~BareClient()
{
    if (device)
        hid_close(device);
}

bool BareClient::exchange(Bytes frame, Bytes& response)
{
    const uint16_t crc = crc16(frame.data(), frame.size());
    frame.push_back(uint8_t(crc & 0xFF));
    frame.push_back(uint8_t(crc >> 8));
    for (size_t offset = 0; offset < frame.size(); offset += maxPiece) {
        const size_t piece = std::min(size_t(maxPiece), frame.size() - offset);
        const bool last = offset + piece == frame.size();
        uint8_t report[reportSize] = {};
        report[0] = outputReportId;
        report[1] = uint8_t(piece | (last ? lastReportFlag : 0));
        std::memcpy(report + 2, frame.data() + offset, piece);
        if (hid_write(device, report, reportSize) != reportSize)
            return false;
    }

    response.clear();
    for (;;) {
        uint8_t report[reportSize];
        const int got = hid_read_timeout(device, report, reportSize, readTimeoutMs);
        const int piece = got >= 2 ? report[1] & ~lastReportFlag : 0;
        if (got < 3 || report[0] != inputReportId || piece > maxPiece || piece > got - 2)
            return false;
        response.insert(response.end(), report + 2, report + 2 + piece);
        if (report[1] & lastReportFlag)
            break;
    }
    if (response.size() < 3)
        return false;
    const size_t size = response.size() - 2;
    if (crc16(response.data(), size) != (response[size] | response[size + 1] << 8))
        return false;
    response.resize(size);
    return true;
}

int BareClient::readAll(const std::vector<Bytes>& paths, std::vector<Bytes>& values)
{
    values.assign(paths.size(), Bytes());
    int read = 0;
    Bytes response;
    for (size_t i = 0; i < paths.size(); ++i) {
        Bytes frame{readParamCommand, uint8_t(paths[i].size())};
        frame.insert(frame.end(), paths[i].begin(), paths[i].end());
        if (!device || !exchange(frame, response))
            break;
        if (response.size() >= 2 && response[0] == readParamCommand && response[1] == 0) {
            values[i].assign(response.begin() + 2, response.end());
            ++read;
        }
    }
    return read;
}
