// Floating arithmetic of the value mover. Every multiplication, division and
// addition is rounded to double precision before the next one, so results
// agree bit for bit whatever the floating unit. On the 386's x87 unit the
// precision control is set to double for the duration of a step sequence and
// each intermediate result passes through a double in memory.
#include <cmath>
#include <cstdint>

#include "xcvt_internal.h"

#ifdef XCVT_X87
#include <fpu_control.h>
#endif

namespace xcvt_internal {

// Toward zero; values beyond the 32-bit range stop at its ends and NaN
// gives 0, where a plain conversion would be undefined.
int32_t truncate_to_long(double x)
{
    if (std::isnan(x))
        return 0;
    if (x >= 2147483648.0)
        return INT32_MAX;
    if (x <= -2147483649.0)
        return INT32_MIN;
    return static_cast<int32_t>(x);
}

}  // namespace xcvt_internal

#ifdef XCVT_X87
namespace {

using control_word = fpu_control_t;

control_word enter_double_precision()
{
    control_word saved;
    _FPU_GETCW(saved);
    control_word wanted = (saved & ~_FPU_EXTENDED) | _FPU_DOUBLE;
    _FPU_SETCW(wanted);
    return saved;
}

void leave_double_precision(control_word saved)
{
    _FPU_SETCW(saved);
}

}  // namespace

namespace xcvt_internal {

double times_ten(double x, int32_t count)
{
    const control_word saved = enter_double_precision();
    volatile double value = x;
    for (int32_t i = 0; i < count; ++i)
        value = value * 10.0;
    const double result = value;
    leave_double_precision(saved);
    return result;
}

double divided_by_ten(double x, int32_t count)
{
    const control_word saved = enter_double_precision();
    volatile double value = x;
    for (int32_t i = 0; i < count; ++i)
        value = value / 10.0;
    const double result = value;
    leave_double_precision(saved);
    return result;
}

double next_mantissa(double mantissa, int digit)
{
    const control_word saved = enter_double_precision();
    volatile double value = mantissa * 10.0;
    value = value + static_cast<double>(digit);
    const double result = value;
    leave_double_precision(saved);
    return result;
}

double round_half_away(double x)
{
    const control_word saved = enter_double_precision();
    volatile double value = x > 0 ? x + 0.5 : x - 0.5;
    const double result = value;
    leave_double_precision(saved);
    return result;
}

double day_fraction(int32_t day_number, int32_t time_of_day)
{
    const control_word saved = enter_double_precision();
    volatile double part = static_cast<double>(time_of_day) / 864000000.0;
    part = static_cast<double>(day_number) + part;
    const double result = part;
    leave_double_precision(saved);
    return result;
}

double units_of_day(double value, int32_t day_number)
{
    const control_word saved = enter_double_precision();
    volatile double units = value - static_cast<double>(day_number);
    units = units * 24.0;
    units = units * 60.0;
    units = units * 60.0;
    units = units * 10000.0;
    const double result = units;
    leave_double_precision(saved);
    return result;
}

}  // namespace xcvt_internal
#endif  // XCVT_X87
