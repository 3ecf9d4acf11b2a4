// The floating results of the value mover, held as recorded: many generated
// number texts, integers at scales and floating values read at scales, with
// a digest of every result's bits. Any change in how the steps are computed
// (a fused operation, a table of powers, a different order) changes the
// digest on one build or another.
#include <cstdio>
#include <cstring>
#include <string>

#include "fields.h"

using namespace xcvt_test;

namespace {

struct digest {
    uint64_t value = 0xcbf29ce484222325u;
    void add(const void *bytes, size_t length)
    {
        for (size_t i = 0; i < length; ++i) {
            value ^= static_cast<const unsigned char *>(bytes)[i];
            value *= 0x100000001b3u;
        }
    }
    // A result's bits, least significant byte first, so that the digest is
    // the same on machines of either byte order.
    template <typename T>
    void add(T x)
    {
        static_assert(sizeof x == 4 || sizeof x == 8);
        uint64_t bits = 0;
        if constexpr (sizeof x == 8) {
            std::memcpy(&bits, &x, sizeof x);
        } else {
            uint32_t word;
            std::memcpy(&word, &x, sizeof x);
            bits = word;
        }
        unsigned char bytes[sizeof x];
        for (size_t i = 0; i < sizeof x; ++i)
            bytes[i] = static_cast<unsigned char>(bits >> (8 * i));
        add(bytes, sizeof x);
    }
};

struct generator {
    uint32_t state;
    uint32_t next(uint32_t bound)
    {
        state = state * 1103515245u + 12345u;
        return (state >> 8) % bound;
    }
};

// A number text the parsers accept: sign, digits with a point and group
// commas here and there, an optional exponent; results stay well inside the
// range of normal doubles.
std::string number_text(generator &g)
{
    std::string text;
    if (g.next(4) == 0)
        text += g.next(2) ? "-" : "+";
    const uint32_t digits = 1 + g.next(20);
    const uint32_t point = g.next(digits + 4);
    for (uint32_t i = 0; i < digits; ++i) {
        if (i == point)
            text += '.';
        else if (i > 0 && g.next(8) == 0)
            text += ',';
        text += static_cast<char>('0' + g.next(10));
    }
    if (g.next(3) == 0) {
        text += g.next(2) ? 'e' : 'E';
        if (g.next(2))
            text += '-';
        text += std::to_string(g.next(250));
    }
    return text;
}

double double_of_text(const std::string &text)
{
    const value_desc d{dtype_fixed_string, 0, static_cast<uint16_t>(text.size()), 0,
                       const_cast<char *>(text.data())};
    return XCVT_get_double(&d);
}

}  // namespace

TEST(FloatSteps, TextResultsMatchTheRecord)
{
    struct recorded {
        const char *text;
        uint64_t bits;
    };
    const recorded cases[] = {
        {"1234.56", 0x40934a3d70a3d70au},
        {"-0.000123e5", 0xc02899999999999au},
        {"1,234,567", 0x4132d68700000000u},
        {"0.1e-20", 0x3b92e3b40a0e9b50u},
        {"123456789012345678.9", 0x437b69b4ba630f36u},
        {"9007199254740993", 0x4340000000000000u},
        {"9007199254740993e-3", 0x42a0624dd2f1a9fcu},
        {"3.14159265358979323846", 0x400921fb54442d18u},
    };
    for (const auto &c : cases) {
        const double value = double_of_text(c.text);
        uint64_t bits;
        std::memcpy(&bits, &value, sizeof bits);
        EXPECT_EQ(bits, c.bits) << c.text << std::hex << " gives 0x" << bits;
    }

    generator g{20261210};
    digest all;
    for (int i = 0; i < 20000; ++i) {
        const std::string text = number_text(g);
        double value = 0;
        ASSERT_TRUE(comes_back([&] { value = double_of_text(text); })) << text;
        all.add(value);
    }
    EXPECT_EQ(all.value, 0x5eb25d650eca140eu) << std::hex << "digest 0x" << all.value;
}

TEST(FloatSteps, ScaledResultsMatchTheRecord)
{
    generator g{4711};
    digest all;
    for (int i = 0; i < 5000; ++i) {
        int32_t stored = static_cast<int32_t>(g.next(0x7fffffff)) - 0x3fffffff;
        const auto scale = static_cast<int8_t>(static_cast<int>(g.next(41)) - 20);
        const value_desc as_long{dtype_long_integer, scale, 4, 0, &stored};
        all.add(XCVT_get_double(&as_long));

        double x = static_cast<double>(stored) / 1024.0;
        const value_desc as_double{dtype_double_float, 0, 8, 0, &x};
        const auto wanted = static_cast<int16_t>(static_cast<int>(g.next(9)) - 6);
        all.add(XCVT_get_long(&as_double, wanted));
    }
    EXPECT_EQ(all.value, 0xec853754e3e4ac18u) << std::hex << "digest 0x" << all.value;
}
