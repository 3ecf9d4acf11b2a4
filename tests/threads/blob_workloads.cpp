// Blobs written and read back through streams that belong to this thread
// alone, in the calling thread's own stand-in core.
#include <array>
#include <sstream>
#include <string>

#include "tdx_control.h"
#include "workloads.h"

namespace threads_test {

namespace {

// Longer than several buffers, so that segments are sent and fetched.
constexpr int blob_bytes = 1500;

char byte_at(int i)
{
    return static_cast<char>((i * 7 + i / 256) & 0xFF);
}

void describe_segments(std::ostringstream &out, const tdx_quad &id)
{
    const int count = tdxc_blob_segment_count(&id);
    out << "segments " << count << ':';
    for (int i = 0; i < count; ++i) {
        const char *bytes = nullptr;
        out << ' ' << tdxc_blob_segment(&id, i, &bytes);
    }
    out << '\n';
}

// The bytes of the stream up to its end.
std::string read_all(blob_stream *stream, int32_t (*get)(blob_stream *))
{
    std::string bytes;
    for (int32_t c; (c = get(stream)) != -1;)
        bytes.push_back(static_cast<char>(c));
    return bytes;
}

int32_t get_byte(blob_stream *stream)
{
    return BLOB_get_byte(stream);
}

}  // namespace

std::string blob_streams()
{
    // A fresh core for this thread at each run, so that its blobs do not pile up.
    tdxc_reset();
    tdx_handle db = tdxc_attach("threads.fdb");
    tdx_handle tra = 0;
    std::ostringstream out;
    const int blocks_before = tdxc_live_blocks();

    std::string written;
    for (int i = 0; i < blob_bytes; ++i)
        written.push_back(byte_at(i));

    // Buffer-sized segments through BLOB_put_byte, a segment a byte through BLOB_put.
    tdx_quad buffered{};
    blob_stream *stream = Bopen(&buffered, db, tra, "w");
    int stored = 0;
    for (char c : written)
        stored += BLOB_put_byte(static_cast<unsigned char>(c), stream);
    out << "buffered: stored " << stored << " closed " << BLOB_close(stream) << '\n';
    describe_segments(out, buffered);

    tdx_quad bytewise{};
    stream = Bopen(&bytewise, db, tra, "W");
    stored = 0;
    for (int i = 0; i < 40; ++i)
        stored += BLOB_put(byte_at(i), stream);
    out << "bytewise: stored " << stored << " closed " << BLOB_close(stream) << '\n';
    describe_segments(out, bytewise);

    // Read back with Bopen and BLOB_get_byte.
    stream = Bopen(&buffered, db, tra, "r");
    out << "read: " << (read_all(stream, get_byte) == written ? "same" : "different");
    out << " closed " << BLOB_close(stream) << '\n';

    // Read back through a handle of the caller's and a buffer of the caller's.
    tdx_status status[TDX_STATUS_LENGTH] = {};
    tdx_handle handle = 0;
    tdx__open_blob2(status, &db, &tra, &handle, &buffered, 0, nullptr);
    int32_t length = 0, segments = 0, longest = 0;
    out << "size: " << tdx__blob_size(&handle, &length, &segments, &longest) << ' ' << length
        << ' ' << segments << ' ' << longest << '\n';
    std::array<char, 100> buffer{};
    stream = BLOB_open(handle, buffer.data(), static_cast<int32_t>(buffer.size()));
    out << "own buffer: " << (read_all(stream, BLOB_get) == written ? "same" : "different");
    out << " closed " << BLOB_close(stream) << '\n';

    // A seeded blob of short and empty segments.
    const std::array<const char *, 3> parts{"first", "", "third"};
    const std::array<uint16_t, 3> lengths{5, 0, 5};
    tdx_quad seeded{};
    tdxc_blob_create(&seeded, 3, parts.data(), lengths.data());
    stream = Bopen(&seeded, db, tra, "R");
    out << "seeded: " << read_all(stream, get_byte) << " closed " << BLOB_close(stream) << '\n';

    out << "handles left: " << tdxc_open_blob_handles()
        << " blocks left: " << tdxc_live_blocks() - blocks_before << '\n';
    return out.str();
}

}  // namespace threads_test
