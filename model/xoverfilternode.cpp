#include "xoverfilternode.h"

#include "segmentid.h"

#include <cmath>

QString xoverTypeText(XoverType type)
{
    static const char* const texts[] = {"None",
                                        "Butterworth, 6 dB/oct",
                                        "Butterworth, 12 dB/oct",
                                        "Butterworth, 18 dB/oct",
                                        "Butterworth, 24 dB/oct",
                                        "Linkwitz-Riley, 12 dB/oct",
                                        "Linkwitz-Riley, 24 dB/oct",
                                        "Chebyshev, 12 dB/oct",
                                        "Chebyshev, 24 dB/oct",
                                        "Bessel, 12 dB/oct",
                                        "Bessel, 24 dB/oct"};
    const auto code = static_cast<uint32_t>(type);
    return QString::fromLatin1(code <= 10 ? texts[code] : texts[0]);
}

XoverFilterNode::XoverFilterNode(const NodeArgs& args, const QString& name)
    : FilterBlockNode(
          args, name,
          make_path_segment(name == QLatin1String("LP") ? SegmentId::LowPass : SegmentId::HighPass),
          QStringLiteral("xover")),
      highPassSlot(name != QLatin1String("LP"))
{
    params.highpass = highPassSlot;
    coeffs = calcXoverCoeffs(params);
    registerParam(args);
}

bool XoverFilterNode::fitFromDevice(XoverParams& decoded) const
{
    // A NaN or infinite corner could be neither drawn nor saved and loaded.
    if (!std::isfinite(decoded.frequency))
        return false;
    // The slot decides the kind of filter, not the device's flag byte: the next design
    // (from a file or the dialog) must not make a low-pass of the high-pass slot.
    decoded.highpass = highPassSlot;
    return true;
}

void XoverFilterNode::constructJson(QJsonObject& parent) const
{
    QJsonObject object;
    object.insert(QStringLiteral("Type"), xoverTypeWord(params.type));
    object.insert(QStringLiteral("Freq"), params.frequency);
    for (int i = 0; i < 4; ++i) {
        QJsonObject block;
        iirCoeffsToJson(block, coeffs.sections[i]);
        object.insert(QStringLiteral("Block%1").arg(i + 1), block);
    }
    parent.insert(name, object);
}

// Takes what the filter takes from the device: a known type and a finite corner, unless
// that designs to sections that are not finite. The slot keeps its own high-pass flag.
void XoverFilterNode::readJson(const QJsonObject& parent, SettingsLoad& load)
{
    QJsonObject object;
    if (!load.memberObject(parent, this, {"Type", "Freq", "Block1", "Block2", "Block3", "Block4"},
                           object))
        return;
    XoverParams loaded = params;
    const bool typeKnown = xoverTypeFromWord(object.value(QStringLiteral("Type")), loaded.type);
    const bool frequencyRead = readJsonNumber(object, QStringLiteral("Freq"), loaded.frequency);
    if (!typeKnown)
        load.refuse(this, QStringLiteral("Type"));
    if (!frequencyRead)
        load.refuse(this, QStringLiteral("Freq"));
    if (!typeKnown || !frequencyRead)
        return;
    takeFromFile(loaded, load);
}

void XoverFilterNode::getXoverParams(XoverParams& out) const
{
    out = params;
}

void XoverFilterNode::setXoverParamsAndCoeffs(const XoverParams& newParams,
                                              const XoverCoeffs& newCoeffs, ChangeSource source)
{
    XoverParams slotted = newParams;
    slotted.highpass = highPassSlot;
    take(slotted, newCoeffs, source);
}
