#pragma once

#include "versionnode.h"

class DacModelNode : public VersionNode
{
public:
    explicit DacModelNode(const NodeArgs& args);
};
