// Calls between the files of the value mover.
//
// Failures: the forms core's NORIX_error and NORIX_bugcheck should not come
// back, but an outside forms core may. So a failing path ends with its report
// (report_error and report_bugcheck make the call and give false), and a
// caller that gets false stops at once and hands it on: after a report the
// mover reports nothing more and writes nothing more into the destination.
// Routines that cannot fail return no flag.
#pragma once

#include <cstdint>
#include <cstring>

#include "forms.h"

namespace xcvt_internal {

constexpr bool is_text(uint8_t dtype)
{
    return dtype == dtype_fixed_string || dtype == dtype_terminated_string ||
           dtype == dtype_varying_string;
}

constexpr bool is_number(uint8_t dtype)
{
    return dtype == dtype_short_integer || dtype == dtype_long_integer ||
           dtype == dtype_single_float || dtype == dtype_double_float;
}

inline bool report_error(const char *message)
{
    NORIX_error(message);
    return false;
}

inline bool report_bugcheck(const char *message)
{
    NORIX_bugcheck(message);
    return false;
}

// strings.cpp
// The text of a text kind, in place; its length is the result.
uint16_t text_of(const value_desc *desc, char **text);
void store_text(const char *text, uint16_t length, const value_desc *to);

// A single or double source's value, as a double.
inline double read_float(const value_desc *desc)
{
    if (desc->dtype == dtype_single_float) {
        float stored;
        std::memcpy(&stored, desc->address, sizeof stored);
        return stored;
    }
    double stored;
    std::memcpy(&stored, desc->address, sizeof stored);
    return stored;
}

// numbers.cpp
bool split_number(const char *text, uint16_t length, int32_t *mantissa, int16_t *power);
bool read_long(const value_desc *desc, int16_t scale, int32_t *value);
bool read_double(const value_desc *desc, double *value);

// mover.cpp
bool move_value(const value_desc *from, const value_desc *to);

// number_text.cpp
bool move_number_into_text(const value_desc *from, const value_desc *to);

// dates.cpp
void move_date_into_text(const value_desc *from, const value_desc *to);
bool move_text_into_date(const value_desc *from, const value_desc *to);

// Every floating step of the module, each rounded to double. The 386's x87
// unit computes in extended precision, so there the steps live out of line
// in double_steps.cpp, under double precision control and through memory.
// Where the floating unit rounds each operation to double by itself (SSE2),
// the same steps are plain inline arithmetic with the same results bit for
// bit; the module is built without contraction into fused operations.
#if defined(__i386__) && !defined(__SSE2_MATH__)
#define XCVT_X87 1
double times_ten(double x, int32_t count);
double divided_by_ten(double x, int32_t count);
double next_mantissa(double mantissa, int digit);
double round_half_away(double x);
double day_fraction(int32_t day_number, int32_t time_of_day);
double units_of_day(double value, int32_t day_number);
#else
inline double times_ten(double x, int32_t count)
{
    for (int32_t i = 0; i < count; ++i)
        x = x * 10.0;
    return x;
}

inline double divided_by_ten(double x, int32_t count)
{
    for (int32_t i = 0; i < count; ++i)
        x = x / 10.0;
    return x;
}

inline double next_mantissa(double mantissa, int digit)
{
    return mantissa * 10.0 + static_cast<double>(digit);
}

inline double round_half_away(double x)
{
    return x > 0 ? x + 0.5 : x - 0.5;
}

inline double day_fraction(int32_t day_number, int32_t time_of_day)
{
    return static_cast<double>(day_number) + static_cast<double>(time_of_day) / 864000000.0;
}

inline double units_of_day(double value, int32_t day_number)
{
    return (value - static_cast<double>(day_number)) * 24.0 * 60.0 * 60.0 * 10000.0;
}
#endif

inline double scaled_by_ten(double x, int32_t power)  // power > 0 multiplies
{
    if (power > 0)
        return times_ten(x, power);
    if (power < 0)
        return divided_by_ten(x, -power);
    return x;
}

int32_t truncate_to_long(double x);

}  // namespace xcvt_internal
