#include "peqdesign.h"

#include "biquadsections.h"

#include <cmath>

// Bilinear-transform biquads after the RBJ audio-EQ cookbook, at the fixed 192 kHz design
// rate. The order of operations (and the base 2.718 of the first-order all-pass) is what
// the device and stored settings were made with: keep it bit for bit.

namespace {

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
    IIRCoeffs r;
    const double a0 = setSecondOrderPoles(r, c, alpha / a);
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
    IIRCoeffs r;
    const double a0 = setSecondOrderPoles(r, c, alpha);
    r.b0 = (1.0 - alpha) / a0;
    r.b1 = -2.0 * c / a0;
    r.b2 = a0 / a0;
    return r;
}

} // namespace

PEQCoeffs calcPEQCoeffs(PEQParams params)
{
    const DesignAngle at = designAngle(params.frequency);
    const double s = at.s;
    const double c = at.c;
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
        r = allPass1(at.w);
        break;
    case PEQType::AP2:
        r = allPass2(q, s, c);
        break;
    case PEQType::LP12:
    case PEQType::HP12:
        r = secondOrderSection(s, c, butterworthDivisor, params.type == PEQType::HP12);
        break;
    }
    PEQCoeffs out;
    static_cast<IIRCoeffs&>(out) = r;
    return out;
}
