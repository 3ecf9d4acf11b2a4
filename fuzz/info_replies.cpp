// Info replies of any bytes through the walks of the version report, the
// on-disk structure query and the blob size query.
#include "dbutil.h"
#include "fuzz_target.h"
#include "tdx_control.h"
#include "version_report_internals.h"

namespace {

void ignore_line(void *, const char *) {}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    tdxc_reset();
    const int length = size > 40000 ? 40000 : static_cast<int>(size);
    tdx_handle db = tdxc_attach("fuzz");

    tdxc_script_info(data, length, -1);
    tdx__version(&db, ignore_line, nullptr);

    tdxc_script_info(data, length, -1);
    uint16_t version = 0, minor = 0;
    test_get_ods_version(&db, &version, &minor);

    tdx_quad id{};
    tdxc_blob_create(&id, 0, nullptr, nullptr);
    tdx_status status[TDX_STATUS_LENGTH] = {};
    tdx_handle tra = 1, blob = 0;
    if (tdx__open_blob2(status, &db, &tra, &blob, &id, 0, nullptr) == 0) {
        tdxc_script_info(data, length, -1);
        int32_t total = 0, segments = 0, longest = 0;
        tdx__blob_size(&blob, &total, &segments, &longest);
        tdx__close_blob(status, &blob);
    }
    return 0;
}
