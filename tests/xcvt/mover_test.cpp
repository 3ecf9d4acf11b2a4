// The value mover: which conversion each pair of kinds takes, text copies,
// numbers as text, integer destinations, quadwords and blob ids, fast path.
#include <vector>

#include "fields.h"

using namespace xcvt_test;

extern "C" size_t value_desc_size_in_c(void);
extern "C" size_t value_desc_address_offset_in_c(void);

namespace {

TEST(Descriptor, CAndCppAgreeOnTheLayout)
{
    EXPECT_EQ(value_desc_size_in_c(), sizeof(value_desc));
    EXPECT_EQ(value_desc_address_offset_in_c(), offsetof(value_desc, address));
}

// ---- Which conversion applies ------------------------------------------

enum class outcome { moved, blob_failure, not_done, not_implemented };

// A source of each kind. Text holds a number, or a date when it goes into
// a date field.
void fill_source(field &f, int kind, int destination)
{
    const std::string_view text = destination == dtype_date ? "17-MAR-1995" : "42";
    f.scale = 0;
    switch (kind) {
    case dtype_fixed_string: fill_fixed(f, text); break;
    case dtype_terminated_string: fill_terminated(f, text, 20); break;
    case dtype_varying_string: fill_varying(f, text); break;
    case dtype_short_integer: f.dtype = kind; f.length = 2; f.put(int16_t{42}); break;
    case dtype_long_integer: f.dtype = kind; f.length = 4; f.put(int32_t{42}); break;
    case dtype_single_float: f.dtype = kind; f.length = 4; f.put(42.0f); break;
    case dtype_double_float: f.dtype = kind; f.length = 8; f.put(42.0); break;
    case dtype_date: f.dtype = kind; f.length = 8; f.put(internal_date{49000, 0}); break;
    default: f.dtype = static_cast<uint8_t>(kind); f.length = 8; f.put(uint64_t{0x0102030405060708}); break;
    }
}

constexpr int source_kinds[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 12, 0, 11, 200};
constexpr int destination_kinds[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 12, 0, 11, 200};

outcome expected_outcome(int to, int from)
{
    const bool from_text = from >= 1 && from <= 3;
    const bool from_number = from == 4 || from == 5 || from == 7 || from == 8;
    switch (to) {
    case 1: case 2: case 3:
        if (from_text || from_number || from == 9)
            return outcome::moved;
        return from == 10 ? outcome::blob_failure : outcome::not_done;
    case 4: case 5: case 7: case 8:
        return from_text || from_number ? outcome::moved : outcome::not_implemented;
    case 9:
        if (from_text)
            return outcome::moved;
        return from == 10 ? outcome::blob_failure : outcome::not_done;
    case 6:
        return from == 10 ? outcome::moved : outcome::not_done;
    case 10:
        return from == 6 ? outcome::moved : outcome::blob_failure;
    default:
        return from == 10 ? outcome::blob_failure : outcome::not_done;
    }
}

TEST(MoveTable, EveryPairOfKindsTakesItsConversion)
{
    for (int to_kind : destination_kinds) {
        for (int from_kind : source_kinds) {
            field from(0, 0, 0);
            fill_source(from, from_kind, to_kind);
            // 16 bytes: no source has that length, so the fast path never applies.
            field to(static_cast<uint8_t>(to_kind), 0, 16);
            const value_desc f = from.desc();
            const value_desc t = to.desc();
            const auto move = [&] { XCVT_move(&f, &t); };
            const std::string pair = "from " + std::to_string(from_kind) + " to " + std::to_string(to_kind);
            switch (expected_outcome(to_kind, from_kind)) {
            case outcome::moved:
                EXPECT_TRUE(comes_back(move)) << pair;
                break;
            case outcome::blob_failure:
                EXPECT_TRUE(ends_in_blob_failure(move)) << pair;
                EXPECT_EQ(to.text(16), std::string(16, '#')) << pair;
                break;
            case outcome::not_done:
                EXPECT_TRUE(ends_in_bugcheck(move, "XCVT_move: conversion not done")) << pair;
                EXPECT_EQ(to.text(16), std::string(16, '#')) << pair;
                break;
            case outcome::not_implemented:
                EXPECT_TRUE(ends_in_bugcheck(move, "conversion not implemented")) << pair;
                EXPECT_EQ(to.text(16), std::string(16, '#')) << pair;
                break;
            }
        }
    }
}

// What the cells that move store: every source kind's 42 into every
// numeric kind, and into text.
TEST(MoveTable, NumbersArriveInEveryNumericKind)
{
    for (int from_kind : {1, 2, 3, 4, 5, 7, 8}) {
        const std::string kind = "from " + std::to_string(from_kind);
        field from(0, 0, 0);
        fill_source(from, from_kind, 0);
        const value_desc f = from.desc();

        field s(dtype_short_integer, 0, 16), l(dtype_long_integer, 0, 16);
        field x(dtype_single_float, 0, 16), d(dtype_double_float, 0, 16);
        field t(dtype_fixed_string, 0, 4);
        for (field *to : {&s, &l, &x, &d, &t}) {
            const value_desc td = to->desc();
            XCVT_move(&f, &td);
        }
        EXPECT_EQ(s.as<int16_t>(), 42) << kind;
        EXPECT_EQ(l.as<int32_t>(), 42) << kind;
        EXPECT_EQ(x.as<float>(), 42.0f) << kind;
        EXPECT_EQ(d.as<double>(), 42.0) << kind;
        EXPECT_EQ(t.text(5), "42  #") << kind;
    }
}

// ---- Text into text ----------------------------------------------------

struct text_case {
    int from_kind;
    std::string_view text;
    uint16_t from_buffer;  // terminated sources only
    int to_kind;
    uint16_t to_length;
    std::string expected;  // the destination's bytes and two beyond
};

TEST(MoveText, CopiesCutsAndFills)
{
    using namespace std::string_literals;
    const text_case cases[] = {
        {1, "ABC", 0, 1, 5, "ABC  ##"},
        {1, "ABCDEF", 0, 2, 4, "ABC\0##"s},
        {1, "ABCDEF", 0, 3, 6, count_bytes(4) + "ABCD##"},
        {2, "AB", 10, 1, 10, "AB        ##"},
        {3, "HELLO", 0, 2, 10, "HELLO\0######"s},
        {3, "XYZ", 0, 1, 2, "XY##"},
        {1, "", 0, 1, 3, "   ##"},
        {1, "ABC", 0, 3, 2, "\0\0##"s},
        // No room for the NUL or the count: nothing is written.
        {1, "ABC", 0, 2, 0, "##"},
        {1, "ABC", 0, 3, 1, "###"},
    };
    for (const auto &c : cases) {
        field from(0, 0, 0);
        if (c.from_kind == 1)
            fill_fixed(from, c.text);
        else if (c.from_kind == 2)
            fill_terminated(from, c.text, c.from_buffer);
        else
            fill_varying(from, c.text);
        field to(static_cast<uint8_t>(c.to_kind), 0, c.to_length);
        const value_desc f = from.desc();
        const value_desc t = to.desc();
        XCVT_move(&f, &t);
        EXPECT_EQ(to.text(c.expected.size()), c.expected)
            << c.text << " from " << c.from_kind << " to " << c.to_kind << " length " << c.to_length;
    }
}

// A terminated source whose buffer holds no NUL reads as length - 1 bytes.
TEST(MoveText, UnterminatedSourceStopsBeforeItsLastByte)
{
    field from(0, 0, 0);
    fill_fixed(from, "0123456789");
    from.dtype = dtype_terminated_string;
    field to(dtype_fixed_string, 0, 12);
    const value_desc f = from.desc();
    const value_desc t = to.desc();
    XCVT_move(&f, &t);
    EXPECT_EQ(to.text(12), "012345678   ");
}

// ---- Numbers as text ---------------------------------------------------

struct number_text_case {
    int kind;
    int8_t scale;
    double value;
    int to_kind;
    uint16_t to_length;
    std::string expected;  // destination bytes and one beyond; empty: overflow
};

TEST(MoveNumberText, LaysOutSignDigitsPointAndZeros)
{
    using namespace std::string_literals;
    const number_text_case cases[] = {
        {4, -2, 1234, 1, 6, "12.34 #"},
        {5, -2, 5, 1, 4, ".05 #"},
        {5, -2, 0, 1, 4, ".00 #"},
        {5, -3, -5, 1, 5, "-.005#"},
        {5, -2, -123456, 2, 10, "-1234.56\0##"s},
        {5, 0, -7, 2, 3, "-7\0#"s},
        {5, 2, 12, 3, 10, count_bytes(4) + "1200#####"},
        {5, 0, -2147483648.0, 1, 11, "-2147483648#"},
        {5, 0, 2147483647.0, 3, 12, count_bytes(10) + "2147483647#"},
        {5, 0, 0, 1, 2, "0 #"},
        {5, 2, 0, 1, 3, "000#"},
        {4, 1, -32768, 1, 7, "-327680#"},
        {8, 0, 2.5, 1, 3, "3  #"},
        {8, 0, -2.5, 1, 3, "-3 #"},
        {7, 0, 1.5, 1, 3, "2  #"},
        {8, -2, 123.456, 1, 5, "1.23 #"},  // rounded to an integer, then scaled
        // exact fits and one past them
        {5, 0, 12345, 1, 5, "12345#"},
        {5, 0, 12345, 2, 6, "12345\0#"s},
        {5, 0, 12345, 3, 7, count_bytes(5) + "12345#"},
        {5, 0, 12345, 1, 4, ""},
        {5, 0, 12345, 2, 5, ""},
        {5, 0, 12345, 3, 6, ""},
        {5, 0, -7, 2, 2, ""},
        {5, 3, 7, 3, 3, ""},
        {5, 0, 7, 2, 0, ""},
        {5, 0, 7, 3, 1, ""},
        // fields over 12 bytes, filled with blanks or zeros in pieces
        {5, 0, 1234567, 1, 13, "1234567      #"},
        {5, 0, -42, 1, 16, "-42" + std::string(13, ' ') + "#"},
        {5, 0, 7, 1, 17, "7" + std::string(16, ' ') + "#"},
        {5, -3, -98765, 1, 40, "-98.765" + std::string(33, ' ') + "#"},
        {5, 20, 1, 3, 30, count_bytes(21) + "1" + std::string(20, '0') + "#"},
        {4, 17, -3, 2, 40, "-3" + std::string(17, '0') + std::string("\0#", 2)},
        // ten places and more: no digit before the point
        {5, -10, 123, 1, 12, ".0000000123 #"},
        {5, -10, -2147483648.0, 1, 12, "-.2147483648#"},
        {5, -12, 2147483647.0, 2, 14, std::string(".002147483647\0#", 15)},
        {4, -15, -32768, 3, 20, count_bytes(17) + "-.000000000032768#"},
        {5, -11, 0, 1, 12, ".00000000000#"},
        {8, -10, 2.5, 1, 12, ".0000000003 #"},
        {5, -127, 1, 2, 129, "." + std::string(126, '0') + std::string("1\0#", 3)},
        {5, -10, 5, 1, 10, ""},
        {5, -127, 1, 2, 128, ""},
    };
    for (const auto &c : cases) {
        field from(static_cast<uint8_t>(c.kind), c.scale, 0);
        switch (c.kind) {
        case 4: from.length = 2; from.put(static_cast<int16_t>(c.value)); break;
        case 5: from.length = 4; from.put(static_cast<int32_t>(c.value)); break;
        case 7: from.length = 4; from.put(static_cast<float>(c.value)); break;
        default: from.length = 8; from.put(c.value); break;
        }
        field to(static_cast<uint8_t>(c.to_kind), 0, c.to_length);
        const value_desc f = from.desc();
        const value_desc t = to.desc();
        const std::string label = std::to_string(c.value) + " scale " + std::to_string(c.scale) +
                                  " into kind " + std::to_string(c.to_kind) + " length " +
                                  std::to_string(c.to_length);
        if (c.expected.empty()) {
            EXPECT_TRUE(ends_in_error([&] { XCVT_move(&f, &t); }, "overflow during conversion")) << label;
            EXPECT_EQ(to.text(20), std::string(20, '#')) << label;
        } else {
            EXPECT_TRUE(comes_back([&] { XCVT_move(&f, &t); })) << label;
            EXPECT_EQ(to.text(c.expected.size()), c.expected) << label;
        }
    }
}

// ---- Numeric destinations ----------------------------------------------

TEST(MoveShort, KeepsLowBitsBeforeIntegerOverflow)
{
    const struct {
        std::string_view text;
        int16_t stored;
        bool overflow;
    } cases[] = {
        {"70000", 4464, true},
        {"-32769", 32767, true},
        {"65536", 0, true},
        {"32767", 32767, false},
        {"-32768", -32768, false},
    };
    for (const auto &c : cases) {
        field from(0, 0, 0);
        fill_fixed(from, c.text);
        field to(dtype_short_integer, 0, 2);
        const value_desc f = from.desc();
        const value_desc t = to.desc();
        if (c.overflow)
            EXPECT_TRUE(ends_in_error([&] { XCVT_move(&f, &t); }, "integer overflow")) << c.text;
        else
            EXPECT_TRUE(comes_back([&] { XCVT_move(&f, &t); })) << c.text;
        EXPECT_EQ(to.as<int16_t>(), c.stored) << c.text;
        EXPECT_EQ(to.text(3)[2], '#') << c.text;
    }

    double big = 40000.0;
    const value_desc f{dtype_double_float, 0, 8, 0, &big};
    field to(dtype_short_integer, 0, 2);
    const value_desc t = to.desc();
    EXPECT_TRUE(ends_in_error([&] { XCVT_move(&f, &t); }, "integer overflow"));
    EXPECT_EQ(to.as<int16_t>(), -25536);
}

TEST(MoveNumbers, ScalesIntoTheDestination)
{
    field text(0, 0, 0);
    fill_fixed(text, "12.345");
    field l(dtype_long_integer, -2, 4);
    value_desc f = text.desc();
    value_desc t = l.desc();
    XCVT_move(&f, &t);
    EXPECT_EQ(l.as<int32_t>(), 1234);

    int16_t s = 1235;
    f = value_desc{dtype_short_integer, -3, 2, 0, &s};
    XCVT_move(&f, &t);
    EXPECT_EQ(l.as<int32_t>(), 124);

    // No range test for a long destination: the mantissa wraps.
    fill_fixed(text, "3000000000");
    f = text.desc();
    t.scale = 0;
    XCVT_move(&f, &t);
    EXPECT_EQ(l.as<int32_t>(), -1294967296);

    // Floating destinations take the double, a single narrowed to nearest.
    fill_fixed(text, "0.07");
    f = text.desc();
    field x(dtype_single_float, 0, 4), d(dtype_double_float, 0, 8);
    t = x.desc();
    XCVT_move(&f, &t);
    EXPECT_EQ(x.as<float>(), static_cast<float>(7.0 / 10.0 / 10.0));
    t = d.desc();
    XCVT_move(&f, &t);
    EXPECT_EQ(d.as<double>(), 7.0 / 10.0 / 10.0);
}

TEST(MoveNumbers, ConversionErrorLeavesTheFieldAlone)
{
    field text(0, 0, 0);
    fill_fixed(text, "12x");
    for (int kind : {4, 5, 7, 8}) {
        field to(static_cast<uint8_t>(kind), 0, 8);
        const value_desc f = text.desc();
        const value_desc t = to.desc();
        EXPECT_TRUE(ends_in_error([&] { XCVT_move(&f, &t); }, "conversion error")) << kind;
        EXPECT_EQ(to.text(8), std::string(8, '#')) << kind;
    }
}

// ---- Quadwords and blob ids --------------------------------------------

TEST(MoveQuadwords, ExchangeEightBytesWithBlobIds)
{
    const unsigned char id[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    for (auto [from_kind, to_kind] : {std::pair{6, 10}, std::pair{10, 6}}) {
        field from(static_cast<uint8_t>(from_kind), 0, 8);
        std::memcpy(from.bytes, id, 8);
        field to(static_cast<uint8_t>(to_kind), 3, 12);
        const value_desc f = from.desc();
        const value_desc t = to.desc();
        XCVT_move(&f, &t);
        EXPECT_EQ(to.text(9), std::string(reinterpret_cast<const char *>(id), 8) + "#");
    }
}

// ---- Fast path ---------------------------------------------------------

// Equal kind, scale and length: a plain copy with no test, whatever the kind.
TEST(MoveFastPath, CopiesWithoutLookingAtTheValue)
{
    for (int kind : {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 12, 0, 200}) {
        field from(static_cast<uint8_t>(kind), 5, 6);
        std::memcpy(from.bytes, "\xff\0x\1yz", 6);
        field to(static_cast<uint8_t>(kind), 5, 6);
        const value_desc f = from.desc();
        const value_desc t = to.desc();
        EXPECT_TRUE(comes_back([&] { XCVT_move(&f, &t); })) << kind;
        EXPECT_EQ(to.text(7), std::string("\xff\0x\1yz#", 7)) << kind;
    }
    // A different scale is no fast path.
    int16_t value = 15;
    field to(dtype_short_integer, 1, 2);
    const value_desc f{dtype_short_integer, 0, 2, 0, &value};
    const value_desc t = to.desc();
    XCVT_move(&f, &t);
    EXPECT_EQ(to.as<int16_t>(), 2);
}

}  // namespace
