#pragma once

#include "pathaddress.h"

#include <QByteArray>
#include <QVector>
#include <stdint.h>

// The emulated processor's own list of its parameters, written from the device's
// layout tables (not derived from the tool's parameter tree), so that a path or a
// size the tool gets wrong is answered with an error instead of being mirrored.
struct FirmwareParam
{
    int index;           // parameter index: position in this table
    const char* name;    // node names from the top level down, joined by '/'
    const char* kind;    // the node's type word: "choice", "float", "checkbox", ...
    uint8_t path[5];     // request path bytes, root side first
    int pathLength;      // bytes used in `path`
    int size;            // value size in bytes on the wire
    const char* initial; // power-on value in its wire encoding, as hex digits
};

extern const FirmwareParam firmwareParams[];
extern const int firmwareParamCount; // 165

QByteArray firmwareParamPath(const FirmwareParam& param);
QByteArray firmwareParamInitialValue(const FirmwareParam& param);

// The table's paths flattened into a path tree (child lists in depth-first
// pre-order), as the firmware keeps it to resolve request paths.
QVector<path_tree_item> buildFirmwarePathTree();
