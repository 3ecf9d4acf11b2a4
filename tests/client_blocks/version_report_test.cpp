// The version report, the on-disk structure query and the name tables.
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "allocation_recorder.h"
#include "dbutil.h"
#include "capture.h"
#include "integer_reads.h"
#include "tdx_control.h"

namespace {

using Bytes = std::vector<unsigned char>;
using Lines = std::vector<std::string>;

Bytes clump(unsigned char item, const Bytes &value)
{
    Bytes out{item, static_cast<unsigned char>(value.size() & 0xFF),
              static_cast<unsigned char>(value.size() >> 8)};
    out.insert(out.end(), value.begin(), value.end());
    return out;
}

// Item 11: count byte, then implementation and class code pairs.
Bytes codes(unsigned char count, const std::vector<std::pair<unsigned char, unsigned char>> &pairs)
{
    Bytes value{count};
    for (const auto &[implementation, class_code] : pairs) {
        value.push_back(implementation);
        value.push_back(class_code);
    }
    return clump(TDX_INFO_IMPLEMENTATION, value);
}

// Item 12: count byte, then counted texts.
Bytes texts(unsigned char count, const std::vector<std::string> &versions)
{
    Bytes value{count};
    for (const std::string &text : versions) {
        value.push_back(static_cast<unsigned char>(text.size()));
        value.insert(value.end(), text.begin(), text.end());
    }
    return clump(TDX_INFO_VERSION, value);
}

Bytes operator+(Bytes a, const Bytes &b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

const Bytes end_item{TDX_INFO_END};

void script(const Bytes &reply, int times)
{
    tdxc_script_info(reply.data(), static_cast<int>(reply.size()), times);
}

void collect(void *argument, const char *line)
{
    static_cast<Lines *>(argument)->push_back(line);
}

// The stand-in core's own layers and on-disk structure version.
const std::string router_line =
    "Morvanta Router/Linux i386 (Y-valve), version \"LX-V4.0G Morvanta stand-in Y-valve\"";
const std::string engine_line =
    "Morvanta Engine/Linux i386 (access method), version \"LX-V4.0G Morvanta stand-in access method\"";
const std::string ods_line = "on disk structure version 9.1";

class VersionReport : public ::testing::Test {
protected:
    void SetUp() override
    {
        tdxc_reset();
        allocation_recorder::clear();
        database = tdxc_attach("report.mdb");
    }
    void TearDown() override { EXPECT_EQ(tdxc_live_blocks(), 0); }

    int32_t report(Lines *lines) { return tdx__version(&database, collect, lines); }

    tdx_handle database = 0;
};

TEST_F(VersionReport, DefaultRoutinePrintsTabbedLinesToStandardOutput)
{
    int32_t result = -1;
    const std::string out =
        testing_support::capture_stdout([&] { result = tdx__version(&database, nullptr, nullptr); });
    EXPECT_EQ(result, 0);
    EXPECT_EQ(out, "\t" + router_line + "\n\t" + engine_line + "\n\t" + ods_line + "\n");
    // The usual reply fits the first area: nothing is allocated.
    EXPECT_TRUE(allocation_recorder::sizes().empty());
}

TEST_F(VersionReport, CallerRoutineGetsItsArgumentAndEachLine)
{
    Lines lines;
    EXPECT_EQ(report(&lines), 0);
    EXPECT_EQ(lines, (Lines{router_line, engine_line, ods_line}));
}

TEST_F(VersionReport, ComponentLinesFromTheReply)
{
    const struct {
        const char *what;
        Bytes reply;
        Lines expected;
    } cases[] = {
        {"unknown implementations",
         codes(2, {{0, 3}, {200, 1}}) + texts(2, {"R-1.0", "A-2.0"}) + end_item,
         {"**unknown** (remote interface), version \"R-1.0\"",
          "**unknown** (access method), version \"A-2.0\""}},
        {"the smaller count wins", codes(3, {{1, 1}, {2, 1}, {3, 1}}) + texts(2, {"a", "b"}) + end_item,
         {"Morvanta Server/Linux i386 (access method), version \"a\"",
          "Morvanta Server/Linux x86_64 (access method), version \"b\""}},
        {"class names and unknown classes",
         codes(5, {{10, 0}, {10, 5}, {10, 6}, {10, 13}, {25, 12}}) +
             texts(5, {"", "", "", "", "sc"}) + end_item,
         {"Morvanta Client/Linux i386 (**unknown**), version \"\"",
          "Morvanta Client/Linux i386 (**unknown**), version \"\"",
          "Morvanta Client/Linux i386 (**unknown**), version \"\"",
          "Morvanta Client/Linux i386 (**unknown**), version \"\"",
          "Morvanta Client/Linux i386 (access method/shared cache), version \"sc\""}},
        {"items in either order", texts(1, {"t"}) + codes(1, {{59, 11}}) + end_item,
         {"Morvanta Server/Solaris x86 (gateway), version \"t\""}},
        // A count is held against its clump only as far as the lines need it.
        {"a larger count that no line needs", codes(3, {{1, 1}}) + texts(1, {"Q"}) + end_item,
         {"Morvanta Server/Linux i386 (access method), version \"Q\""}},
        // The walk also ends where the area does: the clumps fill all 256
        // bytes and there is no room for item 1.
        {"clumps filling the first area exactly", codes(1, {{1, 1}}) + texts(1, {std::string(245, 'v')}),
         {("Morvanta Server/Linux i386 (access method), version \"" + std::string(245, 'v'))
              .substr(0, VERSION_LINE_AREA - 1)}},
        {"no components", codes(0, {}) + texts(0, {}) + end_item, {}},
        {"counts read as signed bytes", codes(0x80, {}) + texts(0x80, {}) + end_item, {}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        script(c.reply, 1);
        Lines lines;
        EXPECT_EQ(report(&lines), 0);
        Lines expected = c.expected;
        expected.push_back(ods_line);
        EXPECT_EQ(lines, expected);
    }
}

TEST_F(VersionReport, LongLinesAreCutToTheirArea)
{
    // Long enough to pass the line area, short enough for the first reply area.
    const std::string version(200, 'v');
    script(codes(1, {{1, 1}}) + texts(1, {version}) + end_item, 1);
    Lines lines;
    EXPECT_EQ(report(&lines), 0);
    ASSERT_EQ(lines.size(), 2u);
    const std::string full = "Morvanta Server/Linux i386 (access method), version \"" + version + "\"";
    EXPECT_EQ(lines[0], full.substr(0, VERSION_LINE_AREA - 1));
}

TEST_F(VersionReport, TruncatedReplyIsAskedAgainInALargerArea)
{
    const struct {
        Bytes truncated;
        int times;
        std::vector<int32_t> areas;
    } cases[] = {
        {{TDX_INFO_TRUNCATED}, 1, {1280}},
        // Whole clumps before the mark are not printed from the cut reply.
        {codes(1, {{1, 1}}) + Bytes{TDX_INFO_TRUNCATED}, 2, {1280, 2304}},
    };
    for (const auto &c : cases) {
        tdxc_reset();
        database = tdxc_attach("report.mdb");
        allocation_recorder::clear();
        script(c.truncated, c.times);
        Lines lines;
        EXPECT_EQ(report(&lines), 0);
        EXPECT_EQ(lines, (Lines{router_line, engine_line, ods_line}));
        EXPECT_EQ(allocation_recorder::sizes(), c.areas);
        EXPECT_EQ(tdxc_calls(TDXC_FREE), c.times);
    }
}

// The truncation mark is a clump like the others: its length is read when it
// lies inside the area. A mark in the area's last byte still asks again.
TEST_F(VersionReport, TruncationMarkLengthIsReadInsideTheArea)
{
    const struct {
        const char *what;
        Bytes reply;
        std::vector<ptrdiff_t> length_offsets;  // where 2-byte lengths were read
    } cases[] = {
        {"mark first", {TDX_INFO_TRUNCATED}, {1}},
        {"mark after a clump", codes(1, {{1, 1}}) + Bytes{TDX_INFO_TRUNCATED, 0, 0}, {1, 7}},
        {"mark in the last byte", clump(TDX_INFO_VERSION, Bytes(252, 0)) + Bytes{TDX_INFO_TRUNCATED},
         {1}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        tdxc_reset();
        database = tdxc_attach("report.mdb");
        allocation_recorder::clear();
        integer_reads::clear();
        script(c.reply, 1);
        tdxc_fail(TDXC_ALLOC, 1);  // ends the report after the first walk
        Lines lines;
        EXPECT_EQ(report(&lines), 1);
        EXPECT_TRUE(lines.empty());
        EXPECT_EQ(allocation_recorder::sizes(), std::vector<int32_t>{1280});
        std::vector<integer_reads::AreaRead> lengths_read;
        for (const ptrdiff_t at : c.length_offsets)
            lengths_read.emplace_back(at, 2);
        EXPECT_EQ(integer_reads::reads_in_area(), lengths_read);
    }
}

// The area's length is an unsigned 16-bit count: it grows by 1024 bytes up
// to 64768, the last size that fits; a reply still cut then fails the report
// with nothing printed and no area left allocated.
TEST_F(VersionReport, EndlessTruncationEndsAtTheLargestArea)
{
    script({TDX_INFO_TRUNCATED}, -1);
    Lines lines;
    EXPECT_EQ(report(&lines), 1);
    EXPECT_TRUE(lines.empty());
    std::vector<int32_t> areas;
    for (int32_t area = 1280; area <= 64768; area += 1024)
        areas.push_back(area);
    EXPECT_EQ(allocation_recorder::sizes(), areas);
    EXPECT_EQ(tdxc_calls(TDXC_INFO), 64);
}

// Areas above 32767 bytes reach the core whole: after 32 cut replies the
// 33024-byte area takes the core's own complete reply.
TEST_F(VersionReport, AreasBeyondSignedSixteenBitsAreUsed)
{
    script({TDX_INFO_TRUNCATED}, 32);
    Lines lines;
    EXPECT_EQ(report(&lines), 0);
    EXPECT_EQ(lines, (Lines{router_line, engine_line, ods_line}));
    ASSERT_EQ(allocation_recorder::sizes().size(), 32u);
    EXPECT_EQ(allocation_recorder::sizes().back(), 33024);
}

TEST_F(VersionReport, FailuresEndTheReportWithOne)
{
    const Bytes good = codes(2, {{1, 1}, {2, 2}}) + texts(2, {"a", "b"}) + end_item;
    const std::string first = "Morvanta Server/Linux i386 (access method), version \"a\"";
    const std::string second = "Morvanta Server/Linux x86_64 (Y-valve), version \"b\"";
    const struct {
        const char *what;
        std::function<void()> arrange;
        Lines expected;
    } cases[] = {
        {"request refused", [] { tdxc_fail(TDXC_INFO, 1); }, {}},
        {"request refused after truncation",
         [] {
             script({TDX_INFO_TRUNCATED}, 1);
             tdxc_fail(TDXC_INFO, 2);
         },
         {}},
        {"no memory for the larger area",
         [] {
             script({TDX_INFO_TRUNCATED}, 1);
             tdxc_fail(TDXC_ALLOC, 1);
         },
         {}},
        {"unexpected item", [&] { script(Bytes{4, 1, 0, 9} + good, 1); }, {}},
        {"item 12 missing", [] { script(codes(1, {{1, 1}}) + end_item, 1); }, {}},
        {"item 11 missing", [] { script(texts(1, {"a"}) + end_item, 1); }, {}},
        {"clump length past the area", [] { script({TDX_INFO_IMPLEMENTATION, 0xFF, 0xFF, 1, 1, 1}, 1); },
         {}},
        {"clump one byte past the first area",
         [] { script(codes(1, {{1, 1}}) + texts(1, {std::string(246, 'v')}), 1); }, {}},
        {"clump header cut by the area",
         [] { script(clump(TDX_INFO_VERSION, Bytes(252, 0)) + Bytes{TDX_INFO_IMPLEMENTATION, 3}, 1); },
         {}},
        {"count beyond the pairs given",
         [] { script(codes(3, {{1, 1}}) + texts(3, {"a", "b", "c"}) + end_item, 1); },
         {"Morvanta Server/Linux i386 (access method), version \"a\""}},
        {"count beyond the texts given",
         [] { script(codes(2, {{1, 1}, {2, 2}}) + texts(2, {"a"}) + end_item, 1); },
         {"Morvanta Server/Linux i386 (access method), version \"a\""}},
        {"on-disk query refused after the lines",
         [&] {
             script(good, 1);
             tdxc_fail(TDXC_INFO, 2);
         },
         {first, second}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        tdxc_reset();
        database = tdxc_attach("report.mdb");
        c.arrange();
        Lines lines;
        EXPECT_EQ(report(&lines), 1);
        EXPECT_EQ(lines, c.expected);
        EXPECT_EQ(tdxc_calls(TDXC_PRINT_STATUS), 0);
        EXPECT_EQ(tdxc_live_blocks(), 0);
    }
}

TEST_F(VersionReport, RefusedRequestPrintsNothing)
{
    tdxc_fail(TDXC_INFO, 1);
    int32_t result = -1;
    const std::string out =
        testing_support::capture_stdout([&] { result = tdx__version(&database, nullptr, nullptr); });
    EXPECT_EQ(result, 1);
    EXPECT_EQ(out, "");
}

// The on-disk structure query, reached through the report: its reply is
// scripted from inside the print routine, once the component request has been
// answered with one component. The integer reads seen from then on are the
// query's own.
struct ods_run {
    Bytes reply;
    Lines lines;
};

void script_ods_reply(void *argument, const char *line)
{
    auto *run = static_cast<ods_run *>(argument);
    if (run->lines.empty()) {
        script(run->reply, 1);
        integer_reads::clear();
    }
    run->lines.push_back(line);
}

TEST_F(VersionReport, OnDiskStructureQuery)
{
    const std::string component = "Morvanta Server/Linux i386 (access method), version \"x\"";
    const struct {
        const char *what;
        Bytes reply;
        int32_t result;
        const char *line;  // the last line, null when none follows the component
        std::vector<integer_reads::AreaRead> reads;
    } cases[] = {
        {"both items", clump(32, {8, 0}) + clump(33, {2, 0}) + end_item, 0,
         "on disk structure version 8.2", {{1, 2}, {3, 2}, {6, 2}, {8, 2}}},
        {"either order, one-byte values", clump(33, {3}) + clump(32, {7}) + end_item, 0,
         "on disk structure version 7.3", {{1, 2}, {3, 1}, {5, 2}, {7, 1}}},
        {"kept as 16 bits", clump(32, {9, 0, 1, 0}) + end_item, 0, "on disk structure version 9.0",
         {{1, 2}, {3, 4}}},
        {"no items", end_item, 0, "on disk structure version 0.0", {}},
        // The value is read before its item is looked at.
        {"another item", clump(12, {1}) + end_item, 1, nullptr, {{1, 2}, {3, 1}}},
        {"truncation mark", {TDX_INFO_TRUNCATED}, 1, nullptr, {{1, 2}, {3, 0}}},
        {"no end within 16 bytes", clump(32, Bytes(13, 0)), 1, nullptr, {{1, 2}, {3, 13}}},
        {"clump past the area", clump(32, Bytes(14, 0)), 1, nullptr, {{1, 2}}},
        {"clump header cut by the area", clump(32, Bytes(11, 0)) + Bytes{33, 0}, 1, nullptr,
         {{1, 2}, {3, 11}}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        script(codes(1, {{1, 1}}) + texts(1, {"x"}) + end_item, 1);
        ods_run run{c.reply, {}};
        EXPECT_EQ(tdx__version(&database, script_ods_reply, &run), c.result);
        Lines expected{component};
        if (c.line != nullptr)
            expected.push_back(c.line);
        EXPECT_EQ(run.lines, expected);
        EXPECT_EQ(integer_reads::reads_in_area(), c.reads);
    }
}

struct FormatCase {
    uint16_t code;
    uint16_t length;
    std::string expected;  // the whole area afterwards; areas start filled with '#'
};

TEST(FormatImplementation, NamesAreCutToTheAreaAndZeroTerminated)
{
    using namespace std::string_literals;
    const FormatCase class_cases[] = {
        {9, 8, "central\0"s},
        {11, 8, "gateway\0"s},
        {11, 7, "gatewa\0"s},
        {11, 12, "gateway\0\0\0\0#"s},
        {1, 1, "\0"s},
        {1, 0, ""s},
        {13, 14, "**unknown**\0\0#"s},
        {0, 12, "**unknown**\0"s},
    };
    for (const FormatCase &c : class_cases) {
        SCOPED_TRACE(c.code);
        SCOPED_TRACE(c.length);
        std::string implementation(40, '#');
        std::string class_name(40, '#');
        mvt_format_implementation(1, 40, implementation.data(), c.code, c.length, class_name.data());
        EXPECT_EQ(class_name.substr(0, c.expected.size()), c.expected);
        EXPECT_EQ(class_name.substr(c.expected.size()), std::string(40 - c.expected.size(), '#'));
        EXPECT_STREQ(implementation.c_str(), "Morvanta Server/Linux i386");
    }
    std::string implementation(32, '#');
    std::string class_name(8, '#');
    mvt_format_implementation(60, 32, implementation.data(), 2, 0, class_name.data());
    EXPECT_EQ(implementation, "**unknown**"s + std::string(20, '\0') + "#");
    EXPECT_EQ(class_name, std::string(8, '#'));
}

TEST(FormatImplementation, ImplementationTableRows)
{
    const auto name_of = [](uint16_t code) {
        char area[64];
        char class_area[1];
        mvt_format_implementation(code, sizeof area, area, 0, 0, class_area);
        return std::string(area);
    };
    for (uint16_t code = 0; code <= 60; ++code) {
        SCOPED_TRACE(code);
        const bool empty_row = code == 0 || code == 8 || code == 9 || (code >= 15 && code <= 24) ||
                               code >= 60;
        const std::string name = name_of(code);
        if (empty_row) {
            EXPECT_EQ(name, IMPLEMENTATION_UNKNOWN);
        } else {
            // Each named row is a product line of ours and a platform.
            EXPECT_EQ(name.rfind("Morvanta ", 0), 0u) << name;
            EXPECT_NE(name.find('/'), std::string::npos) << name;
        }
    }
    for (uint16_t code = 25; code <= 29; ++code)
        EXPECT_EQ(name_of(code), name_of(code - 15));
    EXPECT_EQ(name_of(0xFFFF), IMPLEMENTATION_UNKNOWN);
}

}  // namespace
