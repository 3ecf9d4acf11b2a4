// Calls between the files of the value mover. Those that can report return
// false once they have called NORIX_error or NORIX_bugcheck: the forms core
// does not come back from a report, but should it ever, the caller stops at
// once and writes nothing more into the destination.
#pragma once

#include <cstdint>

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

// strings.cpp
bool read_text(const value_desc *desc, char **text, char *buffer, uint16_t buffer_length,
               uint16_t *length);
void store_text(const char *text, uint16_t length, const value_desc *to);

// numbers.cpp
bool split_number(const char *text, uint16_t length, int32_t *mantissa, int16_t *power);
bool read_long(const value_desc *desc, int16_t scale, int32_t *value);
bool read_double(const value_desc *desc, double *value);

// mover.cpp
bool move_value(const value_desc *from, const value_desc *to);

// number_text.cpp
bool move_number_into_text(const value_desc *from, const value_desc *to);

// dates.cpp
bool move_date_into_text(const value_desc *from, const value_desc *to);
bool move_text_into_date(const value_desc *from, const value_desc *to);

// double_steps.cpp: every floating step of the module, each rounded to double.
double times_ten(double x, int32_t count);
double divided_by_ten(double x, int32_t count);
double scaled_by_ten(double x, int32_t power);  // power > 0 multiplies
double next_mantissa(double mantissa, int digit);
double round_half_away(double x);
double day_fraction(int32_t day_number, int32_t time_of_day);
double units_of_day(double value, int32_t day_number);
int32_t truncate_to_long(double x);

}  // namespace xcvt_internal
