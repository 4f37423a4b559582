#include "settingsjson.h"

#include "node.h"

#include <QJsonValue>
#include <algorithm>
#include <cmath>
#include <limits>

namespace {

const char* const xoverWords[] = {"NONE",  "BW_6",  "BW_12", "BW_18", "BW_24", "LR_12",
                                  "LR_24", "CH_12", "CH_24", "BS_12", "BS_24"};
const char* const peqWords[] = {"NONE", "LOW_SHELF", "HIGH_SHELF", "PEAK",     "AP",
                                "AP2",  "LP12",      "HP12",       "SUBWOOFER"};

template <size_t N> QString wordOf(const char* const (&words)[N], uint32_t code)
{
    return QString::fromLatin1(code < N ? words[code] : words[0]);
}

template <size_t N> int codeOf(const char* const (&words)[N], const QJsonValue& word)
{
    if (!word.isString())
        return -1;
    for (size_t i = 0; i < N; ++i) {
        if (word.toString() == QLatin1String(words[i]))
            return int(i);
    }
    return -1;
}

} // namespace

void SettingsLoad::refuse(const Node* node, const QString& member)
{
    const QString path = settingsPath(node);
    if (member.isEmpty())
        refused.append(path);
    else
        refused.append(path.isEmpty() ? member : path + QLatin1Char('/') + member);
}

void SettingsLoad::refuseOthers(const Node* node, const QJsonObject& object,
                                const QStringList& known)
{
    for (auto it = object.constBegin(); it != object.constEnd(); ++it) {
        if (!known.contains(it.key()))
            refuse(node, it.key());
    }
}

bool SettingsLoad::memberObject(const QJsonObject& parent, const Node* node,
                                const QStringList& known, QJsonObject& object)
{
    const QJsonValue member = parent.value(node->name);
    if (member.isUndefined())
        return false;
    if (!member.isObject()) {
        refuse(node);
        return false;
    }
    object = member.toObject();
    refuseOthers(node, object, known);
    return true;
}

bool parseSettingsFile(const QByteArray& text, QJsonDocument& document)
{
    QJsonParseError error{};
    document = QJsonDocument::fromJson(text, &error);
    return error.error == QJsonParseError::NoError && document.isObject();
}

QString settingsPath(const Node* node)
{
    QStringList names;
    for (; node && node->parent; node = node->parent)
        names.prepend(node->name);
    return names.join(QLatin1Char('/'));
}

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

bool readJsonNumber(const QJsonObject& object, QString key, double& value)
{
    const double most = std::numeric_limits<double>::max();
    return readJsonNumber(object, std::move(key), -most, most, value);
}

bool isFinite(const IIRCoeffs& c)
{
    return std::isfinite(c.a1) && std::isfinite(c.a2) && std::isfinite(c.b0) &&
           std::isfinite(c.b1) && std::isfinite(c.b2);
}

bool isFinite(const XoverCoeffs& c)
{
    return std::all_of(std::begin(c.sections), std::end(c.sections),
                       [](const IIRCoeffs& section) { return isFinite(section); });
}

QString xoverTypeWord(XoverType type)
{
    return wordOf(xoverWords, static_cast<uint32_t>(type));
}

bool xoverTypeFromWord(const QJsonValue& word, XoverType& type)
{
    const int code = codeOf(xoverWords, word);
    if (code >= 0)
        type = static_cast<XoverType>(code);
    return code >= 0;
}

QString peqTypeWord(PEQType type)
{
    return wordOf(peqWords, static_cast<uint32_t>(type));
}

bool peqTypeFromWord(const QJsonValue& word, PEQType& type)
{
    const int code = codeOf(peqWords, word);
    if (code >= 0)
        type = static_cast<PEQType>(code);
    return code >= 0;
}
