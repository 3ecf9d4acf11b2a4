// The one reader of info-reply clumps.
#include "info_reply.h"

#include "dbutil.h"

namespace dbutil {

namespace {

constexpr size_t clump_header = 3;  // item byte and 2-byte length

}  // namespace

bool next_item(const info_reader &reader, unsigned char *item)
{
    if (reader.at >= reader.area)
        return false;
    *item = reader.reply[reader.at];
    return true;
}

bool read_clump(info_reader &reader, length_rule rule, info_value *value)
{
    if (reader.at >= reader.area || reader.area - reader.at < clump_header)
        return false;
    const int32_t word = tdx__vax_integer(reader.reply + reader.at + 1, 2);
    const int32_t length = rule == length_rule::signed_count ? static_cast<int16_t>(word)
                                                             : static_cast<uint16_t>(word);
    const size_t value_at = reader.at + clump_header;
    if (length < 0 || static_cast<size_t>(length) > reader.area - value_at)
        return false;
    *value = info_value{reader.reply + value_at, static_cast<size_t>(length)};
    reader.at = value_at + static_cast<size_t>(length);
    return true;
}

}  // namespace dbutil
