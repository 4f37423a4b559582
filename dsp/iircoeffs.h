#pragma once

#include <stdint.h>

// Filter parameters and biquad coefficients, and the fixed binary forms in which the
// crossover and EQ nodes send them to the device.
//
// Sign convention of every section:
//   y[n] = b0*x[n] + b1*x[n-1] + b2*x[n-2] + a1*y[n-1] + a2*y[n-2]
// i.e. H(z) = (b0 + b1 z^-1 + b2 z^-2) / (1 - a1 z^-1 - a2 z^-2): already divided by a0,
// with the feedback terms negated relative to the usual 1 + a1 z^-1 + a2 z^-2 form.

// Wire records. Every multi-byte field is kept as little-endian bytes, so the records
// have alignment 1, no padding and the same bytes on every host. A payload is the
// record's bytes as they lie in memory.

// Five int32 in fixed 8.24, in the order a1, a2, b0, b1, b2.
typedef struct iir_coeffs_repr_t
{
    uint8_t a1[4];
    uint8_t a2[4];
    uint8_t b0[4];
    uint8_t b1[4];
    uint8_t b2[4];
} iir_coeffs_repr_t;

typedef struct xover_repr_t
{
    uint8_t type;                // XoverType code, 0..10
    uint8_t highpass;            // 1 = highpass, anything else = lowpass
    uint8_t frequency[4];        // float, Hz
    iir_coeffs_repr_t coeffs[4]; // sections 1..4
} xover_repr_t;

typedef struct peq_repr_t
{
    uint8_t type;         // PEQType code, 0..8
    uint8_t gain[4];      // float, dB (gain before frequency, unlike PEQParams)
    uint8_t frequency[4]; // float, Hz
    uint8_t q[4];         // float
    iir_coeffs_repr_t coeffs;
} peq_repr_t;

static_assert(sizeof(iir_coeffs_repr_t) == 20, "iir_coeffs_repr_t is 20 bytes on the wire");
static_assert(sizeof(xover_repr_t) == 86, "xover_repr_t is 86 bytes on the wire");
static_assert(sizeof(peq_repr_t) == 33, "peq_repr_t is 33 bytes on the wire");

// One biquad section. Default-constructed it is unity (passes the signal unchanged).
struct IIRCoeffs
{
    double a1 = 0.0;
    double a2 = 0.0;
    double b0 = 1.0;
    double b1 = 0.0;
    double b2 = 0.0;

    iir_coeffs_repr_t toRepr() const;
    void fromRepr(const iir_coeffs_repr_t& repr);
};

// Crossover filter type; also the settings-file words. Codes above BS_24 can reach the
// records (from a combo box or a file) and design as no filter.
enum class XoverType : uint32_t
{
    NONE = 0,
    BW_6 = 1,
    BW_12 = 2,
    BW_18 = 3,
    BW_24 = 4,
    LR_12 = 5,
    LR_24 = 6,
    CH_12 = 7,
    CH_24 = 8,
    BS_12 = 9,
    BS_24 = 10,
};

// One side (highpass or lowpass) of an output's crossover.
struct XoverParams
{
    XoverType type = XoverType::NONE;
    bool highpass = false;
    double frequency = 10.0; // Hz

    // Writes bytes 0..5 of the record.
    void toRepr(xover_repr_t& repr) const;
    // False, leaving this record unchanged, when the type byte is above 10.
    bool fromRepr(const xover_repr_t& repr);
};

// Four sections in cascade, section 1 first. Designs fill at most two; the rest stay unity.
struct XoverCoeffs
{
    IIRCoeffs sections[4];

    // Writes bytes 6..85 of the record.
    void toRepr(xover_repr_t& repr) const;
    void fromRepr(const xover_repr_t& repr);
};

// Parametric-EQ band type; also the settings-file words.
enum class PEQType : uint32_t
{
    NONE = 0,
    LOW_SHELF = 1,
    HIGH_SHELF = 2,
    PEAK = 3,
    AP = 4,
    AP2 = 5,
    LP12 = 6,
    HP12 = 7,
    SUBWOOFER = 8,
};

struct PEQParams
{
    PEQType type = PEQType::NONE;
    double frequency = 10.0; // Hz
    double gain = 0.0;       // dB
    double q = 0.5;

    // Writes bytes 0..12 of the record.
    void toRepr(peq_repr_t& repr) const;
    // False, leaving this record unchanged, when the type byte is above 8.
    bool fromRepr(const peq_repr_t& repr);
};

// The single section of one EQ band.
struct PEQCoeffs : IIRCoeffs
{
    using IIRCoeffs::fromRepr;
    using IIRCoeffs::toRepr;

    // Writes bytes 13..32 of the record.
    void toRepr(peq_repr_t& repr) const;
    void fromRepr(const peq_repr_t& repr);
};
