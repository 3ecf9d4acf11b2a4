// Numbers as text: the sign, the digits of the magnitude, and the decimal
// point or trailing zeros that the source's scale calls for.
#include <cstdint>
#include <cstring>

#include "xcvt_internal.h"

namespace {

// A 32-bit magnitude has at most ten digits; the area leaves room to spare.
constexpr int digit_area_size = 32;

bool numeric_to_text(const value_desc *from, const value_desc *to)
{
    const int32_t scale = from->scale;
    int32_t value = 0;
    if (from->dtype == dtype_long_integer) {
        // At its own scale an integer moves into a long unchanged.
        std::memcpy(&value, from->address, sizeof value);
    } else if (from->dtype == dtype_short_integer) {
        int16_t stored;
        std::memcpy(&stored, from->address, sizeof stored);
        value = stored;
    } else {
        const value_desc as_long{dtype_long_integer, from->scale, 4, 0, &value};
        if (!xcvt_internal::move_value(from, &as_long))
            return false;
    }

    const bool negative = value < 0;
    uint32_t magnitude = negative ? 0u - static_cast<uint32_t>(value) : static_cast<uint32_t>(value);
    char digits[digit_area_size];
    int digit_count = 0;
    do {
        digits[digit_area_size - 1 - digit_count] = static_cast<char>('0' + magnitude % 10u);
        magnitude /= 10u;
        ++digit_count;
    } while (magnitude != 0);
    const char *first_digit = digits + digit_area_size - digit_count;

    const int32_t places = scale < 0 ? -scale : 0;  // digits after the point
    const int32_t zeros = scale > 0 ? scale : 0;
    const int32_t whole_digits = digit_count > places ? digit_count - places : 0;
    const int32_t text_length =
        (negative ? 1 : 0) + whole_digits + (places > 0 ? 1 + places : 0) + zeros;

    int32_t room = 0;
    switch (to->dtype) {
    case dtype_fixed_string:
        room = to->length;
        break;
    case dtype_terminated_string:
        room = to->length - 1;
        break;
    default:
        room = to->length - 2;
        break;
    }
    if (text_length > room) {
        NORIX_error("overflow during conversion");
        return false;
    }

    char *out = static_cast<char *>(to->address);
    if (to->dtype == dtype_varying_string) {
        const uint16_t count = static_cast<uint16_t>(text_length);
        std::memcpy(out, &count, sizeof count);
        out += 2;
    }
    char *next = out;
    if (negative)
        *next++ = '-';
    for (int32_t i = 0; i < whole_digits; ++i)
        *next++ = first_digit[i];
    if (places > 0) {
        *next++ = '.';
        for (int32_t i = places; i > 0; --i)
            *next++ = i > digit_count ? '0' : first_digit[digit_count - i];
    }
    for (int32_t i = 0; i < zeros; ++i)
        *next++ = '0';
    if (to->dtype == dtype_fixed_string) {
        for (int32_t i = text_length; i < to->length; ++i)
            *next++ = ' ';
    } else if (to->dtype == dtype_terminated_string) {
        *next = '\0';
    }
    return true;
}

}  // namespace

namespace xcvt_internal {

bool move_number_into_text(const value_desc *from, const value_desc *to)
{
    return numeric_to_text(from, to);
}

}  // namespace xcvt_internal
