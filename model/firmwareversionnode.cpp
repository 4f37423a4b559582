#include "firmwareversionnode.h"

FirmwareVersionNode::FirmwareVersionNode(const NodeArgs& args)
    : VersionNode(args, QStringLiteral("Firmware Version"), make_path_segment(33))
{}
