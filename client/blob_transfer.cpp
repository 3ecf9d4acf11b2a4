// Whole-blob transfer: segments to a file, and a file back into a new blob
// one line per segment.
#include "blob_transfer.h"

#include <algorithm>
#include <array>

namespace dbutil_blob {

namespace {

// Writes one segment's bytes in one call; false when the stream reports a
// failed write. The same bytes and errors as byte-wise fputc.
bool write_segment(const char *bytes, uint16_t length, FILE *file)
{
    return fwrite_unlocked(bytes, 1, length, file) == length;
}

// The core's side of a dump: every segment into the file until the end of
// the blob, a read error or a failed write.
dump_outcome transfer(tdx_quad *blob_id, tdx_handle db_handle, tdx_handle tra_handle, FILE *file)
{
    tdx_status status[TDX_STATUS_LENGTH] = {};
    tdx_handle blob_handle = 0;
    if (tdx__open_blob2(status, &db_handle, &tra_handle, &blob_handle, blob_id, 0, nullptr) !=
        0) {
        tdx__print_status(status);
        return dump_outcome::not_opened;
    }
    std::array<char, BLOB_DUMP_AREA> area;
    bool written = true;
    // One lock of the stream for the whole transfer.
    flockfile(file);
    for (;;) {
        uint16_t length = 0;
        tdx__get_segment(status, &blob_handle, &length, static_cast<uint16_t>(area.size()),
                         area.data());
        if (status[1] != 0 && status[1] != TDX_SEGMENT_GOES_ON)
            break;
        written = write_segment(area.data(), std::min<uint16_t>(length, area.size()), file);
        if (!written)
            break;
    }
    funlockfile(file);
    // A failed write stops the transfer while the segment status is still
    // good: the core reported nothing, so nothing is printed.
    const bool ended = status[1] == TDX_END_OF_BLOB;
    if (written && !ended)
        tdx__print_status(status);
    tdx_status close_status[TDX_STATUS_LENGTH] = {};
    tdx__close_blob(close_status, &blob_handle);
    if (!written)
        return dump_outcome::not_written;
    return ended ? dump_outcome::complete : dump_outcome::cut_short;
}

// Sends the gathered bytes as one segment; prints the status when refused.
bool send(tdx_status *status, tdx_handle *blob_handle, const char *bytes, size_t length)
{
    if (tdx__put_segment(status, blob_handle, static_cast<uint16_t>(length), bytes) == 0)
        return true;
    tdx__print_status(status);
    return false;
}

}  // namespace

dump_outcome dump(tdx_quad *blob_id, tdx_handle db_handle, tdx_handle tra_handle, FILE *file)
{
    const bool error_before = std::ferror(file) != 0;
    const dump_outcome outcome = transfer(blob_id, db_handle, tra_handle, file);
    // The flush is part of the transfer: bytes still in the stream's buffer
    // have not reached the file. A failure that a write call did not report
    // (a line-buffered stream may hold it back) still shows in the error
    // indicator, unless that was set before and says nothing about this call.
    const bool flushed = std::fflush(file) == 0;
    const bool reached = flushed && (error_before || std::ferror(file) == 0);
    if (outcome == dump_outcome::not_opened || reached)
        return outcome;
    return dump_outcome::not_written;
}

int32_t load(tdx_quad *blob_id, tdx_handle db_handle, tdx_handle tra_handle, FILE *file)
{
    tdx_status status[TDX_STATUS_LENGTH] = {};
    tdx_handle blob_handle = 0;
    if (tdx__create_blob(status, &db_handle, &tra_handle, &blob_handle, blob_id) != 0) {
        tdx__print_status(status);
        return 0;
    }
    std::array<char, BLOB_LOAD_AREA> area;
    size_t held = 0;
    bool sent = true;
    // One lock of the stream for the whole read, as in dump.
    flockfile(file);
    for (int c; sent && (c = getc_unlocked(file)) != EOF;) {
        area[held++] = static_cast<char>(c);
        if (c == '\n' || held == area.size()) {
            sent = send(status, &blob_handle, area.data(), held);
            held = 0;
        }
    }
    funlockfile(file);
    // A read error is not the end of the file: what was read is not the
    // whole text, so the blob must not pass for complete.
    const bool read_whole_file = sent && !std::ferror(file);
    if (read_whole_file && held > 0)
        sent = send(status, &blob_handle, area.data(), held);
    tdx_status close_status[TDX_STATUS_LENGTH] = {};
    tdx__close_blob(close_status, &blob_handle);
    return read_whole_file && sent ? 1 : 0;
}

}  // namespace dbutil_blob
