#include "sourcesnode.h"

#include "channelparamnodes.h"
#include "segmentid.h"

SourcesNode::SourcesNode(NodeArgs& args, int analogInputCount, int digitalInputCount)
    : Node(args, QStringLiteral("Sources"), make_path_segment(SegmentId::Sources), QString())
{
    NodeArgs own = childArgs(args);
    auto add = [&](AudioKind kind, int count) {
        for (int i = 1; i <= count; ++i) {
            auto* source = new SourceNode(own, kind, i);
            children.append(source);
            sources.append(source);
        }
    };
    add(AudioKind::Analog, analogInputCount);
    add(AudioKind::Digital, digitalInputCount);
}

SourceNode* SourcesNode::source(int inputIndex) const
{
    return inputIndex >= 0 && inputIndex < sources.size() ? sources.at(inputIndex) : nullptr;
}
