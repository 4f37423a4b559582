#pragma once

#include "iircoeffs.h"

#include <cmath>
#include <complex>

// Reference response of biquad sections, evaluated directly as
// H(z) = (b0 + b1 z^-1 + b2 z^-2) / (1 - a1 z^-1 - a2 z^-2) on the unit circle at 192 kHz,
// independent of the gain calculators under test.
inline std::complex<double> sectionResponse(const IIRCoeffs& c, double f)
{
    const double pi = 3.14159265358979323846;
    const std::complex<double> z1 = std::polar(1.0, -2.0 * pi * f / 192000.0);
    const std::complex<double> z2 = z1 * z1;
    return (c.b0 + c.b1 * z1 + c.b2 * z2) / (1.0 - c.a1 * z1 - c.a2 * z2);
}

inline std::complex<double> cascadeResponse(const XoverCoeffs& c, double f)
{
    std::complex<double> h = 1.0;
    for (const IIRCoeffs& section : c.sections)
        h *= sectionResponse(section, f);
    return h;
}

inline double toDb(std::complex<double> h)
{
    return 20.0 * std::log10(std::abs(h));
}
