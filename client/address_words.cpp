// Small entry points for programs in languages that pass every argument by
// reference: they get the address of a variable back as an integer.
#include "dbutil.h"

extern "C" void tdx__set_debug(int32_t)
{
}

extern "C" intptr_t mvt_baddress(intptr_t address)
{
    return address;
}

extern "C" void mvt_baddress_s(intptr_t address, intptr_t *target)
{
    *target = address;
}
