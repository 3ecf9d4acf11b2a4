// Fields for the value mover tests: a descriptor together with storage of
// its own, and a check for the report that ends a conversion.
#pragma once

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

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

// Passes when body ends in exactly this report.
template <typename F>
::testing::AssertionResult ends_in(F &&body, forms_core::report_kind kind, std::string_view message)
{
    const auto report = forms_core::run_until_report(body);
    if (!report)
        return ::testing::AssertionFailure() << "came back without a report";
    if (report->kind != kind || report->message != message)
        return ::testing::AssertionFailure()
               << "reported " << kind_name(report->kind) << " \"" << report->message << "\"";
    return ::testing::AssertionSuccess();
}

template <typename F>
::testing::AssertionResult ends_in_error(F &&body, std::string_view message)
{
    return ends_in(body, forms_core::report_kind::error, message);
}

template <typename F>
::testing::AssertionResult ends_in_bugcheck(F &&body, std::string_view message)
{
    return ends_in(body, forms_core::report_kind::bugcheck, message);
}

template <typename F>
::testing::AssertionResult comes_back(F &&body)
{
    const auto report = forms_core::run_until_report(body);
    if (report)
        return ::testing::AssertionFailure()
               << "reported " << kind_name(report->kind) << " \"" << report->message << "\"";
    return ::testing::AssertionSuccess();
}

}  // namespace xcvt_test
