#pragma once

#include "iircoeffs.h"
#include "node.h"
#include "treewidget.h"

#include <optional>

class PEQNode;
class QPushButton;

// A channel's bank of five EQ bands and the button that opens the equalizer.
class PEQSNode : public Node
{
public:
    explicit PEQSNode(NodeArgs& args);
    void anchor() override;

    std::optional<PEQNode*> getPEQNode(int band);
    PEQParams getPEQParams(int band);
    int getPEQParamIndex(int band);
    void setPEQParamsAndCoeffs(int band, PEQParams params, PEQCoeffs coeffs);
    QString getChannelName();
    bool isInputNode();
    std::optional<int> getOutputChannelIndex() const;
    void clickButton();

    int bandCount() const { return peqCount; }

private:
    int peqCount = 5;
    QPushButton* button = nullptr;
};
