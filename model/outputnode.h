#pragma once

#include "audiokind.h"
#include "node.h"

class DelayNode;
class InvertNode;
class LabelNode;
class LevelNode;
class MuteNode;
class PEQSNode;
class SourceNode;
class SourcesNode;
class SubwooferChannelNode;
class VolumeNode;
class XoverNode;

class OutputNode : public Node
{
public:
    OutputNode(const NodeArgs& args, AudioKind kind, int number, int analogInputCount,
               int digitalInputCount);

    QString getLabel() const;
    // Sets the label as the user does: shown everywhere and written to the device.
    void setLabel(const QString& text);
    XoverNode* getXoverNode();
    // Ask the window to open the equalizer or the crossover dialog on this output.
    void requestEqualizer();
    void requestCrossover();

    PEQSNode* getPEQSNode() const { return peqs; }
    DelayNode* getDelayNode() const { return delay; }
    LabelNode* labelNode() const { return label; }
    LevelNode* levelNode() const { return level; }
    VolumeNode* volumeNode() const { return volume; }
    MuteNode* muteNode() const { return mute; }
    InvertNode* invertNode() const { return invert; }
    SubwooferChannelNode* subwooferChannelNode() const { return subwooferChannel; }
    // The routing switch of an input (analog inputs first), or null.
    SourceNode* sourceNode(int inputIndex) const;

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
};

class DigitalOutputNode : public OutputNode
{
public:
    DigitalOutputNode(const NodeArgs& args, int number, int analogInputCount,
                      int digitalInputCount);
};
