// Reading values as numbers: the two decimal parsers, XCVT_get_long with its
// rounding rules, XCVT_get_double and the byte copier.
#include <array>
#include <cmath>
#include <limits>

#include "fields.h"

using namespace xcvt_test;

namespace {

struct parse_case {
    std::string_view text;
    int32_t mantissa;
    int16_t power;
};

TEST(Decompose, SplitsTextIntoMantissaAndPower)
{
    const parse_case cases[] = {
        {"1,234.50", 123450, -2},  {"-12.5e1", -125, 0},   {"1.5e-2", 15, -3},
        {"e5", 0, 5},              {"", 0, 0},             {"  1,234.5 ", 12345, -1},
        {"0-5", -5, 0},            {"+-5", -5, 0},         {"5e", 5, 0},
        {"1.2,3", 123, -2},        {"1 2 3", 123, 0},      {"1e+2", 1, 2},
        {"1e 2", 1, 2},            {"1e--2", 1, -2},       {"00.00", 0, -2},
        {"4294967297", 1, 0},      // 32-bit wrap-around of the mantissa
        {"1e65537", 1, 1},         // 16-bit wrap-around of the exponent
        {"-2147483648", INT32_MIN, 0},
    };
    for (const auto &c : cases) {
        int32_t mantissa = 99;
        int16_t power = 99;
        EXPECT_TRUE(comes_back([&] { power = XCVT_decompose(c.text.data(), c.text.size(), &mantissa); }))
            << c.text;
        EXPECT_EQ(mantissa, c.mantissa) << c.text;
        EXPECT_EQ(power, c.power) << c.text;
    }
}

TEST(Decompose, ReadsOnlyTheGivenLength)
{
    int32_t mantissa = 0;
    EXPECT_EQ(XCVT_decompose("12x", 2, &mantissa), 0);
    EXPECT_EQ(mantissa, 12);
}

// Texts that neither parser accepts.
constexpr std::string_view rejected_by_both[] = {
    "12-", "1..2", "5+", "1.2.", "abc", "1x", "1e2.5", "1e2e3", "1e2,0", "1e2-", "1e2+", "1/2", "\t1",
};

TEST(Decompose, ReportsConversionError)
{
    for (std::string_view text : rejected_by_both) {
        int32_t mantissa = 77;
        EXPECT_TRUE(ends_in_error([&] { XCVT_decompose(text.data(), text.size(), &mantissa); },
                                  "conversion error"))
            << text;
        EXPECT_EQ(mantissa, 77) << text;
    }
    // A second "-", or a "+" after the sign, is refused here but not by the
    // double parser.
    for (std::string_view text : {"--5", "-+5", "1e-+2"}) {
        int32_t mantissa = 0;
        EXPECT_TRUE(ends_in_error([&] { XCVT_decompose(text.data(), text.size(), &mantissa); },
                                  "conversion error"))
            << text;
    }
}

double get_double_of_text(std::string_view text)
{
    field f(0, 0, 0);
    fill_fixed(f, text);
    const value_desc d = f.desc();
    return XCVT_get_double(&d);
}

// The mantissa as the parser must build it: times ten plus the digit, each
// operation rounded. Long digit strings drift from the nearest double.
constexpr double digit_by_digit(std::string_view digits)
{
    double m = 0.0;
    for (char c : digits)
        m = m * 10.0 + (c - '0');
    return m;
}
constexpr double twenty_digits = digit_by_digit("12345678901234567890");
static_assert(twenty_digits != 12345678901234567890.0);

struct double_case {
    std::string_view text;
    double value;
};

TEST(GetDouble, ParsesTextOneStepPerPowerOfTen)
{
    // Expectations are evaluated by the compiler in double precision, one
    // operation at a time, as the parser must do them.
    constexpr double seven_hundredths = 7.0 / 10.0 / 10.0;
    static_assert(seven_hundredths != 0.07);
    const double_case cases[] = {
        {"1,234.50", 123450.0 / 10.0 / 10.0},
        {"0.07", seven_hundredths},
        {"7e-2", seven_hundredths},
        {"--5", -5.0},
        {"-+5", -5.0},
        {"+-5", -5.0},
        {"0-5", -5.0},
        {"1e-+2", 1.0 / 10.0 / 10.0},
        {"1.5e-2", 15.0 / 10.0 / 10.0 / 10.0},
        {"1.1e2", 11.0 * 10.0},
        {"1e23", 1e22 * 10.0},
        {"e5", 0.0},
        {"", 0.0},
        {"5e", 5.0},
        {"12345678901234567890", twenty_digits},
        {"1e400", std::numeric_limits<double>::infinity()},
    };
    for (const auto &c : cases) {
        double value = -1.0;
        EXPECT_TRUE(comes_back([&] { value = get_double_of_text(c.text); })) << c.text;
        EXPECT_EQ(value, c.value) << c.text;
    }
}

TEST(GetDouble, StepsAgreeBitForBitOverManyValues)
{
    struct table {
        std::array<double, 3000> value;
    };
    constexpr table expected = [] {
        table t{};
        for (int i = 0; i < 1000; ++i) {
            double x = i;
            for (int k = 0; k < 3; ++k) {
                x = x / 10.0;
                t.value[i * 3 + k] = x;
            }
        }
        return t;
    }();
    for (int i = 0; i < 1000; ++i) {
        int32_t stored = i;
        for (int k = 0; k < 3; ++k) {
            const value_desc d{dtype_long_integer, static_cast<int8_t>(-(k + 1)), 4, 0, &stored};
            ASSERT_EQ(XCVT_get_double(&d), expected.value[i * 3 + k]) << i << " scale " << -(k + 1);
            const std::string text = std::to_string(i) + "e-" + std::to_string(k + 1);
            ASSERT_EQ(get_double_of_text(text), expected.value[i * 3 + k]) << text;
        }
    }
}

TEST(GetDouble, ReportsConversionError)
{
    for (std::string_view text : rejected_by_both)
        EXPECT_TRUE(ends_in_error([&] { get_double_of_text(text); }, "conversion error")) << text;
}

TEST(GetDouble, ReadsEachNumericKind)
{
    int16_t short_value = 7;
    int32_t long_value = 12345;
    float single_value = 0.1f;
    double double_value = 0.1;
    char text[] = "1.5";
    const struct {
        value_desc desc;
        double value;
    } cases[] = {
        {{dtype_long_integer, -2, 4, 0, &long_value}, 12345.0 / 10.0 / 10.0},
        {{dtype_long_integer, 2, 4, 0, &long_value}, 12345.0 * 10.0 * 10.0},
        {{dtype_short_integer, 3, 2, 0, &short_value}, 7000.0},
        {{dtype_short_integer, -1, 2, 0, &short_value}, 7.0 / 10.0},
        {{dtype_single_float, 5, 4, 0, &single_value}, static_cast<double>(0.1f)},
        {{dtype_double_float, -5, 8, 0, &double_value}, 0.1},
        {{dtype_fixed_string, 3, 3, 0, text}, 1.5},  // scale not applied to text
    };
    for (const auto &c : cases)
        EXPECT_EQ(XCVT_get_double(&c.desc), c.value) << int(c.desc.dtype) << " " << int(c.desc.scale);
}

struct long_case {
    value_desc desc;
    int16_t scale;
    int32_t value;
};

TEST(GetLong, ScalesAndRoundsBySourceKind)
{
    char spaced[] = "  1,234.5 ";
    char five[] = "5";
    char decimals[] = "12.345";
    char negative[] = "-12.345";
    int16_t s15 = 15, s_15 = -15, s14 = 14, s1235 = 1235;
    int32_t l149 = 149, l150 = 150, l_150 = -150, l_151 = -159, l7 = 7, l1 = 1;
    double d25 = 2.5, d_25 = -2.5, d04 = 0.4, d_04 = -0.4, d12345 = 1234.5, d0125 = 0.125;
    float f15 = 1.5f;
    const long_case cases[] = {
        // text: the digits dropped are cut off
        {{dtype_fixed_string, 0, 10, 0, spaced}, 0, 1234},
        {{dtype_fixed_string, 0, 10, 0, spaced}, -2, 123450},
        {{dtype_fixed_string, 1, 1, 0, five}, 0, 50},
        {{dtype_fixed_string, 0, 6, 0, decimals}, -2, 1234},
        {{dtype_fixed_string, 0, 7, 0, negative}, -2, -1234},
        // integers: only the last digit dropped rounds, and only upward
        {{dtype_short_integer, 0, 2, 0, &s15}, 1, 2},
        {{dtype_short_integer, 0, 2, 0, &s_15}, 1, -1},
        {{dtype_short_integer, 0, 2, 0, &s14}, 1, 1},
        {{dtype_short_integer, -3, 2, 0, &s1235}, -2, 124},
        {{dtype_long_integer, 0, 4, 0, &l149}, 2, 1},
        {{dtype_long_integer, 0, 4, 0, &l150}, 2, 2},
        {{dtype_long_integer, 0, 4, 0, &l_150}, 2, -1},
        {{dtype_long_integer, 0, 4, 0, &l_151}, 1, -15},
        {{dtype_long_integer, 2, 4, 0, &l7}, 0, 700},
        {{dtype_long_integer, 0, 4, 0, &l1}, -10, 1410065408},  // 10^10 modulo 2^32
        // floating: half away from zero
        {{dtype_double_float, 0, 8, 0, &d25}, 0, 3},
        {{dtype_double_float, 0, 8, 0, &d_25}, 0, -3},
        {{dtype_double_float, 0, 8, 0, &d04}, 0, 0},
        {{dtype_double_float, 0, 8, 0, &d_04}, 0, 0},
        {{dtype_double_float, 0, 8, 0, &d12345}, 1, 123},
        {{dtype_double_float, 0, 8, 0, &d0125}, -2, 13},
        {{dtype_double_float, -1, 8, 0, &d25}, -2, 25},
        {{dtype_single_float, 0, 4, 0, &f15}, 0, 2},
    };
    for (const auto &c : cases) {
        int32_t value = -99;
        EXPECT_TRUE(comes_back([&] { value = XCVT_get_long(&c.desc, c.scale); }));
        EXPECT_EQ(value, c.value) << "kind " << int(c.desc.dtype) << " scale " << int(c.desc.scale)
                                  << " asked at " << c.scale;
    }
}

// Beyond the 32-bit range a floating value stops at the range's ends.
TEST(GetLong, FloatingBeyondRangeStopsAtTheEnds)
{
    const struct {
        double value;
        int32_t result;
    } cases[] = {
        {1e12, INT32_MAX},
        {-1e12, INT32_MIN},
        {2147483647.4, INT32_MAX},
        {-2147483648.4, INT32_MIN},
        {std::numeric_limits<double>::infinity(), INT32_MAX},
        {std::numeric_limits<double>::quiet_NaN(), 0},
    };
    for (const auto &c : cases) {
        double stored = c.value;
        const value_desc d{dtype_double_float, 0, 8, 0, &stored};
        EXPECT_EQ(XCVT_get_long(&d, 0), c.result) << c.value;
    }
}

TEST(GetLong, TextErrorsReachTheFormsCore)
{
    char text[] = "1..2";
    const value_desc d{dtype_fixed_string, 0, 4, 0, text};
    EXPECT_TRUE(ends_in_error([&] { XCVT_get_long(&d, 0); }, "conversion error"));
}

TEST(Extraction, KindsThatAreNoNumberAreNotImplemented)
{
    unsigned char storage[8] = {};
    for (int kind : {int{dtype_quadword_integer}, int{dtype_date}, int{dtype_blob},
                     int{dtype_double_float_alt}, 0, 11, 13, 255}) {
        const value_desc d{static_cast<uint8_t>(kind), 0, 8, 0, storage};
        EXPECT_TRUE(ends_in_bugcheck([&] { XCVT_get_long(&d, 0); }, "conversion not implemented"))
            << int(kind);
        EXPECT_TRUE(ends_in_bugcheck([&] { XCVT_get_double(&d); }, "conversion not implemented"))
            << int(kind);
    }
}

TEST(Fast, CopiesFirstByteFirst)
{
    char area[8] = "ABCDEFG";
    XCVT_fast(area, area + 1, 4);  // overlapping: the first byte runs on
    EXPECT_STREQ(area, "AAAAAFG");

    char target[4] = "xyz";
    XCVT_fast("123", target, 0);
    EXPECT_STREQ(target, "xyz");
    XCVT_fast("123", target, 2);
    EXPECT_STREQ(target, "12z");
}

}  // namespace
