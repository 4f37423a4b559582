#include "fixedpoint.h"

extern "C" {

int32_t double_to_fixed_8_24(double value)
{
    const double scaled = value * 16777216.0;
    if (scaled > 2147483647.0)
        return INT32_MAX;
    if (!(scaled >= -2147483648.0)) // also catches NaN
        return INT32_MIN;
    return static_cast<int32_t>(scaled); // truncates toward zero
}

double fixed_8_24_to_double(int32_t value)
{
    return value * 5.960464477539063e-08;
}

} // extern "C"
