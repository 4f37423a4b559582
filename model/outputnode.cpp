#include "outputnode.h"

#include "channelparamnodes.h"
#include "labelnode.h"
#include "levelnode.h"
#include "peqsnode.h"
#include "sourcesnode.h"
#include "xovernode.h"

OutputNode::OutputNode(const NodeArgs& args, AudioKind kind, int number, int analogInputCount,
                       int digitalInputCount)
    : Node(args, QStringLiteral("%1 Output %2").arg(audioKindWord(kind)).arg(number),
           make_indexed_path_segment(kind == AudioKind::Digital ? 4 : 2, unsigned(number)),
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

void OutputNode::anchor() {}

void OutputNode::bind(CustomPushButton* muteButton, CustomPushButton* invertButton,
                      CustomDoubleSpinBox* volumeSpin, VolumeSlider* slider,
                      CustomDoubleSpinBox* delaySpin)
{
    mute->bind(muteButton);
    invert->bind(invertButton);
    volume->bind(volumeSpin, slider);
    level->bind(slider);
    if (delay)
        delay->bind(delaySpin, static_cast<VolumeSlider*>(nullptr));
}

void OutputNode::bindSource(int inputIndex, CustomCheckBox* checkBox)
{
    sources->bindSource(inputIndex, checkBox);
}

void OutputNode::bindSubwooferChannel(CustomCheckBox* checkBox)
{
    subwooferChannel->bind(checkBox);
}

QString OutputNode::getLabel() const
{
    return label->text();
}

void OutputNode::setLabel(const QString& text)
{
    label->setText(text);
}

XoverNode* OutputNode::getXoverNode()
{
    return xover;
}

void OutputNode::clickPeqButton()
{
    peqs->clickButton();
}

void OutputNode::clickXoverButton()
{
    xover->clickButton();
}

AnalogOutputNode::AnalogOutputNode(const NodeArgs& args, int number, int analogInputCount,
                                   int digitalInputCount)
    : OutputNode(args, AudioKind::Analog, number, analogInputCount, digitalInputCount)
{}

void AnalogOutputNode::anchor() {}

DigitalOutputNode::DigitalOutputNode(const NodeArgs& args, int number, int analogInputCount,
                                     int digitalInputCount)
    : OutputNode(args, AudioKind::Digital, number, analogInputCount, digitalInputCount)
{}

void DigitalOutputNode::anchor() {}
