// Appending string clumps to a database parameter block. A block that grows
// moves into a fresh buffer of exactly its new length; the old buffer may be
// the caller's own array, so it is never written or released here.
#include <algorithm>
#include <array>
#include <cstdarg>
#include <cstring>

#include "dbutil.h"

namespace {

constexpr std::array<uint16_t, 5> string_tags{DPB_USER, DPB_PASSWORD, DPB_STRING_47,
                                              DPB_STRING_48, DPB_SINGLE_USER};

constexpr char out_of_memory[] = "mvt_extend_dpb: out of memory";

// Only the low 16 bits of a tag argument count.
bool is_string_tag(int32_t tag)
{
    const auto low = static_cast<uint16_t>(tag);
    return std::find(string_tags.begin(), string_tags.end(), low) != string_tags.end();
}

// Bytes the caller's block holds; a null pointer holds none whatever the length.
int32_t held_length(const char *dpb, int16_t length)
{
    return dpb == nullptr ? 0 : length;
}

// Length of the block once `added` bytes of clumps follow it.
int32_t needed_length(int32_t held, int32_t added)
{
    return (held == 0 ? 1 : held) + added;
}

// A fresh buffer of new_length bytes starting with the old block (and the
// version byte when the old block was empty); null, with the message logged,
// when memory runs out. `written` receives the bytes already in place.
char *grown_copy(const char *dpb, int32_t held, int32_t new_length, int32_t *written)
{
    auto *buffer = static_cast<char *>(tdx__alloc(new_length));
    if (buffer == nullptr) {
        tdx__log(out_of_memory);
        return nullptr;
    }
    if (held > 0)
        std::memcpy(buffer, dpb, static_cast<size_t>(held));
    *written = held;
    if (held == 0)
        buffer[(*written)++] = DPB_VERSION;
    return buffer;
}

char *put_clump(char *at, int32_t tag, const char *value, size_t length)
{
    *at++ = static_cast<char>(tag & 0xFF);
    *at++ = static_cast<char>(length & 0xFF);
    std::memcpy(at, value, length);
    return at + length;
}

}  // namespace

extern "C" void mvt_expand_dpb(char **dpb, int16_t *dpb_length, ...)
{
    const int32_t held = held_length(*dpb, *dpb_length);
    va_list pairs;
    va_start(pairs, dpb_length);
    // The list is read twice: once to size the block, once to fill it.
    va_list again;
    va_copy(again, pairs);

    // A request the format cannot carry is refused whole, so that no length
    // byte or block length is ever written wrong.
    bool fits = true;
    int32_t added = 0;
    while (fits) {
        const int32_t tag = va_arg(pairs, int);
        if (static_cast<uint16_t>(tag) == 0)
            break;
        const char *value = va_arg(pairs, const char *);
        if (!is_string_tag(tag) || value == nullptr)
            continue;
        const size_t length = std::strlen(value);
        fits = length <= DPB_MAX_VALUE_LENGTH;
        if (fits)
            added += static_cast<int32_t>(length) + 2;
        fits = fits && needed_length(held, added) <= DPB_MAX_LENGTH;
    }
    va_end(pairs);
    // A negative length describes no block that could be copied; with nothing
    // to add it is left alone like any other block.
    fits = fits && (held >= 0 || added == 0);

    const int32_t needed = needed_length(held, added);
    if (!fits) {
        tdx__log(out_of_memory);
    } else if (held < needed) {
        int32_t written = 0;
        char *buffer = grown_copy(*dpb, held, needed, &written);
        if (buffer != nullptr) {
            char *at = buffer + written;
            for (;;) {
                const int32_t tag = va_arg(again, int);
                if (static_cast<uint16_t>(tag) == 0)
                    break;
                const char *value = va_arg(again, const char *);
                if (is_string_tag(tag) && value != nullptr)
                    at = put_clump(at, tag, value, std::strlen(value));
            }
            *dpb = buffer;
            *dpb_length = static_cast<int16_t>(at - buffer);
        }
    }
    // else: a non-empty block with nothing to add stays where it is.
    va_end(again);
}

extern "C" int32_t mvt_modify_dpb(char **dpb, int16_t *dpb_length, int32_t tag, const char *value,
                                  int16_t value_length)
{
    if (!is_string_tag(tag))
        return 1;
    const int32_t held = held_length(*dpb, *dpb_length);
    const int32_t needed = needed_length(held, 2 + value_length);
    if (held < 0 || value_length < 0 || value_length > DPB_MAX_VALUE_LENGTH ||
        needed > DPB_MAX_LENGTH) {
        tdx__log(out_of_memory);
        return 1;
    }
    // The buffer has room for the clump even when the value is null.
    int32_t written = 0;
    char *buffer = grown_copy(*dpb, held, needed, &written);
    if (buffer == nullptr)
        return 1;
    char *at = buffer + written;
    if (value != nullptr)
        at = put_clump(at, tag, value, static_cast<size_t>(value_length));
    *dpb = buffer;
    *dpb_length = static_cast<int16_t>(at - buffer);
    return 0;
}
