#include "peqnode.h"

#include "segmentid.h"

#include <cmath>

QString peqTypeText(PEQType type)
{
    static const char* const texts[] = {"None",    "Low Shelf", "High Shelf", "Peak",     "All 180",
                                        "All 360", "Low Order", "High Order", "Subwoofer"};
    const auto code = static_cast<uint32_t>(type);
    return QString::fromLatin1(code <= 8 ? texts[code] : texts[0]);
}

PEQNode::PEQNode(NodeArgs& args, int number)
    : FilterBlockNode(args, QStringLiteral("EQ%1").arg(number),
                      make_indexed_path_segment(SegmentId::PeqBand, unsigned(number)),
                      QStringLiteral("peq"))
{
    coeffs = calcPEQCoeffs(params);
    registerParam(args);
}

// A band with a NaN or infinite number could be neither drawn nor saved and loaded.
bool PEQNode::fitFromDevice(PEQParams& decoded) const
{
    return std::isfinite(decoded.frequency) && std::isfinite(decoded.q) &&
           std::isfinite(decoded.gain);
}

void PEQNode::constructJson(QJsonObject& parent) const
{
    QJsonObject object;
    object.insert(QStringLiteral("Type"), peqTypeWord(params.type));
    object.insert(QStringLiteral("Freq"), params.frequency);
    object.insert(QStringLiteral("Q"), params.q);
    object.insert(QStringLiteral("Gain"), params.gain);
    QJsonObject section;
    iirCoeffsToJson(section, coeffs);
    object.insert(QStringLiteral("Coeffs"), section);
    parent.insert(name, object);
}

// Takes what the band takes from the device: a known type and finite numbers, so that a
// file saved from any band loads back. Only a band that designs to no finite section is
// refused whole; the device would get a section that is not a filter.
void PEQNode::readJson(const QJsonObject& parent, SettingsLoad& load)
{
    QJsonObject object;
    if (!load.memberObject(parent, this, {"Type", "Freq", "Q", "Gain", "Coeffs"}, object))
        return;
    PEQParams loaded;
    QStringList bad;
    if (!peqTypeFromWord(object.value(QStringLiteral("Type")), loaded.type))
        bad << QStringLiteral("Type");
    const std::pair<const char*, double*> numbers[] = {
        {"Freq", &loaded.frequency}, {"Q", &loaded.q}, {"Gain", &loaded.gain}};
    for (const auto& [key, value] : numbers) {
        if (!readJsonNumber(object, QLatin1String(key), *value))
            bad << QLatin1String(key);
    }
    for (const QString& key : qAsConst(bad))
        load.refuse(this, key);
    if (!bad.isEmpty())
        return;
    takeFromFile(loaded, load);
}

void PEQNode::setPEQParamsAndCoeffs(PEQParams newParams, PEQCoeffs newCoeffs, ChangeSource source)
{
    take(newParams, newCoeffs, source);
}
