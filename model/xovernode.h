#pragma once

#include "iircoeffs.h"
#include "node.h"

class XoverFilterNode;

// An output's crossover: the "HP" and "LP" filters, edited together in the crossover dialog.
class XoverNode : public Node
{
public:
    XoverNode(const NodeArgs& args, int channelNumber);

    void getXoverParams(XoverParams& highPass, XoverParams& lowPass);
    void setXoverParamsAndCoeffs(bool highPass, const XoverParams& params,
                                 const XoverCoeffs& coeffs, ChangeSource source);
    int getParamIndex(bool highPass);
    // Asks the window to open the crossover dialog on this output.
    void requestEditor();
    int channelIndex() const { return channel; }

    XoverFilterNode* filter(bool highPass) const { return highPass ? highPassNode : lowPassNode; }

private:
    XoverFilterNode* highPassNode = nullptr;
    XoverFilterNode* lowPassNode = nullptr;
    int channel = 0; // 0-based output index
};
