/* A C99 program of the kind application programmers write: it includes the
   client library's chief header and goes the attach road through the
   stand-in client core. Exits 0 when every step behaved. */
#include <stdio.h>
#include <string.h>

#include "dbutil.h"

static int failures = 0;

static void check(int ok, const char *what)
{
    if (!ok) {
        printf("FAILED: %s\n", what);
        ++failures;
    }
}

int main(void)
{
    tdx_status status[TDX_STATUS_LENGTH] = {0};
    tdx_handle db = 0;
    const char dpb[] = {1};

    check(tdx__attach_database(status, 0, "employees", &db, 1, dpb) == 0, "attach");
    check(db != 0, "handle set");
    check(tdx__detach_database(status, &db) == 0, "detach");
    check(sizeof(tdx_quad) == 8 && sizeof(internal_date) == 8, "record sizes");

    if (failures == 0)
        printf("client program: all steps passed\n");
    return failures == 0 ? 0 : 1;
}
