/* A C99 program of the kind application programmers write: it includes the
   client library's chief header and goes the attach road through the
   stand-in client core. Exits 0 when every step behaved. */
#include <stdio.h>
#include <string.h>

#include <morvanta/dbutil.h>

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
    char *dpb = NULL;
    int16_t dpb_length = 0;
    char *events = NULL, *results = NULL;
    static const char expected_dpb[] = {1, 28, 3, 'a', 'n', 'n', 29, 2, 'p', 'w'};

    /* The variable argument lists, as C passes them. */
    mvt_expand_dpb(&dpb, &dpb_length, DPB_USER, "ann", DPB_PASSWORD, "pw", 0);
    check(dpb_length == (int16_t)sizeof expected_dpb &&
              memcmp(dpb, expected_dpb, sizeof expected_dpb) == 0,
          "parameter block built from C");
    check(tdx__event_block(&events, &results, 2, "ORDER_PLACED  ", "SHIPPED") == 1 + 17 + 12,
          "event block built from C");

    check(tdx__attach_database(status, 0, "employees", &db, dpb_length, dpb) == 0, "attach");
    check(db != 0, "handle set");
    {
        /* The inline byte helpers, as a C program uses them. */
        tdx_quad id = {0, 0};
        blob_stream *w = Bopen(&id, db, 0, "w");
        blob_stream *r;
        int i, same = 1;
        for (i = 0; w != NULL && i < 600; ++i)
            same = same && BLOB_put_byte(i, w) == 1;
        check(w != NULL && same && BLOB_close(w) == 1, "bytes written from C");
        r = Bopen(&id, db, 0, "r");
        for (i = 0; r != NULL && i < 600; ++i)
            same = same && BLOB_get_byte(r) == (i & 0xFF);
        check(r != NULL && same && BLOB_get_byte(r) == -1 && BLOB_close(r) == 1,
              "bytes read back from C");
    }
    check(tdx__detach_database(status, &db) == 0, "detach");
    tdx__free(dpb);
    tdx__free(events);
    tdx__free(results);
    check(sizeof(tdx_quad) == 8 && sizeof(internal_date) == 8, "record sizes");

    if (failures == 0)
        printf("client program: all steps passed\n");
    return failures == 0 ? 0 : 1;
}
