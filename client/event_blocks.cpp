// Building an event block and its result block from a list of event names.
#include <cstdarg>
#include <cstdint>
#include <cstring>

#include "dbutil.h"

namespace {

constexpr size_t count_width = 4;
constexpr int64_t largest_array_block = UINT16_MAX;  // the array forms return a 16-bit length

// Bytes up to and including the last one that is not a blank.
size_t trimmed_length(const char *name, size_t length)
{
    while (length > 0 && name[length - 1] == ' ')
        --length;
    return length;
}

// Allocates both buffers with the same size; when the second cannot be had,
// the first is released so that nothing stays allocated.
bool allocate_pair(char **event_buffer, char **result_buffer, int32_t size)
{
    *event_buffer = static_cast<char *>(tdx__alloc(size));
    if (*event_buffer == nullptr)
        return false;
    *result_buffer = static_cast<char *>(tdx__alloc(size));
    if (*result_buffer == nullptr) {
        tdx__free(*event_buffer);
        *event_buffer = nullptr;
        return false;
    }
    return true;
}

// Writes one name record with a zero count; returns the byte after it.
char *put_record(char *at, const char *name, size_t length)
{
    *at++ = static_cast<char>(length);
    std::memcpy(at, name, length);
    at += length;
    std::memset(at, 0, count_width);
    return at + count_width;
}

}  // namespace

extern "C" int32_t tdx__event_block(char **event_buffer, char **result_buffer, int16_t count, ...)
{
    va_list names;
    // The interface fixes a 16-bit count before the names, a type that
    // default promotion widens. The compilers' va_start finds the variable
    // arguments from the call's frame, whatever the last named parameter's
    // type, so the names are read right; clang warns of the promotion all
    // the same.
#ifdef __clang__
#pragma clang diagnostic push
#pragma clang diagnostic ignored "-Wvarargs"
#endif
    va_start(names, count);
#ifdef __clang__
#pragma clang diagnostic pop
#endif
    // The names are read twice: once to size the buffers, once to fill them.
    va_list again;
    va_copy(again, names);

    // The buffers count each name's trailing blanks too.
    int64_t size = 1;
    bool fits = true;
    for (int32_t i = 0; i < count; ++i) {
        const char *name = va_arg(names, const char *);
        const size_t length = std::strlen(name);
        fits = fits && trimmed_length(name, length) <= EVENT_NAME_MAX_LENGTH;
        size += static_cast<int64_t>(length + 1 + count_width);
    }
    va_end(names);

    // A name that its length byte cannot carry is refused, not cut: a cut
    // name would wait for another event.
    if (!fits || size > INT32_MAX) {
        *event_buffer = nullptr;
        va_end(again);
        return 0;
    }
    if (!allocate_pair(event_buffer, result_buffer, static_cast<int32_t>(size))) {
        va_end(again);
        return 0;
    }
    char *at = *event_buffer;
    *at++ = EVENT_BLOCK_VERSION;
    for (int32_t i = 0; i < count; ++i) {
        const char *name = va_arg(again, const char *);
        at = put_record(at, name, trimmed_length(name, std::strlen(name)));
    }
    va_end(again);
    return static_cast<int32_t>(at - *event_buffer);
}

extern "C" uint16_t tdx__event_block_a(char **event_buffer, char **result_buffer, int16_t count,
                                       const char *const *names)
{
    int64_t size = 1;
    for (int32_t i = 0; i < count; ++i)
        size += static_cast<int64_t>(trimmed_length(names[i], EVENT_NAME_WIDTH) + 1 + count_width);
    // A block whose length the 16-bit result cannot carry is refused.
    if (size > largest_array_block) {
        *event_buffer = nullptr;
        return 0;
    }
    if (!allocate_pair(event_buffer, result_buffer, static_cast<int32_t>(size)))
        return 0;
    char *at = *event_buffer;
    *at++ = EVENT_BLOCK_VERSION;
    for (int32_t i = 0; i < count; ++i)
        at = put_record(at, names[i], trimmed_length(names[i], EVENT_NAME_WIDTH));
    return static_cast<uint16_t>(at - *event_buffer);
}

extern "C" uint16_t tdx__event_block_s(char **event_buffer, char **result_buffer, int16_t count,
                                       const char *const *names, uint16_t *return_count)
{
    const uint16_t length = tdx__event_block_a(event_buffer, result_buffer, count, names);
    if (return_count != nullptr)
        *return_count = length;
    return length;
}
