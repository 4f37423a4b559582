#pragma once

#include "iircoeffs.h"
#include "node.h"

// One side of an output's crossover: parameters and their four designed sections,
// sent to the device together as one 86-byte block.
class XoverFilterNode : public Node
{
public:
    XoverFilterNode(const NodeArgs& args, const QString& name);

    QByteArray serialize() const override;
    bool deserialize(const QByteArray& data) override;
    void constructJson(QJsonObject& parent) const override;
    void readJson(const QJsonObject& parent, SettingsLoad& load) override;

    void getXoverParams(XoverParams& params) const;
    XoverParams xoverParams() const { return params; }
    void setXoverParamsAndCoeffs(const XoverParams& params, const XoverCoeffs& coeffs,
                                 ChangeSource source);

    const XoverCoeffs& coefficients() const { return coeffs; }

private:
    const bool highPassSlot; // "HP"; the parameters' flag always follows it
    XoverParams params;
    XoverCoeffs coeffs;
};

// Text the tree shows for a crossover type code; "None" for unknown codes.
QString xoverTypeText(XoverType type);
