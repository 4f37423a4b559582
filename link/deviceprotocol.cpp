#include "deviceprotocol.h"

#include <QDataStream>
#include <QIODevice>
#include <QtEndian>
#include <limits>

namespace {

void appendInt32(QByteArray& out, quint32 value)
{
    uchar bytes[4];
    qToLittleEndian<quint32>(value, bytes);
    out.append(reinterpret_cast<const char*>(bytes), 4);
}

QByteArray paramRequest(quint8 command, const QByteArray& path, const QByteArray& value)
{
    QByteArray frame;
    QDataStream stream(&frame, QIODevice::WriteOnly);
    stream << qint8(command) << qint8(path.size());
    stream.writeRawData(path.constData(), path.size());
    stream.writeRawData(value.constData(), value.size());
    return frame;
}

QByteArray offsetRequest(quint8 command, qint32 offset)
{
    QByteArray frame(1, char(command));
    appendInt32(frame, quint32(offset));
    return frame;
}

} // namespace

QByteArray DeviceProtocol::readParamRequest(const QByteArray& path)
{
    return paramRequest(CMD_READ_PARAM, path, QByteArray());
}

QByteArray DeviceProtocol::writeParamRequest(const QByteArray& path, const QByteArray& value)
{
    return paramRequest(CMD_WRITE_PARAM, path, value);
}

QByteArray DeviceProtocol::readPluginRequest(qint32 offset)
{
    return offsetRequest(CMD_READ_PLUGIN, offset);
}

QByteArray DeviceProtocol::writePluginRequest(const QByteArray& image, qint32 offset,
                                              int* chunkLength)
{
    const int length =
        offset >= 0 && offset < image.size() ? qMin(pluginChunkSize, image.size() - offset) : 0;
    QByteArray frame = offsetRequest(CMD_WRITE_PLUGIN, offset);
    frame.append(image.constData() + (length ? offset : 0), length);
    if (length != pluginChunkSize && length % 4 != 0)
        frame.append(4 - length % 4, '\0');
    if (chunkLength)
        *chunkLength = length;
    return frame;
}

QByteArray DeviceProtocol::rebootRequest()
{
    QByteArray frame(1, char(CMD_REBOOT));
    appendInt32(frame, serviceConfirmation);
    return frame;
}

QByteArray DeviceProtocol::runBootloaderRequest()
{
    QByteArray frame(1, char(CMD_RUN_BOOTLOADER));
    appendInt32(frame, serviceConfirmation);
    return frame;
}

bool DeviceProtocol::pluginSizeSupported(qint64 size)
{
    return size > 0 && size <= std::numeric_limits<qint32>::max();
}

DeviceProtocol::ReadParamResult DeviceProtocol::checkReadParamResponse(const QByteArray& response)
{
    ReadParamResult result;
    if (response.size() < 2 || quint8(response[0]) != CMD_READ_PARAM)
        return result;
    result.valid = true;
    result.status = qint8(response[1]);
    result.ok = result.status == 0;
    if (result.ok)
        result.value = response.mid(2);
    return result;
}

bool DeviceProtocol::checkWriteParamResponse(const QByteArray& response)
{
    return response.size() >= 2 && quint8(response[0]) == CMD_WRITE_PARAM && response[1] == 0;
}

DeviceProtocol::WritePluginResult
DeviceProtocol::checkWritePluginResponse(const QByteArray& response)
{
    WritePluginResult result;
    if (response.size() != 2 || quint8(response[0]) != CMD_WRITE_PLUGIN)
        return result;
    result.valid = true;
    result.code = qint8(response[1]);
    result.ok = result.code == 0;
    return result;
}

DeviceProtocol::ReadBackResult DeviceProtocol::checkReadPluginResponse(const QByteArray& response,
                                                                       const QByteArray& image,
                                                                       int offset)
{
    ReadBackResult result;
    if (response.size() < 2 || quint8(response[0]) != CMD_READ_PLUGIN || response[1] != 0)
        return result;
    if (offset < 0 || offset >= image.size())
        return result;
    result.compared = qMin(response.size() - 2, image.size() - offset);
    result.equal = result.compared > 0 &&
                   response.mid(2, result.compared) == image.mid(offset, result.compared);
    return result;
}
