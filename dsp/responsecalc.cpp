#include "responsecalc.h"

#include <cmath>

namespace {

// pi / 192000, the half-angle per Hz at the design rate (bit pattern 0x3EF12843CF07A12C).
constexpr double omegaPerHz = 1.6362461737446838e-05;
constexpr double ln10 = 2.302585092994046;

// x = 4 sin^2(w/2), the variable the squared magnitude is a quadratic in.
double sineTerm(double f, double omegaScale)
{
    const double t = std::sin(f * omegaScale);
    return t * t * 4.0;
}

} // namespace

// |B(e^jw)|^2 = (b0+b1+b2)^2 - (4 b0 b2 + (b0+b2) b1) x + b0 b2 x^2, and likewise for the
// denominator (1, -a1, -a2).
IIRGainCalc::IIRGainCalc(const IIRCoeffs& c)
{
    const double sum = c.b0 + c.b1 + c.b2;
    num0 = sum * sum;
    num2 = c.b2 * c.b0;
    num1 = -(c.b0 * 4.0 * c.b2 + (c.b0 + c.b2) * c.b1);
    const double dc = 1.0 - c.a1 - c.a2;
    den0 = dc * dc;
    den2 = -c.a2;
    den1 = -(-4.0 * c.a2 - (1.0 - c.a2) * c.a1);
    omegaScale = omegaPerHz;
}

double IIRGainCalc::gainAt(double x) const
{
    const double n = num0 + (num1 + num2 * x) * x;
    const double d = den0 + (den1 + den2 * x) * x;
    return std::log10(n / d) * 10.0;
}

double IIRGainCalc::calcGain(double f) const
{
    return gainAt(sineTerm(f, omegaScale));
}

XoverGainCalc::XoverGainCalc(const XoverCoeffs& coeffs)
{
    for (int i = 0; i < 4; ++i)
        sections[i] = IIRGainCalc(coeffs.sections[i]);
}

double XoverGainCalc::calcGain(double f) const
{
    // All four sections were built from coefficients and share omegaScale, so one sine
    // serves them all; the result is the same as summing their own calcGain values.
    const double x = sineTerm(f, sections[0].omegaScale);
    double sum = 0.0;
    for (const IIRGainCalc& section : sections)
        sum += section.gainAt(x);
    return sum;
}

QList<FreqPair> makeFreqsRange(double fMin, double fMax, double step)
{
    const double lo = std::log(fMin) / ln10;
    const double hi = std::log(fMax) / ln10;
    QList<FreqPair> freqs;
    if (!(hi > lo))
        return freqs;
    double x = lo;
    for (;;) {
        freqs.append(FreqPair{std::pow(10.0, x), x});
        const double next = x + step;
        // A step that does not advance (zero, negative, or lost in rounding) would never end.
        if (!(next > x))
            break;
        x = next;
        if (!(hi > x))
            break;
    }
    return freqs;
}
