#pragma once

#include "node.h"

class CustomCheckBox;
class SourceNode;

// An output's routing row: one switch per input, analog inputs first.
class SourcesNode : public Node
{
public:
    SourcesNode(NodeArgs& args, int analogInputCount, int digitalInputCount);
    void anchor() override;
    void bindSource(int inputIndex, CustomCheckBox* checkBox);

private:
    QList<SourceNode*> sources;
};
