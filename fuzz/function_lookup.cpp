// FUNCTIONS_entrypoint on decoded module and entry-point names (either may be
// null), each in a heap buffer of exactly its size; a function it returns is
// called as the engine calls it, with a 32-bit value and a result area of
// the 20 characters and terminator that the sample writes.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "functions.h"
#include "fuzz_input.h"
#include "fuzz_target.h"

namespace {

using Function = int32_t (*)(int32_t, char *);
constexpr size_t result_area = 21;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzz_input::Input in{data, size};
    const uint8_t flags = in.byte();
    const int32_t value = static_cast<int32_t>(in.long_word());
    // The rest is the two names, split at the first zero byte.
    const std::string rest = in.bytes(size);
    const size_t split = rest.find('\0');
    const std::string module_name = rest.substr(0, split);
    const std::string entry_name = split == std::string::npos ? std::string() : rest.substr(split + 1);
    char *module = (flags & 1) ? nullptr : fuzz_input::terminated_copy(module_name);
    // The entry name may hold further zeros: it ends at the first of them.
    char *entry = (flags & 2) ? nullptr : fuzz_input::terminated_copy(entry_name);

    const functions_address found = FUNCTIONS_entrypoint(module, entry);
    if (found != nullptr) {
        char *area = static_cast<char *>(std::malloc(result_area));
        reinterpret_cast<Function>(found)(value, area);
        std::free(area);
    }
    std::free(module);
    std::free(entry);
    return 0;
}
