// Layouts that the forms package and the client core rely on.
#include <cstddef>
#include <cstdint>

#include "forms.h"

static_assert(offsetof(value_desc, dtype) == 0 && sizeof(value_desc::dtype) == 1);
static_assert(offsetof(value_desc, scale) == 1 && sizeof(value_desc::scale) == 1);
static_assert(offsetof(value_desc, length) == 2 && sizeof(value_desc::length) == 2);
static_assert(offsetof(value_desc, sub_type) == 4 && sizeof(value_desc::sub_type) == 2);
static_assert(offsetof(value_desc, address) == 8 &&
              sizeof(value_desc) == 8 + sizeof(void *));

static_assert(sizeof(internal_date) == 8);
static_assert(offsetof(internal_date, day_number) == 0);
static_assert(offsetof(internal_date, time_of_day) == 4);
