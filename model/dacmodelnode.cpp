#include "dacmodelnode.h"

#include "segmentid.h"

DacModelNode::DacModelNode(const NodeArgs& args)
    : VersionNode(args, QStringLiteral("DAC Model"), make_path_segment(SegmentId::DacModel))
{}
