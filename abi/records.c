/* Prints the size, alignment and field offsets of every record in the public
   headers, as this build's compiler lays them out. */
#include <stddef.h>
#include <stdio.h>

#include "dbutil.h"
#include "forms.h"
#include "functions.h"

#define RECORD(type)                                                              \
    do {                                                                          \
        struct align_of { char c; type t; };                                      \
        printf("record %s size %u align %u\n", #type, (unsigned)sizeof(type),     \
               (unsigned)offsetof(struct align_of, t));                           \
    } while (0)

#define FIELD(type, field)                                                        \
    printf("  %s.%s offset %u size %u\n", #type, #field,                          \
           (unsigned)offsetof(type, field), (unsigned)sizeof(((type *)0)->field))

int main(void)
{
    RECORD(tdx_quad);
    FIELD(tdx_quad, high);
    FIELD(tdx_quad, low);

    RECORD(internal_date);
    FIELD(internal_date, day_number);
    FIELD(internal_date, time_of_day);

    RECORD(blob_stream);
    FIELD(blob_stream, blob_handle);
    FIELD(blob_stream, buffer);
    FIELD(blob_stream, next);
    FIELD(blob_stream, buffer_length);
    FIELD(blob_stream, count);
    FIELD(blob_stream, mode);

    RECORD(value_desc);
    FIELD(value_desc, dtype);
    FIELD(value_desc, scale);
    FIELD(value_desc, length);
    FIELD(value_desc, sub_type);
    FIELD(value_desc, address);

    printf("record tdx_status size %u\n", (unsigned)sizeof(tdx_status));
    printf("record tdx_handle size %u\n", (unsigned)sizeof(tdx_handle));
    printf("record functions_address size %u\n", (unsigned)sizeof(functions_address));
    return 0;
}
