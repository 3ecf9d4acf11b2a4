// Stand-in database engine: loads a function module, asks it for a function
// by module and entry-point name, calls it and prints the result.
//
//   engine MODULE_FILE MODULE_NAME ENTRY_NAME VALUE
//
// The function is called the way the engine calls the sample function: a
// 32-bit value and a result area. The area is printed between brackets up to
// its terminator, or up to the guard when the function wrote none.
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <dlfcn.h>

namespace {

using EntryPoint = void *(*)(const char *, const char *);
using Function = int32_t (*)(int32_t, char *);

constexpr size_t result_area = 64;

// The function takes a 32-bit value: text that is not a whole decimal number
// in that range is refused rather than cut to 32 bits.
bool read_value(const char *text, int32_t *value)
{
    errno = 0;
    char *end = nullptr;
    const long long number = std::strtoll(text, &end, 10);
    if (errno != 0 || end == text || *end != '\0' || number < INT32_MIN || number > INT32_MAX)
        return false;
    *value = static_cast<int32_t>(number);
    return true;
}

}  // namespace

int main(int argc, char **argv)
{
    if (argc != 5) {
        std::fprintf(stderr, "usage: %s MODULE_FILE MODULE_NAME ENTRY_NAME VALUE\n", argv[0]);
        return 2;
    }
    void *module = dlopen(argv[1], RTLD_NOW | RTLD_LOCAL);
    if (module == nullptr) {
        std::fprintf(stderr, "engine: cannot load %s: %s\n", argv[1], dlerror());
        return 2;
    }
    auto lookup = reinterpret_cast<EntryPoint>(dlsym(module, "FUNCTIONS_entrypoint"));
    if (lookup == nullptr) {
        std::fprintf(stderr, "engine: %s has no FUNCTIONS_entrypoint\n", argv[1]);
        return 2;
    }
    auto function = reinterpret_cast<Function>(lookup(argv[2], argv[3]));
    if (function == nullptr) {
        std::printf("engine: no function %s in module %s\n", argv[3], argv[2]);
        return 1;
    }
    // A guard byte after the area shows whether the function wrote a terminator.
    char area[result_area + 1];
    std::memset(area, '#', sizeof area);
    area[result_area] = '\0';
    int32_t value = 0;
    if (!read_value(argv[4], &value)) {
        std::fprintf(stderr, "engine: %s is not a 32-bit integer\n", argv[4]);
        return 2;
    }
    const int status = function(value, area);
    std::printf("result %d [%s]\n", status, area);
    return 0;
}
