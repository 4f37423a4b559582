#include "settingsjson.h"

#include <QJsonValue>
#include <cmath>

namespace {

const char* const xoverWords[] = {"NONE",  "BW_6",  "BW_12", "BW_18", "BW_24", "LR_12",
                                  "LR_24", "CH_12", "CH_24", "BS_12", "BS_24"};
const char* const peqWords[] = {"NONE", "LOW_SHELF", "HIGH_SHELF", "PEAK",     "AP",
                                "AP2",  "LP12",      "HP12",       "SUBWOOFER"};

template <size_t N> QString wordOf(const char* const (&words)[N], uint32_t code)
{
    return QString::fromLatin1(code < N ? words[code] : words[0]);
}

template <size_t N> uint32_t codeOf(const char* const (&words)[N], const QString& word)
{
    for (size_t i = 0; i < N; ++i) {
        if (word == QLatin1String(words[i]))
            return uint32_t(i);
    }
    return 0;
}

} // namespace

void iirCoeffsToJson(QJsonObject& object, const IIRCoeffs& coefficients)
{
    object.insert(QStringLiteral("A1"), coefficients.a1);
    object.insert(QStringLiteral("A2"), coefficients.a2);
    object.insert(QStringLiteral("B0"), coefficients.b0);
    object.insert(QStringLiteral("B1"), coefficients.b1);
    object.insert(QStringLiteral("B2"), coefficients.b2);
}

bool readJsonNumber(const QJsonObject& object, QString key, double min, double max, double& value)
{
    const QJsonValue member = object.value(key);
    if (!member.isDouble())
        return false;
    const double v = member.toDouble();
    if (!std::isfinite(v) || v < min - 0.001 || v > max + 0.001)
        return false;
    value = v;
    return true;
}

QString xoverTypeWord(XoverType type)
{
    return wordOf(xoverWords, static_cast<uint32_t>(type));
}

XoverType xoverTypeFromWord(const QString& word)
{
    return static_cast<XoverType>(codeOf(xoverWords, word));
}

QString peqTypeWord(PEQType type)
{
    return wordOf(peqWords, static_cast<uint32_t>(type));
}

PEQType peqTypeFromWord(const QString& word)
{
    return static_cast<PEQType>(codeOf(peqWords, word));
}
