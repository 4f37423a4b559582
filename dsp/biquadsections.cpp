#include "biquadsections.h"

#include <cmath>

namespace {

constexpr double twoPi = 6.283185307179586;
constexpr double designRate = 192000.0;

} // namespace

DesignAngle designAngle(double frequency, double multiple)
{
    // A multiple of 1.0 changes no bit: 1.0 * x is x.
    const double w = multiple * (frequency * twoPi) / designRate;
    return {w, std::sin(w), std::cos(w)};
}

double setSecondOrderPoles(IIRCoeffs& section, double c, double alpha)
{
    const double a0 = 1.0 + alpha;
    section.a1 = 2.0 * c / a0;
    section.a2 = -(1.0 - alpha) / a0;
    return a0;
}

IIRCoeffs secondOrderSection(double s, double c, double d, bool highpass)
{
    IIRCoeffs r;
    const double a0 = setSecondOrderPoles(r, c, s / d);
    if (highpass) {
        const double h = (1.0 + c) / a0;
        r.b0 = h * 0.5;
        r.b1 = -(1.0 + c) / a0;
        r.b2 = r.b0;
    } else {
        const double l = (1.0 - c) / a0;
        r.b0 = 0.5 * l;
        r.b1 = l;
        r.b2 = 0.5 * l;
    }
    return r;
}
