#pragma once

#include "iircoeffs.h"

// Designs the sections of one crossover filter at the fixed design rate of 192 kHz.
// Never fails: NONE and unknown types give four unity sections. The frequency must lie
// above 0 and below 96000 Hz; outside that some designs are not finite.
XoverCoeffs calcXoverCoeffs(XoverParams params);
