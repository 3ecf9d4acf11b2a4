/* The attach road: a parameter block with the user name and password from
 * MVT_USER and MVT_PASSWORD and the single-user clump, the database file
 * name put behind the directory in MVT_PATH, the attach, and the release of
 * every block the builders returned.
 *
 *   attach FILE_NAME
 */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <morvanta/dbutil.h>

int main(int argc, char **argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: %s FILE_NAME\n", argv[0]);
        return 2;
    }

    /* MVT_PATH + the bare file name; a name with a directory stays as it is. */
    const char *path = getenv("MVT_PATH");
    char *database = malloc((path ? strlen(path) : 0) + strlen(argv[1]) + 1);
    if (database == NULL)
        return 1;
    if (!mvt_set_path(argv[1], 0, database))
        strcpy(database, argv[1]);
    printf("database: %s\n", database);

    /* Start empty; each builder may move the block into a new buffer. */
    char *dpb = NULL;
    int16_t dpb_length = 0;
    mvt_set_login(&dpb, &dpb_length);
    char *login_block = dpb;
    mvt_set_single_user(&dpb, &dpb_length, "");
    /* The block moved on: the buffer mvt_set_login returned is still ours. */
    if (login_block != NULL && login_block != dpb)
        tdx__free(login_block);
    if (dpb == NULL) {
        /* The builders log "mvt_extend_dpb: out of memory" to the core's log. */
        fprintf(stderr, "attach: no memory for the parameter block\n");
        free(database);
        return 1;
    }
    printf("parameter block: %d bytes\n", dpb_length);

    tdx_status status[TDX_STATUS_LENGTH] = {0};
    tdx_handle db = 0;
    const int32_t refused = tdx__attach_database(status, 0, database, &db, dpb_length, dpb);
    tdx__free(dpb); /* the core has read it */
    if (refused) {
        tdx__print_status(status);
        if (db != 0)
            tdx__detach_database(status, &db);
        free(database);
        return 1;
    }
    printf("attached\n");

    tdx__detach_database(status, &db);
    printf("detached\n");
    free(database);
    return 0;
}
