#include "devicenodes.h"

#include "segmentid.h"

namespace {

const QStringList sourceOptions = {QStringLiteral("USB/Remote"), QStringLiteral("Switch")};

} // namespace

PresetNode::PresetNode(const NodeArgs& args)
    : ComboBoxNode(
          args, QStringLiteral("Preset"), make_path_segment(SegmentId::Preset),
          {QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"), QStringLiteral("4")}, 0)
{
    persistent = false;
    userChoiceIsWritten = false;
}

PresetSourceNode::PresetSourceNode(const NodeArgs& args)
    : ComboBoxNode(args, QStringLiteral("Preset Source"),
                   make_path_segment(SegmentId::PresetSource), sourceOptions, 0)
{
    persistent = false;
}

VolumeSourceNode::VolumeSourceNode(const NodeArgs& args)
    : ComboBoxNode(args, QStringLiteral("Volume Source"),
                   make_path_segment(SegmentId::VolumeSource),
                   {QStringLiteral("USB/Remote"), QStringLiteral("Pot"), QStringLiteral("MOST")}, 0)
{
    persistent = false;
}

SpdifCableNode::SpdifCableNode(const NodeArgs& args)
    : ComboBoxNode(args, QStringLiteral("SPDIF Cable"), make_path_segment(SegmentId::SpdifCable),
                   {QStringLiteral("Optic"), QStringLiteral("Coaxial")}, 0)
{
    persistent = false;
}

SubwooferModeNode::SubwooferModeNode(const NodeArgs& args)
    : ComboBoxNode(args, QStringLiteral("Subwoofer Mode"),
                   make_path_segment(SegmentId::SubwooferMode),
                   {QStringLiteral("Classic"), QStringLiteral("Parametric")}, 0)
{
    persistent = false;
}

InputSourceNode::InputSourceNode(const NodeArgs& args)
    : ComboBoxNode(args, QStringLiteral("Input Source"), make_path_segment(SegmentId::InputSource),
                   {QStringLiteral("Digital"), QStringLiteral("USB"), QStringLiteral("Analog"),
                    QStringLiteral("Extender")},
                   0)
{
    persistent = false;
}

RemoteControlScreenNode::RemoteControlScreenNode(const NodeArgs& args)
    : ComboBoxNode(args, QStringLiteral("RC Screen"),
                   make_path_segment(SegmentId::RemoteControlScreen),
                   {QStringLiteral("Original"), QStringLiteral("Rotated")}, 0)
{
    persistent = false;
}

MasterVolumeNode::MasterVolumeNode(const NodeArgs& args)
    : DoubleSpinBoxNode(args, QStringLiteral("Master Volume"),
                        make_path_segment(SegmentId::MasterVolume),
                        {-120.0, 3.0, 0.1, 0.0, QStringLiteral(" dB"), 1})
{
    persistent = false;
}

SubwooferVolumeNode::SubwooferVolumeNode(const NodeArgs& args)
    : DoubleSpinBoxNode(args, QStringLiteral("Subwoofer Volume"),
                        make_path_segment(SegmentId::SubwooferVolume),
                        {-16.0, 16.0, 0.5, 0.0, QStringLiteral(" dB"), 1})
{
    persistent = false;
}

AutoInputNode::AutoInputNode(const NodeArgs& args)
    : CheckBoxNode(args, QStringLiteral("Auto Input"), make_path_segment(SegmentId::AutoInput))
{
    persistent = false;
}
