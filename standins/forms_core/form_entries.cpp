// Stand-in forms core: the eighteen entry points for Fortran programs. Each
// records what it received, stores the scripted values through its arguments
// and returns the scripted result. The script and the record of calls are the
// calling thread's own.
#include <array>
#include <cstring>
#include <initializer_list>
#include <optional>

#include "form_control.h"
#include "forms.h"

namespace {

constexpr std::array<const char *, 19> entry_names = {
    "",
    "norix__compile_map",    "norix__compile_menu",     "norix__compile_sub_map",
    "norix__create_window",  "norix__delete",           "norix__delete_window",
    "norix__drive_form",     "norix__drive_menu",       "norix__fetch",
    "norix__get_entree",     "norix__initialize_menu",  "norix__insert",
    "norix__load_form",      "norix__menu",             "norix__pop_window",
    "norix__put_entree",     "norix__reset_form",       "norix__suspend_window",
};

struct entries_state {
    int32_t result = 0;
    std::array<std::optional<int32_t>, FORMC_MAX_ARGUMENTS + 1> writes{};
    int32_t calls = 0;
    int32_t entry = FORMC_NONE;
    int32_t count = 0;
    std::array<void *, FORMC_MAX_ARGUMENTS + 1> arguments{};
    int32_t short_position = 0;
    int32_t short_value = 0;
};

thread_local entries_state state;

int32_t enter(formc_entry entry, std::initializer_list<void *> arguments, int32_t short_position)
{
    ++state.calls;
    state.entry = entry;
    state.count = static_cast<int32_t>(arguments.size());
    state.arguments.fill(nullptr);
    int32_t position = 1;
    for (void *argument : arguments)
        state.arguments[position++] = argument;
    state.short_position = short_position;
    state.short_value = 0;
    if (short_position != 0 && state.arguments[short_position] != nullptr)
        state.short_value = *static_cast<int16_t *>(state.arguments[short_position]);

    for (position = 1; position <= state.count; ++position) {
        void *argument = state.arguments[position];
        if (!state.writes[position] || argument == nullptr)
            continue;
        const int32_t value = *state.writes[position];
        if (position == short_position) {
            const auto half = static_cast<int16_t>(value);
            std::memcpy(argument, &half, sizeof half);
        } else {
            std::memcpy(argument, &value, sizeof value);
        }
    }
    return state.result;
}

}  // namespace

extern "C" {

void formc_reset_entries(void) { state = entries_state{}; }
void formc_set_result(int32_t result) { state.result = result; }

void formc_write_through(int32_t position, int32_t value)
{
    if (position >= 1 && position <= FORMC_MAX_ARGUMENTS)
        state.writes[position] = value;
}

int32_t formc_calls(void) { return state.calls; }
int32_t formc_last_entry(void) { return state.entry; }
const char *formc_last_entry_name(void) { return entry_names[state.entry]; }
int32_t formc_last_argument_count(void) { return state.count; }

void *formc_last_argument(int32_t position)
{
    if (position < 1 || position > state.count)
        return nullptr;
    return state.arguments[position];
}

int32_t formc_last_short_position(void) { return state.short_position; }
int32_t formc_last_short(void) { return state.short_value; }

int32_t norix__compile_map(void *a1, void *a2, void *a3, int16_t *a4, void *a5)
{
    return enter(FORMC_COMPILE_MAP, {a1, a2, a3, a4, a5}, 4);
}

int32_t norix__compile_menu(void *a1, void *a2, void *a3, void *a4)
{
    return enter(FORMC_COMPILE_MENU, {a1, a2, a3, a4}, 0);
}

int32_t norix__compile_sub_map(void *a1, void *a2, void *a3, int16_t *a4, void *a5)
{
    return enter(FORMC_COMPILE_SUB_MAP, {a1, a2, a3, a4, a5}, 4);
}

int32_t norix__create_window(void *a1, int16_t *a2, void *a3, void *a4, void *a5)
{
    return enter(FORMC_CREATE_WINDOW, {a1, a2, a3, a4, a5}, 2);
}

int32_t norix__delete(void *a1) { return enter(FORMC_DELETE, {a1}, 0); }
int32_t norix__delete_window(void *a1) { return enter(FORMC_DELETE_WINDOW, {a1}, 0); }

int32_t norix__drive_form(void *a1, void *a2, void *a3, void *a4, void *a5, void *a6, void *a7)
{
    return enter(FORMC_DRIVE_FORM, {a1, a2, a3, a4, a5, a6, a7}, 0);
}

int32_t norix__drive_menu(void *a1, void *a2, int16_t *a3, void *a4, void *a5, void *a6,
                          void *a7, void *a8, void *a9, void *a10)
{
    return enter(FORMC_DRIVE_MENU, {a1, a2, a3, a4, a5, a6, a7, a8, a9, a10}, 3);
}

int32_t norix__fetch(void *a1, void *a2, void *a3, void *a4, void *a5)
{
    return enter(FORMC_FETCH, {a1, a2, a3, a4, a5}, 0);
}

int32_t norix__get_entree(void *a1, void *a2, void *a3, void *a4, void *a5)
{
    return enter(FORMC_GET_ENTREE, {a1, a2, a3, a4, a5}, 0);
}

int32_t norix__initialize_menu(void *a1) { return enter(FORMC_INITIALIZE_MENU, {a1}, 0); }

int32_t norix__insert(void *a1, void *a2, void *a3, void *a4, void *a5)
{
    return enter(FORMC_INSERT, {a1, a2, a3, a4, a5}, 0);
}

int32_t norix__load_form(void *a1, void *a2, void *a3, void *a4, int16_t *a5, void *a6)
{
    return enter(FORMC_LOAD_FORM, {a1, a2, a3, a4, a5, a6}, 5);
}

int32_t norix__menu(void *a1, void *a2, void *a3, void *a4)
{
    return enter(FORMC_MENU, {a1, a2, a3, a4}, 0);
}

int32_t norix__pop_window(void *a1) { return enter(FORMC_POP_WINDOW, {a1}, 0); }

int32_t norix__put_entree(void *a1, void *a2, void *a3, void *a4)
{
    return enter(FORMC_PUT_ENTREE, {a1, a2, a3, a4}, 0);
}

int32_t norix__reset_form(void *a1, void *a2) { return enter(FORMC_RESET_FORM, {a1, a2}, 0); }
int32_t norix__suspend_window(void *a1) { return enter(FORMC_SUSPEND_WINDOW, {a1}, 0); }

}  // extern "C"
