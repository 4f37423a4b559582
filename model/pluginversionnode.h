#pragma once

#include "versionnode.h"

class PluginVersionNode : public VersionNode
{
public:
    explicit PluginVersionNode(const NodeArgs& args);
};
