// A forms core may come back from NORIX_error or NORIX_bugcheck. The mover
// then stops at once (the checks of fields.h run every failure both ways);
// these cases hold what the extraction entry points give back then: 0, with
// their outputs through pointers left as they were.
#include <functional>

#include "fields.h"

using namespace xcvt_test;

namespace {

constexpr expected_report conversion_error{forms_core::report_kind::error, "conversion error"};
constexpr expected_report not_implemented{forms_core::report_kind::bugcheck,
                                          "conversion not implemented"};
constexpr expected_report not_done{forms_core::report_kind::bugcheck,
                                   "XCVT_move: conversion not done"};
constexpr expected_report blob_error{forms_core::report_kind::error,
                                     "Blob conversion is not supported"};
constexpr expected_report no_room{forms_core::report_kind::error, "overflow during conversion"};
constexpr expected_report no_date{forms_core::report_kind::error,
                                  "Error converting string \"31-FEB-1995\" to date"};

value_desc text(const char *characters)
{
    return value_desc{dtype_fixed_string, 0, static_cast<uint16_t>(std::strlen(characters)), 0,
                      const_cast<char *>(characters)};
}

TEST(ReturningReports, ExtractionGivesZero)
{
    unsigned char eight_bytes[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    int16_t small = 5;
    const value_desc quadword{dtype_quadword_integer, 0, 8, 0, eight_bytes};
    const value_desc date{dtype_date, 0, 8, 0, eight_bytes};
    const value_desc blob{dtype_blob, 0, 8, 0, eight_bytes};
    const value_desc short_value{dtype_short_integer, 0, 2, 0, &small};
    int32_t mantissa = 77;
    const struct {
        const char *what;
        std::function<double()> call;
        std::vector<expected_report> reports;
    } cases[] = {
        {"decompose, bad mantissa", [&] { return XCVT_decompose("12-", 3, &mantissa); },
         {conversion_error}},
        {"decompose, bad exponent", [&] { return XCVT_decompose("1e2.5", 5, &mantissa); },
         {conversion_error}},
        {"get_long, text", [] { const value_desc d = text("1..2"); return XCVT_get_long(&d, 0); },
         {conversion_error}},
        {"get_long, quadword", [&] { return XCVT_get_long(&quadword, 0); }, {not_implemented}},
        {"get_double, bad mantissa", [] { const value_desc d = text("91x"); return XCVT_get_double(&d); },
         {conversion_error}},
        {"get_double, bad exponent", [] { const value_desc d = text("9e2x"); return XCVT_get_double(&d); },
         {conversion_error}},
        {"get_double, date", [&] { return XCVT_get_double(&date); }, {not_implemented}},
        {"date_to_double, text", [] { const value_desc d = text("31-FEB-1995"); return XCVT_date_to_double(&d); },
         {no_date}},
        {"date_to_double, short", [&] { return XCVT_date_to_double(&short_value); }, {not_done}},
        {"date_to_double, blob", [&] { return XCVT_date_to_double(&blob); }, {blob_error, not_done}},
    };
    for (const auto &c : cases) {
        double result = -1.0;
        const auto made = reports_returned_by([&] { result = c.call(); });
        EXPECT_TRUE(same_reports(made, c.reports)) << c.what;
        EXPECT_EQ(result, 0.0) << c.what;
    }
    EXPECT_EQ(mantissa, 77);
}

// The text pointer stays as the caller left it, and the buffer is not
// written.
TEST(ReturningReports, GetStringGivesZeroAndLeavesItsPointer)
{
    int32_t number = -12345;
    unsigned char eight_bytes[8] = {};
    const struct {
        const char *what;
        value_desc desc;
        uint16_t buffer_length;
        std::vector<expected_report> reports;
    } cases[] = {
        {"number too long for the buffer", {dtype_long_integer, -1, 4, 0, &number}, 7, {no_room}},
        {"quadword", {dtype_quadword_integer, 0, 8, 0, eight_bytes}, 20, {not_done}},
        {"blob", {dtype_blob, 0, 8, 0, eight_bytes}, 20, {blob_error, not_done}},
    };
    for (const auto &c : cases) {
        char buffer[24];
        std::memset(buffer, '#', sizeof buffer);
        char untouched = 0;
        char *text_out = &untouched;
        uint16_t length = 99;
        const auto made = reports_returned_by(
            [&] { length = XCVT_get_string(&c.desc, &text_out, buffer, c.buffer_length); });
        EXPECT_TRUE(same_reports(made, c.reports)) << c.what;
        EXPECT_EQ(length, 0) << c.what;
        EXPECT_EQ(text_out, &untouched) << c.what;
        EXPECT_EQ(std::string(buffer, sizeof buffer), std::string(sizeof buffer, '#')) << c.what;
    }
}

}  // namespace
