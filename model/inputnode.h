#pragma once

#include "audiokind.h"
#include "node.h"

class LevelNode;
class MuteNode;
class PEQSNode;
class VolumeNode;

class InputNode : public Node
{
public:
    InputNode(NodeArgs& args, AudioKind kind, int number);

    // Asks the window to open the equalizer on this input.
    void requestEqualizer();

    PEQSNode* getPEQSNode() const { return peqs; }
    LevelNode* levelNode() const { return level; }
    VolumeNode* volumeNode() const { return volume; }
    MuteNode* muteNode() const { return mute; }

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
};

class DigitalInputNode : public InputNode
{
public:
    DigitalInputNode(NodeArgs& args, int number);
};
