// The version report's file-local on-disk structure query, for the tests.
#pragma once

#include <cstdint>

#include "dbutil.h"

extern "C" int32_t test_get_ods_version(tdx_handle *db_handle, uint16_t *version, uint16_t *minor);
