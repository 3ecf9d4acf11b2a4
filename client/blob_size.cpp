// A blob's total length, number of segments and longest segment, asked of
// the client core as one information request.
#include <array>
#include <cstdint>

#include "dbutil.h"

namespace {

// The items in the order the core is asked for them; the list carries no end marker.
constexpr std::array<unsigned char, 3> size_items{
    TDX_INFO_MAX_SEGMENT, TDX_INFO_NUM_SEGMENTS, TDX_INFO_TOTAL_LENGTH};

void store(int32_t *target, int32_t value)
{
    if (target != nullptr)
        *target = value;
}

// Walks the reply clumps and stores the three sizes. A clump whose length
// reaches past the area, or a reply without its end item, is taken as
// damaged: the walk stops there with false.
bool walk_size_reply(const unsigned char *reply, int length, int32_t *total, int32_t *segments,
                     int32_t *longest)
{
    int at = 0;
    while (at < length) {
        const unsigned char item = reply[at++];
        if (item == TDX_INFO_END)
            return true;
        if (item != TDX_INFO_TOTAL_LENGTH && item != TDX_INFO_NUM_SEGMENTS &&
            item != TDX_INFO_MAX_SEGMENT)
            return false;
        if (length - at < 2)
            return false;
        const auto value_length = static_cast<int16_t>(tdx__vax_integer(reply + at, 2));
        at += 2;
        if (value_length < 0 || value_length > length - at)
            return false;
        const int32_t value = tdx__vax_integer(reply + at, value_length);
        at += value_length;
        store(item == TDX_INFO_TOTAL_LENGTH   ? total
              : item == TDX_INFO_NUM_SEGMENTS ? segments
                                              : longest,
              value);
    }
    return false;
}

}  // namespace

extern "C" int32_t tdx__blob_size(tdx_handle *blob_handle, int32_t *length, int32_t *segments,
                                  int32_t *max_segment)
{
    tdx_status status[TDX_STATUS_LENGTH] = {};
    std::array<unsigned char, BLOB_SIZE_REPLY_LENGTH> reply{};
    if (tdx__blob_info(status, blob_handle, static_cast<int16_t>(size_items.size()),
                       size_items.data(), static_cast<int16_t>(reply.size()), reply.data()) != 0) {
        tdx__print_status(status);
        return 0;
    }
    return walk_size_reply(reply.data(), static_cast<int>(reply.size()), length, segments,
                           max_segment)
               ? 1
               : 0;
}
