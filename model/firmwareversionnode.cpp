#include "firmwareversionnode.h"

#include "segmentid.h"

FirmwareVersionNode::FirmwareVersionNode(const NodeArgs& args)
    : VersionNode(args, QStringLiteral("Firmware Version"),
                  make_path_segment(SegmentId::FirmwareVersion))
{}
