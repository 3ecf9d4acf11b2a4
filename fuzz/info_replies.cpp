// Info replies of any bytes through the walks of the version report (the
// component request and the on-disk structure query) and of the blob size
// query, each reached through its entry point.
#include <array>

#include "dbutil.h"
#include "fuzz_target.h"
#include "tdx_control.h"

namespace {

void ignore_line(void *, const char *) {}

// One component, so that the report hands out a line before it asks the
// on-disk structure version.
constexpr std::array<unsigned char, 12> one_component{
    TDX_INFO_IMPLEMENTATION, 3, 0, 1, 1, 1, TDX_INFO_VERSION, 2, 0, 1, 0, TDX_INFO_END};

struct scripted_reply {
    const uint8_t *data;
    int length;
};

// Called with the component line: the reply that follows is the input.
void script_after_first_line(void *argument, const char *)
{
    const auto *reply = static_cast<const scripted_reply *>(argument);
    tdxc_script_info(reply->data, reply->length, -1);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    tdxc_reset();
    const int length = size > 40000 ? 40000 : static_cast<int>(size);
    tdx_handle db = tdxc_attach("fuzz");

    tdxc_script_info(data, length, -1);
    tdx__version(&db, ignore_line, nullptr);

    scripted_reply ods_reply{data, length};
    tdxc_script_info(one_component.data(), static_cast<int>(one_component.size()), 1);
    tdx__version(&db, script_after_first_line, &ods_reply);

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
