#pragma once

// Accessible interfaces for screen readers where Qt's own fall short: faders and level
// meters read and set in decibels rather than by the slider's raw position (0 to 1230),
// and a combo box given a name keeps it (Qt on Linux would report the current choice as
// its name). The widgets that need it install it; later calls do nothing.
void installAccessibleFactory();
