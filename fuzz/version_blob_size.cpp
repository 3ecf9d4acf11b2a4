// tdx__version and tdx__blob_size on scripted replies, with the nth info
// call and the nth allocation of the run made to fail. Lines handed to the
// print routine must be terminated within their area, and no block may be
// left allocated afterwards, whatever happened.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "dbutil.h"
#include "fuzz_input.h"
#include "fuzz_target.h"
#include "tdx_control.h"

namespace {

void check_line(void *, const char *line)
{
    if (std::strlen(line) >= VERSION_LINE_AREA)
        std::abort();
}

void check_no_block_left(const char *after)
{
    if (tdxc_live_blocks() != 0) {
        std::fprintf(stderr, "%s: %d blocks left allocated\n", after, tdxc_live_blocks());
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    tdxc_reset();
    fuzz_input::Input in{data, size};
    const int info_fault = in.byte() % 8;
    const int alloc_fault = in.byte() % 8;
    // How often the reply is given: once, a few times, or for every call.
    const int times_choice = in.choice(5);
    const int times = times_choice == 4 ? -1 : times_choice + 1;
    const std::string reply = in.bytes(40000);

    tdx_handle db = tdxc_attach("fuzz");
    tdxc_fail(TDXC_INFO, info_fault);
    tdxc_fail(TDXC_ALLOC, alloc_fault);
    tdxc_script_info(reinterpret_cast<const unsigned char *>(reply.data()),
                     static_cast<int>(reply.size()), times);
    tdx__version(&db, check_line, nullptr);
    check_no_block_left("tdx__version");

    tdx_quad id{};
    tdxc_blob_create(&id, 0, nullptr, nullptr);
    tdx_status status[TDX_STATUS_LENGTH] = {};
    tdx_handle tra = 1, blob = 0;
    if (tdx__open_blob2(status, &db, &tra, &blob, &id, 0, nullptr) == 0) {
        tdxc_fail(TDXC_INFO, info_fault);
        tdxc_script_info(reinterpret_cast<const unsigned char *>(reply.data()),
                         static_cast<int>(reply.size()), times);
        int32_t total = 0, segments = 0, longest = 0;
        tdx__blob_size(&blob, &total, &segments, &longest);
        tdx__blob_size(&blob, nullptr, nullptr, nullptr);
        tdx__close_blob(status, &blob);
    }
    check_no_block_left("tdx__blob_size");
    return 0;
}
