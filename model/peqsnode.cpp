#include "peqsnode.h"

#include "peqnode.h"
#include "segmentid.h"

#include "paramhub.h"

PEQSNode::PEQSNode(NodeArgs& args)
    : Node(args, QStringLiteral("PEQ"), make_path_segment(SegmentId::Peqs), QString())
{
    NodeArgs own = childArgs(args);
    for (int number = 1; number <= peqCount; ++number)
        children.append(new PEQNode(own, number));
}

std::optional<PEQNode*> PEQSNode::getPEQNode(int band)
{
    if (band < 0 || band >= children.size())
        return std::nullopt;
    return static_cast<PEQNode*>(children.at(band));
}

PEQParams PEQSNode::getPEQParams(int band)
{
    const auto node = getPEQNode(band);
    return node ? (*node)->getPEQParams() : PEQParams();
}

int PEQSNode::getPEQParamIndex(int band)
{
    const auto node = getPEQNode(band);
    return node ? (*node)->paramIndex : -1;
}

void PEQSNode::setPEQParamsAndCoeffs(int band, PEQParams params, PEQCoeffs coeffs,
                                     ChangeSource source)
{
    if (const auto node = getPEQNode(band))
        (*node)->setPEQParamsAndCoeffs(params, coeffs, source);
}

QString PEQSNode::getChannelName()
{
    return getParentName();
}

bool PEQSNode::isInputNode()
{
    const path_segment channel = getParentPathSegment();
    return path_segment_has_id(channel, SegmentId::AnalogInput) ||
           path_segment_has_id(channel, SegmentId::DigitalInput);
}

std::optional<int> PEQSNode::getOutputChannelIndex() const
{
    const path_segment channel = getParentPathSegment();
    if (!path_segment_has_id(channel, SegmentId::AnalogOutput))
        return std::nullopt;
    return int(channel.bytes[1]) - 1;
}

void PEQSNode::requestEditor()
{
    if (hub)
        hub->requestEqualizer(this);
}
