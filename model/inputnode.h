#pragma once

#include "audiokind.h"
#include "node.h"

class CustomDoubleSpinBox;
class CustomPushButton;
class LevelNode;
class MuteNode;
class PEQSNode;
class VolumeNode;
class VolumeSlider;

class InputNode : public Node
{
public:
    InputNode(NodeArgs& args, AudioKind kind, int number);
    void anchor() override;

    void bind(CustomPushButton* muteButton, CustomDoubleSpinBox* volumeSpin, VolumeSlider* slider);
    void clickPeqButton();

    PEQSNode* getPEQSNode() const { return peqs; }

private:
    LevelNode* level = nullptr;
    VolumeNode* volume = nullptr;
    MuteNode* mute = nullptr;
    PEQSNode* peqs = nullptr;
};

class AnalogInputNode : public InputNode
{
public:
    AnalogInputNode(NodeArgs& args, int number);
    void anchor() override;
};

class DigitalInputNode : public InputNode
{
public:
    DigitalInputNode(NodeArgs& args, int number);
    void anchor() override;
};
