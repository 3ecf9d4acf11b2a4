// Blob streams: making them, reading and writing a byte at a time and
// through the buffer directly, closing, and the client core's refusals.
#include <cstring>

#include "blob_test_support.h"

namespace blob_tests {
namespace {

using blob_streams = core_test;

std::string read_all(blob_stream *stream)
{
    std::string bytes;
    for (int c; (c = BLOB_get(stream)) != -1;) {
        EXPECT_GE(c, 0);
        EXPECT_LE(c, 255);
        bytes += static_cast<char>(c);
    }
    return bytes;
}

blob_stream *open_for_reading(tdx_handle db, const Segments &segments, tdx_quad &id)
{
    id = seed_blob(segments);
    return Bopen(&id, db, 0, "r");
}

TEST_F(blob_streams, OpenRefusesHandleZeroAndLengthsTheRecordCannotHold)
{
    for (int32_t length : {-1, BLOB_BUFFER_MAX + 1, 40000}) {
        EXPECT_EQ(BLOB_open(0x1234, nullptr, length), nullptr) << length;
    }
    EXPECT_EQ(BLOB_open(0, nullptr, 0), nullptr);
    EXPECT_EQ(tdxc_calls(TDXC_ALLOC), 0);
}

TEST_F(blob_streams, OpenGivesAnOwnBufferOfTheAskedSize)
{
    struct Case {
        int32_t asked;
        int16_t expected;
    };
    for (const Case c : {Case{0, 512}, Case{1, 1}, Case{100, 100}, Case{32767, 32767}}) {
        blob_stream *s = BLOB_open(0x1234, nullptr, c.asked);
        ASSERT_NE(s, nullptr);
        EXPECT_EQ(s->blob_handle, 0x1234u);
        EXPECT_EQ(s->buffer_length, c.expected);
        EXPECT_EQ(s->mode, BLOB_OWN_BUFFER);
        EXPECT_EQ(s->count, 0);
        EXPECT_EQ(s->next, nullptr);
        EXPECT_NE(s->buffer, nullptr);
        EXPECT_EQ(tdxc_live_blocks(), 2);
        // The handle is not one the core opened; closing it is still harmless.
        EXPECT_EQ(BLOB_close(s), 1);
        EXPECT_EQ(tdxc_live_blocks(), 0);
    }
}

TEST_F(blob_streams, CallersBufferStaysTheCallers)
{
    tdx_quad id = seed_blob({"abcdef"});
    tdx_status status[TDX_STATUS_LENGTH] = {};
    tdx_handle handle = 0;
    ASSERT_EQ(tdx__open_blob2(status, &db, &tra, &handle, &id, 0, nullptr), 0);

    char buffer[4] = {'-', '-', '-', '-'};
    blob_stream *s = BLOB_open(handle, buffer, 4);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->buffer, buffer);
    EXPECT_EQ(s->mode, 0);
    EXPECT_EQ(tdxc_live_blocks(), 1);
    EXPECT_EQ(read_all(s), "abcdef");
    EXPECT_EQ(BLOB_close(s), 1);
    EXPECT_EQ(tdxc_live_blocks(), 0);
    EXPECT_EQ(std::string(buffer, 2), "ef");  // left alone, holding the last piece
}

TEST_F(blob_streams, OpenFreesTheRecordWhenTheBufferCannotBeHad)
{
    for (int failing_alloc : {1, 2}) {
        tdxc_reset();
        tdxc_fail(TDXC_ALLOC, failing_alloc);
        EXPECT_EQ(BLOB_open(0x1234, nullptr, 0), nullptr);
        EXPECT_EQ(tdxc_calls(TDXC_ALLOC), failing_alloc);
        EXPECT_EQ(tdxc_live_blocks(), 0);
    }
}

TEST_F(blob_streams, BopenModeTakesOnlyItsFirstCharacter)
{
    struct Case {
        const char *mode;
        bool made;
        bool writing;
    };
    const Case cases[] = {
        {"w", true, true},  {"W", true, true},   {"wr", true, true},  {"r", true, false},
        {"R", true, false}, {"rw", true, false}, {"x", false, false}, {"", false, false},
        {nullptr, false, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.mode != nullptr ? c.mode : "(null)");
        tdxc_reset();
        db = tdxc_attach("blobs.tdb");
        tdx_quad id = seed_blob({"text"});
        const tdx_quad seeded = id;
        blob_stream *s = Bopen(&id, db, tra, c.mode);
        EXPECT_EQ(s != nullptr, c.made);
        EXPECT_EQ(tdxc_calls(TDXC_CREATE_BLOB), c.made && c.writing ? 1 : 0);
        EXPECT_EQ(tdxc_calls(TDXC_OPEN_BLOB), c.made && !c.writing ? 1 : 0);
        if (s == nullptr)
            continue;
        EXPECT_EQ(s->mode, c.writing ? BLOB_OUTPUT | BLOB_OWN_BUFFER : BLOB_OWN_BUFFER);
        EXPECT_EQ(s->buffer_length, 512);
        if (c.writing) {
            EXPECT_EQ(s->count, 512);
            EXPECT_EQ(s->next, s->buffer);
            EXPECT_FALSE(same_id(id, seeded));  // the new blob's id
            EXPECT_EQ(tdxc_blob_segment_count(&id), 0);
        } else {
            EXPECT_EQ(s->count, 0);
            EXPECT_EQ(s->next, nullptr);
            EXPECT_TRUE(same_id(id, seeded));
        }
        EXPECT_EQ(BLOB_close(s), 1);
    }
}

TEST_F(blob_streams, BopenFailuresGiveNullQuietlyAndLeaveNothingOpen)
{
    struct Case {
        const char *what;
        tdxc_op op;
        int nth;
        const char *mode;
    };
    const Case cases[] = {
        {"open refused", TDXC_OPEN_BLOB, 1, "r"},
        {"create refused", TDXC_CREATE_BLOB, 1, "w"},
        {"no record", TDXC_ALLOC, 1, "r"},
        {"no buffer", TDXC_ALLOC, 2, "w"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        tdxc_reset();
        db = tdxc_attach("blobs.tdb");
        tdx_quad id = seed_blob({"text"});
        tdxc_fail(c.op, c.nth);
        blob_stream *s = reinterpret_cast<blob_stream *>(1);
        const std::string printed = testing_support::capture_stdout(
            [&] { s = Bopen(&id, db, tra, c.mode); });
        EXPECT_EQ(s, nullptr);
        EXPECT_EQ(printed, "");
        EXPECT_EQ(tdxc_calls(TDXC_PRINT_STATUS), 0);
        EXPECT_EQ(tdxc_open_blob_handles(), 0);
        EXPECT_EQ(tdxc_live_blocks(), 0);
    }
}

TEST_F(blob_streams, ReadingYieldsEveryByteInOrder)
{
    const std::string thousand = [] {
        std::string s;
        for (int i = 0; i < 1000; ++i)
            s += static_cast<char>('a' + i % 26);
        return s;
    }();
    struct Case {
        const char *what;
        Segments segments;
        std::string expected;
    };
    const Case cases[] = {
        {"empty blob", {}, ""},
        {"only an empty segment", {""}, ""},
        {"segment longer than the buffer", {thousand}, thousand},
        {"empty segment skipped", {"ab", "", "c"}, "abc"},
        {"every byte value", {all_byte_values(), "\xff"}, all_byte_values() + "\xff"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        tdx_quad id{};
        blob_stream *s = open_for_reading(db, c.segments, id);
        ASSERT_NE(s, nullptr);
        std::string bytes;
        const std::string printed =
            testing_support::capture_stdout([&] { bytes = read_all(s); });
        EXPECT_EQ(bytes, c.expected);
        EXPECT_EQ(printed, "");
        EXPECT_EQ(s->next, nullptr);
        EXPECT_EQ(s->count, 0);
        EXPECT_EQ(BLOB_close(s), 1);
    }
}

TEST_F(blob_streams, ASegmentLongerThanTheBufferComesInBufferSizedPieces)
{
    tdx_quad id{};
    blob_stream *s = open_for_reading(db, {std::string(1000, 'q')}, id);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(BLOB_get(s), 'q');
    EXPECT_EQ(s->count, 511);
    EXPECT_EQ(tdxc_calls(TDXC_GET_SEGMENT), 1);
    EXPECT_EQ(read_all(s).size(), 999u);
    EXPECT_EQ(tdxc_calls(TDXC_GET_SEGMENT), 3);  // 512, 488, end
    EXPECT_EQ(BLOB_close(s), 1);
}

TEST_F(blob_streams, AfterTheEndEveryGetAsksAgainAndGivesMinusOne)
{
    tdx_quad id{};
    blob_stream *s = open_for_reading(db, {"z"}, id);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(BLOB_get(s), 'z');
    for (int round = 1; round <= 3; ++round) {
        EXPECT_EQ(BLOB_get(s), -1);
        EXPECT_EQ(tdxc_calls(TDXC_GET_SEGMENT), 1 + round);
    }
    EXPECT_EQ(BLOB_close(s), 1);
}

TEST_F(blob_streams, ApplicationTakesBytesFromTheBufferBetweenGets)
{
    tdx_quad id{};
    blob_stream *s = open_for_reading(db, {"hello", "world"}, id);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(BLOB_get(s), 'h');
    ASSERT_EQ(s->count, 4);
    EXPECT_EQ(std::string(s->next, 4), "ello");
    s->next += 4;
    s->count = 0;
    EXPECT_EQ(BLOB_get(s), 'w');
    EXPECT_EQ(read_all(s), "orld");
    EXPECT_EQ(BLOB_close(s), 1);
}

TEST_F(blob_streams, ReadErrorIsPrintedAndEmptiesTheStream)
{
    tdx_quad id{};
    blob_stream *s = open_for_reading(db, {"ab", "cd"}, id);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(BLOB_get(s), 'a');
    tdxc_fail(TDXC_GET_SEGMENT, 1);
    std::string bytes;
    const std::string printed = testing_support::capture_stdout([&] { bytes = read_all(s); });
    EXPECT_EQ(bytes, "b");
    EXPECT_EQ(printed, "I/O error while reading a blob segment\n");
    EXPECT_EQ(s->next, nullptr);
    EXPECT_EQ(s->count, 0);
    EXPECT_EQ(BLOB_close(s), 1);
}

TEST_F(blob_streams, StreamWithoutBufferOrRecordGivesFailure)
{
    blob_stream bare{};
    bare.blob_handle = 0x1234;
    EXPECT_EQ(BLOB_get(&bare), -1);
    EXPECT_EQ(BLOB_put('a', &bare), 0);
    EXPECT_EQ(BLOB_get(nullptr), -1);
    EXPECT_EQ(BLOB_put('a', nullptr), 0);
    EXPECT_EQ(BLOB_close(nullptr), 0);
    EXPECT_EQ(tdxc_calls(TDXC_GET_SEGMENT) + tdxc_calls(TDXC_PUT_SEGMENT), 0);
}

TEST_F(blob_streams, EveryPutEndsASegmentAndCloseSendsNothingMore)
{
    tdx_quad id{};
    blob_stream *s = Bopen(&id, db, tra, "w");
    ASSERT_NE(s, nullptr);
    // Only the low 8 bits of the value are stored.
    for (int32_t byte : {int32_t{'a'}, int32_t{0x142}, int32_t{-1}}) {
        EXPECT_EQ(BLOB_put(byte, s), 1);
        EXPECT_EQ(s->next, s->buffer);
        EXPECT_EQ(s->count, 512);
    }
    EXPECT_EQ(BLOB_close(s), 1);
    EXPECT_EQ(segments_of(id), (Segments{"a", "B", "\xff"}));
}

TEST_F(blob_streams, ApplicationFillsTheBufferAndPutOrCloseSendsIt)
{
    tdx_quad id{};
    blob_stream *s = Bopen(&id, db, tra, "w");
    ASSERT_NE(s, nullptr);
    std::memcpy(s->next, "abc", 3);
    s->next += 3;
    s->count -= 3;
    EXPECT_EQ(BLOB_put('d', s), 1);
    EXPECT_EQ(s->count, 512);
    EXPECT_EQ(s->next, s->buffer);

    // A whole buffer filled directly, its last place taken by BLOB_put.
    std::memset(s->next, 'f', 511);
    s->next += 511;
    s->count = 1;
    EXPECT_EQ(BLOB_put('F', s), 1);

    std::memcpy(s->next, "xy", 2);
    s->next += 2;
    EXPECT_EQ(tdxc_calls(TDXC_PUT_SEGMENT), 2);
    EXPECT_EQ(BLOB_close(s), 1);
    EXPECT_EQ(tdxc_calls(TDXC_PUT_SEGMENT), 3);
    EXPECT_EQ(segments_of(id), (Segments{"abcd", std::string(511, 'f') + "F", "xy"}));
}

TEST_F(blob_streams, PutRefusesAStreamWithNoFreeByte)
{
    tdx_quad id{};
    blob_stream *s = Bopen(&id, db, tra, "w");
    ASSERT_NE(s, nullptr);
    char *const end = s->buffer + s->buffer_length;
    std::memset(s->buffer, 'k', 512);
    s->next = end;
    s->count = 0;
    EXPECT_EQ(BLOB_put('!', s), 0);
    EXPECT_EQ(s->next, end);
    EXPECT_EQ(tdxc_calls(TDXC_PUT_SEGMENT), 0);
    EXPECT_EQ(BLOB_close(s), 1);
    EXPECT_EQ(segments_of(id), (Segments{std::string(512, 'k')}));
}

TEST_F(blob_streams, PutOnAReadStreamRefuses)
{
    tdx_quad id{};
    blob_stream *s = open_for_reading(db, {"abc"}, id);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(BLOB_put('a', s), 0);  // no cursor yet
    EXPECT_EQ(tdxc_calls(TDXC_PUT_SEGMENT), 0);
    EXPECT_EQ(BLOB_close(s), 1);
}

TEST_F(blob_streams, RefusedPutKeepsTheByteAndCanBeRetried)
{
    tdx_quad id{};
    blob_stream *s = Bopen(&id, db, tra, "w");
    ASSERT_NE(s, nullptr);
    tdxc_fail(TDXC_PUT_SEGMENT, 1);
    const std::string printed =
        testing_support::capture_stdout([&] { EXPECT_EQ(BLOB_put('a', s), 0); });
    EXPECT_EQ(printed, "");
    EXPECT_EQ(s->next, s->buffer + 1);
    EXPECT_EQ(s->count, 512);
    EXPECT_EQ(BLOB_put('b', s), 1);
    EXPECT_EQ(BLOB_close(s), 1);
    EXPECT_EQ(segments_of(id), (Segments{"ab"}));
}

TEST_F(blob_streams, RefusedLastSegmentKeepsTheStreamForAnotherClose)
{
    tdx_quad id{};
    blob_stream *s = Bopen(&id, db, tra, "w");
    ASSERT_NE(s, nullptr);
    std::memcpy(s->next, "tail", 4);
    s->next += 4;
    tdxc_fail(TDXC_PUT_SEGMENT, 1);
    const std::string printed =
        testing_support::capture_stdout([&] { EXPECT_EQ(BLOB_close(s), 0); });
    EXPECT_EQ(printed, "");
    EXPECT_EQ(tdxc_open_blob_handles(), 1);
    EXPECT_EQ(tdxc_live_blocks(), 2);
    EXPECT_EQ(BLOB_close(s), 1);
    EXPECT_EQ(segments_of(id), (Segments{"tail"}));
}

TEST_F(blob_streams, CloseOfHandleZeroDoesNothingAndARefusedCloseStillFrees)
{
    tdx_quad id = seed_blob({"abc"});
    blob_stream *s = Bopen(&id, db, tra, "r");
    ASSERT_NE(s, nullptr);
    const tdx_handle handle = s->blob_handle;
    s->blob_handle = 0;
    EXPECT_EQ(BLOB_close(s), 0);
    EXPECT_EQ(tdxc_live_blocks(), 2);
    EXPECT_EQ(tdxc_calls(TDXC_CLOSE_BLOB), 0);

    s->blob_handle = handle;
    tdxc_fail(TDXC_CLOSE_BLOB, 1);
    EXPECT_EQ(BLOB_close(s), 1);
    EXPECT_EQ(tdxc_live_blocks(), 0);
    // The refused close left the core's handle open; close it for the fixture.
    tdx_status status[TDX_STATUS_LENGTH] = {};
    tdx_handle left = handle;
    EXPECT_EQ(tdx__close_blob(status, &left), 0);
}

TEST_F(blob_streams, WrittenBlobReadsBackThroughAReadStream)
{
    tdx_quad id{};
    blob_stream *w = Bopen(&id, db, tra, "W");
    ASSERT_NE(w, nullptr);
    const std::string text = all_byte_values() + all_byte_values();
    for (char c : text) {
        *w->next++ = c;
        if (--w->count == 1) {
            ASSERT_EQ(BLOB_put(0, w), 1);
        }
    }
    ASSERT_EQ(BLOB_close(w), 1);
    blob_stream *r = Bopen(&id, db, tra, "R");
    ASSERT_NE(r, nullptr);
    std::string expected = text;
    expected.insert(511, 1, '\0');
    EXPECT_EQ(read_all(r), expected);
    EXPECT_EQ(BLOB_close(r), 1);
}

}  // namespace
}  // namespace blob_tests
