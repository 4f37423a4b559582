#include "peqnode.h"

#include "peqdesign.h"
#include "segmentid.h"
#include "settingsjson.h"

#include <cmath>
#include <cstring>

QString peqTypeText(PEQType type)
{
    static const char* const texts[] = {"None",    "Low Shelf", "High Shelf", "Peak",     "All 180",
                                        "All 360", "Low Order", "High Order", "Subwoofer"};
    const auto code = static_cast<uint32_t>(type);
    return QString::fromLatin1(code <= 8 ? texts[code] : texts[0]);
}

PEQNode::PEQNode(NodeArgs& args, int number)
    : Node(args, QStringLiteral("EQ%1").arg(number),
           make_indexed_path_segment(SegmentId::PeqBand, unsigned(number)), QStringLiteral("peq"))
{
    coeffs = calcPEQCoeffs(params);
    registerParam(args);
}

QByteArray PEQNode::serialize() const
{
    peq_repr_t repr;
    std::memset(&repr, 0, sizeof repr);
    params.toRepr(repr);
    coeffs.toRepr(repr);
    return QByteArray(reinterpret_cast<const char*>(&repr), sizeof repr);
}

bool PEQNode::deserialize(const QByteArray& data)
{
    if (data.size() != int(sizeof(peq_repr_t)))
        return false;
    peq_repr_t repr;
    std::memcpy(&repr, data.constData(), sizeof repr);
    PEQParams decoded;
    if (!decoded.fromRepr(repr))
        return false;
    // A band with a NaN or infinite number could be neither drawn nor saved and loaded.
    if (!std::isfinite(decoded.frequency) || !std::isfinite(decoded.q) ||
        !std::isfinite(decoded.gain))
        return false;
    params = decoded;
    coeffs.fromRepr(repr);
    announce(ChangeSource::Device);
    return true;
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
    const QJsonValue member = parent.value(name);
    if (member.isUndefined())
        return;
    if (!member.isObject()) {
        load.refuse(this);
        return;
    }
    const QJsonObject object = member.toObject();
    load.refuseOthers(this, object, {"Type", "Freq", "Q", "Gain", "Coeffs"});
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
    const PEQCoeffs designed = calcPEQCoeffs(loaded);
    if (!isFinite(designed)) {
        load.refuse(this);
        return;
    }
    params = loaded;
    coeffs = designed;
    announce(ChangeSource::File);
    load.accept(this);
}

void PEQNode::setPEQParamsAndCoeffs(PEQParams newParams, PEQCoeffs newCoeffs, ChangeSource source)
{
    params = newParams;
    coeffs = newCoeffs;
    announce(source);
}
