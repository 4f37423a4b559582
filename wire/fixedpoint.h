#pragma once

#include <stdint.h>

// Fixed 8.24, the format of filter coefficients on the wire: signed 32-bit with 24
// fractional bits. C linkage so that firmware-side code can share it.

#ifdef __cplusplus
extern "C" {
#endif

// Truncates toward zero and saturates; NaN becomes the lowest value.
int32_t double_to_fixed_8_24(double value);
double fixed_8_24_to_double(int32_t value);

#ifdef __cplusplus
}
#endif
