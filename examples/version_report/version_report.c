/* The version report: every software layer that serves an attached
 * database, with its implementation, class and version, and the on-disk
 * structure version, handed line by line to a print routine of the
 * program's own.
 *
 *   version_report DATABASE
 */
#include <stdio.h>

#include <morvanta/dbutil.h>

/* Receives the caller's argument unchanged and one line. */
static void print_line(void *argument, const char *line)
{
    int *number = argument;
    printf("%d. %s\n", ++*number, line);
}

int main(int argc, char **argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: %s DATABASE\n", argv[0]);
        return 2;
    }
    tdx_status status[TDX_STATUS_LENGTH] = {0};
    tdx_handle db = 0;
    if (tdx__attach_database(status, 0, argv[1], &db, 0, NULL) != 0) {
        tdx__print_status(status);
        return 1;
    }

    int lines = 0;
    /* 0: the whole report; 1: it stopped, lines already printed stay. */
    const int32_t stopped = tdx__version(&db, print_line, &lines);
    if (stopped)
        fprintf(stderr, "version_report: the report is incomplete\n");

    /* The same names from codes obtained some other way; areas are cut. */
    char implementation[40], class_name[8];
    mvt_format_implementation(30, sizeof implementation, implementation, 9,
                              sizeof class_name, class_name);
    printf("code 30: %s; class 9 in 8 bytes: %s\n", implementation, class_name);

    tdx__detach_database(status, &db);
    return stopped ? 1 : 0;
}
