// A blob's total length, number of segments and longest segment, asked of
// the client core as one information request.
#include <algorithm>
#include <array>
#include <cstdint>

#include "dbutil.h"
#include "info_reply.h"

namespace {

// The items in the order the core is asked for them; the list carries no end marker.
constexpr std::array<unsigned char, 3> size_items{
    TDX_INFO_MAX_SEGMENT, TDX_INFO_NUM_SEGMENTS, TDX_INFO_TOTAL_LENGTH};

bool is_size_item(unsigned char item)
{
    return std::find(size_items.begin(), size_items.end(), item) != size_items.end();
}

void store(int32_t *target, int32_t value)
{
    if (target != nullptr)
        *target = value;
}

// Walks the reply and stores the three sizes. An item other than the three
// ends the walk before its length is read; lengths are signed, and a clump
// that runs past the area, or a reply without its end item, is taken as
// damaged: the walk stops there with false.
bool walk_size_reply(const unsigned char *reply, size_t area, int32_t *total, int32_t *segments,
                     int32_t *longest)
{
    dbutil::info_reader reader{reply, area};
    for (unsigned char item; dbutil::next_item(reader, &item);) {
        if (item == TDX_INFO_END)
            return true;
        dbutil::info_value value;
        if (!is_size_item(item) ||
            !dbutil::read_clump(reader, dbutil::length_rule::signed_count, &value))
            return false;
        store(item == TDX_INFO_TOTAL_LENGTH   ? total
              : item == TDX_INFO_NUM_SEGMENTS ? segments
                                              : longest,
              tdx__vax_integer(value.bytes, static_cast<int16_t>(value.length)));
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
    return walk_size_reply(reply.data(), reply.size(), length, segments, max_segment) ? 1 : 0;
}
