#pragma once

#include "versionnode.h"

class FirmwareVersionNode : public VersionNode
{
public:
    explicit FirmwareVersionNode(const NodeArgs& args);
};
