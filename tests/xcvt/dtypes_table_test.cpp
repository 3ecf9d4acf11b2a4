// The datatype names. The table is file-local and no operation of the mover
// reads it, so no entry point can show it: its source is compiled into this
// test, the one place where the tests reach inside the module.
#include <gtest/gtest.h>

#include <iterator>

#include "dtypes_table.cpp"

namespace {

TEST(DtypesTable, NamesEveryKindInThePackagesOrder)
{
    const struct {
        int32_t code;
        const char *name;
    } expected[] = {
        {0, "NULL"}, {1, "character string"}, {2, "character string"}, {3, "varying string"},
        {0, "packed decimal"}, {0, "byte integer"}, {4, "short integer"}, {5, "long integer"},
        {6, "quadword integer"}, {7, "single precision floating"}, {8, "double precision floating"},
        {12, "double precision floating"}, {9, "date"}, {10, "blob"},
    };
    for (size_t i = 0; i < std::size(expected); ++i) {
        EXPECT_EQ(dtypes_table[i].code, expected[i].code) << i;
        EXPECT_STREQ(dtypes_table[i].name, expected[i].name) << i;
    }
    EXPECT_EQ(dtypes_table[14].code, 0);
    EXPECT_EQ(dtypes_table[14].name, nullptr);
}

}  // namespace
