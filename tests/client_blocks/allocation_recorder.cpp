// Linked with -Wl,--wrap=tdx__alloc: calls from the library land here first.
#include "allocation_recorder.h"

#include "dbutil.h"

namespace {
std::vector<int32_t> recorded;
}

extern "C" void *__real_tdx__alloc(int32_t size);

extern "C" void *__wrap_tdx__alloc(int32_t size)
{
    recorded.push_back(size);
    return __real_tdx__alloc(size);
}

namespace allocation_recorder {

const std::vector<int32_t> &sizes()
{
    return recorded;
}

void clear()
{
    recorded.clear();
}

}  // namespace allocation_recorder
