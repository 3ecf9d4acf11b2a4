// The user-defined-function module: its lookup table and sample function.
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "functions.h"

namespace {

// The result area of `test` holds 20 characters; longer texts are cut there.
constexpr int result_width = 20;
// The longest text, "-2147483648 is a number", and its terminator.
constexpr int longest_text = 24;

// Sample function: "<value> is a number", blank-filled to 20 characters
// without a terminator. Texts of 20 characters or more are cut to 20 and
// terminated, so nothing is ever written past the 21st byte of the area.
// The text is formatted aside first: the module takes only sprintf and
// strcmp from the process that loads it.
int32_t test(int32_t value, char *result)
{
    char text[longest_text];
    const int length = std::sprintf(text, "%d is a number", value);
    for (int i = 0; i < result_width; ++i)
        result[i] = i < length ? text[i] : ' ';
    if (length >= result_width)
        result[result_width] = '\0';
    return 0;
}

struct function_row {
    const char *module;
    const char *entrypoint;
    functions_address function;
};

const function_row mvt_functions[] = {
    {"test_module", "test_function", reinterpret_cast<functions_address>(&test)},
    {nullptr, nullptr, nullptr},
};

constexpr size_t work_area = 128;
constexpr size_t no_room = work_area + 1;

// Copies `name` up to its first blank into the work area from position `at`,
// terminated; returns the position after the terminator, or no_room when the
// name and its terminator do not fit. Positions, not pointers, are counted,
// so that nothing ever points past the area whatever the name's length.
size_t copy_cut(const char *name, char *work, size_t at)
{
    for (; *name != '\0' && *name != ' '; ++name) {
        if (work_area - at < 2)  // this character and the terminator
            return no_room;
        work[at++] = *name;
    }
    if (at >= work_area)
        return no_room;
    work[at++] = '\0';
    return at;
}

}  // namespace

extern "C" __attribute__((visibility("default"))) functions_address
FUNCTIONS_entrypoint(const char *module, const char *entrypoint)
{
    // The engine may ask with a name it does not have: no name, no function.
    if (module == nullptr || entrypoint == nullptr)
        return nullptr;
    char work[work_area];
    const size_t entry_at = copy_cut(module, work, 0);
    if (entry_at == no_room || copy_cut(entrypoint, work, entry_at) == no_room)
        return nullptr;
    const char *const entry_cut = work + entry_at;
    for (const function_row *row = mvt_functions; row->module != nullptr; ++row)
        if (std::strcmp(work, row->module) == 0 && std::strcmp(entry_cut, row->entrypoint) == 0)
            return row->function;
    return nullptr;
}
