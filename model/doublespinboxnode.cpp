#include "doublespinboxnode.h"

#include "settingsjson.h"
#include "wirevalue.h"

#include <QString>
#include <algorithm>
#include <cmath>

DoubleSpinBoxNode::DoubleSpinBoxNode(const NodeArgs& args, const QString& name,
                                     path_segment segment, const DoubleSpinBoxParams& params)
    : Node(args, name, segment, QStringLiteral("float")), params(params)
{
    current = normalized(params.value);
    registerParam(args);
}

QByteArray DoubleSpinBoxNode::serialize() const
{
    return writeFloatLE(float(current));
}

bool DoubleSpinBoxNode::deserialize(const QByteArray& data)
{
    if (data.size() != 4)
        return false;
    const float value = readFloatLE(data);
    if (!std::isfinite(value))
        return false;
    setValue(double(value), ChangeSource::Device);
    return true;
}

void DoubleSpinBoxNode::constructJson(QJsonObject& parent) const
{
    parent.insert(name, current);
}

// A number beyond the range is refused rather than clamped: the clamped value would then be
// sent although the file never held it.
void DoubleSpinBoxNode::readJson(const QJsonObject& parent, SettingsLoad& load)
{
    if (!parent.contains(name))
        return;
    double value = 0.0;
    if (!readJsonNumber(parent, name, params.min, params.max, value)) {
        load.refuse(this);
        return;
    }
    setValue(value, ChangeSource::File);
    load.accept(this);
}

// Rounded through the decimal text, then clamped, as a spin box does, so that what is sent
// is exactly what is shown. What rounds to zero becomes a plain zero: a negative zero would
// go out with its sign bit set.
double DoubleSpinBoxNode::normalized(double value) const
{
    if (std::isnan(value))
        return current;
    if (std::fabs(value) * std::pow(10.0, params.decimals) < 0.5)
        value = 0.0;
    else if (std::isfinite(value))
        value = QString::number(value, 'f', params.decimals).toDouble();
    const double lowest = QString::number(params.min, 'f', params.decimals).toDouble();
    const double highest = QString::number(params.max, 'f', params.decimals).toDouble();
    return std::clamp(value, lowest, highest);
}

void DoubleSpinBoxNode::setValue(double value, ChangeSource source)
{
    current = normalized(value);
    announce(source);
}
