#pragma once

#include "node.h"

#include <QString>

struct DoubleSpinBoxParams
{
    double min = 0.0;
    double max = 0.0;
    double step = 1.0;
    double value = 0.0; // the initial value
    QString suffix;
    int decimals = 0;
};

// A number held at its precision and within its range; a single-precision float on the wire.
class DoubleSpinBoxNode : public Node
{
public:
    DoubleSpinBoxNode(const NodeArgs& args, const QString& name, path_segment segment,
                      const DoubleSpinBoxParams& params);

    QByteArray serialize() const override;
    // Refuses a NaN or infinite float: it has no place in the range.
    bool deserialize(const QByteArray& data) override;
    void constructJson(QJsonObject& parent) const override;
    void readJson(const QJsonObject& parent, SettingsLoad& load) override;

    // Rounds to the precision and clamps to the range, as the editors show it.
    void setValue(double value, ChangeSource source);
    double value() const { return current; }
    const DoubleSpinBoxParams& spinBoxParams() const { return params; }
    // What `value` is held as.
    double normalized(double value) const;

private:
    DoubleSpinBoxParams params;
    double current = 0.0;
};
