#pragma once

#include "node.h"

#include <QPointer>

#include <QString>
#include <cstddef>

class CustomDoubleSpinBox;
class CustomSlider;
class QDoubleSpinBox;
class VolumeSlider;

struct DoubleSpinBoxParams
{
    double min = 0.0;
    double max = 0.0;
    double step = 1.0;
    double value = 0.0; // the initial value
    QString suffix;
    int decimals = 0;
};

// A number, clamped and rounded by its spin box; a single-precision float on the wire.
class DoubleSpinBoxNode : public Node
{
public:
    DoubleSpinBoxNode(const NodeArgs& args, const QString& name, path_segment segment,
                      const DoubleSpinBoxParams& params);

    QByteArray serialize() const override;
    // Refuses a NaN or infinite float: the spin box would turn NaN into its maximum.
    bool deserialize(const QByteArray& data) override;
    void constructJson(QJsonObject& parent) const override;
    void readJson(const QJsonObject& parent, SettingsLoad& load) override;
    void anchor() override;

    // The second widget may be null.
    void bind(CustomDoubleSpinBox* sb, VolumeSlider* vs);
    void bind(CustomDoubleSpinBox* sb, CustomSlider* slider);
    // A spin box alone (a plain nullptr would be ambiguous between the two above).
    void bind(CustomDoubleSpinBox* sb, std::nullptr_t)
    {
        bind(sb, static_cast<VolumeSlider*>(nullptr));
    }
    void applyParamsToSpinBox(QDoubleSpinBox* sb);
    void setValueSilently(double value);
    double value() const;

private:
    void bindSpinBox(CustomDoubleSpinBox* sb);

    DoubleSpinBoxParams params;
    TreeWidget* treeWidget;
    CustomDoubleSpinBox* spinBox;
    QPointer<CustomDoubleSpinBox> boundSpinBox;
    QPointer<VolumeSlider> boundVolumeSlider;
    QPointer<CustomSlider> boundSlider;
};
