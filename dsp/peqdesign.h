#pragma once

#include "iircoeffs.h"

// Designs the section of one EQ band at the fixed design rate of 192 kHz. Never fails:
// NONE and unknown types give unity. q must not be 0 and the frequency must lie above 0
// and below 96000 Hz; outside that the coefficients are not finite.
PEQCoeffs calcPEQCoeffs(PEQParams params);
