/* Writing and reading a blob through a stream, the buffered way: the
 * program fills the stream's buffer itself and hands BLOB_put only the byte
 * that ends a segment (a newline, or the one that takes the last free
 * place), so each line becomes one segment. (BLOB_put_byte in dbutil.h
 * does the same with buffer-sized segments.) Reading takes the bytes back
 * one by one with BLOB_get_byte, which calls BLOB_get only when the buffer
 * runs dry.
 *
 *   blob_stream
 */
#include <stdio.h>

#include <morvanta/dbutil.h>

/* One byte into a write stream; 1 when it went in, 0 on failure. */
static int put_byte(int byte, blob_stream *stream)
{
    if (byte != '\n' && stream->count > 1) {
        *stream->next++ = (char)byte;
        --stream->count;
        return 1;
    }
    return BLOB_put(byte, stream); /* stores the byte and sends the segment */
}

static int write_text(blob_stream *stream, const char *text)
{
    for (; *text != '\0'; ++text)
        if (!put_byte((unsigned char)*text, stream))
            return 0;
    return 1;
}

int main(void)
{
    tdx_status status[TDX_STATUS_LENGTH] = {0};
    tdx_handle db = 0;
    if (tdx__attach_database(status, 0, "notes.tdb", &db, 0, NULL) != 0) {
        tdx__print_status(status);
        return 1;
    }
    const tdx_handle tra = 0; /* a transaction of the application's own */
    tdx_quad blob_id = {0, 0};

    blob_stream *out = Bopen(&blob_id, db, tra, "w");
    if (out == NULL) {
        fprintf(stderr, "blob_stream: the blob could not be created\n");
        tdx__detach_database(status, &db);
        return 1;
    }
    const int written = write_text(out, "first line\nsecond line\nno newline at the end");
    /* BLOB_close sends what is pending; on failure the stream stays open. */
    if (!BLOB_close(out) || !written) {
        fprintf(stderr, "blob_stream: a segment was refused\n");
        tdx__detach_database(status, &db);
        return 1;
    }

    blob_stream *in = Bopen(&blob_id, db, tra, "r");
    if (in == NULL) {
        fprintf(stderr, "blob_stream: the blob could not be opened\n");
        tdx__detach_database(status, &db);
        return 1;
    }
    int32_t length = 0, segments = 0, longest = 0;
    if (tdx__blob_size(&in->blob_handle, &length, &segments, &longest))
        printf("blob: %d bytes in %d segments, the longest %d bytes\n", length, segments,
               longest);
    int byte;
    while ((byte = BLOB_get_byte(in)) != -1) /* -1: end of blob (or a printed failure) */
        putchar(byte);
    putchar('\n');
    BLOB_close(in);

    tdx__detach_database(status, &db);
    return 0;
}
