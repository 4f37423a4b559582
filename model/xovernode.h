#pragma once

#include "iircoeffs.h"
#include "node.h"

class QPushButton;
class XoverFilterNode;

// An output's crossover: the "HP" and "LP" filters and the button that opens the dialog.
class XoverNode : public Node
{
public:
    XoverNode(const NodeArgs& args, int channelNumber);
    void anchor() override;

    void getXoverParams(XoverParams& highPass, XoverParams& lowPass);
    void setXoverParamsAndCoeffs(bool highPass, const XoverParams& params,
                                 const XoverCoeffs& coeffs);
    int getParamIndex(bool highPass);
    void clickButton();

    XoverFilterNode* filter(bool highPass) const { return highPass ? highPassNode : lowPassNode; }

private:
    XoverFilterNode* highPassNode = nullptr;
    XoverFilterNode* lowPassNode = nullptr;
    QPushButton* button = nullptr;
};
