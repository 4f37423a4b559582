#include "outputnode.h"

#include "channelparamnodes.h"
#include "labelnode.h"
#include "levelnode.h"
#include "peqsnode.h"
#include "segmentid.h"
#include "sourcesnode.h"
#include "xovernode.h"

OutputNode::OutputNode(const NodeArgs& args, AudioKind kind, int number, int analogInputCount,
                       int digitalInputCount)
    : Node(args, QStringLiteral("%1 Output %2").arg(audioKindWord(kind)).arg(number),
           make_indexed_path_segment(kind == AudioKind::Digital ? SegmentId::DigitalOutput
                                                                : SegmentId::AnalogOutput,
                                     unsigned(number)),
           QString())
{
    NodeArgs own = childArgs(args);
    auto add = [this](auto* child) {
        children.append(child);
        return child;
    };
    label = add(new LabelNode(own));
    level = add(new LevelNode(own));
    volume = add(new VolumeNode(own));
    mute = add(new MuteNode(own));
    invert = add(new InvertNode(own));
    subwooferChannel = add(new SubwooferChannelNode(own));
    xover = add(new XoverNode(own, number));
    peqs = add(new PEQSNode(own));
    if (kind == AudioKind::Analog)
        delay = add(new DelayNode(own));
    sources = add(new SourcesNode(own, analogInputCount, digitalInputCount));
}

SourceNode* OutputNode::sourceNode(int inputIndex) const
{
    return sources->source(inputIndex);
}

QString OutputNode::getLabel() const
{
    return label->text();
}

void OutputNode::setLabel(const QString& text)
{
    label->setText(text, ChangeSource::User);
}

XoverNode* OutputNode::getXoverNode()
{
    return xover;
}

void OutputNode::requestEqualizer()
{
    peqs->requestEditor();
}

void OutputNode::requestCrossover()
{
    xover->requestEditor();
}

AnalogOutputNode::AnalogOutputNode(const NodeArgs& args, int number, int analogInputCount,
                                   int digitalInputCount)
    : OutputNode(args, AudioKind::Analog, number, analogInputCount, digitalInputCount)
{}

DigitalOutputNode::DigitalOutputNode(const NodeArgs& args, int number, int analogInputCount,
                                     int digitalInputCount)
    : OutputNode(args, AudioKind::Digital, number, analogInputCount, digitalInputCount)
{}
