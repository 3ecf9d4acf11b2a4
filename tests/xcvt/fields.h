// Fields for the value mover tests: a descriptor together with storage of
// its own, and checks for the reports that end a conversion.
#pragma once

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "forms.h"
#include "reports.h"

namespace xcvt_test {

// Storage is prefilled with '#' so that tests see every byte written.
struct field {
    uint8_t dtype = 0;
    int8_t scale = 0;
    uint16_t length = 0;
    alignas(8) unsigned char bytes[512];

    field(uint8_t kind, int8_t scale_, uint16_t length_) : dtype(kind), scale(scale_), length(length_)
    {
        std::memset(bytes, '#', sizeof bytes);
    }
    field(const field &) = delete;
    field &operator=(const field &) = delete;

    value_desc desc() { return value_desc{dtype, scale, length, 0, bytes}; }
    std::string text(size_t count) const { return std::string(reinterpret_cast<const char *>(bytes), count); }
    template <typename T>
    T as() const
    {
        T value;
        std::memcpy(&value, bytes, sizeof value);
        return value;
    }
    template <typename T>
    void put(T value) { std::memcpy(bytes, &value, sizeof value); }
};

// A varying string's 16-bit count as it lies in storage: in the machine's
// own byte order, least significant byte first only on a little-endian one.
inline std::string count_bytes(uint16_t count)
{
    const char low = static_cast<char>(count & 0xff);
    const char high = static_cast<char>(count >> 8);
    static_assert(std::endian::native == std::endian::little ||
                  std::endian::native == std::endian::big);
    return std::endian::native == std::endian::little ? std::string{low, high}
                                                      : std::string{high, low};
}

// Text sources.
inline void fill_fixed(field &f, std::string_view text)
{
    f.dtype = dtype_fixed_string;
    f.length = static_cast<uint16_t>(text.size());
    std::memcpy(f.bytes, text.data(), text.size());
}
inline void fill_terminated(field &f, std::string_view text, uint16_t buffer)
{
    f.dtype = dtype_terminated_string;
    f.length = buffer;
    std::memcpy(f.bytes, text.data(), text.size());
    f.bytes[text.size()] = '\0';
}
inline void fill_varying(field &f, std::string_view text)
{
    f.dtype = dtype_varying_string;
    f.length = static_cast<uint16_t>(text.size() + 2);
    const uint16_t count = static_cast<uint16_t>(text.size());
    std::memcpy(f.bytes, &count, 2);
    std::memcpy(f.bytes + 2, text.data(), text.size());
}

inline const char *kind_name(forms_core::report_kind kind)
{
    return kind == forms_core::report_kind::error ? "NORIX_error" : "NORIX_bugcheck";
}

struct expected_report {
    forms_core::report_kind kind;
    std::string_view message;
};

inline std::string described(const forms_core::forms_report &report)
{
    return std::string(kind_name(report.kind)) + " \"" + report.message + "\"";
}

// Runs body with a forms core whose reports return, as an outside one's may,
// and hands back the reports made, in order.
template <typename F>
std::vector<forms_core::forms_report> reports_returned_by(F &&body)
{
    forms_core::set_report_mode(forms_core::report_mode::returns);
    body();
    forms_core::set_report_mode(forms_core::report_mode::throws);
    return forms_core::take_reports();
}

inline bool same_reports(const std::vector<forms_core::forms_report> &made,
                         const std::vector<expected_report> &expected)
{
    if (made.size() != expected.size())
        return false;
    auto e = expected.begin();
    for (const auto &report : made) {
        if (report.kind != e->kind || report.message != e->message)
            return false;
        ++e;
    }
    return true;
}

// Passes when body ends in the first of the expected reports, and, run again
// with a forms core whose reports return, makes exactly the expected reports
// in order: after a report that returns, the mover stops at once (only the
// failure step with a blob reports twice). Whatever the test checks
// afterwards therefore holds after a report of either kind of forms core.
template <typename F>
::testing::AssertionResult ends_in(F &&body, const std::vector<expected_report> &expected)
{
    const auto report = forms_core::run_until_report(body);
    if (!report)
        return ::testing::AssertionFailure() << "came back without a report";
    const expected_report &first = expected.front();
    if (report->kind != first.kind || report->message != first.message)
        return ::testing::AssertionFailure() << "reported " << described(*report);
    const auto made = reports_returned_by(body);
    if (!same_reports(made, expected)) {
        auto failure = ::testing::AssertionFailure() << "with reports that return, reported";
        for (const auto &r : made)
            failure << " " << described(r);
        return failure;
    }
    return ::testing::AssertionSuccess();
}

template <typename F>
::testing::AssertionResult ends_in_error(F &&body, std::string_view message)
{
    return ends_in(body, {{forms_core::report_kind::error, message}});
}

template <typename F>
::testing::AssertionResult ends_in_bugcheck(F &&body, std::string_view message)
{
    return ends_in(body, {{forms_core::report_kind::bugcheck, message}});
}

// The failure step with a blob on either side: the error, then the bugcheck.
template <typename F>
::testing::AssertionResult ends_in_blob_failure(F &&body)
{
    return ends_in(body, {{forms_core::report_kind::error, "Blob conversion is not supported"},
                          {forms_core::report_kind::bugcheck, "XCVT_move: conversion not done"}});
}

template <typename F>
::testing::AssertionResult comes_back(F &&body)
{
    const auto report = forms_core::run_until_report(body);
    if (report)
        return ::testing::AssertionFailure() << "reported " << described(*report);
    return ::testing::AssertionSuccess();
}

}  // namespace xcvt_test
