// The version report: one line per software layer serving an attached
// database, then its on-disk structure version.
#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>

#include "dbutil.h"
#include "implementation_names.h"
#include "info_reply.h"

namespace {

using dbutil::info_reader;
using dbutil::info_value;
using dbutil::length_rule;

constexpr std::array<unsigned char, 3> info{TDX_INFO_VERSION, TDX_INFO_IMPLEMENTATION,
                                            TDX_INFO_END};
constexpr std::array<unsigned char, 3> ods_info{TDX_INFO_ODS_VERSION, TDX_INFO_ODS_MINOR,
                                                TDX_INFO_END};

// The area grows to 64768 bytes, the last size below the 16-bit limit.
static_assert(VERSION_FIRST_REPLY + VERSION_REPLY_GROWTH * 63 <= VERSION_LARGEST_REPLY);
static_assert(VERSION_FIRST_REPLY + VERSION_REPLY_GROWTH * 64 > VERSION_LARGEST_REPLY);

// The info call's prototype takes the length as int16_t; the core reads the
// bit pattern as an unsigned count, so areas above 32767 bytes pass whole.
int16_t area_length_word(int32_t length)
{
    return static_cast<int16_t>(static_cast<uint16_t>(length));
}

// Hands a line to the caller's routine, or to the standard output.
struct line_printer {
    tdx_version_callback routine;
    void *argument;

    void print(const char *line) const
    {
        if (routine == nullptr)
            std::printf("\t%s\n", line);
        else
            routine(argument, line);
    }
};

struct components {
    info_value codes;  // item 11: count byte, then pairs of implementation and class code
    info_value texts;  // item 12: count byte, then counted version texts
};

enum class walk_result { complete, truncated, unusable };

// Finds items 11 and 12 in a reply without reading past its area. The walk
// ends at item 1 or at the area's end.
walk_result find_components(const unsigned char *reply, size_t area, components *found)
{
    info_reader reader{reply, area};
    for (unsigned char item; dbutil::next_item(reader, &item) && item != TDX_INFO_END;) {
        info_value value;
        if (item == TDX_INFO_TRUNCATED) {
            // Nothing of the mark's clump is used, but its length is read as
            // for any clump when it lies inside the area: a core sees that
            // read, and the core may end a cut reply with the bare item byte.
            dbutil::read_clump(reader, length_rule::unsigned_count, &value);
            return walk_result::truncated;
        }
        if (!dbutil::read_clump(reader, length_rule::unsigned_count, &value))
            return walk_result::unusable;
        if (item == TDX_INFO_IMPLEMENTATION)
            found->codes = value;
        else if (item == TDX_INFO_VERSION)
            found->texts = value;
        else
            return walk_result::unusable;
    }
    return walk_result::complete;
}

// Hands out one line per component, as many as the smaller count byte says.
// False when item 11 or 12 is missing, or when an entry that a line needs is
// not in its clump; the lines before it stay handed out.
bool print_components(const components &found, const line_printer &printer)
{
    const info_value &codes = found.codes;
    const info_value &texts = found.texts;
    if (codes.length == 0 || texts.length == 0)
        return false;
    // The count bytes are signed: a count above 127 prints nothing.
    const int count = std::min(static_cast<int>(static_cast<signed char>(codes.bytes[0])),
                               static_cast<int>(static_cast<signed char>(texts.bytes[0])));
    size_t code_at = 1;
    size_t text_at = 1;
    for (int i = 0; i < count; ++i) {
        if (code_at + 2 > codes.length || text_at + 1 > texts.length)
            return false;
        const size_t text_length = texts.bytes[text_at];
        if (text_at + 1 + text_length > texts.length)
            return false;
        // Lines that do not fit their area are cut.
        char line[VERSION_LINE_AREA];
        (void)std::snprintf(line, sizeof line, "%s (%s), version \"%.*s\"",
                            dbutil::implementation_name(codes.bytes[code_at]),
                            dbutil::class_name(codes.bytes[code_at + 1]),
                            static_cast<int>(text_length),
                            reinterpret_cast<const char *>(texts.bytes + text_at + 1));
        printer.print(line);
        code_at += 2;
        text_at += 1 + text_length;
    }
    return true;
}

void release(unsigned char *reply, const unsigned char *own_area)
{
    if (reply != own_area)
        tdx__free(reply);
}

// Asks the on-disk structure version and minor version: 0 on success, 1 when
// the request fails or the reply holds another item or runs past its area
// without item 1. Each value is read before its item is looked at, as the
// core has always seen it read. File-local, so that a program may use the
// name for its own routine.
int32_t get_ods_version(tdx_handle *db_handle, uint16_t *version, uint16_t *minor)
{
    tdx_status status[TDX_STATUS_LENGTH] = {};
    std::array<unsigned char, VERSION_ODS_REPLY> reply{};
    mvt_database_info(status, db_handle, static_cast<int16_t>(ods_info.size()), ods_info.data(),
                      static_cast<int16_t>(reply.size()), reply.data());
    if (status[1] != 0)
        return 1;
    info_reader reader{reply.data(), reply.size()};
    for (;;) {
        unsigned char item = 0;
        if (!dbutil::next_item(reader, &item))
            return 1;  // ran to the end of the area without item 1
        if (item == TDX_INFO_END)
            return 0;
        info_value value;
        if (!dbutil::read_clump(reader, length_rule::unsigned_count, &value))
            return 1;
        const auto number =
            static_cast<uint16_t>(tdx__vax_integer(value.bytes, static_cast<int16_t>(value.length)));
        if (item == TDX_INFO_ODS_VERSION)
            *version = number;
        else if (item == TDX_INFO_ODS_MINOR)
            *minor = number;
        else
            return 1;
    }
}

}  // namespace

extern "C" int32_t tdx__version(tdx_handle *db_handle, tdx_version_callback routine, void *argument)
{
    const line_printer printer{routine, argument};
    // The usual reply fits this area, so the usual report allocates nothing.
    // Areas start zeroed so that a short reply is never followed by stale bytes.
    std::array<unsigned char, VERSION_FIRST_REPLY> own_area{};
    unsigned char *reply = own_area.data();
    int32_t reply_length = VERSION_FIRST_REPLY;
    components found;
    for (;;) {
        tdx_status status[TDX_STATUS_LENGTH] = {};
        if (mvt_database_info(status, db_handle, static_cast<int16_t>(info.size()), info.data(),
                              area_length_word(reply_length), reply) != 0) {
            release(reply, own_area.data());
            return 1;
        }
        found = components{};
        const walk_result walk = find_components(reply, static_cast<size_t>(reply_length), &found);
        if (walk == walk_result::complete)
            break;
        release(reply, own_area.data());
        // A larger area could not be described to the info call: a reply
        // still cut at the largest area is not printed in part; the report
        // fails as for any other unusable reply.
        if (walk == walk_result::unusable ||
            reply_length + VERSION_REPLY_GROWTH > VERSION_LARGEST_REPLY)
            return 1;
        reply_length += VERSION_REPLY_GROWTH;
        reply = static_cast<unsigned char *>(tdx__alloc(reply_length));
        if (reply == nullptr)
            return 1;
        std::memset(reply, 0, static_cast<size_t>(reply_length));
    }
    const bool complete = print_components(found, printer);
    release(reply, own_area.data());
    if (!complete)
        return 1;

    uint16_t version = 0;
    uint16_t minor = 0;
    if (get_ods_version(db_handle, &version, &minor) != 0)
        return 1;
    char line[VERSION_LINE_AREA];
    // Two 16-bit numbers always fit.
    (void)std::snprintf(line, sizeof line, "on disk structure version %d.%d", version, minor);
    printer.print(line);
    return 0;
}
