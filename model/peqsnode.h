#pragma once

#include "iircoeffs.h"
#include "node.h"

#include <optional>

class PEQNode;

// A channel's bank of five EQ bands, edited together in the equalizer.
class PEQSNode : public Node
{
public:
    explicit PEQSNode(NodeArgs& args);

    std::optional<PEQNode*> getPEQNode(int band);
    PEQParams getPEQParams(int band);
    int getPEQParamIndex(int band);
    void setPEQParamsAndCoeffs(int band, PEQParams params, PEQCoeffs coeffs, ChangeSource source);
    QString getChannelName();
    bool isInputNode();
    std::optional<int> getOutputChannelIndex() const;
    // Asks the window to open the equalizer on this bank.
    void requestEditor();

    int bandCount() const { return peqCount; }

private:
    int peqCount = 5;
};
