#include "firmwaretable.h"

#include <memory>
#include <vector>

// clang-format off
// Values in their wire encodings, little-endian.
#define F32_ZERO "00000000"
// 0, 0, 1.0, 0, 0 in fixed 8.24
#define UNITY_SECTION "00000000" "00000000" "00000001" "00000000" "00000000"
// Filter type 0, high-pass flag, 10.0 Hz, four pass-through sections.
#define XOVER_HP "00" "01" "00002041" UNITY_SECTION UNITY_SECTION UNITY_SECTION UNITY_SECTION
#define XOVER_LP "00" "00" "00002041" UNITY_SECTION UNITY_SECTION UNITY_SECTION UNITY_SECTION
// Band type 0, gain 0.0 dB, 10.0 Hz, Q 0.5, one pass-through section.
#define EQ_BAND "00" "00000000" "00002041" "0000003F" UNITY_SECTION
// 16 UCS-4 code points, all zero.
#define EMPTY_LABEL \
    "0000000000000000000000000000000000000000000000000000000000000000" \
    "0000000000000000000000000000000000000000000000000000000000000000"
// Latin-1 text, zero-filled to 32 bytes: "1.7.2", "3.0.5", "SABRE".
#define FIRMWARE_VERSION "312E372E32000000000000000000000000000000000000000000000000000000"
#define PLUGIN_VERSION "332E302E35000000000000000000000000000000000000000000000000000000"
#define DAC_MODEL "5341425245000000000000000000000000000000000000000000000000000000"

const FirmwareParam firmwareParams[] = {
    {0, "Preset", "choice", {0x11}, 1, 1, "00"},
    {1, "Preset Source", "choice", {0x14}, 1, 1, "00"},
    {2, "Master Volume", "float", {0x06}, 1, 4, F32_ZERO},
    {3, "Volume Source", "choice", {0x13}, 1, 1, "00"},
    {4, "Subwoofer Volume", "float", {0x25}, 1, 4, F32_ZERO},
    {5, "Subwoofer Mode", "choice", {0x26}, 1, 1, "00"},
    {6, "SPDIF Cable", "choice", {0x15}, 1, 1, "00"},
    {7, "Input Source", "choice", {0x28}, 1, 1, "00"},
    {8, "Auto Input", "checkbox", {0x16}, 1, 1, "00"},
    {9, "RC Screen", "choice", {0x27}, 1, 1, "00"},
    {10, "Firmware Version", "version", {0x21}, 1, 32, FIRMWARE_VERSION},
    {11, "Plugin Version", "version", {0x22}, 1, 32, PLUGIN_VERSION},
    {12, "DAC Model", "version", {0x23}, 1, 32, DAC_MODEL},
    {13, "DAC AK449X/Ch 1-2 Filter", "choice", {0x17, 0x18}, 2, 1, "02"},
    {14, "DAC AK449X/Ch 3-4 Filter", "choice", {0x17, 0x19}, 2, 1, "02"},
    {15, "DAC AK449X/Ch 5-6 Filter", "choice", {0x17, 0x1A}, 2, 1, "02"},
    {16, "DAC AK449X/Ch 7-8 Filter", "choice", {0x17, 0x1B}, 2, 1, "02"},
    {17, "DAC SABRE/Filter", "choice", {0x1C, 0x1D}, 2, 1, "00"},
    {18, "DAC SABRE/2nd Harmonic", "float", {0x1C, 0x1E}, 2, 4, F32_ZERO},
    {19, "DAC SABRE/3rd Harmonic", "float", {0x1C, 0x1F}, 2, 4, F32_ZERO},
    {20, "DAC SABRE/ADD Filter", "float", {0x1C, 0x20}, 2, 4, F32_ZERO},
    {21, "Digital Input 1/Level", "signal_level", {0x83, 0x01, 0x12}, 3, 4, "000016C3" /* -150.0 dB */},
    {22, "Digital Input 1/Volume", "float", {0x83, 0x01, 0x07}, 3, 4, F32_ZERO},
    {23, "Digital Input 1/Mute", "checkbox", {0x83, 0x01, 0x09}, 3, 1, "00"},
    {24, "Digital Input 1/PEQ/EQ1", "peq", {0x83, 0x01, 0x0B, 0x8C, 0x01}, 5, 33, EQ_BAND},
    {25, "Digital Input 1/PEQ/EQ2", "peq", {0x83, 0x01, 0x0B, 0x8C, 0x02}, 5, 33, EQ_BAND},
    {26, "Digital Input 1/PEQ/EQ3", "peq", {0x83, 0x01, 0x0B, 0x8C, 0x03}, 5, 33, EQ_BAND},
    {27, "Digital Input 1/PEQ/EQ4", "peq", {0x83, 0x01, 0x0B, 0x8C, 0x04}, 5, 33, EQ_BAND},
    {28, "Digital Input 1/PEQ/EQ5", "peq", {0x83, 0x01, 0x0B, 0x8C, 0x05}, 5, 33, EQ_BAND},
    {29, "Digital Input 2/Level", "signal_level", {0x83, 0x02, 0x12}, 3, 4, "000016C3"},
    {30, "Digital Input 2/Volume", "float", {0x83, 0x02, 0x07}, 3, 4, F32_ZERO},
    {31, "Digital Input 2/Mute", "checkbox", {0x83, 0x02, 0x09}, 3, 1, "00"},
    {32, "Digital Input 2/PEQ/EQ1", "peq", {0x83, 0x02, 0x0B, 0x8C, 0x01}, 5, 33, EQ_BAND},
    {33, "Digital Input 2/PEQ/EQ2", "peq", {0x83, 0x02, 0x0B, 0x8C, 0x02}, 5, 33, EQ_BAND},
    {34, "Digital Input 2/PEQ/EQ3", "peq", {0x83, 0x02, 0x0B, 0x8C, 0x03}, 5, 33, EQ_BAND},
    {35, "Digital Input 2/PEQ/EQ4", "peq", {0x83, 0x02, 0x0B, 0x8C, 0x04}, 5, 33, EQ_BAND},
    {36, "Digital Input 2/PEQ/EQ5", "peq", {0x83, 0x02, 0x0B, 0x8C, 0x05}, 5, 33, EQ_BAND},
    {37, "Analog Output 1/Label", "label", {0x82, 0x01, 0x29}, 3, 64, EMPTY_LABEL},
    {38, "Analog Output 1/Level", "signal_level", {0x82, 0x01, 0x12}, 3, 4, "000016C3"},
    {39, "Analog Output 1/Volume", "float", {0x82, 0x01, 0x07}, 3, 4, F32_ZERO},
    {40, "Analog Output 1/Mute", "checkbox", {0x82, 0x01, 0x09}, 3, 1, "00"},
    {41, "Analog Output 1/Invert", "checkbox", {0x82, 0x01, 0x0A}, 3, 1, "00"},
    {42, "Analog Output 1/Subwoofer Channel", "checkbox", {0x82, 0x01, 0x24}, 3, 1, "00"},
    {43, "Analog Output 1/Xover/HP", "xover", {0x82, 0x01, 0x0D, 0x0F}, 4, 86, XOVER_HP},
    {44, "Analog Output 1/Xover/LP", "xover", {0x82, 0x01, 0x0D, 0x0E}, 4, 86, XOVER_LP},
    {45, "Analog Output 1/PEQ/EQ1", "peq", {0x82, 0x01, 0x0B, 0x8C, 0x01}, 5, 33, EQ_BAND},
    {46, "Analog Output 1/PEQ/EQ2", "peq", {0x82, 0x01, 0x0B, 0x8C, 0x02}, 5, 33, EQ_BAND},
    {47, "Analog Output 1/PEQ/EQ3", "peq", {0x82, 0x01, 0x0B, 0x8C, 0x03}, 5, 33, EQ_BAND},
    {48, "Analog Output 1/PEQ/EQ4", "peq", {0x82, 0x01, 0x0B, 0x8C, 0x04}, 5, 33, EQ_BAND},
    {49, "Analog Output 1/PEQ/EQ5", "peq", {0x82, 0x01, 0x0B, 0x8C, 0x05}, 5, 33, EQ_BAND},
    {50, "Analog Output 1/Delay", "float", {0x82, 0x01, 0x08}, 3, 4, F32_ZERO},
    {51, "Analog Output 1/Sources/Digital Input 1", "checkbox", {0x82, 0x01, 0x10, 0x83, 0x01}, 5, 1, "00"},
    {52, "Analog Output 1/Sources/Digital Input 2", "checkbox", {0x82, 0x01, 0x10, 0x83, 0x02}, 5, 1, "00"},
    {53, "Analog Output 2/Label", "label", {0x82, 0x02, 0x29}, 3, 64, EMPTY_LABEL},
    {54, "Analog Output 2/Level", "signal_level", {0x82, 0x02, 0x12}, 3, 4, "000016C3"},
    {55, "Analog Output 2/Volume", "float", {0x82, 0x02, 0x07}, 3, 4, F32_ZERO},
    {56, "Analog Output 2/Mute", "checkbox", {0x82, 0x02, 0x09}, 3, 1, "00"},
    {57, "Analog Output 2/Invert", "checkbox", {0x82, 0x02, 0x0A}, 3, 1, "00"},
    {58, "Analog Output 2/Subwoofer Channel", "checkbox", {0x82, 0x02, 0x24}, 3, 1, "00"},
    {59, "Analog Output 2/Xover/HP", "xover", {0x82, 0x02, 0x0D, 0x0F}, 4, 86, XOVER_HP},
    {60, "Analog Output 2/Xover/LP", "xover", {0x82, 0x02, 0x0D, 0x0E}, 4, 86, XOVER_LP},
    {61, "Analog Output 2/PEQ/EQ1", "peq", {0x82, 0x02, 0x0B, 0x8C, 0x01}, 5, 33, EQ_BAND},
    {62, "Analog Output 2/PEQ/EQ2", "peq", {0x82, 0x02, 0x0B, 0x8C, 0x02}, 5, 33, EQ_BAND},
    {63, "Analog Output 2/PEQ/EQ3", "peq", {0x82, 0x02, 0x0B, 0x8C, 0x03}, 5, 33, EQ_BAND},
    {64, "Analog Output 2/PEQ/EQ4", "peq", {0x82, 0x02, 0x0B, 0x8C, 0x04}, 5, 33, EQ_BAND},
    {65, "Analog Output 2/PEQ/EQ5", "peq", {0x82, 0x02, 0x0B, 0x8C, 0x05}, 5, 33, EQ_BAND},
    {66, "Analog Output 2/Delay", "float", {0x82, 0x02, 0x08}, 3, 4, F32_ZERO},
    {67, "Analog Output 2/Sources/Digital Input 1", "checkbox", {0x82, 0x02, 0x10, 0x83, 0x01}, 5, 1, "00"},
    {68, "Analog Output 2/Sources/Digital Input 2", "checkbox", {0x82, 0x02, 0x10, 0x83, 0x02}, 5, 1, "00"},
    {69, "Analog Output 3/Label", "label", {0x82, 0x03, 0x29}, 3, 64, EMPTY_LABEL},
    {70, "Analog Output 3/Level", "signal_level", {0x82, 0x03, 0x12}, 3, 4, "000016C3"},
    {71, "Analog Output 3/Volume", "float", {0x82, 0x03, 0x07}, 3, 4, F32_ZERO},
    {72, "Analog Output 3/Mute", "checkbox", {0x82, 0x03, 0x09}, 3, 1, "00"},
    {73, "Analog Output 3/Invert", "checkbox", {0x82, 0x03, 0x0A}, 3, 1, "00"},
    {74, "Analog Output 3/Subwoofer Channel", "checkbox", {0x82, 0x03, 0x24}, 3, 1, "00"},
    {75, "Analog Output 3/Xover/HP", "xover", {0x82, 0x03, 0x0D, 0x0F}, 4, 86, XOVER_HP},
    {76, "Analog Output 3/Xover/LP", "xover", {0x82, 0x03, 0x0D, 0x0E}, 4, 86, XOVER_LP},
    {77, "Analog Output 3/PEQ/EQ1", "peq", {0x82, 0x03, 0x0B, 0x8C, 0x01}, 5, 33, EQ_BAND},
    {78, "Analog Output 3/PEQ/EQ2", "peq", {0x82, 0x03, 0x0B, 0x8C, 0x02}, 5, 33, EQ_BAND},
    {79, "Analog Output 3/PEQ/EQ3", "peq", {0x82, 0x03, 0x0B, 0x8C, 0x03}, 5, 33, EQ_BAND},
    {80, "Analog Output 3/PEQ/EQ4", "peq", {0x82, 0x03, 0x0B, 0x8C, 0x04}, 5, 33, EQ_BAND},
    {81, "Analog Output 3/PEQ/EQ5", "peq", {0x82, 0x03, 0x0B, 0x8C, 0x05}, 5, 33, EQ_BAND},
    {82, "Analog Output 3/Delay", "float", {0x82, 0x03, 0x08}, 3, 4, F32_ZERO},
    {83, "Analog Output 3/Sources/Digital Input 1", "checkbox", {0x82, 0x03, 0x10, 0x83, 0x01}, 5, 1, "00"},
    {84, "Analog Output 3/Sources/Digital Input 2", "checkbox", {0x82, 0x03, 0x10, 0x83, 0x02}, 5, 1, "00"},
    {85, "Analog Output 4/Label", "label", {0x82, 0x04, 0x29}, 3, 64, EMPTY_LABEL},
    {86, "Analog Output 4/Level", "signal_level", {0x82, 0x04, 0x12}, 3, 4, "000016C3"},
    {87, "Analog Output 4/Volume", "float", {0x82, 0x04, 0x07}, 3, 4, F32_ZERO},
    {88, "Analog Output 4/Mute", "checkbox", {0x82, 0x04, 0x09}, 3, 1, "00"},
    {89, "Analog Output 4/Invert", "checkbox", {0x82, 0x04, 0x0A}, 3, 1, "00"},
    {90, "Analog Output 4/Subwoofer Channel", "checkbox", {0x82, 0x04, 0x24}, 3, 1, "00"},
    {91, "Analog Output 4/Xover/HP", "xover", {0x82, 0x04, 0x0D, 0x0F}, 4, 86, XOVER_HP},
    {92, "Analog Output 4/Xover/LP", "xover", {0x82, 0x04, 0x0D, 0x0E}, 4, 86, XOVER_LP},
    {93, "Analog Output 4/PEQ/EQ1", "peq", {0x82, 0x04, 0x0B, 0x8C, 0x01}, 5, 33, EQ_BAND},
    {94, "Analog Output 4/PEQ/EQ2", "peq", {0x82, 0x04, 0x0B, 0x8C, 0x02}, 5, 33, EQ_BAND},
    {95, "Analog Output 4/PEQ/EQ3", "peq", {0x82, 0x04, 0x0B, 0x8C, 0x03}, 5, 33, EQ_BAND},
    {96, "Analog Output 4/PEQ/EQ4", "peq", {0x82, 0x04, 0x0B, 0x8C, 0x04}, 5, 33, EQ_BAND},
    {97, "Analog Output 4/PEQ/EQ5", "peq", {0x82, 0x04, 0x0B, 0x8C, 0x05}, 5, 33, EQ_BAND},
    {98, "Analog Output 4/Delay", "float", {0x82, 0x04, 0x08}, 3, 4, F32_ZERO},
    {99, "Analog Output 4/Sources/Digital Input 1", "checkbox", {0x82, 0x04, 0x10, 0x83, 0x01}, 5, 1, "00"},
    {100, "Analog Output 4/Sources/Digital Input 2", "checkbox", {0x82, 0x04, 0x10, 0x83, 0x02}, 5, 1, "00"},
    {101, "Analog Output 5/Label", "label", {0x82, 0x05, 0x29}, 3, 64, EMPTY_LABEL},
    {102, "Analog Output 5/Level", "signal_level", {0x82, 0x05, 0x12}, 3, 4, "000016C3"},
    {103, "Analog Output 5/Volume", "float", {0x82, 0x05, 0x07}, 3, 4, F32_ZERO},
    {104, "Analog Output 5/Mute", "checkbox", {0x82, 0x05, 0x09}, 3, 1, "00"},
    {105, "Analog Output 5/Invert", "checkbox", {0x82, 0x05, 0x0A}, 3, 1, "00"},
    {106, "Analog Output 5/Subwoofer Channel", "checkbox", {0x82, 0x05, 0x24}, 3, 1, "00"},
    {107, "Analog Output 5/Xover/HP", "xover", {0x82, 0x05, 0x0D, 0x0F}, 4, 86, XOVER_HP},
    {108, "Analog Output 5/Xover/LP", "xover", {0x82, 0x05, 0x0D, 0x0E}, 4, 86, XOVER_LP},
    {109, "Analog Output 5/PEQ/EQ1", "peq", {0x82, 0x05, 0x0B, 0x8C, 0x01}, 5, 33, EQ_BAND},
    {110, "Analog Output 5/PEQ/EQ2", "peq", {0x82, 0x05, 0x0B, 0x8C, 0x02}, 5, 33, EQ_BAND},
    {111, "Analog Output 5/PEQ/EQ3", "peq", {0x82, 0x05, 0x0B, 0x8C, 0x03}, 5, 33, EQ_BAND},
    {112, "Analog Output 5/PEQ/EQ4", "peq", {0x82, 0x05, 0x0B, 0x8C, 0x04}, 5, 33, EQ_BAND},
    {113, "Analog Output 5/PEQ/EQ5", "peq", {0x82, 0x05, 0x0B, 0x8C, 0x05}, 5, 33, EQ_BAND},
    {114, "Analog Output 5/Delay", "float", {0x82, 0x05, 0x08}, 3, 4, F32_ZERO},
    {115, "Analog Output 5/Sources/Digital Input 1", "checkbox", {0x82, 0x05, 0x10, 0x83, 0x01}, 5, 1, "00"},
    {116, "Analog Output 5/Sources/Digital Input 2", "checkbox", {0x82, 0x05, 0x10, 0x83, 0x02}, 5, 1, "00"},
    {117, "Analog Output 6/Label", "label", {0x82, 0x06, 0x29}, 3, 64, EMPTY_LABEL},
    {118, "Analog Output 6/Level", "signal_level", {0x82, 0x06, 0x12}, 3, 4, "000016C3"},
    {119, "Analog Output 6/Volume", "float", {0x82, 0x06, 0x07}, 3, 4, F32_ZERO},
    {120, "Analog Output 6/Mute", "checkbox", {0x82, 0x06, 0x09}, 3, 1, "00"},
    {121, "Analog Output 6/Invert", "checkbox", {0x82, 0x06, 0x0A}, 3, 1, "00"},
    {122, "Analog Output 6/Subwoofer Channel", "checkbox", {0x82, 0x06, 0x24}, 3, 1, "00"},
    {123, "Analog Output 6/Xover/HP", "xover", {0x82, 0x06, 0x0D, 0x0F}, 4, 86, XOVER_HP},
    {124, "Analog Output 6/Xover/LP", "xover", {0x82, 0x06, 0x0D, 0x0E}, 4, 86, XOVER_LP},
    {125, "Analog Output 6/PEQ/EQ1", "peq", {0x82, 0x06, 0x0B, 0x8C, 0x01}, 5, 33, EQ_BAND},
    {126, "Analog Output 6/PEQ/EQ2", "peq", {0x82, 0x06, 0x0B, 0x8C, 0x02}, 5, 33, EQ_BAND},
    {127, "Analog Output 6/PEQ/EQ3", "peq", {0x82, 0x06, 0x0B, 0x8C, 0x03}, 5, 33, EQ_BAND},
    {128, "Analog Output 6/PEQ/EQ4", "peq", {0x82, 0x06, 0x0B, 0x8C, 0x04}, 5, 33, EQ_BAND},
    {129, "Analog Output 6/PEQ/EQ5", "peq", {0x82, 0x06, 0x0B, 0x8C, 0x05}, 5, 33, EQ_BAND},
    {130, "Analog Output 6/Delay", "float", {0x82, 0x06, 0x08}, 3, 4, F32_ZERO},
    {131, "Analog Output 6/Sources/Digital Input 1", "checkbox", {0x82, 0x06, 0x10, 0x83, 0x01}, 5, 1, "00"},
    {132, "Analog Output 6/Sources/Digital Input 2", "checkbox", {0x82, 0x06, 0x10, 0x83, 0x02}, 5, 1, "00"},
    {133, "Analog Output 7/Label", "label", {0x82, 0x07, 0x29}, 3, 64, EMPTY_LABEL},
    {134, "Analog Output 7/Level", "signal_level", {0x82, 0x07, 0x12}, 3, 4, "000016C3"},
    {135, "Analog Output 7/Volume", "float", {0x82, 0x07, 0x07}, 3, 4, F32_ZERO},
    {136, "Analog Output 7/Mute", "checkbox", {0x82, 0x07, 0x09}, 3, 1, "00"},
    {137, "Analog Output 7/Invert", "checkbox", {0x82, 0x07, 0x0A}, 3, 1, "00"},
    {138, "Analog Output 7/Subwoofer Channel", "checkbox", {0x82, 0x07, 0x24}, 3, 1, "00"},
    {139, "Analog Output 7/Xover/HP", "xover", {0x82, 0x07, 0x0D, 0x0F}, 4, 86, XOVER_HP},
    {140, "Analog Output 7/Xover/LP", "xover", {0x82, 0x07, 0x0D, 0x0E}, 4, 86, XOVER_LP},
    {141, "Analog Output 7/PEQ/EQ1", "peq", {0x82, 0x07, 0x0B, 0x8C, 0x01}, 5, 33, EQ_BAND},
    {142, "Analog Output 7/PEQ/EQ2", "peq", {0x82, 0x07, 0x0B, 0x8C, 0x02}, 5, 33, EQ_BAND},
    {143, "Analog Output 7/PEQ/EQ3", "peq", {0x82, 0x07, 0x0B, 0x8C, 0x03}, 5, 33, EQ_BAND},
    {144, "Analog Output 7/PEQ/EQ4", "peq", {0x82, 0x07, 0x0B, 0x8C, 0x04}, 5, 33, EQ_BAND},
    {145, "Analog Output 7/PEQ/EQ5", "peq", {0x82, 0x07, 0x0B, 0x8C, 0x05}, 5, 33, EQ_BAND},
    {146, "Analog Output 7/Delay", "float", {0x82, 0x07, 0x08}, 3, 4, F32_ZERO},
    {147, "Analog Output 7/Sources/Digital Input 1", "checkbox", {0x82, 0x07, 0x10, 0x83, 0x01}, 5, 1, "00"},
    {148, "Analog Output 7/Sources/Digital Input 2", "checkbox", {0x82, 0x07, 0x10, 0x83, 0x02}, 5, 1, "00"},
    {149, "Analog Output 8/Label", "label", {0x82, 0x08, 0x29}, 3, 64, EMPTY_LABEL},
    {150, "Analog Output 8/Level", "signal_level", {0x82, 0x08, 0x12}, 3, 4, "000016C3"},
    {151, "Analog Output 8/Volume", "float", {0x82, 0x08, 0x07}, 3, 4, F32_ZERO},
    {152, "Analog Output 8/Mute", "checkbox", {0x82, 0x08, 0x09}, 3, 1, "00"},
    {153, "Analog Output 8/Invert", "checkbox", {0x82, 0x08, 0x0A}, 3, 1, "00"},
    {154, "Analog Output 8/Subwoofer Channel", "checkbox", {0x82, 0x08, 0x24}, 3, 1, "00"},
    {155, "Analog Output 8/Xover/HP", "xover", {0x82, 0x08, 0x0D, 0x0F}, 4, 86, XOVER_HP},
    {156, "Analog Output 8/Xover/LP", "xover", {0x82, 0x08, 0x0D, 0x0E}, 4, 86, XOVER_LP},
    {157, "Analog Output 8/PEQ/EQ1", "peq", {0x82, 0x08, 0x0B, 0x8C, 0x01}, 5, 33, EQ_BAND},
    {158, "Analog Output 8/PEQ/EQ2", "peq", {0x82, 0x08, 0x0B, 0x8C, 0x02}, 5, 33, EQ_BAND},
    {159, "Analog Output 8/PEQ/EQ3", "peq", {0x82, 0x08, 0x0B, 0x8C, 0x03}, 5, 33, EQ_BAND},
    {160, "Analog Output 8/PEQ/EQ4", "peq", {0x82, 0x08, 0x0B, 0x8C, 0x04}, 5, 33, EQ_BAND},
    {161, "Analog Output 8/PEQ/EQ5", "peq", {0x82, 0x08, 0x0B, 0x8C, 0x05}, 5, 33, EQ_BAND},
    {162, "Analog Output 8/Delay", "float", {0x82, 0x08, 0x08}, 3, 4, F32_ZERO},
    {163, "Analog Output 8/Sources/Digital Input 1", "checkbox", {0x82, 0x08, 0x10, 0x83, 0x01}, 5, 1, "00"},
    {164, "Analog Output 8/Sources/Digital Input 2", "checkbox", {0x82, 0x08, 0x10, 0x83, 0x02}, 5, 1, "00"},

};
// clang-format on

const int firmwareParamCount = int(sizeof(firmwareParams) / sizeof(firmwareParams[0]));

QByteArray firmwareParamPath(const FirmwareParam& param)
{
    return QByteArray(reinterpret_cast<const char*>(param.path), param.pathLength);
}

QByteArray firmwareParamInitialValue(const FirmwareParam& param)
{
    return QByteArray::fromHex(param.initial);
}

namespace {

struct PathNode
{
    path_segment segment{};
    int paramIndex = -1;
    int childListIndex = 0;
    std::vector<std::unique_ptr<PathNode>> children;
};

// Reads one segment (1 or 2 bytes) at `pos`; returns the bytes used.
int readSegment(const FirmwareParam& param, int pos, path_segment& segment)
{
    const uint8_t id = param.path[pos];
    if (id & PATH_SEGMENT_INDEXED_FLAG) {
        segment = make_indexed_path_segment(id & 0x7F, param.path[pos + 1]);
        return 2;
    }
    segment = make_path_segment(id);
    return 1;
}

void assignListIndices(PathNode& node, int& next)
{
    if (node.children.empty())
        return;
    node.childListIndex = next;
    next += int(node.children.size()) + 1;
    for (auto& child : node.children)
        assignListIndices(*child, next);
}

void flatten(const PathNode& node, QVector<path_tree_item>& out)
{
    for (const auto& child : node.children) {
        out.append(child->paramIndex >= 0
                       ? make_path_tree_leaf(child->segment, unsigned(child->paramIndex))
                       : make_path_tree_node(child->segment, unsigned(child->childListIndex)));
    }
    out.append(NULL_PATH_TREE_ITEM);
    for (const auto& child : node.children) {
        if (!child->children.empty())
            flatten(*child, out);
    }
}

} // namespace

QVector<path_tree_item> buildFirmwarePathTree()
{
    PathNode root;
    for (int i = 0; i < firmwareParamCount; ++i) {
        const FirmwareParam& param = firmwareParams[i];
        PathNode* node = &root;
        for (int pos = 0; pos < param.pathLength;) {
            path_segment segment;
            pos += readSegment(param, pos, segment);
            PathNode* found = nullptr;
            for (auto& child : node->children) {
                if (path_segments_equal(child->segment, segment))
                    found = child.get();
            }
            if (!found) {
                node->children.push_back(std::make_unique<PathNode>());
                found = node->children.back().get();
                found->segment = segment;
            }
            node = found;
        }
        node->paramIndex = param.index;
    }
    int next = 0;
    assignListIndices(root, next);
    QVector<path_tree_item> tree;
    flatten(root, tree);
    return tree;
}
