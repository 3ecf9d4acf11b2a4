// Text values: reading any value as text, storing text into the three text
// kinds, the NUL-terminating copy and the plain byte copier.
#include <cstdint>
#include <cstring>

#include "xcvt_internal.h"

namespace {

// A varying string starts with its 16-bit count.
constexpr uint16_t count_width = 2;

uint16_t stored_count(const void *address)
{
    uint16_t count;
    std::memcpy(&count, address, sizeof count);
    return count;
}

}  // namespace

namespace xcvt_internal {

// Text lengths are unsigned 16-bit counts here: a text of more than 32767
// bytes is copied as far as the destination has room, never taken as a
// negative length.
uint16_t text_of(const value_desc *desc, char **text)
{
    char *address = static_cast<char *>(desc->address);
    *text = address;
    if (desc->dtype == dtype_fixed_string)
        return desc->length;
    if (desc->dtype == dtype_terminated_string) {
        const uint16_t limit = desc->length == 0 ? 0 : desc->length - 1;
        const void *nul = limit == 0 ? nullptr : std::memchr(address, 0, limit);
        return nul ? static_cast<uint16_t>(static_cast<const char *>(nul) - address) : limit;
    }
    // A varying string's count comes from the field's own bytes: a count
    // beyond the buffer is cut to it, and a buffer with no room for the count
    // holds no text (nor is a count read from it).
    if (desc->length < count_width)
        return 0;
    const uint16_t room = desc->length - count_width;
    const uint16_t count = stored_count(address);
    *text = address + count_width;
    return count < room ? count : room;
}

// Stores text by the destination's kind: a fixed field is filled up with
// blanks, a terminated one ends with a NUL, a varying one gets its count.
// Text that does not fit is cut. A terminated field of length 0 or a
// varying one below 2 has no room for its NUL or count and gets nothing.
void store_text(const char *text, uint16_t length, const value_desc *to)
{
    char *address = static_cast<char *>(to->address);
    switch (to->dtype) {
    case dtype_fixed_string: {
        const uint16_t copied = length < to->length ? length : to->length;
        XCVT_fast(text, address, copied);
        for (uint16_t i = copied; i < to->length; ++i)
            address[i] = ' ';
        break;
    }
    case dtype_terminated_string: {
        if (to->length == 0)
            break;
        const uint16_t room = to->length - 1;
        const uint16_t copied = length < room ? length : room;
        XCVT_fast(text, address, copied);
        address[copied] = '\0';
        break;
    }
    case dtype_varying_string: {
        if (to->length < count_width)
            break;
        const uint16_t room = to->length - count_width;
        const uint16_t copied = length < room ? length : room;
        std::memcpy(address, &copied, sizeof copied);
        XCVT_fast(text, address + count_width, copied);
        break;
    }
    default:
        break;
    }
}

}  // namespace xcvt_internal

extern "C" {

uint16_t XCVT_get_string(const value_desc *desc, char **text_out, char *buffer,
                         uint16_t buffer_length)
{
    if (xcvt_internal::is_text(desc->dtype))
        return xcvt_internal::text_of(desc, text_out);
    // After a report that returned, the caller's pointer is left as it was
    // and the result is 0.
    const value_desc varying{dtype_varying_string, 0, buffer_length, 2, buffer};
    if (!xcvt_internal::move_value(desc, &varying))
        return 0;
    if (buffer_length < count_width) {
        *text_out = buffer;  // no room even for the count: the move wrote nothing
        return 0;
    }
    *text_out = buffer + count_width;
    return stored_count(buffer);
}

void XCVT_terminate(const char *from, char *to, int16_t length, int16_t size)
{
    // A buffer of no bytes has no room even for the NUL.
    if (size == 0)
        return;
    if (length != 0) {
        const int16_t room = static_cast<int16_t>(size - 1);
        const int16_t copied = length < room ? length : room;
        int16_t i = 0;
        for (; i < copied; ++i)
            to[i] = from[i];
        to[i] = '\0';
        return;
    }
    const uint16_t limit = static_cast<uint16_t>(size);
    uint16_t i = 0;
    for (; i < limit; ++i) {
        to[i] = from[i];
        if (from[i] == '\0')
            return;
    }
    to[limit - 1] = '\0';
}

void XCVT_fast(const void *from, void *to, uint32_t count)
{
    const unsigned char *source = static_cast<const unsigned char *>(from);
    unsigned char *target = static_cast<unsigned char *>(to);
    for (uint32_t i = 0; i < count; ++i)
        target[i] = source[i];
}

}  // extern "C"
