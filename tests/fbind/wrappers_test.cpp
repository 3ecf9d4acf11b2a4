// The Fortran-callable wrappers, called from C++ so that the addresses the
// entry point receives can be compared with the caller's.
#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "form_control.h"
#include "forms.h"

namespace {

struct wrapper_case {
    const char *entry;       // the forms core entry point the wrapper calls
    int32_t arguments;
    int32_t short_position;  // the argument passed through a 16-bit copy; 0: none
    int32_t (*call)(void *const *argument);
};

void PrintTo(const wrapper_case &w, std::ostream *out)
{
    *out << w.entry << "_";
}

const wrapper_case wrappers[] = {
    {"norix__compile_map", 5, 4,
     [](void *const *a) { return norix__compile_map_(a[0], a[1], a[2], a[3], a[4]); }},
    {"norix__compile_menu", 4, 0,
     [](void *const *a) { return norix__compile_menu_(a[0], a[1], a[2], a[3]); }},
    {"norix__compile_sub_map", 5, 4,
     [](void *const *a) { return norix__compile_sub_map_(a[0], a[1], a[2], a[3], a[4]); }},
    {"norix__create_window", 5, 2,
     [](void *const *a) { return norix__create_window_(a[0], a[1], a[2], a[3], a[4]); }},
    {"norix__delete", 1, 0, [](void *const *a) { return norix__delete_(a[0]); }},
    {"norix__delete_window", 1, 0, [](void *const *a) { return norix__delete_window_(a[0]); }},
    {"norix__drive_form", 7, 0,
     [](void *const *a) {
         return norix__drive_form_(a[0], a[1], a[2], a[3], a[4], a[5], a[6]);
     }},
    {"norix__drive_menu", 10, 3,
     [](void *const *a) {
         return norix__drive_menu_(a[0], a[1], a[2], a[3], a[4], a[5], a[6], a[7], a[8], a[9]);
     }},
    {"norix__fetch", 5, 0,
     [](void *const *a) { return norix__fetch_(a[0], a[1], a[2], a[3], a[4]); }},
    {"norix__get_entree", 5, 0,
     [](void *const *a) { return norix__get_entree_(a[0], a[1], a[2], a[3], a[4]); }},
    {"norix__initialize_menu", 1, 0,
     [](void *const *a) { return norix__initialize_menu_(a[0]); }},
    {"norix__insert", 5, 0,
     [](void *const *a) { return norix__insert_(a[0], a[1], a[2], a[3], a[4]); }},
    {"norix__load_form", 6, 5,
     [](void *const *a) { return norix__load_form_(a[0], a[1], a[2], a[3], a[4], a[5]); }},
    {"norix__menu", 4, 0,
     [](void *const *a) { return norix__menu_(a[0], a[1], a[2], a[3]); }},
    {"norix__pop_window", 1, 0, [](void *const *a) { return norix__pop_window_(a[0]); }},
    {"norix__put_entree", 4, 0,
     [](void *const *a) { return norix__put_entree_(a[0], a[1], a[2], a[3]); }},
    {"norix__reset_form", 2, 0, [](void *const *a) { return norix__reset_form_(a[0], a[1]); }},
    {"norix__suspend_window", 1, 0,
     [](void *const *a) { return norix__suspend_window_(a[0]); }},
};

// A 32-bit integer whose halves differ. The 16-bit copy takes its first two
// bytes: the low half 0x8765 (-30875) on a little-endian machine, the high
// half 0x1234 on a big-endian one.
constexpr int32_t wide_value = 0x12348765;
constexpr int16_t first_half_of_wide_value =
    std::endian::native == std::endian::little ? int16_t{-30875} : int16_t{0x1234};
static_assert(std::endian::native == std::endian::little ||
              std::endian::native == std::endian::big);

// The caller's variables: one 32-bit integer per argument, each distinct.
struct caller_variables {
    std::array<int32_t, FORMC_MAX_ARGUMENTS> value{};
    std::array<void *, FORMC_MAX_ARGUMENTS> address{};

    explicit caller_variables(int32_t short_position)
    {
        for (std::size_t i = 0; i < value.size(); ++i) {
            value[i] = 100 + static_cast<int32_t>(i);
            address[i] = &value[i];
        }
        if (short_position != 0)
            value[short_position - 1] = wide_value;
    }
};

class Wrappers : public testing::TestWithParam<wrapper_case> {
protected:
    void SetUp() override { formc_reset_entries(); }
    void TearDown() override { formc_reset_entries(); }
};

TEST_P(Wrappers, CallEntryPointWithCallersAddressesAndReturnItsResult)
{
    const wrapper_case &w = GetParam();
    for (const int32_t result : {0, 1, -1, INT32_MIN, INT32_MAX}) {
        formc_reset_entries();
        formc_set_result(result);
        caller_variables caller(w.short_position);

        EXPECT_EQ(w.call(caller.address.data()), result);

        ASSERT_EQ(formc_calls(), 1);
        EXPECT_STREQ(formc_last_entry_name(), w.entry);
        ASSERT_EQ(formc_last_argument_count(), w.arguments);
        for (int32_t position = 1; position <= w.arguments; ++position) {
            SCOPED_TRACE("argument " + std::to_string(position));
            if (position == w.short_position) {
                EXPECT_NE(formc_last_argument(position), caller.address[position - 1]);
            } else {
                EXPECT_EQ(formc_last_argument(position), caller.address[position - 1]);
            }
        }
        if (w.short_position != 0) {
            EXPECT_EQ(formc_last_short(), first_half_of_wide_value);
        }
    }
}

TEST_P(Wrappers, EntryPointStoresReachCallerExceptThroughTheCopy)
{
    const wrapper_case &w = GetParam();
    for (int32_t position = 1; position <= FORMC_MAX_ARGUMENTS; ++position)
        formc_write_through(position, 5000 + position);
    caller_variables caller(w.short_position);

    w.call(caller.address.data());

    for (int32_t position = 1; position <= w.arguments; ++position) {
        SCOPED_TRACE("argument " + std::to_string(position));
        const int32_t expected = position == w.short_position ? wide_value : 5000 + position;
        EXPECT_EQ(caller.value[position - 1], expected);
    }
}

std::vector<wrapper_case> copying_wrappers()
{
    std::vector<wrapper_case> copying;
    for (const wrapper_case &w : wrappers)
        if (w.short_position != 0)
            copying.push_back(w);
    return copying;
}

class CopyingWrappers : public Wrappers {};

// Lies in read-only memory: a store through its address would stop the test.
const int16_t read_only_constant = 7;

TEST_P(CopyingWrappers, ConstantIsReadButNeverWritten)
{
    const wrapper_case &w = GetParam();
    formc_write_through(w.short_position, -1);
    caller_variables caller(w.short_position);
    caller.address[w.short_position - 1] = const_cast<int16_t *>(&read_only_constant);

    w.call(caller.address.data());

    EXPECT_EQ(formc_last_short(), 7);
    EXPECT_EQ(read_only_constant, 7);
}

TEST_P(CopyingWrappers, NullArrivesAsNull)
{
    const wrapper_case &w = GetParam();
    formc_write_through(w.short_position, 1);
    caller_variables caller(w.short_position);
    caller.address[w.short_position - 1] = nullptr;

    w.call(caller.address.data());

    ASSERT_EQ(formc_calls(), 1);
    EXPECT_EQ(formc_last_argument(w.short_position), nullptr);
}

std::string entry_name(const testing::TestParamInfo<wrapper_case> &info)
{
    return info.param.entry;
}

INSTANTIATE_TEST_SUITE_P(AllEntryPoints, Wrappers, testing::ValuesIn(wrappers), entry_name);
INSTANTIATE_TEST_SUITE_P(SixteenBitCopy, CopyingWrappers, testing::ValuesIn(copying_wrappers()),
                         entry_name);

}  // namespace
