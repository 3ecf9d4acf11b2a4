// Numbers as text: the sign, the digits of the magnitude, and the decimal
// point or trailing zeros that the source's scale calls for.
#include <array>
#include <cstdint>
#include <cstring>

#include "xcvt_internal.h"

namespace {

// A 32-bit magnitude has at most ten digits; the area leaves room to spare.
constexpr int digit_area_size = 32;

// "00" to "99": the digits are made two at a time.
constexpr std::array<char, 200> digit_pairs = [] {
    std::array<char, 200> pairs{};
    for (int i = 0; i < 100; ++i) {
        pairs[2 * i] = static_cast<char>('0' + i / 10);
        pairs[2 * i + 1] = static_cast<char>('0' + i % 10);
    }
    return pairs;
}();

// Writes the decimal digits of magnitude so that they end at `end`; returns
// how many (at least one).
int put_digits(uint32_t magnitude, char *end)
{
    char *first = end;
    while (magnitude >= 100) {
        const uint32_t pair = magnitude % 100u;
        magnitude /= 100u;
        first -= 2;
        std::memcpy(first, &digit_pairs[2 * pair], 2);
    }
    if (magnitude >= 10) {
        first -= 2;
        std::memcpy(first, &digit_pairs[2 * magnitude], 2);
    } else {
        *--first = static_cast<char>('0' + magnitude);
    }
    return static_cast<int>(end - first);
}

// Copies of a few bytes made of fixed-size pieces, which the compiler turns
// into single moves: for n of 1 to 16, two pieces that may overlap cover
// exactly the n bytes, and no byte outside them is touched.
template <size_t width>
void move_piece(char *to, const char *from)
{
    char piece[width];
    std::memcpy(piece, from, width);
    std::memcpy(to, piece, width);
}

void copy_few(char *to, const char *from, int32_t n)
{
    if (n >= 8) {
        move_piece<8>(to, from);
        move_piece<8>(to + n - 8, from + n - 8);
    } else if (n >= 4) {
        move_piece<4>(to, from);
        move_piece<4>(to + n - 4, from + n - 4);
    } else if (n >= 2) {
        move_piece<2>(to, from);
        move_piece<2>(to + n - 2, from + n - 2);
    } else if (n == 1) {
        *to = *from;
    }
}

constexpr char blanks[16] = {' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ',
                             ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' '};
constexpr char zero_digits[16] = {'0', '0', '0', '0', '0', '0', '0', '0',
                                  '0', '0', '0', '0', '0', '0', '0', '0'};

// n copies of the one character that fills `piece`, 16 at a time.
void fill(char *to, int32_t n, const char (&piece)[16])
{
    for (; n > 16; n -= 16, to += 16)
        move_piece<16>(to, piece);
    copy_few(to, piece, n);
}

// Blanks after the text of a fixed field, the NUL of a terminated one.
void finish_text(const value_desc *to, char *end, int32_t text_length)
{
    if (to->dtype == dtype_fixed_string) {
        const int32_t length = to->length;
        if (text_length < length)
            fill(end, length - text_length, blanks);
    } else if (to->dtype == dtype_terminated_string) {
        *end = '\0';
    }
}

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
    } else if (from->dtype == dtype_double_float || from->dtype == dtype_single_float) {
        // What a move into a long at the source's own scale gives: the value
        // rounded half away from zero, with no power of ten applied.
        double x;
        if (from->dtype == dtype_single_float) {
            float stored;
            std::memcpy(&stored, from->address, sizeof stored);
            x = stored;
        } else {
            std::memcpy(&x, from->address, sizeof x);
        }
        value = xcvt_internal::truncate_to_long(xcvt_internal::round_half_away(x));
    } else {
        const value_desc as_long{dtype_long_integer, from->scale, 4, 0, &value};
        if (!xcvt_internal::move_value(from, &as_long))
            return false;
    }

    const bool negative = value < 0;
    uint32_t magnitude = negative ? 0u - static_cast<uint32_t>(value) : static_cast<uint32_t>(value);
    char digits[digit_area_size];
    const int digit_count = put_digits(magnitude, digits + digit_area_size);
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
    if (places == 0 && zeros == 0) {
        // The common case: the sign and the digits, straight into the field.
        char *next = out;
        if (negative)
            *next++ = '-';
        copy_few(next, first_digit, digit_count);
        next += digit_count;
        finish_text(to, next, text_length);
        return true;
    }
    char *next = out;
    if (negative)
        *next++ = '-';
    copy_few(next, first_digit, whole_digits);
    next += whole_digits;
    if (places > 0) {
        // Exactly `places` digits after the point, zeros first where the
        // magnitude has fewer.
        *next++ = '.';
        const int32_t leading_zeros = places > digit_count ? places - digit_count : 0;
        fill(next, leading_zeros, zero_digits);
        next += leading_zeros;
        const int32_t shown = places - leading_zeros;
        copy_few(next, first_digit + digit_count - shown, shown);
        next += shown;
    }
    fill(next, zeros, zero_digits);
    next += zeros;
    finish_text(to, next, text_length);
    return true;
}

}  // namespace

namespace xcvt_internal {

bool move_number_into_text(const value_desc *from, const value_desc *to)
{
    return numeric_to_text(from, to);
}

}  // namespace xcvt_internal
