// Stand-in forms core: NORIX_get_attribute_value answers from values a test
// has set, and remembers every request. Values and requests are the calling
// thread's own, so threads may print at once without a lock that would order
// their other memory accesses too.
#include <map>
#include <utility>
#include <vector>

#include "form_control.h"
#include "forms.h"

namespace {

thread_local std::map<std::pair<const void *, int32_t>, int32_t> values;
thread_local std::vector<std::pair<const void *, int32_t>> requests;

}  // namespace

extern "C" {

void formc_reset_attributes(void)
{
    values.clear();
    requests.clear();
}

void formc_set_attribute(const void *object, int32_t attribute, int32_t value)
{
    values[{object, attribute}] = value;
}

int32_t formc_attribute_requests(void) { return static_cast<int32_t>(requests.size()); }

const void *formc_attribute_request_object(int32_t index)
{
    return index >= 0 && index < formc_attribute_requests() ? requests[index].first : nullptr;
}

int32_t formc_attribute_request_number(int32_t index)
{
    return index >= 0 && index < formc_attribute_requests() ? requests[index].second : -1;
}

int32_t NORIX_get_attribute_value(void *object, int32_t attribute)
{
    requests.emplace_back(object, attribute);
    const auto found = values.find({object, attribute});
    return found == values.end() ? 0 : found->second;
}

}  // extern "C"
