// The inline byte helpers of blob streams: BLOB_put_byte sends buffer-sized
// segments, BLOB_get_byte hands out what BLOB_get would, with the same calls
// into the core, and both mix with the routines on one stream.
#include <cstring>

#include "blob_test_support.h"

namespace blob_tests {
namespace {

using blob_byte_helpers = core_test;

std::string pattern(size_t length)
{
    std::string bytes(length, '\0');
    for (size_t i = 0; i < length; ++i)
        bytes[i] = static_cast<char>(i * 7 + i / 256);
    return bytes;
}

std::string read_with(int32_t (*get)(blob_stream *), blob_stream *s)
{
    std::string bytes;
    for (int32_t c; (c = get(s)) != -1;) {
        EXPECT_GE(c, 0);
        EXPECT_LE(c, 255);
        bytes += static_cast<char>(c);
    }
    return bytes;
}

int32_t get_byte(blob_stream *s)
{
    return BLOB_get_byte(s);
}

TEST_F(blob_byte_helpers, WrittenBytesComeOutInBufferSizedSegmentsAndReadBack)
{
    for (size_t length : {0, 1, 511, 512, 513, 1024, 1300}) {
        const std::string bytes = pattern(length);
        tdx_quad id{};
        blob_stream *w = Bopen(&id, db, tra, "w");
        ASSERT_NE(w, nullptr);
        for (char c : bytes)
            ASSERT_EQ(BLOB_put_byte(static_cast<unsigned char>(c), w), 1);
        ASSERT_EQ(BLOB_close(w), 1);

        const Segments segments = segments_of(id);
        ASSERT_EQ(segments.size(), (length + 511) / 512) << length;
        std::string joined;
        for (size_t i = 0; i < segments.size(); ++i) {
            if (i + 1 < segments.size()) {
                EXPECT_EQ(segments[i].size(), 512u) << length;
            }
            joined += segments[i];
        }
        EXPECT_EQ(joined, bytes);

        blob_stream *r = Bopen(&id, db, tra, "r");
        ASSERT_NE(r, nullptr);
        EXPECT_EQ(read_with(get_byte, r), bytes) << length;
        EXPECT_EQ(BLOB_get_byte(r), -1);  // and again after the end
        EXPECT_EQ(BLOB_close(r), 1);
    }
}

TEST_F(blob_byte_helpers, ReadingGivesWhatBlobGetGivesWithTheSameCoreCalls)
{
    const Segments segments{"ab", "", std::string(40, 'x'), "c", "", pattern(300)};
    for (int32_t buffer : {1, 7, 512}) {
        std::string expected[2];
        int fetches[2];
        int32_t (*const readers[2])(blob_stream *) = {BLOB_get, get_byte};
        for (int k = 0; k < 2; ++k) {
            tdxc_reset();
            db = tdxc_attach("blobs.tdb");
            tdx_quad id = seed_blob(segments);
            tdx_status status[TDX_STATUS_LENGTH] = {};
            tdx_handle handle = 0;
            ASSERT_EQ(tdx__open_blob2(status, &db, &tra, &handle, &id, 0, nullptr), 0);
            blob_stream *s = BLOB_open(handle, nullptr, buffer);
            ASSERT_NE(s, nullptr);
            expected[k] = read_with(readers[k], s);
            fetches[k] = tdxc_calls(TDXC_GET_SEGMENT);
            EXPECT_EQ(s->next, nullptr);
            EXPECT_EQ(s->count, 0);
            EXPECT_EQ(BLOB_close(s), 1);
        }
        EXPECT_EQ(expected[1], expected[0]) << buffer;
        EXPECT_EQ(fetches[1], fetches[0]) << buffer;
    }
}

// The helpers keep count (and leave buffer_length and mode) exactly as the
// record's field arithmetic would, at every byte and at the extreme buffer
// sizes, where count fills the whole 16-bit field.
TEST_F(blob_byte_helpers, KeepTheRecordsCountsAtEveryByte)
{
    for (int32_t size : {1, 2, 512, BLOB_BUFFER_MAX}) {
        tdx_status status[TDX_STATUS_LENGTH] = {};
        tdx_handle handle = 0;
        tdx_quad id{};
        ASSERT_EQ(tdx__create_blob2(status, &db, &tra, &handle, &id, 0, nullptr), 0);
        blob_stream *w = BLOB_open(handle, nullptr, size);
        ASSERT_NE(w, nullptr);
        w->mode |= BLOB_OUTPUT;  // made into a write stream as Bopen makes one
        w->count = w->buffer_length;
        w->next = w->buffer;
        const uint8_t mode = w->mode;
        const size_t total = static_cast<size_t>(size) * 2 + 3;
        for (size_t i = 0; i < total; ++i) {
            ASSERT_EQ(BLOB_put_byte(static_cast<int32_t>(i & 0xFF), w), 1);
            const auto pending = static_cast<int32_t>(w->next - w->buffer);
            ASSERT_EQ(w->count, size - pending) << size << " " << i;
            ASSERT_EQ(w->buffer_length, size);
            ASSERT_EQ(w->mode, mode);
        }
        ASSERT_EQ(BLOB_close(w), 1);

        handle = 0;
        ASSERT_EQ(tdx__open_blob2(status, &db, &tra, &handle, &id, 0, nullptr), 0);
        blob_stream *r = BLOB_open(handle, nullptr, size);
        ASSERT_NE(r, nullptr);
        for (size_t i = 0; i < total; ++i) {
            int32_t (*const get)(blob_stream *) = i % 3 == 0 ? BLOB_get : get_byte;
            const int16_t count_before = r->count;
            const char *next_before = r->next;
            ASSERT_EQ(get(r), static_cast<int32_t>(i & 0xFF)) << size << " " << i;
            if (count_before > 0) {  // taken from the buffer
                ASSERT_EQ(r->count, count_before - 1) << size << " " << i;
                ASSERT_EQ(r->next, next_before + 1);
            } else {  // a segment fetched, its first byte handed out
                ASSERT_EQ(r->next, r->buffer + 1);
                ASSERT_GE(r->count, 0);
                ASSERT_LT(r->count, size);
            }
            ASSERT_EQ(r->buffer_length, size);
        }
        EXPECT_EQ(get_byte(r), -1);
        EXPECT_EQ(r->count, 0);
        EXPECT_EQ(BLOB_close(r), 1);
    }
}

TEST_F(blob_byte_helpers, MixWithTheRoutinesOnOneStream)
{
    tdx_quad id{};
    blob_stream *w = Bopen(&id, db, tra, "w");
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(BLOB_put_byte('a', w), 1);
    EXPECT_EQ(BLOB_put_byte('b', w), 1);
    EXPECT_EQ(BLOB_put('c', w), 1);  // ends the segment early
    EXPECT_EQ(w->count, 512);
    for (int i = 0; i < 512; ++i)
        EXPECT_EQ(BLOB_put_byte('d', w), 1);
    EXPECT_EQ(BLOB_put_byte(0x145, w), 1);  // only the low 8 bits
    ASSERT_EQ(BLOB_close(w), 1);
    EXPECT_EQ(segments_of(id), (Segments{"abc", std::string(512, 'd'), "E"}));

    blob_stream *r = Bopen(&id, db, tra, "r");
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(BLOB_get_byte(r), 'a');
    EXPECT_EQ(BLOB_get(r), 'b');
    EXPECT_EQ(BLOB_get_byte(r), 'c');
    EXPECT_EQ(BLOB_get_byte(r), 'd');
    EXPECT_EQ(BLOB_close(r), 1);
}

TEST_F(blob_byte_helpers, RefusedSegmentAtTheEdgeKeepsTheBytesForClose)
{
    tdx_quad id{};
    blob_stream *w = Bopen(&id, db, tra, "w");
    ASSERT_NE(w, nullptr);
    for (int i = 0; i < 511; ++i)
        ASSERT_EQ(BLOB_put_byte('f', w), 1);
    EXPECT_EQ(tdxc_calls(TDXC_PUT_SEGMENT), 0);
    tdxc_fail(TDXC_PUT_SEGMENT, 1);
    EXPECT_EQ(BLOB_put_byte('F', w), 0);
    // The buffer is full: a further byte is refused without a call or a store.
    EXPECT_EQ(BLOB_put_byte('G', w), 0);
    EXPECT_EQ(tdxc_calls(TDXC_PUT_SEGMENT), 1);
    EXPECT_EQ(BLOB_close(w), 1);
    EXPECT_EQ(segments_of(id), (Segments{std::string(511, 'f') + "F"}));
}

}  // namespace
}  // namespace blob_tests
