// The version report: one line per software layer serving an attached
// database, then its on-disk structure version.
#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>

#include "dbutil.h"
#include "implementation_names.h"

namespace {

constexpr std::array<unsigned char, 3> info{TDX_INFO_VERSION, TDX_INFO_IMPLEMENTATION,
                                            TDX_INFO_END};
constexpr std::array<unsigned char, 3> ods_info{TDX_INFO_ODS_VERSION, TDX_INFO_ODS_MINOR,
                                                TDX_INFO_END};
constexpr size_t clump_header = 3;  // item byte and 2-byte length

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
struct Printer {
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

// A clump's value inside a reply.
struct Value {
    const unsigned char *bytes = nullptr;
    size_t length = 0;
};

struct Components {
    Value codes;  // item 11: count byte, then pairs of implementation and class code
    Value texts;  // item 12: count byte, then counted version texts
};

enum class Walk { complete, truncated, unusable };

uint32_t clump_length(const unsigned char *at)
{
    return static_cast<uint16_t>(tdx__vax_integer(at, 2));
}

// Finds items 11 and 12 in a reply of `length` bytes without reading past it.
Walk find_components(const unsigned char *reply, size_t length, Components *found)
{
    size_t at = 0;
    while (at < length && reply[at] != TDX_INFO_END) {
        const unsigned char item = reply[at];
        const bool header_fits = at + clump_header <= length;
        // The core may end a cut reply with the bare item byte: its length is
        // read only when it lies inside the area.
        if (item == TDX_INFO_TRUNCATED) {
            if (header_fits)
                clump_length(reply + at + 1);
            return Walk::truncated;
        }
        if (!header_fits)
            return Walk::unusable;
        const size_t value_at = at + clump_header;
        const size_t value_length = clump_length(reply + at + 1);
        if (value_at + value_length > length)
            return Walk::unusable;
        const Value value{reply + value_at, value_length};
        if (item == TDX_INFO_IMPLEMENTATION)
            found->codes = value;
        else if (item == TDX_INFO_VERSION)
            found->texts = value;
        else
            return Walk::unusable;
        at = value_at + value_length;
    }
    return Walk::complete;
}

// Hands out one line per component; false when item 11 or 12 is missing or
// holds fewer entries than its count byte says.
bool print_components(const Components &found, const Printer &printer)
{
    const Value &codes = found.codes;
    const Value &texts = found.texts;
    if (codes.length == 0 || texts.length == 0)
        return false;
    // The count bytes are signed: a count above 127 prints nothing.
    const int components = std::min(static_cast<int>(static_cast<signed char>(codes.bytes[0])),
                                    static_cast<int>(static_cast<signed char>(texts.bytes[0])));
    size_t code_at = 1;
    size_t text_at = 1;
    for (int i = 0; i < components; ++i) {
        if (code_at + 2 > codes.length || text_at + 1 > texts.length)
            return false;
        const size_t text_length = texts.bytes[text_at];
        if (text_at + 1 + text_length > texts.length)
            return false;
        // Lines that do not fit their area are cut.
        char line[VERSION_LINE_AREA];
        (void)std::snprintf(line, sizeof line, "%s (%s), version \"%.*s\"",
                      dbutil::implementation_name(codes.bytes[code_at]),
                      dbutil::class_name(codes.bytes[code_at + 1]), static_cast<int>(text_length),
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

}  // namespace

static int32_t get_ods_version(tdx_handle *db_handle, uint16_t *version, uint16_t *minor);

extern "C" int32_t tdx__version(tdx_handle *db_handle, tdx_version_callback routine, void *argument)
{
    const Printer printer{routine, argument};
    // The usual reply fits this area, so the usual report allocates nothing.
    // Areas start zeroed so that a short reply is never followed by stale bytes.
    std::array<unsigned char, VERSION_FIRST_REPLY> own_area{};
    unsigned char *reply = own_area.data();
    int32_t reply_length = VERSION_FIRST_REPLY;
    Components found;
    for (;;) {
        tdx_status status[TDX_STATUS_LENGTH] = {};
        if (mvt_database_info(status, db_handle, static_cast<int16_t>(info.size()), info.data(),
                              area_length_word(reply_length), reply) != 0) {
            release(reply, own_area.data());
            return 1;
        }
        found = Components{};
        const Walk walk = find_components(reply, static_cast<size_t>(reply_length), &found);
        if (walk == Walk::complete)
            break;
        release(reply, own_area.data());
        // A larger area could not be described to the info call: a reply
        // still cut at the largest area is not printed in part; the report
        // fails as for any other unusable reply.
        if (walk == Walk::unusable || reply_length + VERSION_REPLY_GROWTH > VERSION_LARGEST_REPLY)
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

// Asks the on-disk structure version and minor version: 0 on success, 1 when
// the request fails or the reply holds another item or runs past its area.
// File-local, so that a program may use the name for its own routine.
static int32_t get_ods_version(tdx_handle *db_handle, uint16_t *version, uint16_t *minor)
{
    tdx_status status[TDX_STATUS_LENGTH] = {};
    std::array<unsigned char, VERSION_ODS_REPLY> reply{};
    mvt_database_info(status, db_handle, static_cast<int16_t>(ods_info.size()), ods_info.data(),
                      static_cast<int16_t>(reply.size()), reply.data());
    if (status[1] != 0)
        return 1;
    // A reply that runs past its area without item 1 is refused.
    size_t at = 0;
    while (at < reply.size() && reply[at] != TDX_INFO_END) {
        const unsigned char item = reply[at];
        if (at + clump_header > reply.size())
            return 1;
        const size_t value_at = at + clump_header;
        const size_t value_length = clump_length(reply.data() + at + 1);
        if (value_at + value_length > reply.size())
            return 1;
        const auto value = static_cast<uint16_t>(
            tdx__vax_integer(reply.data() + value_at, static_cast<int16_t>(value_length)));
        if (item == TDX_INFO_ODS_VERSION)
            *version = value;
        else if (item == TDX_INFO_ODS_MINOR)
            *minor = value;
        else
            return 1;
        at = value_at + value_length;
    }
    return at < reply.size() ? 0 : 1;
}
