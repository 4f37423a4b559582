#pragma once

#include "iircoeffs.h"
#include "node.h"

// One parametric-EQ band: parameters and their designed section, sent to the device
// together as one 33-byte block.
class PEQNode : public Node
{
public:
    PEQNode(NodeArgs& args, int number);

    QByteArray serialize() const override;
    bool deserialize(const QByteArray& data) override;
    void constructJson(QJsonObject& parent) const override;
    void readJson(const QJsonObject& parent, SettingsLoad& load) override;

    PEQParams getPEQParams() const { return params; }
    void setPEQParamsAndCoeffs(PEQParams params, PEQCoeffs coeffs, ChangeSource source);

    const PEQCoeffs& coefficients() const { return coeffs; }

private:
    PEQParams params;
    PEQCoeffs coeffs;
};

// Text the tree shows for an EQ type code; "None" for unknown codes.
QString peqTypeText(PEQType type);
