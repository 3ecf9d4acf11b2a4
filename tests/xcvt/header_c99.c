/* The chief headers compile as C99, alone and together. */
#include "forms.h"
#include "dbutil.h"

#include <stddef.h>

size_t value_desc_size_in_c(void);
size_t value_desc_address_offset_in_c(void);

size_t value_desc_size_in_c(void)
{
    return sizeof(value_desc);
}

size_t value_desc_address_offset_in_c(void)
{
    return offsetof(value_desc, address);
}
