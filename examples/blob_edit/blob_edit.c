/* Editing a blob in the user's editor (VISUAL, else EDITOR, else vi): a
 * text is loaded into a blob, BLOB_edit opens it in the editor through a
 * temporary file in the current directory, and the blob the program holds
 * afterwards is shown. Saving stores the text as a new blob; quitting
 * without saving keeps the old one.
 *
 *   blob_edit TEXT_FILE
 */
#include <stdio.h>

#include <morvanta/dbutil.h>

int main(int argc, char **argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: %s TEXT_FILE\n", argv[0]);
        return 2;
    }
    tdx_status status[TDX_STATUS_LENGTH] = {0};
    tdx_handle db = 0;
    if (tdx__attach_database(status, 0, "notes.tdb", &db, 0, NULL) != 0) {
        tdx__print_status(status);
        return 1;
    }
    const tdx_handle tra = 0;
    tdx_quad note = {0, 0};
    if (!BLOB_load(&note, db, tra, argv[1])) {
        fprintf(stderr, "blob_edit: %s could not be loaded\n", argv[1]);
        tdx__detach_database(status, &db);
        return 1;
    }

    fflush(stdout); /* the editor shares the terminal */
    if (BLOB_edit(&note, db, tra, "note"))
        printf("edited: the new text is stored as a new blob\n");
    else
        /* Unchanged, or the edit could not run (for instance no writable
           working directory): the blob id is untouched either way. */
        printf("not changed: the old blob is kept\n");

    const int shown = BLOB_display(&note, db, tra, NULL);
    tdx__detach_database(status, &db);
    return shown ? 0 : 1;
}
