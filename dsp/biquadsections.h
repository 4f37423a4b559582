#pragma once

#include "iircoeffs.h"

// Pieces that the crossover and EQ designers share. The device and stored settings were
// made with these constants and this order of operations: the coefficients must come out
// bit for bit the same, so do not tidy the arithmetic.

// Slightly below sqrt(2), exactly as the device has it: the Butterworth second-order divisor.
constexpr double butterworthDivisor = 1.414213562373095;

// A frequency as an angle at the fixed 192 kHz design rate, with its sine and cosine.
struct DesignAngle
{
    double w;
    double s;
    double c;
};

// The angle of `multiple` times `frequency` (Hz); the product with 2 pi is formed first.
DesignAngle designAngle(double frequency, double multiple = 1.0);

// Sets a1 and a2 of a second-order section whose a0 is 1 + alpha; returns a0, which
// divides the numerator too.
double setSecondOrderPoles(IIRCoeffs& section, double c, double alpha);

// Second-order lowpass or highpass (RBJ cookbook) with divisor d = 2Q.
IIRCoeffs secondOrderSection(double s, double c, double d, bool highpass);
