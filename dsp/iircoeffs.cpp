#include "iircoeffs.h"

#include "fixedpoint.h"

#include <cstring>
#include <limits>

static_assert(std::numeric_limits<float>::is_iec559, "the wire carries IEEE-754 singles");

namespace {

void putU32(uint8_t* out, uint32_t v)
{
    out[0] = uint8_t(v);
    out[1] = uint8_t(v >> 8);
    out[2] = uint8_t(v >> 16);
    out[3] = uint8_t(v >> 24);
}

uint32_t getU32(const uint8_t* in)
{
    return uint32_t(in[0]) | uint32_t(in[1]) << 8 | uint32_t(in[2]) << 16 | uint32_t(in[3]) << 24;
}

void putI32(uint8_t* out, int32_t v)
{
    putU32(out, uint32_t(v));
}

int32_t getI32(const uint8_t* in)
{
    const uint32_t u = getU32(in);
    int32_t v;
    std::memcpy(&v, &u, sizeof v);
    return v;
}

// Rounds to the nearest single (IEEE: values beyond its range become infinities).
void putFloat(uint8_t* out, double v)
{
    const float f = float(v);
    uint32_t u;
    std::memcpy(&u, &f, sizeof u);
    putU32(out, u);
}

double getFloat(const uint8_t* in)
{
    const uint32_t u = getU32(in);
    float f;
    std::memcpy(&f, &u, sizeof f);
    return double(f);
}

} // namespace

iir_coeffs_repr_t IIRCoeffs::toRepr() const
{
    iir_coeffs_repr_t repr;
    putI32(repr.a1, double_to_fixed_8_24(a1));
    putI32(repr.a2, double_to_fixed_8_24(a2));
    putI32(repr.b0, double_to_fixed_8_24(b0));
    putI32(repr.b1, double_to_fixed_8_24(b1));
    putI32(repr.b2, double_to_fixed_8_24(b2));
    return repr;
}

void IIRCoeffs::fromRepr(const iir_coeffs_repr_t& repr)
{
    a1 = fixed_8_24_to_double(getI32(repr.a1));
    a2 = fixed_8_24_to_double(getI32(repr.a2));
    b0 = fixed_8_24_to_double(getI32(repr.b0));
    b1 = fixed_8_24_to_double(getI32(repr.b1));
    b2 = fixed_8_24_to_double(getI32(repr.b2));
}

void XoverParams::toRepr(xover_repr_t& repr) const
{
    repr.type = uint8_t(uint32_t(type));
    repr.highpass = highpass ? 1 : 0;
    putFloat(repr.frequency, frequency);
}

bool XoverParams::fromRepr(const xover_repr_t& repr)
{
    if (repr.type > uint8_t(XoverType::BS_24))
        return false;
    type = XoverType(repr.type);
    highpass = repr.highpass == 1;
    frequency = getFloat(repr.frequency);
    return true;
}

void XoverCoeffs::toRepr(xover_repr_t& repr) const
{
    for (int i = 0; i < 4; ++i)
        repr.coeffs[i] = sections[i].toRepr();
}

void XoverCoeffs::fromRepr(const xover_repr_t& repr)
{
    for (int i = 0; i < 4; ++i)
        sections[i].fromRepr(repr.coeffs[i]);
}

void PEQParams::toRepr(peq_repr_t& repr) const
{
    repr.type = uint8_t(uint32_t(type));
    putFloat(repr.gain, gain);
    putFloat(repr.frequency, frequency);
    putFloat(repr.q, q);
}

bool PEQParams::fromRepr(const peq_repr_t& repr)
{
    if (repr.type > uint8_t(PEQType::SUBWOOFER))
        return false;
    type = PEQType(repr.type);
    gain = getFloat(repr.gain);
    frequency = getFloat(repr.frequency);
    q = getFloat(repr.q);
    return true;
}

void PEQCoeffs::toRepr(peq_repr_t& repr) const
{
    repr.coeffs = IIRCoeffs::toRepr();
}

void PEQCoeffs::fromRepr(const peq_repr_t& repr)
{
    IIRCoeffs::fromRepr(repr.coeffs);
}
