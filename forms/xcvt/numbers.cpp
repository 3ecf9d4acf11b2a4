// Reading values as numbers: the decimal text parsers and the scaled
// integer and double extraction.
#include <cstdint>
#include <cstring>

#include "xcvt_internal.h"

namespace {

constexpr const char *conversion_error = "conversion error";
constexpr const char *not_implemented = "conversion not implemented";

constexpr bool is_digit(char c)
{
    return c >= '0' && c <= '9';
}

// The largest mantissa whose next step, times ten plus a digit, stays below
// 2 to the 53rd, where doubles still hold every integer.
constexpr uint64_t largest_exact_step = ((uint64_t{1} << 53) - 10) / 10;
static_assert(largest_exact_step * 10 + 9 < (uint64_t{1} << 53));

// The exponent after "e" or "E"; shared by both parsers, which differ only in
// when a "+" is still allowed.
bool read_exponent(const char *text, uint16_t length, uint16_t position, bool strict_plus,
                   int16_t *exponent)
{
    int16_t value = 0;
    bool negative = false;
    for (; position < length; ++position) {
        const char c = text[position];
        if (is_digit(c))
            value = static_cast<int16_t>(value * 10 + (c - '0'));
        else if (c == '-' && value == 0)
            negative = true;
        else if (c == ' ' || (c == '+' && value == 0 && !(strict_plus && negative)))
            continue;
        else
            return xcvt_internal::report_error(conversion_error);
    }
    *exponent = negative ? static_cast<int16_t>(-value) : value;
    return true;
}

// The digit a character stands for, or 10 and above for any other character.
constexpr uint32_t digit_value(char c)
{
    return static_cast<uint32_t>(static_cast<unsigned char>(c)) - uint32_t{'0'};
}

enum class mark_effect : uint8_t { goes_on, exponent_follows, refused };

// What the characters other than digits have said so far about a number
// text read as a double: the point, the sign, and the digits after the point.
struct number_marks {
    int16_t fraction_digits = 0;
    bool point = false;
    bool negative = false;
};

void count_digit(number_marks &marks)
{
    marks.fraction_digits = static_cast<int16_t>(marks.fraction_digits + (marks.point ? 1 : 0));
}

// A character other than a digit. nothing_yet: no digit other than zeros has
// been read, so a sign is still allowed (a repeated "-" is accepted as well).
mark_effect take_mark(number_marks &marks, char c, bool nothing_yet)
{
    if (c == ',' || c == ' ')
        return mark_effect::goes_on;
    if (c == '.' && !marks.point) {
        marks.point = true;
        return mark_effect::goes_on;
    }
    if (c == '-' && nothing_yet) {
        marks.negative = true;
        return mark_effect::goes_on;
    }
    if (c == '+' && nothing_yet)
        return mark_effect::goes_on;
    if (c == 'e' || c == 'E')
        return mark_effect::exponent_follows;
    return mark_effect::refused;
}

}  // namespace

namespace xcvt_internal {

bool split_number(const char *text, uint16_t length, int32_t *mantissa, int16_t *power)
{
    uint32_t value = 0;  // 32-bit wrap-around, no overflow test
    int16_t fraction_digits = 0;
    bool point = false;
    bool negative = false;
    uint16_t position = 0;
    for (; position < length; ++position) {
        const char c = text[position];
        if (c == ',')
            continue;
        if (is_digit(c)) {
            value = value * 10u + static_cast<uint32_t>(c - '0');
            if (point)
                ++fraction_digits;
        } else if (c == '.' && !point) {
            point = true;
        } else if (c == '-' && value == 0 && !negative) {
            negative = true;
        } else if (c == 'e' || c == 'E') {
            break;
        } else if (c == ' ' || (c == '+' && value == 0 && !negative)) {
            continue;
        } else {
            return report_error(conversion_error);
        }
    }
    if (negative)
        value = 0u - value;
    int16_t exponent = 0;
    if (position < length && !read_exponent(text, length, position + 1, true, &exponent))
        return false;
    *mantissa = static_cast<int32_t>(value);
    *power = static_cast<int16_t>(exponent - fraction_digits);
    return true;
}

bool read_long(const value_desc *desc, int16_t scale, int32_t *result)
{
    int16_t difference = static_cast<int16_t>(scale - desc->scale);
    uint32_t value = 0;
    bool round_last_digit = false;
    switch (desc->dtype) {
    case dtype_fixed_string:
    case dtype_terminated_string:
    case dtype_varying_string: {
        char *text = nullptr;
        const uint16_t length = text_of(desc, &text);
        int32_t mantissa = 0;
        int16_t power = 0;
        if (!split_number(text, length, &mantissa, &power))
            return false;
        value = static_cast<uint32_t>(mantissa);
        difference = static_cast<int16_t>(difference - power);
        break;
    }
    case dtype_short_integer: {
        int16_t stored;
        std::memcpy(&stored, desc->address, sizeof stored);
        value = static_cast<uint32_t>(static_cast<int32_t>(stored));
        round_last_digit = true;
        break;
    }
    case dtype_long_integer: {
        int32_t stored;
        std::memcpy(&stored, desc->address, sizeof stored);
        value = static_cast<uint32_t>(stored);
        round_last_digit = true;
        break;
    }
    case dtype_single_float:
    case dtype_double_float: {
        const double x = scaled_by_ten(read_float(desc), -static_cast<int32_t>(difference));
        *result = truncate_to_long(round_half_away(x));
        return true;
    }
    default:
        return report_bugcheck(not_implemented);
    }

    if (difference < 0) {
        for (int32_t i = difference; i < 0; ++i)
            value *= 10u;
        *result = static_cast<int32_t>(value);
    } else if (difference > 0) {
        int32_t signed_value = static_cast<int32_t>(value);
        int32_t remainder = 0;
        for (int32_t i = 0; i < difference; ++i) {
            remainder = signed_value % 10;
            signed_value /= 10;
        }
        // Only the last digit dropped counts; a negative value has a
        // remainder of zero or below and is therefore cut toward zero.
        if (round_last_digit && remainder > 4)
            ++signed_value;
        *result = signed_value;
    } else {
        *result = static_cast<int32_t>(value);
    }
    return true;
}

bool read_double(const value_desc *desc, double *result)
{
    switch (desc->dtype) {
    case dtype_fixed_string:
    case dtype_terminated_string:
    case dtype_varying_string:
        break;
    case dtype_short_integer: {
        int16_t stored;
        std::memcpy(&stored, desc->address, sizeof stored);
        *result = scaled_by_ten(static_cast<double>(stored), desc->scale);
        return true;
    }
    case dtype_long_integer: {
        int32_t stored;
        std::memcpy(&stored, desc->address, sizeof stored);
        *result = scaled_by_ten(static_cast<double>(stored), desc->scale);
        return true;
    }
    case dtype_single_float: {
        float stored;
        std::memcpy(&stored, desc->address, sizeof stored);
        *result = stored;
        return true;
    }
    case dtype_double_float:
        std::memcpy(result, desc->address, sizeof *result);
        return true;
    default:
        return report_bugcheck(not_implemented);
    }

    char *text = nullptr;
    uint16_t length = 0;
    if (desc->dtype == dtype_fixed_string) {
        // A fixed field is its whole storage; no call is needed to say so.
        text = static_cast<char *>(desc->address);
        length = desc->length;
    } else {
        length = text_of(desc, &text);
    }
    // While the mantissa stays below 2 to the 53rd, every step of
    // mantissa * 10.0 + digit is exact in double precision, so the digits
    // gather in an integer and the double is formed once, with the same
    // value; beyond that bound the steps go on in double precision, in a
    // second loop, so that the first one tests nothing per digit but the bound.
    uint64_t whole = 0;
    number_marks marks;
    uint16_t position = 0;
    mark_effect effect = mark_effect::goes_on;
    for (; position < length; ++position) {
        const char c = text[position];
        if (const uint32_t digit = digit_value(c); digit < 10) {
            if (whole > largest_exact_step)
                break;
            whole = whole * 10u + digit;
            count_digit(marks);
        } else if (effect = take_mark(marks, c, whole == 0); effect != mark_effect::goes_on) {
            break;
        }
    }
    double mantissa = static_cast<double>(whole);
    if (position < length && effect == mark_effect::goes_on) {
        // A digit beyond the exact bound: no sign may follow any more.
        for (; position < length; ++position) {
            const char c = text[position];
            if (const uint32_t digit = digit_value(c); digit < 10) {
                mantissa = next_mantissa(mantissa, static_cast<int>(digit));
                count_digit(marks);
            } else if (effect = take_mark(marks, c, false); effect != mark_effect::goes_on) {
                break;
            }
        }
    }
    if (effect == mark_effect::refused)
        return report_error(conversion_error);
    const int16_t fraction_digits = marks.fraction_digits;
    if (marks.negative)
        mantissa = -mantissa;
    int16_t exponent = 0;
    if (position < length && !read_exponent(text, length, position + 1, false, &exponent))
        return false;
    const int16_t steps = static_cast<int16_t>(fraction_digits - exponent);
    *result = scaled_by_ten(mantissa, -static_cast<int32_t>(steps));
    return true;
}

}  // namespace xcvt_internal

extern "C" {

// After a report that returned, the extraction operations give 0 and
// XCVT_decompose leaves *value_out as it was.
int16_t XCVT_decompose(const char *text, uint16_t length, int32_t *value_out)
{
    int32_t mantissa = 0;
    int16_t power = 0;
    if (!xcvt_internal::split_number(text, length, &mantissa, &power))
        return 0;
    *value_out = mantissa;
    return power;
}

int32_t XCVT_get_long(const value_desc *desc, int16_t scale)
{
    int32_t value = 0;
    return xcvt_internal::read_long(desc, scale, &value) ? value : 0;
}

double XCVT_get_double(const value_desc *desc)
{
    double value = 0.0;
    return xcvt_internal::read_double(desc, &value) ? value : 0.0;
}

}  // extern "C"
