// Number text: parsing with XCVT_get_double and XCVT_decompose against
// std::from_chars, and integers and doubles laid out as text by XCVT_move
// against std::to_chars with the same layout.
#include <array>
#include <charconv>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <string>

#include "comparisons.h"
#include "forms.h"

namespace {

struct number_text {
    const char *name;
    const char *text;   // as a form field holds it
    const char *plain;  // the same number as from_chars reads it (no group commas)
};

constexpr std::array<number_text, 3> texts{{
    {"fixed", "1234.56", "1234.56"},
    {"exponent", "-0.000123e5", "-0.000123e5"},
    {"grouped", "1,234,567", "1234567"},
}};

value_desc text_field(const char *text)
{
    return value_desc{dtype_fixed_string, 0, static_cast<uint16_t>(std::strlen(text)), 0,
                      const_cast<char *>(text)};
}

double peer_double(const char *plain)
{
    double value = 0;
    std::from_chars(plain, plain + std::strlen(plain), value);
    return value;
}

template <size_t I>
void get_double_ours(benchmark::State &state)
{
    const value_desc field = text_field(texts[I].text);
    for (auto _ : state) {
        benchmark::DoNotOptimize(&field);
        bench::keep(XCVT_get_double(&field));
    }
}

template <size_t I>
void get_double_peer(benchmark::State &state)
{
    const char *plain = texts[I].plain;
    const size_t length = std::strlen(plain);
    for (auto _ : state) {
        benchmark::DoNotOptimize(plain);
        double value = 0;
        std::from_chars(plain, plain + length, value);
        bench::keep(value);
    }
}

template <size_t I>
bool get_double_agrees()
{
    const value_desc field = text_field(texts[I].text);
    const double ours = XCVT_get_double(&field);
    const double peer = peer_double(texts[I].plain);
    if (std::memcmp(&ours, &peer, sizeof ours) == 0)
        return true;
    std::printf("  %s: %.17g against %.17g\n", texts[I].text, ours, peer);
    return false;
}

template <size_t I>
void decompose_ours(benchmark::State &state)
{
    const char *text = texts[I].text;
    const auto length = static_cast<uint16_t>(std::strlen(text));
    for (auto _ : state) {
        benchmark::DoNotOptimize(text);
        int32_t mantissa = 0;
        bench::keep(XCVT_decompose(text, length, &mantissa));
        bench::keep(mantissa);
    }
}

// The mantissa and power of ten, read back as one number, must be the number
// that from_chars reads from the text.
template <size_t I>
bool decompose_agrees()
{
    const char *text = texts[I].text;
    int32_t mantissa = 0;
    const int16_t power =
        XCVT_decompose(text, static_cast<uint16_t>(std::strlen(text)), &mantissa);
    char joined[32];
    std::snprintf(joined, sizeof joined, "%" PRId32 "e%d", mantissa, power);
    const double ours = peer_double(joined);
    const double peer = peer_double(texts[I].plain);
    if (ours == peer)
        return true;
    std::printf("  %s: %s against %.17g\n", text, joined, peer);
    return false;
}

// ---- numbers into text ----

constexpr uint16_t field_width = 12;

// The layout the mover gives a number at a scale, made with to_chars: sign,
// digits (at least as many as the places after the point), the point, the
// trailing zeros of a positive scale, then blanks up to the field's width.
void to_chars_layout(int32_t value, int scale, char *field)
{
    char digits[16];
    const uint32_t magnitude = value < 0 ? 0u - static_cast<uint32_t>(value)
                                         : static_cast<uint32_t>(value);
    const int count = static_cast<int>(std::to_chars(digits, digits + sizeof digits, magnitude).ptr - digits);
    char *out = field;
    if (value < 0)
        *out++ = '-';
    if (scale < 0) {
        const int places = -scale;
        const int whole = count > places ? count - places : 0;
        std::memcpy(out, digits, static_cast<size_t>(whole));
        out += whole;
        *out++ = '.';
        for (int i = places; i > count; --i)
            *out++ = '0';
        const int shown = count < places ? count : places;
        std::memcpy(out, digits + count - shown, static_cast<size_t>(shown));
        out += shown;
    } else {
        std::memcpy(out, digits, static_cast<size_t>(count));
        out += count;
        for (int i = 0; i < scale; ++i)
            *out++ = '0';
    }
    std::memset(out, ' ', static_cast<size_t>(field + field_width - out));
}

constexpr std::array<int32_t, 8> longs{0, 7, -42, 1234, -98765, 5000000, 2147483647,
                                       -2147483647 - 1};
constexpr std::array<int16_t, 8> shorts{0, 7, -42, 1234, -9876, 32767, -32768, 500};
constexpr std::array<double, 8> doubles{0.0, 2.5, -2.5, 1234.49, -98765.5, 0.4, 1e9, -7.51};

int32_t rounded(double x)
{
    return static_cast<int32_t>(x > 0 ? x + 0.5 : x - 0.5);
}

template <typename T, size_t N>
void move_into_text(const std::array<T, N> &values, uint8_t dtype, int scale,
                    benchmark::State &state)
{
    char field[field_width];
    T value{};
    const value_desc from{dtype, static_cast<int8_t>(scale), sizeof(T), 0, &value};
    const value_desc to{dtype_fixed_string, 0, field_width, 0, field};
    size_t i = 0;
    for (auto _ : state) {
        value = values[i++ % N];
        XCVT_move(&from, &to);
        benchmark::DoNotOptimize(field);
        benchmark::ClobberMemory();
    }
}

template <typename T, size_t N>
void to_chars_into_text(const std::array<T, N> &values, int scale, benchmark::State &state)
{
    char field[field_width];
    size_t i = 0;
    for (auto _ : state) {
        T value = values[i++ % N];
        benchmark::DoNotOptimize(value);
        if constexpr (std::is_floating_point_v<T>)
            to_chars_layout(rounded(value), scale, field);
        else
            to_chars_layout(value, scale, field);
        benchmark::DoNotOptimize(field);
        benchmark::ClobberMemory();
    }
}

template <typename T, size_t N>
bool text_agrees(const std::array<T, N> &values, uint8_t dtype, int scale)
{
    for (T v : values) {
        char ours[field_width];
        char peer[field_width];
        T value = v;
        const value_desc from{dtype, static_cast<int8_t>(scale), sizeof(T), 0, &value};
        const value_desc to{dtype_fixed_string, 0, field_width, 0, ours};
        XCVT_move(&from, &to);
        if constexpr (std::is_floating_point_v<T>)
            to_chars_layout(rounded(v), scale, peer);
        else
            to_chars_layout(v, scale, peer);
        if (std::memcmp(ours, peer, field_width) != 0) {
            std::printf("  '%.12s' against '%.12s'\n", ours, peer);
            return false;
        }
    }
    return true;
}

void long_text_ours(benchmark::State &s) { move_into_text(longs, dtype_long_integer, 0, s); }
void long_text_peer(benchmark::State &s) { to_chars_into_text(longs, 0, s); }
void long_places_ours(benchmark::State &s) { move_into_text(longs, dtype_long_integer, -2, s); }
void long_places_peer(benchmark::State &s) { to_chars_into_text(longs, -2, s); }
void short_text_ours(benchmark::State &s) { move_into_text(shorts, dtype_short_integer, 0, s); }
void short_text_peer(benchmark::State &s) { to_chars_into_text(shorts, 0, s); }
void double_text_ours(benchmark::State &s) { move_into_text(doubles, dtype_double_float, 0, s); }
void double_text_peer(benchmark::State &s) { to_chars_into_text(doubles, 0, s); }

template <size_t I>
void register_text(double get_double_target, double decompose_target)
{
    const std::string suffix = texts[I].name;
    bench::compare("get_double_" + suffix, get_double_target, get_double_ours<I>,
                   get_double_peer<I>, get_double_agrees<I>);
    bench::compare("decompose_" + suffix, decompose_target, decompose_ours<I>,
                   get_double_peer<I>, decompose_agrees<I>);
}

[[maybe_unused]] const bool registered = [] {
    register_text<0>(1.0, 0);
    register_text<1>(1.0, 0);
    register_text<2>(1.0, 0);
    bench::compare("long_text", 1.0, long_text_ours, long_text_peer,
                   [] { return text_agrees(longs, dtype_long_integer, 0); });
    bench::compare("long_places", 1.1, long_places_ours, long_places_peer,
                   [] { return text_agrees(longs, dtype_long_integer, -2); });
    bench::compare("short_text", 1.1, short_text_ours, short_text_peer,
                   [] { return text_agrees(shorts, dtype_short_integer, 0); });
    bench::compare("double_text", 1.1, double_text_ours, double_text_peer,
                   [] { return text_agrees(doubles, dtype_double_float, 0); });
    return true;
}();

}  // namespace
