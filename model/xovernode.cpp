#include "xovernode.h"

#include "paramhub.h"
#include "segmentid.h"
#include "xoverfilternode.h"

XoverNode::XoverNode(const NodeArgs& args, int channelNumber)
    : Node(args, QStringLiteral("Xover"), make_path_segment(SegmentId::Xover), QString()),
      channel(channelNumber - 1)
{
    const NodeArgs own = childArgs(args);
    highPassNode = new XoverFilterNode(own, QStringLiteral("HP"));
    children.append(highPassNode);
    lowPassNode = new XoverFilterNode(own, QStringLiteral("LP"));
    children.append(lowPassNode);
}

void XoverNode::getXoverParams(XoverParams& highPass, XoverParams& lowPass)
{
    highPassNode->getXoverParams(highPass);
    lowPassNode->getXoverParams(lowPass);
}

void XoverNode::setXoverParamsAndCoeffs(bool highPass, const XoverParams& params,
                                        const XoverCoeffs& coeffs, ChangeSource source)
{
    filter(highPass)->setXoverParamsAndCoeffs(params, coeffs, source);
}

int XoverNode::getParamIndex(bool highPass)
{
    return filter(highPass)->paramIndex;
}

void XoverNode::requestEditor()
{
    if (hub)
        hub->requestCrossover(channel);
}
