// Parameter blocks of any bytes through the walk of mvt_set_login and
// mvt_set_single_user; the block sits in a buffer of exactly its length.
#include <cstdlib>
#include <cstring>
#include <vector>

#include "dbutil.h"
#include "fuzz_target.h"
#include "tdx_control.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    tdxc_reset();
    ::setenv("MVT_USER", "fuzz", 1);
    ::setenv("MVT_PASSWORD", "secret", 1);
    const size_t length = size > 32767 ? 32767 : size;
    char *block = length > 0 ? static_cast<char *>(std::malloc(length)) : nullptr;
    if (block != nullptr)
        std::memcpy(block, data, length);

    char *dpb = block;
    int16_t dpb_length = static_cast<int16_t>(length);
    mvt_set_login(&dpb, &dpb_length);
    char *after_login = dpb;
    mvt_set_single_user(&dpb, &dpb_length, "single");
    if (dpb != after_login && after_login != block)
        tdx__free(after_login);
    if (dpb != block)
        tdx__free(dpb);
    std::free(block);
    return 0;
}
