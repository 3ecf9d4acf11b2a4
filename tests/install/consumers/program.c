/* A C program built against an installed tree only: it calls the client
   utility library and the value mover, and has routines and tables of its
   own under names that the archives use inside. Exits 0 when every step
   behaved. EXPECTED_VERSION is the version the tree was installed as. */
#include <stdio.h>
#include <string.h>

#include <morvanta/dbutil.h>
#include <morvanta/forms.h>

/* Names internal to the archives; the program's own must link. */
int get_ods_version(void) { return 7; }
const char *dtypes_table[2] = {"the program's own", NULL};

static int failures = 0;

static void check(int ok, const char *what)
{
    if (!ok) {
        printf("FAILED: %s\n", what);
        ++failures;
    }
}

static void ignore_line(void *argument, const char *line)
{
    (void)argument;
    (void)line;
}

int main(void)
{
    static const char expected_dpb[] = {1, 28, 3, 'a', 'n', 'n', 29, 2, 'p', 'w'};
    tdx_status status[TDX_STATUS_LENGTH] = {0};
    tdx_handle db = 0;
    char *dpb = NULL;
    int16_t dpb_length = 0;
    int32_t mantissa = 0;

    check(strcmp(MORVANTA_VERSION_STRING, EXPECTED_VERSION) == 0, "version string");
    check(MORVANTA_VERSION_MAJOR == EXPECTED_MAJOR && MORVANTA_VERSION_MINOR == EXPECTED_MINOR,
          "version numbers");

    mvt_expand_dpb(&dpb, &dpb_length, DPB_USER, "ann", DPB_PASSWORD, "pw", 0);
    check(dpb_length == (int16_t)sizeof expected_dpb &&
              memcmp(dpb, expected_dpb, sizeof expected_dpb) == 0,
          "parameter block");
    check(tdx__attach_database(status, 0, "employees", &db, dpb_length, dpb) == 0, "attach");
    /* The version report lives beside the archive's own on-disk query. */
    tdx__version(&db, ignore_line, NULL);
    check(tdx__detach_database(status, &db) == 0, "detach");
    tdx__free(dpb);

    check(XCVT_decompose("12.5", 4, &mantissa) == -1 && mantissa == 125, "number text");
    check(get_ods_version() == 7 && strcmp(dtypes_table[0], "the program's own") == 0,
          "the program's own names");

    if (failures == 0)
        printf("c program: all steps passed\n");
    return failures == 0 ? 0 : 1;
}
