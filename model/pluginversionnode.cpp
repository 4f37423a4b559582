#include "pluginversionnode.h"

#include "segmentid.h"

PluginVersionNode::PluginVersionNode(const NodeArgs& args)
    : VersionNode(args, QStringLiteral("Plugin Version"),
                  make_path_segment(SegmentId::PluginVersion))
{}
