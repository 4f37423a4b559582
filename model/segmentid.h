#pragma once

// The ids of the path segments that address the device's parameters: each names one level
// of the device's own tree, so they are fixed by the device, not by this program.
namespace SegmentId {
enum : int
{
    AnalogInput = 1, // indexed by the 1-based channel number, like the other channels
    AnalogOutput = 2,
    DigitalInput = 3,
    DigitalOutput = 4,
    MasterVolume = 6,
    Volume = 7,
    Delay = 8,
    Mute = 9,
    Invert = 10,
    Peqs = 11,
    PeqBand = 12, // indexed by the 1-based band number
    Xover = 13,
    LowPass = 14,
    HighPass = 15,
    Sources = 16,
    Preset = 17,
    Level = 18,
    VolumeSource = 19,
    PresetSource = 20,
    SpdifCable = 21,
    AutoInput = 22,
    DacAk449x = 23,
    Ak449xFilter = 24, // channels 1-2; the next three pairs follow
    DacSabre = 28,
    SabreFilter = 29,
    SabreHarmonic2nd = 30,
    SabreHarmonic3rd = 31,
    SabreAddFilter = 32,
    FirmwareVersion = 33,
    PluginVersion = 34,
    DacModel = 35,
    SubwooferChannel = 36,
    SubwooferVolume = 37,
    SubwooferMode = 38,
    RemoteControlScreen = 39,
    InputSource = 40,
    Label = 41,
};
} // namespace SegmentId
