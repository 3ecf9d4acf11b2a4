// A blob's length, segment count and longest segment from the core's reply.
#include <vector>

#include "blob_test_support.h"
#include "integer_reads.h"

namespace blob_tests {
namespace {

class blob_size_reply : public core_test {
  protected:
    void SetUp() override
    {
        core_test::SetUp();
        id = seed_blob({"abc", "", "defgh"});
        tdx_status status[TDX_STATUS_LENGTH] = {};
        ASSERT_EQ(tdx__open_blob2(status, &db, &tra, &handle, &id, 0, nullptr), 0);
    }
    void TearDown() override
    {
        tdx_status status[TDX_STATUS_LENGTH] = {};
        tdx__close_blob(status, &handle);
        core_test::TearDown();
    }

    tdx_quad id{};
    tdx_handle handle = 0;
};

TEST_F(blob_size_reply, ReadsTheCoresReply)
{
    int32_t total = -7, segments = -7, longest = -7;
    EXPECT_EQ(tdx__blob_size(&handle, &total, &segments, &longest), 1);
    EXPECT_EQ(total, 8);
    EXPECT_EQ(segments, 3);
    EXPECT_EQ(longest, 5);
    EXPECT_EQ(tdx__blob_size(&handle, nullptr, nullptr, nullptr), 1);
}

TEST_F(blob_size_reply, RefusedRequestIsPrinted)
{
    tdxc_fail(TDXC_INFO, 1);
    int32_t total = -7;
    const std::string printed = testing_support::capture_stdout(
        [&] { EXPECT_EQ(tdx__blob_size(&handle, &total, nullptr, nullptr), 0); });
    EXPECT_EQ(printed, "information request refused\n");
    EXPECT_EQ(total, -7);
}

// Each walk's reads through tdx__vax_integer are the core's to see: the
// length of each clump of an accepted item, taken as signed, then its value;
// an item other than the three is refused before its length is read.
TEST_F(blob_size_reply, ScriptedReplies)
{
    using Reads = std::vector<integer_reads::AreaRead>;
    struct Case {
        const char *what;
        std::vector<unsigned char> reply;
        int32_t result;
        int32_t total, segments, longest;  // -7: not stored
        Reads reads;
    };
    const Case cases[] = {
        {"items in any order, then the end",
         {4, 4, 0, 2, 0, 0, 0, 6, 4, 0, 0x10, 0x27, 0, 0, 5, 4, 0, 9, 0, 0, 0, 1}, 1, 10000, 2, 9,
         {{1, 2}, {3, 4}, {8, 2}, {10, 4}, {15, 2}, {17, 4}}},
        {"two-byte values", {4, 2, 0, 0x34, 0x12, 1}, 1, -7, 0x1234, -7, {{1, 2}, {3, 2}}},
        {"end at once", {1}, 1, -7, -7, -7, {}},
        {"truncation marker after a value", {6, 4, 0, 10, 0, 0, 0, 2, 1}, 0, 10, -7, -7,
         {{1, 2}, {3, 4}}},
        {"unknown item", {9, 4, 0, 1, 0, 0, 0, 1}, 0, -7, -7, -7, {}},
        {"zero item where the end should be", {6, 1, 0, 3}, 0, 3, -7, -7, {{1, 2}, {3, 1}}},
        {"length past the area", {6, 0xFF, 0x7F, 1, 0, 0, 0, 1}, 0, -7, -7, -7, {{1, 2}}},
        {"negative length", {6, 0xFF, 0xFF, 1}, 0, -7, -7, -7, {{1, 2}}},
        {"length one past the area",
         [] {
             std::vector<unsigned char> r(64, 0);
             r[0] = 6;
             r[1] = 62;  // 3 + 62 bytes: one past the area
             return r;
         }(),
         0, -7, -7, -7, {{1, 2}}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        tdxc_script_info(c.reply.data(), static_cast<int>(c.reply.size()), 1);
        int32_t total = -7, segments = -7, longest = -7;
        integer_reads::clear();
        EXPECT_EQ(tdx__blob_size(&handle, &total, &segments, &longest), c.result);
        EXPECT_EQ(total, c.total);
        EXPECT_EQ(segments, c.segments);
        EXPECT_EQ(longest, c.longest);
        EXPECT_EQ(integer_reads::reads_in_area(), c.reads);
    }
}

TEST_F(blob_size_reply, ReplyFillingTheAreaWithoutEndIsRefused)
{
    // 21 empty clumps fill 63 bytes; the 64th starts a clump whose length
    // would lie past the area.
    std::vector<unsigned char> reply;
    for (int i = 0; i < 21; ++i)
        reply.insert(reply.end(), {4, 0, 0});
    reply.push_back(4);
    ASSERT_EQ(reply.size(), 64u);
    tdxc_script_info(reply.data(), static_cast<int>(reply.size()), 1);
    EXPECT_EQ(tdx__blob_size(&handle, nullptr, nullptr, nullptr), 0);

    // A value that ends exactly at the area's end is still read.
    std::vector<unsigned char> full{4, 61, 0};
    full.resize(64, 0);
    full[3] = 5;
    tdxc_script_info(full.data(), static_cast<int>(full.size()), 1);
    int32_t segments = -7;
    EXPECT_EQ(tdx__blob_size(&handle, nullptr, &segments, nullptr), 0);  // no end item
    EXPECT_EQ(segments, 5);
}

}  // namespace
}  // namespace blob_tests
