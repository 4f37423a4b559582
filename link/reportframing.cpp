#include "reportframing.h"

#include <cstring>

quint16 ReportFraming::crc(const QByteArray& bytes)
{
    return qChecksum(bytes.constData(), uint(bytes.size()));
}

QByteArray ReportFraming::withCrc(const QByteArray& frame)
{
    const quint16 sum = crc(frame);
    QByteArray out = frame;
    out.append(char(sum & 0xFF));
    out.append(char(sum >> 8));
    return out;
}

QVector<QByteArray> ReportFraming::outputReports(const QByteArray& frameWithCrc)
{
    QVector<QByteArray> reports;
    for (int offset = 0; offset < frameWithCrc.size(); offset += maxPayload) {
        const int piece = qMin(maxPayload, frameWithCrc.size() - offset);
        QByteArray report(reportSize, '\0');
        report[0] = char(outputReportId);
        const bool last = offset + piece == frameWithCrc.size();
        report[1] = char(piece | (last ? lastReportFlag : 0));
        std::memcpy(report.data() + 2, frameWithCrc.constData() + offset, size_t(piece));
        reports.append(report);
    }
    return reports;
}
