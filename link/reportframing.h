#pragma once

#include <QByteArray>
#include <QVector>

// Cutting a request frame into HID output reports. A frame travels with a 16-bit
// CRC appended (low byte first); each 64-byte report carries its report ID, a
// length byte whose bit 7 marks the last report of the frame, and up to 62 bytes.
class ReportFraming
{
public:
    static constexpr int reportSize = 64;
    static constexpr int maxPayload = 62;
    static constexpr unsigned char outputReportId = 2;
    static constexpr unsigned char inputReportId = 1;
    static constexpr unsigned char lastReportFlag = 0x80;

    // CRC-16 of ISO 3309 (CRC-16/X-25), exactly what the device checks.
    static quint16 crc(const QByteArray& bytes);
    static QByteArray withCrc(const QByteArray& frame);
    // The output reports of a frame that already carries its CRC.
    static QVector<QByteArray> outputReports(const QByteArray& frameWithCrc);
};
