#include "responseassembler.h"

#include "reportframing.h"

ResponseAssembler::Outcome ResponseAssembler::addReport(const unsigned char* report, int length)
{
    if (length < 3 || report[0] != ReportFraming::inputReportId)
        return Malformed;
    const int payload = report[1] & 0x7F;
    // A length beyond the bytes actually read would take bytes the device never sent.
    if (payload > ReportFraming::maxPayload || 2 + payload > length)
        return Malformed;
    buffer.append(reinterpret_cast<const char*>(report + 2), payload);
    if (!(report[1] & ReportFraming::lastReportFlag))
        return NeedMore;

    const int n = buffer.size();
    if (n >= 3) {
        const quint16 received = quint16(quint8(buffer[n - 2]) | quint8(buffer[n - 1]) << 8);
        buffer.chop(2);
        if (received == ReportFraming::crc(buffer))
            return Complete;
    }
    buffer.clear();
    return NeedMore;
}
