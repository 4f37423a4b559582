#pragma once

#include "iircoeffs.h"

#include <QList>

// Magnitude response of one section in dB. The squared magnitude is a quadratic in
// x = 4 sin^2(w/2), so its terms are worked out once and each frequency costs one sine,
// one division and one logarithm. Default-constructed it reads 0 dB everywhere.
class IIRGainCalc
{
public:
    IIRGainCalc() = default;
    IIRGainCalc(const IIRCoeffs& coeffs);

    // Gain in dB at f Hz (design rate 192 kHz).
    double calcGain(double f) const;

private:
    friend class XoverGainCalc;

    double gainAt(double x) const;

    double num0 = 1.0;
    double num2 = 0.0;
    double num1 = 0.0;
    double den0 = 1.0;
    double den2 = 0.0;
    double den1 = 0.0;
    double omegaScale = 0.0;
};

// Magnitude response of the four cascaded sections of a crossover filter, in dB.
class XoverGainCalc
{
public:
    XoverGainCalc() = default;
    XoverGainCalc(const XoverCoeffs& coeffs);

    double calcGain(double f) const;

private:
    IIRGainCalc sections[4];
};

// One point of the frequency grid; logFrequency is the graph's x coordinate.
struct FreqPair
{
    double frequency;    // Hz
    double logFrequency; // log10 of frequency
};
Q_DECLARE_TYPEINFO(FreqPair, Q_PRIMITIVE_TYPE);

// Logarithmic grid from fMin up to, not including, fMax in steps of `step` decades.
// The dialogs use makeFreqsRange(10.0, 30000.0, 0.01): 348 points from 10 Hz.
QList<FreqPair> makeFreqsRange(double fMin, double fMax, double step);
