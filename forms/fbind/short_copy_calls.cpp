// Fortran-callable forms core entry points that take one argument through a
// 16-bit copy. The entry point may store through that argument, but the
// Fortran caller may have passed a constant or a 32-bit variable there, so
// the entry point gets the address of a copy that lives for this call only
// and is never copied back.
#include <cstring>

#include "forms.h"

namespace {

// Copies the first two bytes at `caller` into `temporary`, as they lie: of a
// 32-bit integer that is its low half on a little-endian machine and its
// high half on a big-endian one. A null address stays null, so the
// entry point sees what it would have seen without the copy.
int16_t *short_copy(const void *caller, int16_t &temporary)
{
    if (caller == nullptr)
        return nullptr;
    std::memcpy(&temporary, caller, sizeof temporary);
    return &temporary;
}

}  // namespace

extern "C" {

int32_t norix__compile_map_(void *arg1, void *arg2, void *arg3, const void *arg4, void *arg5)
{
    int16_t temporary = 0;
    return norix__compile_map(arg1, arg2, arg3, short_copy(arg4, temporary), arg5);
}

int32_t norix__compile_sub_map_(void *arg1, void *arg2, void *arg3, const void *arg4,
                                void *arg5)
{
    int16_t temporary = 0;
    return norix__compile_sub_map(arg1, arg2, arg3, short_copy(arg4, temporary), arg5);
}

int32_t norix__create_window_(void *arg1, const void *arg2, void *arg3, void *arg4, void *arg5)
{
    int16_t temporary = 0;
    return norix__create_window(arg1, short_copy(arg2, temporary), arg3, arg4, arg5);
}

int32_t norix__drive_menu_(void *arg1, void *arg2, const void *arg3, void *arg4, void *arg5,
                           void *arg6, void *arg7, void *arg8, void *arg9, void *arg10)
{
    int16_t temporary = 0;
    return norix__drive_menu(arg1, arg2, short_copy(arg3, temporary), arg4, arg5, arg6, arg7,
                             arg8, arg9, arg10);
}

int32_t norix__load_form_(void *arg1, void *arg2, void *arg3, void *arg4, const void *arg5,
                          void *arg6)
{
    int16_t temporary = 0;
    return norix__load_form(arg1, arg2, arg3, arg4, short_copy(arg5, temporary), arg6);
}

}  // extern "C"
