#pragma once

#include <QMetaType>

// Who set a value: only the user's edits are written to the device; values read from the
// device or taken from a settings file are shown, never sent back on their own.
enum class ChangeSource
{
    User,
    Device,
    File,
};
Q_DECLARE_METATYPE(ChangeSource)
