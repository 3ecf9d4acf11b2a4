// Numbers as text: the sign, the digits of the magnitude, and the decimal
// point or trailing zeros that the source's scale calls for.
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>

#include "xcvt_internal.h"

namespace {

// The digits go straight into the field at their final places, right to
// left: a copy through a scratch area would read back bytes just written two
// at a time, which the processor cannot hand on to a wider load.

constexpr std::array<uint32_t, 10> powers_of_ten{1,      10,      100,      1000,      10000,
                                                 100000, 1000000, 10000000, 100000000, 1000000000};

// How many decimal digits value has (1 for 0).
int32_t digit_count_of(uint32_t value)
{
    // For a number of b bits, b * 1233 / 4096 (b times log10 2) is its digit
    // count or one less. value | 1 has as many digits as value, and 0 then
    // counts as one digit.
    const uint32_t odd = value | 1u;
    const auto guess = static_cast<int32_t>((std::bit_width(odd) * 1233u) >> 12);
    return guess + (odd >= powers_of_ten[static_cast<size_t>(guess)] ? 1 : 0);
}

// "00" to "99": the digits are made two at a time.
constexpr std::array<char, 200> digit_pairs = [] {
    std::array<char, 200> pairs{};
    for (size_t i = 0; i < 100; ++i) {
        pairs[2 * i] = static_cast<char>('0' + i / 10);
        pairs[2 * i + 1] = static_cast<char>('0' + i % 10);
    }
    return pairs;
}();

// Writes the decimal digits of magnitude so that they end at `end`. Its own
// loop, ended by the magnitude, rather than put_digits_in_width with the
// digit count: measured faster for the plain integer text.
void put_digits(uint32_t magnitude, char *end)
{
    char *first = end;
    while (magnitude >= 100) {
        const uint32_t pair = magnitude % 100u;
        magnitude /= 100u;
        first -= 2;
        std::memcpy(first, &digit_pairs[size_t{2} * pair], 2);
    }
    if (magnitude >= 10) {
        first -= 2;
        std::memcpy(first, &digit_pairs[size_t{2} * magnitude], 2);
    } else {
        *--first = static_cast<char>('0' + magnitude);
    }
}

// Writes exactly `width` digits of value, zeros first, so that they end at
// `end`; a value with more digits keeps only its last `width`.
void put_digits_in_width(uint32_t value, int32_t width, char *end)
{
    char *first = end;
    for (; width >= 2; width -= 2) {
        const uint32_t pair = value % 100u;
        value /= 100u;
        first -= 2;
        std::memcpy(first, &digit_pairs[size_t{2} * pair], 2);
    }
    if (width == 1)
        *--first = static_cast<char>('0' + value % 10u);
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

// The integer that a single or double source stands for in the text: what a
// move into a long at the source's own scale gives, the value rounded half
// away from zero with no power of ten applied. Out of line, so that the
// integer sources' path stays short.
[[gnu::noinline]] int32_t rounded_float(const value_desc *from)
{
    const double x = xcvt_internal::read_float(from);
    return xcvt_internal::truncate_to_long(xcvt_internal::round_half_away(x));
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
    } else {
        value = rounded_float(from);
    }

    const bool negative = value < 0;
    const uint32_t magnitude =
        negative ? 0u - static_cast<uint32_t>(value) : static_cast<uint32_t>(value);
    const int32_t places = scale < 0 ? -scale : 0;  // digits after the point
    const int32_t zeros = scale > 0 ? scale : 0;
    // With places, the digits before the point are those of the magnitude
    // divided by ten to the places (none when that is 0).
    uint32_t whole = magnitude;
    uint32_t fraction = 0;
    if (places > 0) {
        if (places < static_cast<int32_t>(powers_of_ten.size())) {
            const uint32_t divisor = powers_of_ten[static_cast<size_t>(places)];
            whole = magnitude / divisor;
            fraction = magnitude % divisor;
        } else {
            whole = 0;
            fraction = magnitude;
        }
    }
    const int32_t whole_digits = places > 0 && whole == 0 ? 0 : digit_count_of(whole);
    const int32_t sign_length = negative ? 1 : 0;
    const int32_t text_length = sign_length + whole_digits + (places > 0 ? 1 + places : 0) + zeros;

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
    if (text_length > room)
        return xcvt_internal::report_error("overflow during conversion");

    char *out = static_cast<char *>(to->address);
    if (to->dtype == dtype_fixed_string) {
        // Blanks over the whole field first, the text over the first of
        // them: the fill's length is then the field's own, the same at every
        // move into it, where the blanks after the text vary with the number.
        fill(out, to->length, blanks);
    } else if (to->dtype == dtype_varying_string) {
        const uint16_t count = static_cast<uint16_t>(text_length);
        std::memcpy(out, &count, sizeof count);
        out += 2;
    }
    if (negative)
        *out = '-';
    char *next = out + sign_length + whole_digits;
    if (whole_digits > 0)
        put_digits(whole, next);
    if (places > 0) {
        *next++ = '.';
        next += places;
        put_digits_in_width(fraction, places, next);
    }
    if (zeros > 0) {
        fill(next, zeros, zero_digits);
        next += zeros;
    }
    if (to->dtype == dtype_terminated_string)
        *next = '\0';
    return true;
}

}  // namespace

namespace xcvt_internal {

bool move_number_into_text(const value_desc *from, const value_desc *to)
{
    return numeric_to_text(from, to);
}

}  // namespace xcvt_internal
