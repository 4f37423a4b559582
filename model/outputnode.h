#pragma once

#include "audiokind.h"
#include "node.h"

class CustomCheckBox;
class CustomDoubleSpinBox;
class CustomPushButton;
class DelayNode;
class InvertNode;
class LabelNode;
class LevelNode;
class MuteNode;
class PEQSNode;
class SourcesNode;
class SubwooferChannelNode;
class VolumeNode;
class VolumeSlider;
class XoverNode;

class OutputNode : public Node
{
public:
    OutputNode(const NodeArgs& args, AudioKind kind, int number, int analogInputCount,
               int digitalInputCount);
    void anchor() override;

    void bind(CustomPushButton* muteButton, CustomPushButton* invertButton,
              CustomDoubleSpinBox* volumeSpin, VolumeSlider* slider,
              CustomDoubleSpinBox* delaySpin);
    void bindSource(int inputIndex, CustomCheckBox* checkBox);
    void bindSubwooferChannel(CustomCheckBox* checkBox);
    QString getLabel() const;
    void setLabel(const QString& text);
    XoverNode* getXoverNode();
    void clickPeqButton();
    void clickXoverButton();

    PEQSNode* getPEQSNode() const { return peqs; }
    DelayNode* getDelayNode() const { return delay; }

private:
    LabelNode* label = nullptr;
    LevelNode* level = nullptr;
    VolumeNode* volume = nullptr;
    MuteNode* mute = nullptr;
    InvertNode* invert = nullptr;
    SubwooferChannelNode* subwooferChannel = nullptr;
    XoverNode* xover = nullptr;
    PEQSNode* peqs = nullptr;
    DelayNode* delay = nullptr; // analog outputs only
    SourcesNode* sources = nullptr;
};

class AnalogOutputNode : public OutputNode
{
public:
    AnalogOutputNode(const NodeArgs& args, int number, int analogInputCount, int digitalInputCount);
    void anchor() override;
};

class DigitalOutputNode : public OutputNode
{
public:
    DigitalOutputNode(const NodeArgs& args, int number, int analogInputCount,
                      int digitalInputCount);
    void anchor() override;
};
