// Event blocks from name lists and arrays, count differences, address words.
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "allocation_recorder.h"
#include "dbutil.h"
#include "integer_reads.h"
#include "tdx_control.h"

namespace {

using Bytes = std::vector<unsigned char>;

// One name record as the builders write it: length, name, zero count.
Bytes record(const std::string &name)
{
    Bytes out{static_cast<unsigned char>(name.size())};
    out.insert(out.end(), name.begin(), name.end());
    out.insert(out.end(), 4, 0);
    return out;
}

Bytes block_of(const std::vector<std::string> &names)
{
    Bytes out{1};
    for (const std::string &name : names) {
        const Bytes r = record(name);
        out.insert(out.end(), r.begin(), r.end());
    }
    return out;
}

// A blank-padded field of EVENT_NAME_WIDTH bytes.
std::string field(const std::string &name)
{
    std::string out = name;
    out.resize(EVENT_NAME_WIDTH, ' ');
    return out;
}

// Calls the variadic builder with the names of a vector.
int32_t event_block(char **events, char **results, const std::vector<std::string> &names)
{
    const auto n = [&](size_t i) { return names[i].c_str(); };
    switch (names.size()) {
    case 0: return tdx__event_block(events, results, 0);
    case 1: return tdx__event_block(events, results, 1, n(0));
    case 2: return tdx__event_block(events, results, 2, n(0), n(1));
    case 3: return tdx__event_block(events, results, 3, n(0), n(1), n(2));
    }
    ADD_FAILURE() << "too many names for the helper";
    return 0;
}

class EventBlocks : public ::testing::Test {
protected:
    void SetUp() override
    {
        tdxc_reset();
        allocation_recorder::clear();
    }
    void TearDown() override
    {
        tdx__free(events);
        tdx__free(results);
        EXPECT_EQ(tdxc_live_blocks(), 0);
    }
    // Released at the end; a builder that fails must leave them null or untouched.
    char *events = nullptr;
    char *results = nullptr;
};

TEST_F(EventBlocks, ListFormDropsTrailingBlanksButSizesBuffersWithThem)
{
    const struct {
        const char *what;
        std::vector<std::string> names;
        Bytes expected;
        int32_t buffer_size;
    } cases[] = {
        {"no names", {}, {1}, 1},
        {"trailing blanks go", {"ALPHA   "}, block_of({"ALPHA"}), 1 + 13},
        {"empty and all-blank names", {"", "    "}, block_of({"", ""}), 1 + 5 + 9},
        {"inner and leading blanks stay, case kept", {" a b  "}, block_of({" a b"}), 1 + 11},
        {"names repeat in order", {"x", "Y", "x"}, block_of({"x", "Y", "x"}), 1 + 18},
        {"255 bytes fit", {std::string(255, 'n') + "  "}, block_of({std::string(255, 'n')}),
         1 + 262},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        allocation_recorder::clear();
        const int32_t length = event_block(&events, &results, c.names);
        ASSERT_EQ(length, static_cast<int32_t>(c.expected.size()));
        EXPECT_EQ(Bytes(events, events + length), c.expected);
        EXPECT_EQ(allocation_recorder::sizes(), (std::vector<int32_t>{c.buffer_size, c.buffer_size}));
        tdx__free(events);
        tdx__free(results);
        events = results = nullptr;
    }
}

TEST_F(EventBlocks, ListFormRefusesANameItsLengthByteCannotCarry)
{
    char sentinel = 0;
    results = &sentinel;
    const std::string name(256, 'n');
    EXPECT_EQ(tdx__event_block(&events, &results, 1, name.c_str()), 0);
    EXPECT_EQ(events, nullptr);
    EXPECT_EQ(results, &sentinel);
    EXPECT_TRUE(allocation_recorder::sizes().empty());
    results = nullptr;
}

TEST_F(EventBlocks, ArrayFormsTakeFixedFieldsAndAllocateTheExactLength)
{
    const struct {
        const char *what;
        std::vector<std::string> fields;
        Bytes expected;
    } cases[] = {
        {"no names", {}, {1}},
        {"31 letters, no blank", {std::string(31, 'L')}, block_of({std::string(31, 'L')})},
        {"31 blanks", {field("")}, block_of({""})},
        {"a zero byte does not end a field", {field(std::string("ab\0cd", 5))},
         block_of({std::string("ab\0cd", 5)})},
        {"two fields", {field("DEPOSIT"), field(" WITHDRAW AL")},
         block_of({"DEPOSIT", " WITHDRAW AL"})},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<const char *> names;
        for (const std::string &f : c.fields)
            names.push_back(f.c_str());
        const auto count = static_cast<int16_t>(names.size());

        allocation_recorder::clear();
        const uint16_t length = tdx__event_block_a(&events, &results, count, names.data());
        ASSERT_EQ(length, c.expected.size());
        EXPECT_EQ(Bytes(events, events + length), c.expected);
        EXPECT_EQ(allocation_recorder::sizes(), (std::vector<int32_t>{length, length}));
        tdx__free(events);
        tdx__free(results);

        uint16_t stored = 0xBEEF;
        EXPECT_EQ(tdx__event_block_s(&events, &results, count, names.data(), &stored), length);
        EXPECT_EQ(stored, length);
        EXPECT_EQ(Bytes(events, events + length), c.expected);
        tdx__free(events);
        tdx__free(results);
        events = results = nullptr;
    }
}

// 1820 full fields and one of 9 letters make 65535 bytes; one letter more
// would make a length the 16-bit result cannot carry.
TEST_F(EventBlocks, ArrayFormsRefuseABlockOf65536Bytes)
{
    const std::string full = std::string(31, 'F');
    for (const auto &[last, expected] : {std::pair{field("123456789"), 65535},
                                         std::pair{field("1234567890"), 0}}) {
        std::vector<const char *> names(1820, full.c_str());
        names.push_back(last.c_str());
        uint16_t stored = 0xBEEF;
        EXPECT_EQ(tdx__event_block_s(&events, &results, static_cast<int16_t>(names.size()),
                                     names.data(), &stored),
                  expected);
        EXPECT_EQ(stored, expected);
        EXPECT_EQ(events == nullptr, expected == 0);
        tdx__free(events);
        tdx__free(results);
        events = results = nullptr;
    }
}

TEST_F(EventBlocks, FailedAllocationLeavesNothingAllocated)
{
    using Builder = int32_t (*)(char **, char **);
    const Builder builders[] = {
        [](char **e, char **r) { return tdx__event_block(e, r, 1, "ALPHA"); },
        [](char **e, char **r) {
            const std::string f = field("ALPHA");
            const char *n[] = {f.c_str()};
            return int32_t{tdx__event_block_a(e, r, 1, n)};
        },
        [](char **e, char **r) {
            const std::string f = field("ALPHA");
            const char *n[] = {f.c_str()};
            uint16_t stored = 0xBEEF;
            const uint16_t result = tdx__event_block_s(e, r, 1, n, &stored);
            EXPECT_EQ(stored, 0);
            return int32_t{result};
        },
    };
    for (const Builder build : builders) {
        char sentinel = 0;
        // First allocation: the result-block pointer is not written.
        tdxc_reset();
        tdxc_fail(TDXC_ALLOC, 1);
        events = results = &sentinel;
        EXPECT_EQ(build(&events, &results), 0);
        EXPECT_EQ(events, nullptr);
        EXPECT_EQ(results, &sentinel);
        EXPECT_EQ(tdxc_live_blocks(), 0);

        // Second allocation: the first buffer is released again.
        tdxc_reset();
        tdxc_fail(TDXC_ALLOC, 2);
        events = results = &sentinel;
        EXPECT_EQ(build(&events, &results), 0);
        EXPECT_EQ(events, nullptr);
        EXPECT_EQ(results, nullptr);
        EXPECT_EQ(tdxc_calls(TDXC_FREE), 1);
        EXPECT_EQ(tdxc_live_blocks(), 0);
        events = results = nullptr;
    }
}

void put_count(Bytes &block, size_t at, uint32_t count)
{
    for (int i = 0; i < 4; ++i)
        block[at + i] = static_cast<unsigned char>(count >> (8 * i));
}

TEST_F(EventBlocks, CountsAreDifferencesAndTheResultBecomesTheBase)
{
    // Records start at 1, 1 + 7 ("ab") and 1 + 7 + 5 (""); counts lie 1 + n into each.
    Bytes event = block_of({"ab", "", "xyz"});
    Bytes result = event;
    put_count(event, 4, 3);
    put_count(result, 4, 5);
    put_count(event, 9, 7);
    put_count(result, 9, 7);
    put_count(event, 17, 0xFFFFFFFFu);
    put_count(result, 17, 1);
    // The result block's name bytes are not read: the event block's lengths lead.
    result[2] = 'Q';
    const Bytes expected_base = result;

    uint32_t vector[4] = {0, 0, 0, 0xDEADBEEF};
    integer_reads::clear();
    tdx__event_counts(vector, static_cast<uint16_t>(event.size()), reinterpret_cast<char *>(event.data()),
                      reinterpret_cast<char *>(result.data()));
    EXPECT_EQ(vector[0], 2u);
    EXPECT_EQ(vector[1], 0u);
    EXPECT_EQ(vector[2], 2u);  // wrapped from 0xFFFFFFFF to 1
    EXPECT_EQ(vector[3], 0xDEADBEEFu);
    EXPECT_EQ(event, expected_base);
    // Each count field is read as a 4-byte integer, the old count before the new.
    std::vector<integer_reads::Read> expected_reads;
    for (const size_t at : {4, 9, 17}) {
        expected_reads.push_back({event.data() + at, 4});
        expected_reads.push_back({result.data() + at, 4});
    }
    EXPECT_EQ(integer_reads::reads(), expected_reads);
}

TEST_F(EventBlocks, CountsStayInsideTheGivenLength)
{
    Bytes event = block_of({"ab", "cd"});
    Bytes result = event;
    put_count(result, 4, 9);
    put_count(result, 11, 4);
    // A length that ends inside the second record's count: exact-size copies
    // so that any read past the length is caught.
    for (const uint16_t length : {uint16_t{9}, uint16_t{13}, uint16_t{1}}) {
        SCOPED_TRACE(length);
        Bytes event_cut(event.begin(), event.begin() + length);
        Bytes result_cut(result.begin(), result.begin() + length);
        uint32_t vector[2] = {0xAAAAAAAA, 0xBBBBBBBB};
        tdx__event_counts(vector, length, reinterpret_cast<char *>(event_cut.data()),
                          reinterpret_cast<char *>(result_cut.data()));
        EXPECT_EQ(vector[0], length >= 8 ? 9u : 0xAAAAAAAAu);
        EXPECT_EQ(vector[1], 0xBBBBBBBBu);
        EXPECT_EQ(event_cut, result_cut);
    }
}

TEST_F(EventBlocks, BuiltBlocksRoundTripThroughCounts)
{
    const std::string a = field("ONE");
    const std::string b = field("TWO");
    const char *names[] = {a.c_str(), b.c_str()};
    const uint16_t length = tdx__event_block_a(&events, &results, 2, names);
    std::memcpy(results, events, length);
    results[1 + 1 + 3] = 4;  // ONE posted four times
    uint32_t vector[2] = {};
    tdx__event_counts(vector, length, events, results);
    EXPECT_EQ(vector[0], 4u);
    EXPECT_EQ(vector[1], 0u);
    tdx__event_counts(vector, length, events, results);
    EXPECT_EQ(vector[0], 0u);
}

TEST(AddressWords, HandBackTheWordTheyWereGiven)
{
    int32_t variable = 0;
    const auto address = reinterpret_cast<intptr_t>(&variable);
    EXPECT_EQ(mvt_baddress(address), address);
    intptr_t stored = 0;
    mvt_baddress_s(address, &stored);
    EXPECT_EQ(stored, address);
    EXPECT_EQ(mvt_baddress(-1), -1);
    tdx__set_debug(1);
    tdx__set_debug();
}

}  // namespace
