// Names of the datatypes, in the forms package's order; code 0 marks the
// kinds that have no code here. Nothing in the mover looks names up: the
// table stays as the package's one list of its datatype names, in the form
// and order the package gives it. It is file-local, so a program may use the
// name for its own.
#include <cstdint>

#include "forms.h"

namespace {

// One (code, name) pair; the list ends with a null name.
struct dtype_name {
    int32_t code;
    const char *name;
};

[[maybe_unused]] constexpr dtype_name dtypes_table[15] = {
    {0, "NULL"},
    {dtype_fixed_string, "character string"},
    {dtype_terminated_string, "character string"},
    {dtype_varying_string, "varying string"},
    {0, "packed decimal"},
    {0, "byte integer"},
    {dtype_short_integer, "short integer"},
    {dtype_long_integer, "long integer"},
    {dtype_quadword_integer, "quadword integer"},
    {dtype_single_float, "single precision floating"},
    {dtype_double_float, "double precision floating"},
    {dtype_double_float_alt, "double precision floating"},
    {dtype_date, "date"},
    {dtype_blob, "blob"},
    {0, nullptr},
};

}  // namespace
