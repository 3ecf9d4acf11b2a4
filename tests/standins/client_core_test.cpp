// The stand-in client core behaves as the client library relies on.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include <unistd.h>

#include "tdx_control.h"

namespace {

struct Day {
    int year, month, day;  // month 1 to 12 as asked; may be impossible
    int real_year, real_month, real_day;
};

TEST(Dates, ImpossibleDaysBecomeRealOnes)
{
    const Day days[] = {
        {1858, 11, 17, 1858, 11, 17}, {1995, 3, 17, 1995, 3, 17}, {2000, 2, 29, 2000, 2, 29},
        {1995, 2, 31, 1995, 3, 3},    {1995, 1, 0, 1994, 12, 31}, {1995, 13, 1, 1996, 1, 1},
        {1995, 0, 1, 1994, 12, 1},    {1900, 2, 29, 1900, 3, 1},  {1, 1, 1, 1, 1, 1},
    };
    for (const Day &d : days) {
        struct tm in {};
        in.tm_year = d.year - 1900;
        in.tm_mon = d.month - 1;
        in.tm_mday = d.day;
        in.tm_hour = 13;
        in.tm_min = 5;
        in.tm_sec = 9;
        internal_date date{};
        tdx__encode_date(&in, &date);
        EXPECT_EQ(date.time_of_day, ((13 * 60 + 5) * 60 + 9) * 10000);
        struct tm out {};
        tdx__decode_date(&date, &out);
        EXPECT_EQ(out.tm_year + 1900, d.real_year) << d.year << "-" << d.month << "-" << d.day;
        EXPECT_EQ(out.tm_mon + 1, d.real_month) << d.year << "-" << d.month << "-" << d.day;
        EXPECT_EQ(out.tm_mday, d.real_day) << d.year << "-" << d.month << "-" << d.day;
        EXPECT_EQ(out.tm_hour * 10000 + out.tm_min * 100 + out.tm_sec, 130509);
    }
}

TEST(Dates, ConsecutiveDaysHaveConsecutiveNumbers)
{
    struct tm t {};
    t.tm_year = 1999 - 1900;
    t.tm_mon = 11;
    t.tm_mday = 31;
    internal_date last_of_year{}, first_of_next{};
    tdx__encode_date(&t, &last_of_year);
    t.tm_mday = 32;
    tdx__encode_date(&t, &first_of_next);
    EXPECT_EQ(first_of_next.day_number, last_of_year.day_number + 1);
    t = {};
    t.tm_year = 1858 - 1900;
    t.tm_mon = 10;
    t.tm_mday = 17;
    tdx__encode_date(&t, &last_of_year);
    EXPECT_EQ(last_of_year.day_number, 0);
}

class Core : public ::testing::Test {
protected:
    void SetUp() override { tdxc_reset(); }
    tdx_status status[TDX_STATUS_LENGTH] = {};
};

TEST_F(Core, SegmentsComeInBufferSizedPieces)
{
    const std::string big(700, 'a');
    const char *segments[] = {big.data(), ""};
    const uint16_t lengths[] = {700, 0};
    tdx_quad id{};
    tdxc_blob_create(&id, 2, segments, lengths);
    tdx_handle db = tdxc_attach("db"), tra = 1, blob = 0;
    ASSERT_EQ(tdx__open_blob2(status, &db, &tra, &blob, &id, 0, nullptr), 0);
    char buffer[512];
    uint16_t length = 0;
    const long expected[][2] = {{TDX_SEGMENT_GOES_ON, 512}, {0, 188}, {0, 0}, {TDX_END_OF_BLOB, 0}};
    for (const auto &e : expected) {
        tdx__get_segment(status, &blob, &length, sizeof buffer, buffer);
        EXPECT_EQ(status[1], e[0]);
        EXPECT_EQ(length, e[1]);
    }
    EXPECT_EQ(tdx__close_blob(status, &blob), 0);
    EXPECT_EQ(tdxc_open_blob_handles(), 0);
}

TEST_F(Core, InfoReplyThatDoesNotFitEndsWithItemTwo)
{
    tdx_handle db = tdxc_attach("db");
    const unsigned char items[] = {TDX_INFO_VERSION, TDX_INFO_IMPLEMENTATION, TDX_INFO_END};
    unsigned char reply[256];
    ASSERT_EQ(mvt_database_info(status, &db, 3, items, sizeof reply, reply), 0);
    EXPECT_EQ(reply[0], TDX_INFO_VERSION);
    const int version_length = reply[1] | (reply[2] << 8);
    EXPECT_EQ(reply[3 + version_length], TDX_INFO_IMPLEMENTATION);

    std::memset(reply, 0, sizeof reply);
    ASSERT_EQ(mvt_database_info(status, &db, 3, items, 20, reply), 0);
    EXPECT_EQ(reply[0], TDX_INFO_TRUNCATED);
}

TEST_F(Core, InjectedFaultsHitTheNthCall)
{
    tdxc_fail(TDXC_ALLOC, 2);
    void *first = tdx__alloc(4);
    EXPECT_NE(first, nullptr);
    EXPECT_EQ(tdx__alloc(4), nullptr);
    void *third = tdx__alloc(4);
    EXPECT_NE(third, nullptr);
    tdx__free(first);
    tdx__free(third);
    EXPECT_EQ(tdxc_live_blocks(), 0);
    EXPECT_EQ(tdxc_calls(TDXC_ALLOC), 3);
}

}  // namespace

namespace {

// Without TDX_LOG_FILE the log line is kept but written nowhere: on standard
// error it would mix into the output of the programs and fuzz runs.
TEST_F(Core, LogWithoutAFileStaysOffStandardError)
{
    ::unsetenv("TDX_LOG_FILE");
    std::fflush(stderr);
    FILE *sink = std::tmpfile();
    const int saved = ::dup(2);
    ::dup2(::fileno(sink), 2);
    tdx__log("mvt_extend_dpb: out of memory");
    std::fflush(stderr);
    ::dup2(saved, 2);
    ::close(saved);
    EXPECT_EQ(std::ftell(sink), 0);
    std::fclose(sink);
    EXPECT_STREQ(tdxc_last_log(), "mvt_extend_dpb: out of memory");
}

}  // namespace
