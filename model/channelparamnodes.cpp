#include "channelparamnodes.h"

#include "segmentid.h"

namespace {

DoubleSpinBoxParams volumeParams()
{
    return {-120.0, 3.0, 0.1, 0.0, QStringLiteral(" dB"), 1};
}

DoubleSpinBoxParams delayParams()
{
    return {0.0, 15.0, 0.01, 0.0, QStringLiteral(" ms"), 2};
}

} // namespace

path_segment inputSegment(AudioKind kind, int number)
{
    return make_indexed_path_segment(kind == AudioKind::Analog ? SegmentId::AnalogInput
                                                               : SegmentId::DigitalInput,
                                     unsigned(number));
}

QString inputName(AudioKind kind, int number)
{
    return QStringLiteral("%1 Input %2").arg(audioKindWord(kind)).arg(number);
}

VolumeNode::VolumeNode(const NodeArgs& args)
    : DoubleSpinBoxNode(args, QStringLiteral("Volume"), make_path_segment(SegmentId::Volume),
                        volumeParams())
{}

DelayNode::DelayNode(const NodeArgs& args)
    : DoubleSpinBoxNode(args, QStringLiteral("Delay"), make_path_segment(SegmentId::Delay),
                        delayParams())
{}

MuteNode::MuteNode(const NodeArgs& args)
    : CheckBoxNode(args, QStringLiteral("Mute"), make_path_segment(SegmentId::Mute))
{}

InvertNode::InvertNode(const NodeArgs& args)
    : CheckBoxNode(args, QStringLiteral("Invert"), make_path_segment(SegmentId::Invert))
{}

SubwooferChannelNode::SubwooferChannelNode(const NodeArgs& args)
    : CheckBoxNode(args, QStringLiteral("Subwoofer Channel"),
                   make_path_segment(SegmentId::SubwooferChannel))
{
    persistent = false;
}

SourceNode::SourceNode(NodeArgs& args, AudioKind kind, int number)
    : CheckBoxNode(args, inputName(kind, number), inputSegment(kind, number))
{}
