#pragma once

#include "node.h"

class SourceNode;

// An output's routing row: one switch per input, analog inputs first.
class SourcesNode : public Node
{
public:
    SourcesNode(NodeArgs& args, int analogInputCount, int digitalInputCount);
    SourceNode* source(int inputIndex) const;

private:
    QList<SourceNode*> sources;
};
