/* A file loaded into a new blob (one segment per line) and the blob dumped
 * to another file, byte for byte.
 *
 *   blob_files IN_FILE OUT_FILE
 */
#include <stdio.h>

#include <morvanta/dbutil.h>

int main(int argc, char **argv)
{
    if (argc != 3) {
        fprintf(stderr, "usage: %s IN_FILE OUT_FILE\n", argv[0]);
        return 2;
    }
    tdx_status status[TDX_STATUS_LENGTH] = {0};
    tdx_handle db = 0;
    if (tdx__attach_database(status, 0, "files.tdb", &db, 0, NULL) != 0) {
        tdx__print_status(status);
        return 1;
    }
    const tdx_handle tra = 0;
    tdx_quad blob_id = {0, 0};
    int ok = 0;

    /* 0: the file could not be opened (silent), or the core refused
       (its status is printed). */
    if (!BLOB_load(&blob_id, db, tra, argv[1])) {
        fprintf(stderr, "blob_files: %s could not be loaded\n", argv[1]);
    } else if (!BLOB_dump(&blob_id, db, tra, argv[2])) {
        fprintf(stderr, "blob_files: %s could not be written\n", argv[2]);
    } else {
        printf("%s loaded into a blob and dumped to %s\n", argv[1], argv[2]);
        ok = 1;
    }
    tdx__detach_database(status, &db);
    return ok ? 0 : 1;
}
