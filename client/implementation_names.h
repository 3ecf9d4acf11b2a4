// Names of implementation and class codes, shared by the version report and
// mvt_format_implementation. Internal to dbutil.
#pragma once

#include <cstdint>

namespace dbutil {

// The name of the code, or "**unknown**" for a code past the table or an empty row.
const char *implementation_name(uint32_t code);
const char *class_name(uint32_t code);

}  // namespace dbutil
