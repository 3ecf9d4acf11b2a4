// Fortran-callable forms core entry points whose arguments all go on as the
// Fortran caller passed them: the entry point gets the caller's own
// addresses, so whatever it stores through them reaches the caller.
#include "forms.h"

extern "C" {

int32_t norix__compile_menu_(void *arg1, void *arg2, void *arg3, void *arg4)
{
    return norix__compile_menu(arg1, arg2, arg3, arg4);
}

int32_t norix__delete_(void *arg1)
{
    return norix__delete(arg1);
}

int32_t norix__delete_window_(void *arg1)
{
    return norix__delete_window(arg1);
}

int32_t norix__drive_form_(void *arg1, void *arg2, void *arg3, void *arg4, void *arg5,
                           void *arg6, void *arg7)
{
    return norix__drive_form(arg1, arg2, arg3, arg4, arg5, arg6, arg7);
}

int32_t norix__fetch_(void *arg1, void *arg2, void *arg3, void *arg4, void *arg5)
{
    return norix__fetch(arg1, arg2, arg3, arg4, arg5);
}

int32_t norix__get_entree_(void *arg1, void *arg2, void *arg3, void *arg4, void *arg5)
{
    return norix__get_entree(arg1, arg2, arg3, arg4, arg5);
}

int32_t norix__initialize_menu_(void *arg1)
{
    return norix__initialize_menu(arg1);
}

int32_t norix__insert_(void *arg1, void *arg2, void *arg3, void *arg4, void *arg5)
{
    return norix__insert(arg1, arg2, arg3, arg4, arg5);
}

int32_t norix__menu_(void *arg1, void *arg2, void *arg3, void *arg4)
{
    return norix__menu(arg1, arg2, arg3, arg4);
}

int32_t norix__pop_window_(void *arg1)
{
    return norix__pop_window(arg1);
}

int32_t norix__put_entree_(void *arg1, void *arg2, void *arg3, void *arg4)
{
    return norix__put_entree(arg1, arg2, arg3, arg4);
}

int32_t norix__reset_form_(void *arg1, void *arg2)
{
    return norix__reset_form(arg1, arg2);
}

int32_t norix__suspend_window_(void *arg1)
{
    return norix__suspend_window(arg1);
}

}  // extern "C"
