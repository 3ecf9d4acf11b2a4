// Blobs of the stand-in core, held in memory as lists of segments.
#include <algorithm>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "core_state.h"

namespace {

// A blob's bytes lie end to end in one vector, with each segment's end
// beside them, so that storing a segment allocates nothing but the vectors'
// occasional growth.
struct Segments {
    static constexpr size_t initial_bytes = 64 * 1024;
    static constexpr size_t initial_segments = 1024;
    std::vector<char> bytes;
    std::vector<size_t> ends;

    size_t size() const { return ends.size(); }
    size_t start_of(size_t index) const { return index == 0 ? 0 : ends[index - 1]; }
    size_t length_of(size_t index) const { return ends[index] - start_of(index); }
    const char *data_of(size_t index) const
    {
        return bytes.empty() ? "" : bytes.data() + start_of(index);
    }
    void append(const char *segment, size_t length)
    {
        // Room for a few dozen buffers' worth from the first segment on, so
        // that a written blob of ordinary size grows without a copy.
        if (bytes.capacity() == 0) {
            bytes.reserve(initial_bytes);
            ends.reserve(initial_segments);
        }
        bytes.insert(bytes.end(), segment, segment + length);
        ends.push_back(bytes.size());
    }
};

struct OpenBlob {
    uint64_t id;
    bool writing;
    size_t segment = 0;  // reading: segment being handed out
    size_t offset = 0;   // reading: bytes of it already handed out
};

// Per thread, as all of the core's state (core_state.h).
thread_local std::map<uint64_t, Segments> blobs;
thread_local std::map<tdx_handle, OpenBlob> open_blobs;
thread_local uint64_t next_id = 1;
thread_local tdx_handle next_handle = 0x1000;

uint64_t key_of(const tdx_quad *id)
{
    return (static_cast<uint64_t>(static_cast<uint32_t>(id->high)) << 32) | id->low;
}

void write_id(tdx_quad *id, uint64_t key)
{
    id->high = static_cast<int32_t>(key >> 32);
    id->low = static_cast<uint32_t>(key);
}

// Ids carry a tag in the high word so that they never look like 0.
uint64_t new_blob()
{
    const uint64_t key = (uint64_t{0x7B} << 32) | next_id++;
    blobs[key];
    return key;
}

int32_t create(tdx_status *status, tdx_handle *db_handle, tdx_handle *blob_handle,
               tdx_quad *blob_id)
{
    if (core::should_fail(TDXC_CREATE_BLOB))
        return core::set_status(status, TDXC_CREATE_REFUSED);
    if (!core::database_attached(*db_handle))
        return core::set_status(status, TDXC_BAD_DB_HANDLE);
    if (*blob_handle != 0)
        return core::set_status(status, TDXC_BAD_BLOB_HANDLE);
    const uint64_t key = new_blob();
    write_id(blob_id, key);
    *blob_handle = next_handle++;
    open_blobs[*blob_handle] = OpenBlob{key, true};
    return core::set_status(status, 0);
}

OpenBlob *find_open(tdx_handle *blob_handle)
{
    if (blob_handle == nullptr)
        return nullptr;
    auto it = open_blobs.find(*blob_handle);
    return it == open_blobs.end() ? nullptr : &it->second;
}

}  // namespace

namespace core {

void reset_blobs()
{
    blobs.clear();
    open_blobs.clear();
}

}  // namespace core

extern "C" {

int32_t tdx__create_blob(tdx_status *status, tdx_handle *db_handle, tdx_handle *,
                         tdx_handle *blob_handle, tdx_quad *blob_id)
{
    return create(status, db_handle, blob_handle, blob_id);
}

int32_t tdx__create_blob2(tdx_status *status, tdx_handle *db_handle, tdx_handle *,
                          tdx_handle *blob_handle, tdx_quad *blob_id, int16_t,
                          const unsigned char *)
{
    return create(status, db_handle, blob_handle, blob_id);
}

int32_t tdx__open_blob2(tdx_status *status, tdx_handle *db_handle, tdx_handle *,
                        tdx_handle *blob_handle, tdx_quad *blob_id, int16_t,
                        const unsigned char *)
{
    if (core::should_fail(TDXC_OPEN_BLOB))
        return core::set_status(status, TDXC_OPEN_REFUSED);
    if (!core::database_attached(*db_handle))
        return core::set_status(status, TDXC_BAD_DB_HANDLE);
    if (*blob_handle != 0)
        return core::set_status(status, TDXC_BAD_BLOB_HANDLE);
    const uint64_t key = key_of(blob_id);
    if (blobs.count(key) == 0)
        return core::set_status(status, TDXC_NO_SUCH_BLOB);
    *blob_handle = next_handle++;
    open_blobs[*blob_handle] = OpenBlob{key, false};
    return core::set_status(status, 0);
}

int32_t tdx__get_segment(tdx_status *status, tdx_handle *blob_handle, uint16_t *length,
                         uint16_t buffer_size, char *buffer)
{
    *length = 0;
    if (core::should_fail(TDXC_GET_SEGMENT))
        return core::set_status(status, TDXC_READ_ERROR);
    OpenBlob *blob = find_open(blob_handle);
    if (blob == nullptr)
        return core::set_status(status, TDXC_BAD_BLOB_HANDLE);
    if (blob->writing)
        return core::set_status(status, TDXC_WRONG_DIRECTION);
    const Segments &segments = blobs[blob->id];
    if (blob->segment >= segments.size())
        return core::set_status(status, TDX_END_OF_BLOB);
    const size_t rest = segments.length_of(blob->segment) - blob->offset;
    const size_t piece = std::min<size_t>(rest, buffer_size);
    if (piece > 0)
        std::memcpy(buffer, segments.data_of(blob->segment) + blob->offset, piece);
    *length = static_cast<uint16_t>(piece);
    if (piece < rest) {
        blob->offset += piece;
        return core::set_status(status, TDX_SEGMENT_GOES_ON);
    }
    ++blob->segment;
    blob->offset = 0;
    return core::set_status(status, 0);
}

int32_t tdx__put_segment(tdx_status *status, tdx_handle *blob_handle, uint16_t length,
                         const char *buffer)
{
    if (core::should_fail(TDXC_PUT_SEGMENT))
        return core::set_status(status, TDXC_SEGMENT_REFUSED);
    OpenBlob *blob = find_open(blob_handle);
    if (blob == nullptr)
        return core::set_status(status, TDXC_BAD_BLOB_HANDLE);
    if (!blob->writing)
        return core::set_status(status, TDXC_WRONG_DIRECTION);
    blobs[blob->id].append(buffer, length);
    return core::set_status(status, 0);
}

int32_t tdx__close_blob(tdx_status *status, tdx_handle *blob_handle)
{
    if (core::should_fail(TDXC_CLOSE_BLOB))
        return core::set_status(status, TDXC_BAD_BLOB_HANDLE);
    if (blob_handle == nullptr || open_blobs.erase(*blob_handle) == 0)
        return core::set_status(status, TDXC_BAD_BLOB_HANDLE);
    *blob_handle = 0;
    return core::set_status(status, 0);
}

int32_t tdx__blob_info(tdx_status *status, tdx_handle *blob_handle, int16_t item_length,
                       const unsigned char *items, int16_t reply_length, unsigned char *reply)
{
    if (core::should_fail(TDXC_INFO))
        return core::set_status(status, TDXC_INFO_REFUSED);
    OpenBlob *blob = find_open(blob_handle);
    if (blob == nullptr)
        return core::set_status(status, TDXC_BAD_BLOB_HANDLE);
    if (core::take_scripted_info(reply, reply_length))
        return core::set_status(status, 0);
    const Segments &segments = blobs[blob->id];
    uint32_t total = 0, longest = 0;
    for (size_t i = 0; i < segments.size(); ++i) {
        total += static_cast<uint32_t>(segments.length_of(i));
        longest = std::max<uint32_t>(longest, static_cast<uint32_t>(segments.length_of(i)));
    }
    std::vector<unsigned char> full;
    for (int i = 0; i < item_length && items[i] != TDX_INFO_END; ++i) {
        uint32_t value;
        switch (items[i]) {
        case TDX_INFO_NUM_SEGMENTS: value = static_cast<uint32_t>(segments.size()); break;
        case TDX_INFO_MAX_SEGMENT: value = longest; break;
        case TDX_INFO_TOTAL_LENGTH: value = total; break;
        default: continue;
        }
        full.insert(full.end(), {items[i], 4, 0});
        for (int b = 0; b < 4; ++b)
            full.push_back(static_cast<unsigned char>(value >> (8 * b)));
    }
    full.push_back(TDX_INFO_END);
    core::put_reply(full.data(), static_cast<int>(full.size()), reply, reply_length);
    return core::set_status(status, 0);
}

void tdxc_blob_create(tdx_quad *id, int count, const char *const *segments,
                      const uint16_t *lengths)
{
    const uint64_t key = new_blob();
    for (int i = 0; i < count; ++i)
        blobs[key].append(segments[i], lengths[i]);
    write_id(id, key);
}

int tdxc_blob_segment_count(const tdx_quad *id)
{
    auto it = blobs.find(key_of(id));
    return it == blobs.end() ? -1 : static_cast<int>(it->second.size());
}

int tdxc_blob_segment(const tdx_quad *id, int index, const char **bytes)
{
    auto it = blobs.find(key_of(id));
    if (it == blobs.end() || index < 0 || static_cast<size_t>(index) >= it->second.size())
        return -1;
    *bytes = it->second.data_of(static_cast<size_t>(index));
    return static_cast<int>(it->second.length_of(static_cast<size_t>(index)));
}

int tdxc_blob_count(void)
{
    return static_cast<int>(blobs.size());
}

int tdxc_open_blob_handles(void)
{
    return static_cast<int>(open_blobs.size());
}

}  // extern "C"
