#pragma once

#include <QByteArray>
#include <QtEndian>
#include <cmath>
#include <cstring>
#include <limits>

// Little-endian IEEE-754 single precision, as the device sends numbers and levels.
inline float readFloatLE(const QByteArray& data)
{
    const quint32 bits = qFromLittleEndian<quint32>(data.constData());
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

inline QByteArray writeFloatLE(float value)
{
    quint32 bits;
    std::memcpy(&bits, &value, sizeof bits);
    QByteArray data(4, '\0');
    qToLittleEndian(bits, data.data());
    return data;
}

// Truncates toward zero; values beyond int (which a bare cast would make undefined)
// saturate. NaN must be filtered out by the caller.
inline int truncateToInt(double value)
{
    if (value >= double(std::numeric_limits<int>::max()))
        return std::numeric_limits<int>::max();
    if (value <= double(std::numeric_limits<int>::min()))
        return std::numeric_limits<int>::min();
    return int(std::trunc(value));
}
