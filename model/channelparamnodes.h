#pragma once

#include "audiokind.h"
#include "checkboxnode.h"
#include "doublespinboxnode.h"

// The simple per-channel parameters: value nodes with fixed names, segments and ranges.

class VolumeNode : public DoubleSpinBoxNode
{
public:
    explicit VolumeNode(const NodeArgs& args);
};

class DelayNode : public DoubleSpinBoxNode
{
public:
    explicit DelayNode(const NodeArgs& args);
};

class MuteNode : public CheckBoxNode
{
public:
    explicit MuteNode(const NodeArgs& args);
};

class InvertNode : public CheckBoxNode
{
public:
    explicit InvertNode(const NodeArgs& args);
};

// Which outputs feed the subwoofer; a device setting that is not saved to files.
class SubwooferChannelNode : public CheckBoxNode
{
public:
    explicit SubwooferChannelNode(const NodeArgs& args);
};

// One routing switch of an output: named and addressed like the input it stands for.
class SourceNode : public CheckBoxNode
{
public:
    SourceNode(NodeArgs& args, AudioKind kind, int number);
};

// Segment of an input channel (and of the routing switch that stands for it).
path_segment inputSegment(AudioKind kind, int number);
QString inputName(AudioKind kind, int number);
