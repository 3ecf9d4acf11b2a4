// Database parameter blocks: building, extending, login and path expansion.
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "allocation_recorder.h"
#include "dbutil.h"
#include "tdx_control.h"

namespace {

using Bytes = std::vector<unsigned char>;

constexpr char out_of_memory[] = "mvt_extend_dpb: out of memory";

Bytes bytes_of(const char *block, int16_t length)
{
    if (block == nullptr || length <= 0)
        return {};
    return Bytes(block, block + length);
}

Bytes operator+(Bytes a, const std::string &text)
{
    a.insert(a.end(), text.begin(), text.end());
    return a;
}

// A block held the way a caller holds it: a pointer and a 16-bit length.
// `array` is the caller's own storage (exact size, on the heap so that any
// read past it is caught).
struct Held {
    std::vector<char> array;
    char *pointer = nullptr;
    int16_t length = 0;

    explicit Held(const Bytes &initial = {}) : array(initial.begin(), initial.end())
    {
        if (!array.empty()) {
            pointer = array.data();
            length = static_cast<int16_t>(array.size());
        }
    }
    Bytes bytes() const { return bytes_of(pointer, length); }
    bool moved() const { return pointer != nullptr && pointer != array.data(); }
};

class ParameterBlocks : public ::testing::Test {
protected:
    void SetUp() override
    {
        tdxc_reset();
        allocation_recorder::clear();
        for (const char *name : {"MVT_USER", "MVT_PASSWORD", "MVT_PATH"})
            unsetenv(name);
    }
    void TearDown() override
    {
        for (char *block : owned)
            tdx__free(block);
        EXPECT_EQ(tdxc_live_blocks(), 0);
    }
    // The test releases what the library handed over, as a caller does.
    void adopt(const Held &block)
    {
        if (block.moved())
            owned.push_back(block.pointer);
    }
    std::vector<char *> owned;
};

struct ExpandCase {
    const char *what;
    Bytes initial;
    std::function<void(char **, int16_t *)> call;
    Bytes expected;
};

TEST_F(ParameterBlocks, ExpandWritesStringClumpsInListOrder)
{
    const ExpandCase cases[] = {
        {"empty user name", {}, [](char **p, int16_t *l) { mvt_expand_dpb(p, l, DPB_USER, "", 0); },
         {1, 28, 0}},
        {"user and password", {},
         [](char **p, int16_t *l) { mvt_expand_dpb(p, l, DPB_USER, "anna", DPB_PASSWORD, "secret", 0); },
         Bytes{1, 28, 4} + "anna" + std::string{29, 6} + "secret"},
        {"only a numeric tag: version byte alone", {},
         [](char **p, int16_t *l) { mvt_expand_dpb(p, l, 30, "ignored", 0); }, {1}},
        {"null value adds nothing", {},
         [](char **p, int16_t *l) { mvt_expand_dpb(p, l, DPB_USER, nullptr, DPB_STRING_47, "x", 0); },
         {1, 47, 1, 'x'}},
        {"every string tag, a tag twice", {},
         [](char **p, int16_t *l) {
             mvt_expand_dpb(p, l, DPB_STRING_48, "b", DPB_SINGLE_USER, "s", DPB_STRING_48, "c",
                            DPB_PASSWORD, "", 0);
         },
         {1, 48, 1, 'b', 53, 1, 's', 48, 1, 'c', 29, 0}},
        {"only the low 16 bits of a tag count", {},
         [](char **p, int16_t *l) {
             mvt_expand_dpb(p, l, 0x1001C, "u", 0x011C, "not 28", 0x10000, DPB_PASSWORD, "never");
         },
         {1, 28, 1, 'u'}},
        {"appended to a caller's block", {1, 53, 1, 'y'},
         [](char **p, int16_t *l) { mvt_expand_dpb(p, l, DPB_USER, "bo", 0); },
         {1, 53, 1, 'y', 28, 2, 'b', 'o'}},
        {"a value of 255 bytes fits", {},
         [](char **p, int16_t *l) { mvt_expand_dpb(p, l, DPB_USER, std::string(255, 'v').c_str(), 0); },
         Bytes{1, 28, 255} + std::string(255, 'v')},
    };
    for (const ExpandCase &c : cases) {
        SCOPED_TRACE(c.what);
        allocation_recorder::clear();
        Held block(c.initial);
        const Bytes before = block.bytes();
        c.call(&block.pointer, &block.length);
        adopt(block);
        EXPECT_TRUE(block.moved());
        EXPECT_EQ(block.bytes(), c.expected);
        // Exactly the new length, and the caller's array left as it was.
        EXPECT_EQ(allocation_recorder::sizes(), std::vector<int32_t>{int32_t(c.expected.size())});
        EXPECT_EQ(Bytes(block.array.begin(), block.array.end()), before);
    }
}

TEST_F(ParameterBlocks, ExpandWithNothingToAddLeavesANonEmptyBlockInPlace)
{
    Held block({1, 28, 1, 'u'});
    char *const where = block.pointer;
    mvt_expand_dpb(&block.pointer, &block.length, 30, "x", DPB_USER, nullptr, 0);
    EXPECT_EQ(block.pointer, where);
    EXPECT_EQ(block.bytes(), (Bytes{1, 28, 1, 'u'}));
    EXPECT_TRUE(allocation_recorder::sizes().empty());
}

// A negative length names no block that could be copied: adding to it is
// refused like a block past 32767 bytes, but with nothing to add it is left
// alone without a message.
TEST_F(ParameterBlocks, ExpandOnANegativeLengthCopiesNothing)
{
    for (const bool adding : {false, true}) {
        SCOPED_TRACE(adding);
        tdxc_reset();
        allocation_recorder::clear();
        Held block({1, 28, 1, 'u'});
        block.length = -4;
        char *const where = block.pointer;
        mvt_expand_dpb(&block.pointer, &block.length, DPB_PASSWORD, adding ? "pw" : nullptr, 0);
        EXPECT_EQ(block.pointer, where);
        EXPECT_EQ(block.length, -4);
        EXPECT_TRUE(allocation_recorder::sizes().empty());
        EXPECT_STREQ(tdxc_last_log(), adding ? out_of_memory : "");
    }
}

TEST_F(ParameterBlocks, ExpandWithoutMemoryLogsOnceAndChangesNothing)
{
    Held block({1, 28, 1, 'u'});
    char *const where = block.pointer;
    tdxc_fail(TDXC_ALLOC, 1);
    mvt_expand_dpb(&block.pointer, &block.length, DPB_PASSWORD, "pw", 0);
    EXPECT_EQ(block.pointer, where);
    EXPECT_EQ(block.bytes(), (Bytes{1, 28, 1, 'u'}));
    EXPECT_STREQ(tdxc_last_log(), out_of_memory);
    EXPECT_EQ(tdxc_calls(TDXC_LOG), 1);
}

// Refusals of what the format cannot carry show as the out-of-memory message
// and an unchanged block; nothing is allocated.
TEST_F(ParameterBlocks, ExpandRefusesWhatTheFormatCannotCarry)
{
    const std::string long_value(256, 'v');
    const std::string full_value(255, 'v');
    // 32510 bytes + a clump of 2 + 255 reach 32767 exactly; one byte more is refused.
    const Bytes fits_exactly(32510, 1);
    const Bytes one_too_many(32511, 1);
    struct Case {
        const char *what;
        Bytes initial;
        std::function<void(char **, int16_t *)> call;
        bool refused;
    };
    const Case cases[] = {
        {"value of 256 bytes", {},
         [&](char **p, int16_t *l) { mvt_expand_dpb(p, l, DPB_USER, "ok", DPB_PASSWORD, long_value.c_str(), 0); },
         true},
        {"block of 32767 bytes", fits_exactly,
         [&](char **p, int16_t *l) { mvt_expand_dpb(p, l, DPB_USER, full_value.c_str(), 0); }, false},
        {"block of 32768 bytes", one_too_many,
         [&](char **p, int16_t *l) { mvt_expand_dpb(p, l, DPB_USER, full_value.c_str(), 0); }, true},
        {"three values that together pass 32767", Bytes(32000, 1),
         [&](char **p, int16_t *l) {
             const char *v = full_value.c_str();
             mvt_expand_dpb(p, l, DPB_USER, v, DPB_PASSWORD, v, DPB_STRING_47, v, 0);
         },
         true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        tdxc_reset();
        allocation_recorder::clear();
        Held block(c.initial);
        c.call(&block.pointer, &block.length);
        adopt(block);
        if (c.refused) {
            EXPECT_FALSE(block.moved());
            EXPECT_EQ(block.length, static_cast<int16_t>(c.initial.size()));
            EXPECT_TRUE(allocation_recorder::sizes().empty());
            EXPECT_STREQ(tdxc_last_log(), out_of_memory);
        } else {
            EXPECT_TRUE(block.moved());
            EXPECT_EQ(block.length, DPB_MAX_LENGTH);
            EXPECT_EQ(tdxc_calls(TDXC_LOG), 0);
        }
    }
}

struct ModifyCase {
    const char *what;
    Bytes initial;
    int32_t tag;
    const char *value;
    int16_t value_length;
    int32_t result;
    Bytes expected;          // the block afterwards
    int32_t allocated;       // bytes asked of tdx__alloc, 0 for none
    bool logged;
};

TEST_F(ParameterBlocks, ModifyAppendsOneClumpWithAnExplicitLength)
{
    const std::string fives("ab\0cd", 5);
    const std::string longest(255, 'z');
    const std::string too_long(256, 'z');
    const ModifyCase cases[] = {
        {"zero byte inside the value", {}, DPB_STRING_47, fives.c_str(), 5, 0,
         Bytes{1, 47, 5} + fives, 8, false},
        {"appended after an earlier clump of the same tag", {1, 47, 1, 'a'}, DPB_STRING_47, "bc", 2,
         0, {1, 47, 1, 'a', 47, 2, 'b', 'c'}, 8, false},
        {"null value only moves a block", {1, 28, 1, 'u'}, DPB_PASSWORD, nullptr, 3, 0,
         {1, 28, 1, 'u'}, 9, false},
        {"null value on an empty block", {}, DPB_USER, nullptr, 0, 0, {1}, 3, false},
        {"not a string tag", {1, 28, 1, 'u'}, DPB_PASSWORD_ALT, "x", 1, 1, {1, 28, 1, 'u'}, 0, false},
        {"a tag whose low 16 bits are a string tag", {}, 0x3001D, "p", 1, 0, {1, 29, 1, 'p'}, 4,
         false},
        {"length 255", {}, DPB_USER, longest.c_str(), 255, 0, Bytes{1, 28, 255} + longest, 258,
         false},
        {"length 256 refused", {}, DPB_USER, too_long.c_str(), 256, 1, {}, 0, true},
        {"negative length refused", {1}, DPB_USER, "x", -1, 1, {1}, 0, true},
    };
    for (const ModifyCase &c : cases) {
        SCOPED_TRACE(c.what);
        tdxc_reset();
        allocation_recorder::clear();
        Held block(c.initial);
        EXPECT_EQ(mvt_modify_dpb(&block.pointer, &block.length, c.tag, c.value, c.value_length),
                  c.result);
        adopt(block);
        EXPECT_EQ(block.bytes(), c.expected);
        EXPECT_EQ(block.moved(), c.result == 0);
        EXPECT_EQ(allocation_recorder::sizes(),
                  c.allocated ? std::vector<int32_t>{c.allocated} : std::vector<int32_t>{});
        EXPECT_STREQ(tdxc_last_log(), c.logged ? out_of_memory : "");
    }
}

TEST_F(ParameterBlocks, ModifyWithoutMemoryReturnsOneAndChangesNothing)
{
    Held block({1, 28, 1, 'u'});
    tdxc_fail(TDXC_ALLOC, 1);
    EXPECT_EQ(mvt_modify_dpb(&block.pointer, &block.length, DPB_PASSWORD, "pw", 2), 1);
    EXPECT_FALSE(block.moved());
    EXPECT_EQ(block.bytes(), (Bytes{1, 28, 1, 'u'}));
    EXPECT_STREQ(tdxc_last_log(), out_of_memory);
    EXPECT_EQ(tdxc_calls(TDXC_LOG), 1);
}

TEST_F(ParameterBlocks, ModifyRefusesABlockPast32767Bytes)
{
    Held exact(Bytes(32760, 1));
    EXPECT_EQ(mvt_modify_dpb(&exact.pointer, &exact.length, DPB_USER, "12345", 5), 0);
    adopt(exact);
    EXPECT_EQ(exact.length, DPB_MAX_LENGTH);

    Held over(Bytes(32761, 1));
    EXPECT_EQ(mvt_modify_dpb(&over.pointer, &over.length, DPB_USER, "12345", 5), 1);
    EXPECT_FALSE(over.moved());
    EXPECT_EQ(over.length, 32761);
    EXPECT_STREQ(tdxc_last_log(), out_of_memory);
}

struct LoginCase {
    const char *what;
    const char *user;      // null: MVT_USER not set
    const char *password;  // null: MVT_PASSWORD not set
    Bytes initial;
    Bytes expected;
};

TEST_F(ParameterBlocks, SetLoginAddsWhatTheBlockLacks)
{
    const LoginCase cases[] = {
        {"both into an empty block", "anna", "pw", {},
         {1, 28, 4, 'a', 'n', 'n', 'a', 29, 2, 'p', 'w'}},
        {"empty variables give empty clumps", "", "", {}, {1, 28, 0, 29, 0}},
        {"second user form present: password only", "anna", "pw", {1, 19, 1, 'x'},
         {1, 19, 1, 'x', 29, 2, 'p', 'w'}},
        {"second password form present: user only", "u", "pw", {1, 30, 1, 'x'},
         {1, 30, 1, 'x', 28, 1, 'u'}},
        {"only the user set", "u", nullptr, {1, 29, 1, 'x'}, {1, 29, 1, 'x', 28, 1, 'u'}},
        {"tag values inside values are stepped over", "u", "p", {1, 47, 5, 1, 19, 28, 29, 30},
         {1, 47, 5, 1, 19, 28, 29, 30, 28, 1, 'u', 29, 1, 'p'}},
        {"a length that runs past the end still names its tag", "u", "p", {1, 29, 200, 'x'},
         {1, 29, 200, 'x', 28, 1, 'u'}},
        {"a tag in the last byte still counts", "u", "p", {1, 47, 1, 'q', 28},
         {1, 47, 1, 'q', 28, 29, 1, 'p'}},
    };
    for (const LoginCase &c : cases) {
        SCOPED_TRACE(c.what);
        allocation_recorder::clear();
        c.user ? setenv("MVT_USER", c.user, 1) : unsetenv("MVT_USER");
        c.password ? setenv("MVT_PASSWORD", c.password, 1) : unsetenv("MVT_PASSWORD");
        Held block(c.initial);
        mvt_set_login(&block.pointer, &block.length);
        adopt(block);
        EXPECT_EQ(block.bytes(), c.expected);
        EXPECT_EQ(allocation_recorder::sizes(), std::vector<int32_t>{int32_t(c.expected.size())});
    }
}

TEST_F(ParameterBlocks, SetLoginLeavesTheBlockAloneWhenNothingIsToBeAdded)
{
    const struct {
        const char *user;
        const char *password;
        Bytes initial;
    } cases[] = {
        {nullptr, nullptr, {}},
        {nullptr, nullptr, {1, 47, 1, 'x'}},
        {"u", "p", {1, 28, 1, 'a', 30, 1, 'b'}},
        {"u", nullptr, {1, 19, 0}},
    };
    for (const auto &c : cases) {
        c.user ? setenv("MVT_USER", c.user, 1) : unsetenv("MVT_USER");
        c.password ? setenv("MVT_PASSWORD", c.password, 1) : unsetenv("MVT_PASSWORD");
        Held block(c.initial);
        char *const where = block.pointer;
        mvt_set_login(&block.pointer, &block.length);
        EXPECT_EQ(block.pointer, where);
        EXPECT_EQ(block.bytes(), c.initial);
    }
    EXPECT_TRUE(allocation_recorder::sizes().empty());
}

TEST_F(ParameterBlocks, SetSingleUserAddsItsClumpOnce)
{
    Held empty;
    mvt_set_single_user(&empty.pointer, &empty.length, "only");
    adopt(empty);
    EXPECT_EQ(empty.bytes(), (Bytes{1, 53, 4, 'o', 'n', 'l', 'y'}));

    Held null_value;
    mvt_set_single_user(&null_value.pointer, &null_value.length, nullptr);
    adopt(null_value);
    EXPECT_EQ(null_value.bytes(), Bytes{1});

    allocation_recorder::clear();
    Held present({1, 28, 3, 53, 53, 53, 53, 0});
    mvt_set_single_user(&present.pointer, &present.length, "again");
    EXPECT_FALSE(present.moved());
    EXPECT_EQ(present.bytes(), (Bytes{1, 28, 3, 53, 53, 53, 53, 0}));
    EXPECT_TRUE(allocation_recorder::sizes().empty());

    // The 53s above were values; here they are read as such and a clump is added.
    Held values_only({1, 28, 3, 53, 53, 53});
    mvt_set_single_user(&values_only.pointer, &values_only.length, "s");
    adopt(values_only);
    EXPECT_EQ(values_only.bytes(), (Bytes{1, 28, 3, 53, 53, 53, 53, 1, 's'}));
}

TEST_F(ParameterBlocks, LoginOnTheAttachRoad)
{
    setenv("MVT_USER", "ops", 1);
    setenv("MVT_PASSWORD", "k9", 1);
    Held block;
    mvt_set_login(&block.pointer, &block.length);
    char *const first = block.pointer;
    mvt_set_single_user(&block.pointer, &block.length, "");
    tdx__free(first);
    adopt(block);
    EXPECT_EQ(block.bytes(), (Bytes{1, 28, 3, 'o', 'p', 's', 29, 2, 'k', '9', 53, 0}));
}

struct PathCase {
    const char *what;
    const char *path;  // null: MVT_PATH not set
    std::string name;
    uint16_t length;
    int32_t result;
    std::string name_after;
    std::string expanded;  // "untouched" when the output must stay as it was
};

TEST_F(ParameterBlocks, SetPathPutsTheDirectoryInFrontOfABareName)
{
    const PathCase cases[] = {
        {"not set: nothing cut", nullptr, "db.mdb", 2, 0, "db.mdb", "untouched"},
        {"plain prefix", "/data/", "db.mdb", 0, 1, "db.mdb", "/data/db.mdb"},
        {"no separator added", "/data", "db.mdb", 0, 1, "db.mdb", "/datadb.mdb"},
        {"length cuts the name", "/d/", "db.mdb", 2, 1, "db", "/d/db"},
        {"length at the end", "/d/", "db", 2, 1, "db", "/d/db"},
        {"slash: cut and refused", "/d/", "a/b.mdb", 3, 0, "a/b", "untouched"},
        {"colon", "/d/", "host:x", 0, 0, "host:x", "untouched"},
        {"backslash", "/d/", "a\\b", 0, 0, "a\\b", "untouched"},
        {"empty name", "/d/", "", 0, 1, "", "/d/"},
    };
    for (const PathCase &c : cases) {
        SCOPED_TRACE(c.what);
        c.path ? setenv("MVT_PATH", c.path, 1) : unsetenv("MVT_PATH");
        std::vector<char> name(c.name.begin(), c.name.end());
        name.push_back('\0');
        char expanded[64];
        std::strcpy(expanded, "untouched");
        EXPECT_EQ(mvt_set_path(name.data(), c.length, expanded), c.result);
        EXPECT_EQ(std::string(name.data()), c.name_after);
        EXPECT_EQ(std::string(expanded), c.expanded);
    }
}

}  // namespace
