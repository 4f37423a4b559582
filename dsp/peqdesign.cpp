#include "peqdesign.h"

#include <cmath>

// Bilinear-transform biquads after the RBJ audio-EQ cookbook, at the fixed 192 kHz design
// rate. The order of operations (and the base 2.718 of the first-order all-pass) is what
// the device and stored settings were made with: keep it bit for bit.

namespace {

constexpr double twoPi = 6.283185307179586;
constexpr double designRate = 192000.0;
constexpr double butterworthDivisor = 1.414213562373095; // as the crossover's BW_12

// The q entry is read as a shelf slope S and turned back into alpha (equal to s/(2q)).
double shelfAlpha(double a, double q, double s)
{
    const double t = 1.0 / a + a;
    const double slope = t / (1.0 / (q * q) + t + -2.0);
    return std::sqrt((1.0 / slope - 1.0) * t + 2.0) * (s * 0.5);
}

IIRCoeffs lowShelf(double a, double q, double s, double c)
{
    const double beta = 2.0 * std::sqrt(a) * shelfAlpha(a, q, s);
    const double a0 = (a + 1.0) + (a - 1.0) * c + beta;
    IIRCoeffs r;
    r.a1 = 2.0 * ((a + 1.0) * c + (a - 1.0)) / a0;
    r.a2 = -((a + 1.0) + (a - 1.0) * c - beta) / a0;
    r.b0 = a * ((a + 1.0) - (a - 1.0) * c + beta) / a0;
    r.b1 = 2.0 * a * ((a - 1.0) - (a + 1.0) * c) / a0;
    r.b2 = a * ((a + 1.0) - (a - 1.0) * c - beta) / a0;
    return r;
}

IIRCoeffs highShelf(double a, double q, double s, double c)
{
    const double beta = 2.0 * std::sqrt(a) * shelfAlpha(a, q, s);
    const double a0 = (a + 1.0) - (a - 1.0) * c + beta;
    IIRCoeffs r;
    r.a1 = -2.0 * ((a - 1.0) - (a + 1.0) * c) / a0;
    r.a2 = -((a + 1.0) - (a - 1.0) * c - beta) / a0;
    r.b0 = a * ((a + 1.0) + (a - 1.0) * c + beta) / a0;
    r.b1 = -2.0 * a * ((a - 1.0) + (a + 1.0) * c) / a0;
    r.b2 = a * ((a + 1.0) + (a - 1.0) * c - beta) / a0;
    return r;
}

IIRCoeffs peak(double a, double q, double s, double c)
{
    const double alpha = s / (q + q);
    const double a0 = 1.0 + alpha / a;
    IIRCoeffs r;
    r.a1 = 2.0 * c / a0;
    r.a2 = -(1.0 - alpha / a) / a0;
    r.b0 = (1.0 + alpha * a) / a0;
    r.b1 = -2.0 * c / a0;
    r.b2 = (1.0 - alpha * a) / a0;
    return r;
}

IIRCoeffs allPass1(double w)
{
    const double p = std::pow(2.718, -w);
    IIRCoeffs r;
    r.a1 = p;
    r.a2 = 0.0;
    r.b0 = -p;
    r.b1 = 1.0;
    r.b2 = 0.0;
    return r;
}

IIRCoeffs allPass2(double q, double s, double c)
{
    const double alpha = s / (q + q);
    const double a0 = 1.0 + alpha;
    IIRCoeffs r;
    r.a1 = 2.0 * c / a0;
    r.a2 = -(1.0 - alpha) / a0;
    r.b0 = (1.0 - alpha) / a0;
    r.b1 = -2.0 * c / a0;
    r.b2 = a0 / a0;
    return r;
}

IIRCoeffs butterworth2(double s, double c, bool highpass)
{
    const double alpha = s / butterworthDivisor;
    const double a0 = 1.0 + alpha;
    IIRCoeffs r;
    r.a1 = 2.0 * c / a0;
    r.a2 = -(1.0 - alpha) / a0;
    if (highpass) {
        const double h = (c + 1.0) / a0;
        r.b0 = h * 0.5;
        r.b1 = -(c + 1.0) / a0;
        r.b2 = r.b0;
    } else {
        const double l = (1.0 - c) / a0;
        r.b0 = 0.5 * l;
        r.b1 = l;
        r.b2 = 0.5 * l;
    }
    return r;
}

} // namespace

PEQCoeffs calcPEQCoeffs(PEQParams params)
{
    const double w = params.frequency * twoPi / designRate;
    const double s = std::sin(w);
    const double c = std::cos(w);
    const double a = std::pow(10.0, params.gain / 40.0);
    const double q = params.q;

    IIRCoeffs r;
    switch (params.type) {
    case PEQType::NONE:
        break;
    case PEQType::LOW_SHELF:
    case PEQType::SUBWOOFER:
        r = lowShelf(a, q, s, c);
        break;
    case PEQType::HIGH_SHELF:
        r = highShelf(a, q, s, c);
        break;
    case PEQType::PEAK:
        r = peak(a, q, s, c);
        break;
    case PEQType::AP:
        r = allPass1(w);
        break;
    case PEQType::AP2:
        r = allPass2(q, s, c);
        break;
    case PEQType::LP12:
        r = butterworth2(s, c, false);
        break;
    case PEQType::HP12:
        r = butterworth2(s, c, true);
        break;
    }
    PEQCoeffs out;
    static_cast<IIRCoeffs&>(out) = r;
    return out;
}
