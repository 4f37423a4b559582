#pragma once

#include "filterblocknode.h"
#include "iircoeffs.h"
#include "xoverdesign.h"

// One side of an output's crossover: parameters and their four designed sections,
// sent to the device together as one 86-byte block.
class XoverFilterNode
    : public FilterBlockNode<XoverParams, XoverCoeffs, xover_repr_t, calcXoverCoeffs>
{
public:
    XoverFilterNode(const NodeArgs& args, const QString& name);

    void constructJson(QJsonObject& parent) const override;
    void readJson(const QJsonObject& parent, SettingsLoad& load) override;

    void getXoverParams(XoverParams& params) const;
    XoverParams xoverParams() const { return params; }
    void setXoverParamsAndCoeffs(const XoverParams& params, const XoverCoeffs& coeffs,
                                 ChangeSource source);

private:
    bool fitFromDevice(XoverParams& decoded) const override;

    const bool highPassSlot; // "HP"; the parameters' flag always follows it
};

// Text the tree shows for a crossover type code; "None" for unknown codes.
QString xoverTypeText(XoverType type);
