#include "xoverdesign.h"

#include "biquadsections.h"

#include <cmath>

// Bilinear-transform sections at the fixed 192 kHz design rate. The constants and the
// order of every operation are what the device and stored settings were made with:
// the coefficients must come out bit for bit the same, so do not tidy the arithmetic.

namespace {

// Divisors d = 2Q of the second-order sections. The double just above 2.0 is exactly as
// the device has it.
constexpr double dBW18 = 2.0000000000000004;
constexpr double dBW24a = 2.613125929752753;
constexpr double dBW24b = 1.082392200292394;
constexpr double dBessel = 1.1547005383792517;

// The Chebyshev section's ripple terms, each step correctly rounded, written out so that
// they do not depend on the maths library or on whether the compiler folds them:
//   eps = sqrt(10^0.30000000000000004 - 1)   (3 dB ripple figure)
//   sinh(log10(1/eps^2 + 1/eps + 1))
constexpr double chebyshevEps = 0x1.fec92477a0e8cp-1;
constexpr double chebyshevSinh = 0x1.fc8032cbb1198p-2;

// First-order section; the pole (1 + c - s)/(1 + c + s) is (1 - tan(w/2))/(1 + tan(w/2)).
// `negated` flips the sign of the highpass numerator (BW_18's and LR_12's second order).
IIRCoeffs firstOrder(double s, double c, bool highpass, bool negated)
{
    const double d = s + c + 1.0;
    IIRCoeffs r;
    r.a1 = -(s - c - 1.0) / d;
    r.a2 = 0.0;
    r.b2 = 0.0;
    if (!highpass) {
        r.b0 = s / d;
        r.b1 = s / d;
    } else if (!negated) {
        r.b0 = (1.0 + c) / d;
        r.b1 = -(1.0 + c) / d;
    } else {
        r.b0 = -(1.0 + c) / d;
        r.b1 = (1.0 + c) / d;
    }
    return r;
}

// Second-order Chebyshev-type section with a 3 dB ripple figure; its passband gain is
// scaled down to sqrt(1/10^0.3).
IIRCoeffs chebyshev12(double w, bool highpass)
{
    const double k = highpass ? 1.0 / std::tan(w * 0.5) : std::tan(w * 0.5);
    const double eps = chebyshevEps;
    const double eps2 = eps * eps;
    const double sigma = chebyshevSinh * k;
    const double g = std::sqrt(1.0 / (eps2 + 1.0));
    const double kr = k * 0.7071067811865476;
    const double p = kr * kr;
    const double sigma2 = sigma * sigma;
    const double e = p + sigma2;
    const double twoSigma = 2.0 * sigma;
    const double a0 = 1.0 - twoSigma * -0.7071067811865475 + sigma2 + p;
    const double v = twoSigma * -0.7071067811865475 + 1.0 + sigma2 + p;
    IIRCoeffs r;
    r.a1 = highpass ? (e - 1.0) * 2.0 / a0 : (e - 1.0) * -2.0 / a0;
    r.a2 = -v / a0;
    r.b0 = e / a0 * g;
    r.b1 = highpass ? e / a0 * (-2.0 * g) : r.b0 + r.b0;
    r.b2 = r.b0;
    return r;
}

// Second-order section placed at m times the corner frequency.
IIRCoeffs scaledSecondOrder(double f, double m, double d, bool highpass)
{
    const DesignAngle at = designAngle(f, m);
    return secondOrderSection(at.s, at.c, d, highpass);
}

} // namespace

XoverCoeffs calcXoverCoeffs(XoverParams params)
{
    XoverCoeffs r;
    const double f = params.frequency;
    const bool hp = params.highpass;
    const DesignAngle at = designAngle(f);
    const double s = at.s;
    const double c = at.c;
    IIRCoeffs* sec = r.sections;

    switch (params.type) {
    case XoverType::NONE:
        break;
    case XoverType::BW_6:
        sec[0] = firstOrder(s, c, hp, false);
        break;
    case XoverType::BW_12:
    case XoverType::LR_24:
        sec[0] = secondOrderSection(s, c, butterworthDivisor, hp);
        break;
    case XoverType::BW_18:
        sec[0] = secondOrderSection(s, c, dBW18, hp);
        sec[1] = firstOrder(s, c, hp, true);
        break;
    case XoverType::BW_24:
        sec[0] = secondOrderSection(s, c, dBW24a, hp);
        sec[1] = secondOrderSection(s, c, dBW24b, hp);
        break;
    case XoverType::LR_12:
        sec[0] = firstOrder(s, c, hp, true);
        break;
    case XoverType::CH_12:
        sec[0] = chebyshev12(at.w, hp);
        break;
    case XoverType::CH_24:
        // The highpass multipliers are not the reciprocals of the lowpass ones.
        sec[0] = scaledSecondOrder(f, hp ? 1.677682 : 0.595145, 1.4126, hp);
        sec[1] = scaledSecondOrder(f, hp ? 0.971365 : 1.0278982, 5.9034, hp);
        break;
    case XoverType::BS_12:
    case XoverType::BS_24:
        sec[0] = secondOrderSection(s, c, dBessel, hp);
        break;
    }
    // Linkwitz-Riley and 4th-order Bessel filters cascade their one section twice.
    const XoverType t = params.type;
    if (t == XoverType::LR_12 || t == XoverType::LR_24 || t == XoverType::BS_24)
        sec[1] = sec[0];
    return r;
}
