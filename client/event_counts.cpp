// Reading back how often each event of an event block was posted.
#include <cstring>

#include "dbutil.h"

namespace {

constexpr size_t count_width = 4;

uint32_t count_at(const char *block, size_t at)
{
    return static_cast<uint32_t>(
        tdx__vax_integer(reinterpret_cast<const unsigned char *>(block) + at, count_width));
}

}  // namespace

extern "C" void tdx__event_counts(uint32_t *result_vector, uint16_t buffer_length,
                                  char *event_buffer, char *result_buffer)
{
    // Both blocks are walked by the event block's name lengths; the result
    // block's own name bytes are not read.
    const size_t end = buffer_length;
    size_t at = 1;
    while (at < end) {
        const size_t count_position = at + 1 + static_cast<unsigned char>(event_buffer[at]);
        // A record cut short by the given length has no count to compare.
        if (count_position + count_width > end)
            break;
        // The old count is read before the new one.
        const uint32_t old_count = count_at(event_buffer, count_position);
        const uint32_t new_count = count_at(result_buffer, count_position);
        *result_vector++ = new_count - old_count;
        at = count_position + count_width;
    }
    // The new counts become the base of the next comparison.
    if (end > 0)
        std::memcpy(event_buffer, result_buffer, end);
}
