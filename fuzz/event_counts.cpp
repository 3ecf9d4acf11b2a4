// An event block and a result block of any bytes, each in a buffer of
// exactly the given length, through tdx__event_counts.
#include <cstdlib>
#include <cstring>
#include <vector>

#include "dbutil.h"
#include "fuzz_target.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const size_t length = size / 2;
    if (length == 0 || length > 65535)
        return 0;
    char *events = static_cast<char *>(std::malloc(length));
    char *results = static_cast<char *>(std::malloc(length));
    std::memcpy(events, data, length);
    std::memcpy(results, data + length, length);
    // One word per possible name: a name takes at least five bytes.
    std::vector<uint32_t> counts(length / 5 + 1);
    tdx__event_counts(counts.data(), static_cast<uint16_t>(length), events, results);
    std::free(events);
    std::free(results);
    return 0;
}
