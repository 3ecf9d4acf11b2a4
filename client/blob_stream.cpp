// Blob streams: a blob read or written a byte at a time through a buffer,
// while the client core moves it in segments.
#include <cstddef>
#include <cstdint>

#include "dbutil.h"

// Applications read and fill the record directly, so its layout is fixed:
// a 32-bit handle, two addresses, two 16-bit counts and an 8-bit mode.
static_assert(offsetof(blob_stream, blob_handle) == 0 && sizeof(tdx_handle) == 4);
static_assert(offsetof(blob_stream, buffer) == (sizeof(char *) > 4 ? sizeof(char *) : 4));
static_assert(offsetof(blob_stream, next) == offsetof(blob_stream, buffer) + sizeof(char *));
static_assert(offsetof(blob_stream, buffer_length) == offsetof(blob_stream, next) + sizeof(char *));
static_assert(sizeof(blob_stream::buffer_length) == 2 && sizeof(blob_stream::count) == 2);
static_assert(offsetof(blob_stream, count) == offsetof(blob_stream, buffer_length) + 2);
static_assert(offsetof(blob_stream, mode) == offsetof(blob_stream, count) + 2);
static_assert(sizeof(blob_stream::mode) == 1);

namespace {

constexpr int32_t end_of_data = -1;

// Bytes from buffer up to next, as the 16-bit count the core takes.
uint16_t pending_length(const blob_stream *stream)
{
    return static_cast<uint16_t>(stream->next - stream->buffer);
}

bool send_pending(blob_stream *stream)
{
    tdx_status status[TDX_STATUS_LENGTH] = {};
    return tdx__put_segment(status, &stream->blob_handle, pending_length(stream),
                            stream->buffer) == 0;
}

// The refill half of BLOB_get, kept out of line so that the per-byte half
// stays a leaf with no frame of its own. Entered with count already gone
// below zero.
[[gnu::noinline]] int32_t byte_of_next_segment(blob_stream *stream)
{
    for (;;) {
        tdx_status status[TDX_STATUS_LENGTH] = {};
        // count is a signed 16-bit field; the core writes the unsigned length
        // read into it, which never exceeds buffer_length.
        tdx__get_segment(status, &stream->blob_handle,
                         reinterpret_cast<uint16_t *>(&stream->count),
                         static_cast<uint16_t>(stream->buffer_length), stream->buffer);
        if (status[1] == 0 || status[1] == TDX_SEGMENT_GOES_ON) {
            stream->next = stream->buffer;
            if (--stream->count >= 0)
                return static_cast<unsigned char>(*stream->next++);
            continue;
        }
        stream->next = nullptr;
        stream->count = 0;
        if (status[1] != TDX_END_OF_BLOB)
            tdx__print_status(status);
        return end_of_data;
    }
}

}  // namespace

extern "C" {

blob_stream *BLOB_open(tdx_handle blob_handle, char *buffer, int32_t length)
{
    // A length the 16-bit field cannot hold would describe a buffer the
    // stream does not have.
    if (blob_handle == 0 || length < 0 || length > BLOB_BUFFER_MAX)
        return nullptr;
    auto *stream = static_cast<blob_stream *>(tdx__alloc(sizeof(blob_stream)));
    if (stream == nullptr)
        return nullptr;
    stream->blob_handle = blob_handle;
    stream->buffer_length = static_cast<int16_t>(length != 0 ? length : BLOB_BUFFER_LENGTH);
    stream->mode = 0;
    stream->count = 0;
    stream->next = nullptr;
    stream->buffer = buffer;
    if (buffer != nullptr)
        return stream;
    stream->buffer = static_cast<char *>(tdx__alloc(stream->buffer_length));
    if (stream->buffer == nullptr) {
        tdx__free(stream);
        return nullptr;
    }
    stream->mode = BLOB_OWN_BUFFER;
    return stream;
}

blob_stream *Bopen(tdx_quad *blob_id, tdx_handle db_handle, tdx_handle tra_handle,
                   const char *mode)
{
    if (mode == nullptr)
        return nullptr;
    const bool writing = mode[0] == 'w' || mode[0] == 'W';
    if (!writing && mode[0] != 'r' && mode[0] != 'R')
        return nullptr;

    tdx_status status[TDX_STATUS_LENGTH] = {};
    tdx_handle blob_handle = 0;
    const int32_t refused =
        writing ? tdx__create_blob2(status, &db_handle, &tra_handle, &blob_handle, blob_id, 0,
                                    nullptr)
                : tdx__open_blob2(status, &db_handle, &tra_handle, &blob_handle, blob_id, 0,
                                  nullptr);
    if (refused != 0)
        return nullptr;

    blob_stream *stream = BLOB_open(blob_handle, nullptr, 0);
    if (stream == nullptr) {
        // The caller never sees this handle, so nobody else could close it.
        tdx__close_blob(status, &blob_handle);
        return nullptr;
    }
    if (writing) {
        stream->mode |= BLOB_OUTPUT;
        stream->count = stream->buffer_length;
        stream->next = stream->buffer;
    } else {
        stream->count = 0;
    }
    return stream;
}

int32_t BLOB_get(blob_stream *stream)
{
    if (stream == nullptr || stream->buffer == nullptr)
        return end_of_data;
    if (--stream->count >= 0)
        return static_cast<unsigned char>(*stream->next++);
    return byte_of_next_segment(stream);
}

int32_t BLOB_put(int32_t byte, blob_stream *stream)
{
    if (stream == nullptr || stream->buffer == nullptr)
        return 0;
    // A cursor outside the buffer (a read stream, or an application that
    // filled every byte itself) would make the store overrun it.
    if (stream->next == nullptr || stream->next < stream->buffer ||
        stream->next >= stream->buffer + stream->buffer_length)
        return 0;
    *stream->next++ = static_cast<char>(byte & 0xFF);
    if (!send_pending(stream))
        return 0;
    stream->count = stream->buffer_length;
    stream->next = stream->buffer;
    return 1;
}

int32_t BLOB_close(blob_stream *stream)
{
    if (stream == nullptr || stream->blob_handle == 0)
        return 0;
    if ((stream->mode & BLOB_OUTPUT) != 0 && pending_length(stream) != 0 &&
        !send_pending(stream))
        return 0;
    tdx_status status[TDX_STATUS_LENGTH] = {};
    tdx__close_blob(status, &stream->blob_handle);
    if ((stream->mode & BLOB_OWN_BUFFER) != 0)
        tdx__free(stream->buffer);
    tdx__free(stream);
    return 1;
}

}  // extern "C"
