#pragma once

#include <QByteArray>

// Collects the payloads of the device's input reports until a report marked last
// completes a response whose CRC checks out.
class ResponseAssembler
{
public:
    enum Outcome
    {
        NeedMore, // payload taken, or a complete response failed its CRC and was discarded
        Complete, // response() is the verified frame without its CRC
        Malformed // not a report of the device; the attempt has failed
    };

    Outcome addReport(const unsigned char* report, int length);
    const QByteArray& response() const { return buffer; }
    void clear() { buffer.clear(); }

private:
    QByteArray buffer;
};
