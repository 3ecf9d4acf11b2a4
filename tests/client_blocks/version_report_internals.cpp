// Compiles the version report here, so that its file-local on-disk structure
// query can be called from the tests. The report's entry points come from
// this object in place of the archive's copy, which is then never linked.
#include "version_report.cpp"

#include "version_report_internals.h"

extern "C" int32_t test_get_ods_version(tdx_handle *db_handle, uint16_t *version, uint16_t *minor)
{
    return get_ods_version(db_handle, version, minor);
}
