#include "inputnode.h"

#include "channelparamnodes.h"
#include "levelnode.h"
#include "peqsnode.h"

InputNode::InputNode(NodeArgs& args, AudioKind kind, int number)
    : Node(args, inputName(kind, number), inputSegment(kind, number), QString())
{
    NodeArgs own = childArgs(args);
    level = new LevelNode(own);
    children.append(level);
    volume = new VolumeNode(own);
    children.append(volume);
    mute = new MuteNode(own);
    children.append(mute);
    peqs = new PEQSNode(own);
    children.append(peqs);
}

void InputNode::requestEqualizer()
{
    peqs->requestEditor();
}

AnalogInputNode::AnalogInputNode(NodeArgs& args, int number)
    : InputNode(args, AudioKind::Analog, number)
{}

DigitalInputNode::DigitalInputNode(NodeArgs& args, int number)
    : InputNode(args, AudioKind::Digital, number)
{}
