#pragma once

#include "checkboxnode.h"
#include "comboboxnode.h"
#include "doublespinboxnode.h"

// Parameters of the whole unit. Apart from the two DAC groups none of them goes into
// settings files: they describe how the unit is operated, not how it sounds.

class PresetNode : public ComboBoxNode
{
public:
    explicit PresetNode(const NodeArgs& args);
};

class PresetSourceNode : public ComboBoxNode
{
public:
    explicit PresetSourceNode(const NodeArgs& args);
};

class VolumeSourceNode : public ComboBoxNode
{
public:
    explicit VolumeSourceNode(const NodeArgs& args);
};

class SpdifCableNode : public ComboBoxNode
{
public:
    explicit SpdifCableNode(const NodeArgs& args);
};

class SubwooferModeNode : public ComboBoxNode
{
public:
    explicit SubwooferModeNode(const NodeArgs& args);
};

class InputSourceNode : public ComboBoxNode
{
public:
    explicit InputSourceNode(const NodeArgs& args);
};

class RemoteControlScreenNode : public ComboBoxNode
{
public:
    explicit RemoteControlScreenNode(const NodeArgs& args);
};

class MasterVolumeNode : public DoubleSpinBoxNode
{
public:
    explicit MasterVolumeNode(const NodeArgs& args);
};

class SubwooferVolumeNode : public DoubleSpinBoxNode
{
public:
    explicit SubwooferVolumeNode(const NodeArgs& args);
};

class AutoInputNode : public CheckBoxNode
{
public:
    explicit AutoInputNode(const NodeArgs& args);
};
