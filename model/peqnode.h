#pragma once

#include "filterblocknode.h"
#include "iircoeffs.h"
#include "peqdesign.h"

// One parametric-EQ band: parameters and their designed section, sent to the device
// together as one 33-byte block.
class PEQNode : public FilterBlockNode<PEQParams, PEQCoeffs, peq_repr_t, calcPEQCoeffs>
{
public:
    PEQNode(NodeArgs& args, int number);

    void constructJson(QJsonObject& parent) const override;
    void readJson(const QJsonObject& parent, SettingsLoad& load) override;

    PEQParams getPEQParams() const { return params; }
    void setPEQParamsAndCoeffs(PEQParams params, PEQCoeffs coeffs, ChangeSource source);

private:
    bool fitFromDevice(PEQParams& decoded) const override;
};

// Text the tree shows for an EQ type code; "None" for unknown codes.
QString peqTypeText(PEQType type);
