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

void InputNode::anchor() {}

void InputNode::bind(CustomPushButton* muteButton, CustomDoubleSpinBox* volumeSpin,
                     VolumeSlider* slider)
{
    mute->bind(muteButton);
    volume->bind(volumeSpin, slider);
    level->bind(slider);
}

void InputNode::clickPeqButton()
{
    peqs->clickButton();
}

AnalogInputNode::AnalogInputNode(NodeArgs& args, int number)
    : InputNode(args, AudioKind::Analog, number)
{}

void AnalogInputNode::anchor() {}

DigitalInputNode::DigitalInputNode(NodeArgs& args, int number)
    : InputNode(args, AudioKind::Digital, number)
{}

void DigitalInputNode::anchor() {}
