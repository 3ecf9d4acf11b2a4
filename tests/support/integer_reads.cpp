// Linked with -Wl,--wrap=tdx__vax_integer: calls from the library land here first.
#include "integer_reads.h"

#include "dbutil.h"

namespace {
std::vector<integer_reads::Read> recorded;
}

extern "C" int32_t __real_tdx__vax_integer(const unsigned char *bytes, int16_t length);

extern "C" int32_t __wrap_tdx__vax_integer(const unsigned char *bytes, int16_t length)
{
    recorded.push_back({bytes, length});
    return __real_tdx__vax_integer(bytes, length);
}

namespace integer_reads {

const std::vector<Read> &reads()
{
    return recorded;
}

void clear()
{
    recorded.clear();
}

std::vector<AreaRead> reads_in_area()
{
    std::vector<AreaRead> placed;
    for (const Read &read : recorded)
        placed.emplace_back(read.bytes - (recorded.front().bytes - 1), read.length);
    return placed;
}

}  // namespace integer_reads
