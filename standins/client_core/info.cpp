// Info replies of the stand-in core: what serves an attached database.
#include <cstring>
#include <string_view>
#include <vector>

#include "core_state.h"

namespace {

using Bytes = std::vector<unsigned char>;

void add_clump(Bytes &out, unsigned char item, const Bytes &value)
{
    out.push_back(item);
    out.push_back(static_cast<unsigned char>(value.size() & 0xFF));
    out.push_back(static_cast<unsigned char>(value.size() >> 8));
    out.insert(out.end(), value.begin(), value.end());
}

// The stand-in's own layers: a Y-valve over an access method.
struct Layer {
    unsigned char implementation;
    unsigned char class_code;
    std::string_view version;
};
constexpr Layer layers[] = {
    {30, 2, "LX-V4.0G Morvanta stand-in Y-valve"},
    {50, 1, "LX-V4.0G Morvanta stand-in access method"},
};
constexpr unsigned ods_major = 9;
constexpr unsigned ods_minor = 1;

Bytes value_of(unsigned char item)
{
    Bytes value;
    switch (item) {
    case TDX_INFO_IMPLEMENTATION:
        value.push_back(std::size(layers));
        for (const Layer &layer : layers) {
            value.push_back(layer.implementation);
            value.push_back(layer.class_code);
        }
        break;
    case TDX_INFO_VERSION:
        value.push_back(std::size(layers));
        for (const Layer &layer : layers) {
            value.push_back(static_cast<unsigned char>(layer.version.size()));
            value.insert(value.end(), layer.version.begin(), layer.version.end());
        }
        break;
    case TDX_INFO_ODS_VERSION:
        value = {ods_major & 0xFF, ods_major >> 8};
        break;
    case TDX_INFO_ODS_MINOR:
        value = {ods_minor & 0xFF, ods_minor >> 8};
        break;
    }
    return value;
}

}  // namespace

namespace core {

void put_reply(const unsigned char *full, int full_length, unsigned char *reply,
               uint16_t reply_length)
{
    if (reply_length == 0)
        return;
    if (full_length <= static_cast<int>(reply_length)) {
        std::memcpy(reply, full, static_cast<size_t>(full_length));
        return;
    }
    // Keep the whole clumps that fit before a final item 2.
    int kept = 0;
    while (kept < full_length && full[kept] != TDX_INFO_END) {
        const int clump = 3 + (full[kept + 1] | (full[kept + 2] << 8));
        if (kept + clump + 1 > static_cast<int>(reply_length))
            break;
        kept += clump;
    }
    std::memcpy(reply, full, static_cast<size_t>(kept));
    reply[kept] = TDX_INFO_TRUNCATED;
}

}  // namespace core

extern "C" int32_t mvt_database_info(tdx_status *status, tdx_handle *db_handle,
                                     int16_t item_length, const unsigned char *items,
                                     int16_t reply_length, unsigned char *reply)
{
    if (core::should_fail(TDXC_INFO))
        return core::set_status(status, TDXC_INFO_REFUSED);
    if (!core::database_attached(*db_handle))
        return core::set_status(status, TDXC_BAD_DB_HANDLE);
    const auto area = static_cast<uint16_t>(reply_length);
    if (core::take_scripted_info(reply, area))
        return core::set_status(status, 0);
    Bytes full;
    for (int i = 0; i < item_length && items[i] != TDX_INFO_END; ++i) {
        const unsigned char item = items[i];
        const Bytes value = value_of(item);
        if (value.empty())
            continue;  // items this stand-in does not know are left out
        add_clump(full, item, value);
    }
    full.push_back(TDX_INFO_END);
    core::put_reply(full.data(), static_cast<int>(full.size()), reply, area);
    return core::set_status(status, 0);
}
