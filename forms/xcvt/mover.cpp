// The value mover: picks the conversion from the destination's and the
// source's datatypes and stores the result into the destination.
#include <cstdint>
#include <cstring>

#include "xcvt_internal.h"

namespace {

constexpr uint32_t quadword_width = 8;

bool same_layout(const value_desc *from, const value_desc *to)
{
    return from->dtype == to->dtype && from->scale == to->scale && from->length == to->length;
}

// No conversion exists between the two kinds.
bool refuse(const value_desc *from, const value_desc *to)
{
    // A blob on either side is reported to the user first; the bugcheck
    // follows, should a forms core come back from the error.
    if (from->dtype == dtype_blob || to->dtype == dtype_blob)
        NORIX_error("Blob conversion is not supported");
    return xcvt_internal::report_bugcheck("XCVT_move: conversion not done");
}

bool move_into_text(const value_desc *from, const value_desc *to)
{
    if (xcvt_internal::is_text(from->dtype)) {
        char *text = nullptr;
        const uint16_t length = xcvt_internal::text_of(from, &text);
        xcvt_internal::store_text(text, length, to);
        return true;
    }
    if (xcvt_internal::is_number(from->dtype))
        return xcvt_internal::move_number_into_text(from, to);
    if (from->dtype == dtype_date) {
        xcvt_internal::move_date_into_text(from, to);
        return true;
    }
    return refuse(from, to);
}

bool move_into_short(const value_desc *from, const value_desc *to)
{
    int32_t value = 0;
    if (!xcvt_internal::read_long(from, to->scale, &value))
        return false;
    // The low 16 bits stay in the field even when the value does not fit.
    const int16_t low = static_cast<int16_t>(static_cast<uint16_t>(value));
    std::memcpy(to->address, &low, sizeof low);
    if (value < INT16_MIN || value > INT16_MAX)
        return xcvt_internal::report_error("integer overflow");
    return true;
}

bool move_into_long(const value_desc *from, const value_desc *to)
{
    int32_t value = 0;
    if (!xcvt_internal::read_long(from, to->scale, &value))
        return false;
    std::memcpy(to->address, &value, sizeof value);
    return true;
}

bool move_into_single(const value_desc *from, const value_desc *to)
{
    double value = 0.0;
    if (!xcvt_internal::read_double(from, &value))
        return false;
    const float narrowed = static_cast<float>(value);
    std::memcpy(to->address, &narrowed, sizeof narrowed);
    return true;
}

bool move_into_double(const value_desc *from, const value_desc *to)
{
    double value = 0.0;
    if (!xcvt_internal::read_double(from, &value))
        return false;
    std::memcpy(to->address, &value, sizeof value);
    return true;
}

// Quadwords and blob ids only ever exchange their 8 bytes with each other.
bool move_eight_bytes(const value_desc *from, const value_desc *to, uint8_t source_kind)
{
    if (from->dtype != source_kind)
        return refuse(from, to);
    XCVT_fast(from->address, to->address, quadword_width);
    return true;
}

}  // namespace

namespace xcvt_internal {

bool move_value(const value_desc *from, const value_desc *to)
{
    if (same_layout(from, to)) {
        XCVT_fast(from->address, to->address, from->length);
        return true;
    }
    switch (to->dtype) {
    case dtype_fixed_string:
    case dtype_terminated_string:
    case dtype_varying_string:
        return move_into_text(from, to);
    case dtype_short_integer:
        return move_into_short(from, to);
    case dtype_long_integer:
        return move_into_long(from, to);
    case dtype_single_float:
        return move_into_single(from, to);
    case dtype_double_float:
        return move_into_double(from, to);
    case dtype_date:
        if (is_text(from->dtype))
            return move_text_into_date(from, to);
        return refuse(from, to);
    case dtype_quadword_integer:
        return move_eight_bytes(from, to, dtype_blob);
    case dtype_blob:
        return move_eight_bytes(from, to, dtype_quadword_integer);
    default:
        return refuse(from, to);
    }
}

}  // namespace xcvt_internal

extern "C" void XCVT_move(const value_desc *from, const value_desc *to)
{
    xcvt_internal::move_value(from, to);
}
