// Text values: XCVT_get_string for every kind and XCVT_terminate.
#include <cstdlib>
#include <vector>

#include "fields.h"

using namespace xcvt_test;

namespace {

TEST(GetString, TextKindsAreReadInPlace)
{
    char fixed[] = "AB CD";
    char terminated[] = "HI\0XY";
    char unterminated[10] = {'0', '1', '2', '3', '4', '5', '6', '7', '8', '9'};
    unsigned char varying[8] = {0, 0, 'X', 'Y', 'Z', '#', '#', '#'};
    std::memcpy(varying, count_bytes(3).data(), 2);
    const struct {
        value_desc desc;
        const void *text;
        uint16_t length;
    } cases[] = {
        {{dtype_fixed_string, 0, 5, 0, fixed}, fixed, 5},
        {{dtype_terminated_string, 0, 6, 0, terminated}, terminated, 2},
        {{dtype_terminated_string, 0, 10, 0, unterminated}, unterminated, 9},
        {{dtype_terminated_string, 0, 1, 0, terminated}, terminated, 0},
        {{dtype_varying_string, 0, 8, 0, varying}, varying + 2, 3},
    };
    for (const auto &c : cases) {
        char *text = nullptr;
        EXPECT_EQ(XCVT_get_string(&c.desc, &text, nullptr, 0), c.length) << int(c.desc.dtype);
        EXPECT_EQ(static_cast<const void *>(text), c.text) << int(c.desc.dtype);
    }
}

TEST(GetString, OtherKindsAreMovedIntoTheBuffer)
{
    int32_t number = -12;
    const value_desc long_desc{dtype_long_integer, -1, 4, 0, &number};
    internal_date date{};
    struct tm day{};
    day.tm_year = 95;
    day.tm_mon = 2;
    day.tm_mday = 7;
    tdx__encode_date(&day, &date);
    const value_desc date_desc{dtype_date, 0, 8, 0, &date};

    char buffer[20];
    char *text = nullptr;
    uint16_t length = XCVT_get_string(&long_desc, &text, buffer, sizeof buffer);
    EXPECT_EQ(text, buffer + 2);
    EXPECT_EQ(std::string(text, length), "-1.2");

    length = XCVT_get_string(&date_desc, &text, buffer, sizeof buffer);
    EXPECT_EQ(std::string(text, length), " 7-MAR-1995");

    // The move's failures are the caller's.
    EXPECT_TRUE(ends_in_error([&] { XCVT_get_string(&long_desc, &text, buffer, 5); },
                              "overflow during conversion"));
    unsigned char quad[8] = {};
    const value_desc quad_desc{dtype_quadword_integer, 0, 8, 0, quad};
    EXPECT_TRUE(ends_in_bugcheck([&] { XCVT_get_string(&quad_desc, &text, buffer, sizeof buffer); },
                                 "XCVT_move: conversion not done"));
}

// A buffer with no room for its count receives nothing and reads as empty.
TEST(GetString, BufferWithoutRoomForItsCount)
{
    internal_date date{1000, 0};
    const value_desc date_desc{dtype_date, 0, 8, 0, &date};
    char area[3] = {'#', '#', '#'};
    char *text = nullptr;
    EXPECT_EQ(XCVT_get_string(&date_desc, &text, area + 1, 1), 0);
    EXPECT_EQ(std::string(area, 3), "###");
}

// A varying source's count is its own bytes and may say more than the field
// holds: it yields at most length - 2 bytes, and none below length 2. Each
// source sits in a heap buffer of exactly its length, so that a read past it
// shows in the sanitizer build.
TEST(GetString, VaryingSourceIsReadWithinItsLength)
{
    const struct {
        std::vector<unsigned char> bytes;
        std::string text;  // what the source yields
    } cases[] = {
        {{0xFF, 0xFF, '4', '2'}, "42"},     // count 65535 in a 4-byte field
        {{9, 0, '7'}, "7"},                 // count 9, one byte of text
        {{2, 0, 'A', 'B'}, "AB"},           // a count that fits is kept
        {{5, 0}, ""},                       // room for the count only
        {{7}, ""},                          // no room for the count
        {{}, ""},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.bytes.size());
        auto *storage = static_cast<unsigned char *>(std::malloc(c.bytes.size() + (c.bytes.empty() ? 1 : 0)));
        if (!c.bytes.empty())
            std::memcpy(storage, c.bytes.data(), c.bytes.size());
        const value_desc source{dtype_varying_string, 0, static_cast<uint16_t>(c.bytes.size()), 0, storage};
        char *text = nullptr;
        const uint16_t length = XCVT_get_string(&source, &text, nullptr, 0);
        EXPECT_EQ(std::string(text, length), c.text);

        field fixed(dtype_fixed_string, 0, 4);
        const value_desc to = fixed.desc();
        EXPECT_FALSE(forms_core::run_until_report([&] { XCVT_move(&source, &to); }));
        EXPECT_EQ(fixed.text(4), (c.text + "    ").substr(0, 4));
        std::free(storage);
    }
}

struct terminate_case {
    const char *from;
    int16_t length;
    int16_t size;
    std::string expected;  // the whole 8-byte target afterwards
};

TEST(Terminate, CopiesAndEndsWithNul)
{
    const terminate_case cases[] = {
        {"ABCDEF", 6, 4, std::string("ABC\0####", 8)},
        {"ABCDEF", 2, 8, std::string("AB\0#####", 8)},
        {"ABCDEF", 6, 1, std::string("\0#######", 8)},
        {"ABCDEF", -1, 8, std::string("\0#######", 8)},
        {"HELLO", 0, 4, std::string("HEL\0####", 8)},
        {"HELLO", 0, 6, std::string("HELLO\0##", 8)},
        {"HELLO", 0, 8, std::string("HELLO\0##", 8)},
        {"HELLO", 0, 1, std::string("\0#######", 8)},
        {"", 0, 8, std::string("\0#######", 8)},
        // A buffer of no bytes has no room for the NUL: nothing is written.
        {"HELLO", 0, 0, std::string("########", 8)},
        {"HELLO", 5, 0, std::string("########", 8)},
    };
    for (const auto &c : cases) {
        char target[8];
        std::memset(target, '#', sizeof target);
        XCVT_terminate(c.from, target, c.length, c.size);
        EXPECT_EQ(std::string(target, sizeof target), c.expected)
            << c.from << " length " << c.length << " size " << c.size;
    }
}

}  // namespace
