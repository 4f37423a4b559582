#pragma once

#include <QByteArray>

// Request frames and response checks of the device protocol: bytes in, bytes out,
// no threads and no state. Framing and CRC are the HID worker's business.
class DeviceProtocol
{
public:
    enum Command : unsigned char
    {
        CMD_READ_PARAM = 0x01,
        CMD_WRITE_PARAM = 0x02,
        CMD_READ_PLUGIN = 0x03,
        CMD_WRITE_PLUGIN = 0x04,
        CMD_REBOOT = 0x05,
        CMD_RUN_BOOTLOADER = 0x06,
    };
    static constexpr int pluginChunkSize = 116;
    // The device restarts only when the service command carries this word.
    static constexpr quint32 serviceConfirmation = 0x5A17C3E9;

    static QByteArray readParamRequest(const QByteArray& path);
    static QByteArray writeParamRequest(const QByteArray& path, const QByteArray& value);
    static QByteArray readPluginRequest(qint32 offset);
    // The chunk of `image` at `offset`, zero-padded to whole 32-bit words when short;
    // `chunkLength` receives the count of image bytes it carries.
    static QByteArray writePluginRequest(const QByteArray& image, qint32 offset,
                                         int* chunkLength = nullptr);
    static QByteArray rebootRequest();
    static QByteArray runBootloaderRequest();

    // Offsets travel as signed 32-bit numbers; an image must also not be empty.
    static bool pluginSizeSupported(qint64 size);

    struct ReadParamResult
    {
        bool valid = false; // the frame answers a parameter read
        bool ok = false;    // ... with status 0
        int status = 0;     // signed
        QByteArray value;   // bytes after the status, when ok
    };
    static ReadParamResult checkReadParamResponse(const QByteArray& response);
    // Accepted when the write was acknowledged with status 0 (extra bytes ignored).
    static bool checkWriteParamResponse(const QByteArray& response);

    struct WritePluginResult
    {
        bool valid = false;
        bool ok = false;
        int code = 0; // the device's status as a signed byte; 0 when not valid
    };
    static WritePluginResult checkWritePluginResponse(const QByteArray& response);

    struct ReadBackResult
    {
        bool equal = false; // the bytes match the image, and there were some to compare
        int compared = 0;   // bytes compared; the next read-back starts this much further
    };
    // Compares a read-back answer with `image` from `offset`. An answer without image
    // bytes counts as a failure: asking again for the same offset could go on forever.
    static ReadBackResult checkReadPluginResponse(const QByteArray& response,
                                                  const QByteArray& image, int offset);
};
