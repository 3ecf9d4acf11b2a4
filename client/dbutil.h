/*
 * dbutil.h - the Morvanta client utility library.
 *
 * Declares the client core interface that the utility module calls (status
 * vectors, handles, blob ids, the core's entry points) and the dbutil entry
 * points themselves: parameter blocks, event blocks, blob streams, blob files
 * and editing, and the version report.
 *
 * Every block a dbutil routine allocates for its caller comes from tdx__alloc
 * and is released by the caller with tdx__free (a blob stream with
 * BLOB_close). Status vectors, work areas and temporary files live for one
 * call. Compiles as C99 and as C++.
 */
#ifndef MORVANTA_DBUTIL_H
#define MORVANTA_DBUTIL_H

#include <stddef.h>
#include <stdint.h>
#include <string.h>

#include "internal_date.h"    /* internal_date, tdx__encode_date, tdx__decode_date */
#include "morvanta_version.h" /* MORVANTA_VERSION_MAJOR, _MINOR, _STRING */

#ifdef __cplusplus
extern "C" {
#endif

/* ---- Client core: constants ------------------------------------------- */

/* A status vector has 20 words; word 1 holds the status code, 0 = success. */
#define TDX_STATUS_LENGTH 20

/* Status codes the utility routines look at. */
#define TDX_SEGMENT_GOES_ON 335544366L /* 0x1400002E: segment continues in the next call */
#define TDX_END_OF_BLOB     335544367L /* 0x1400002F: no more segments */
#define TDX_ATTACH_AGAIN    335544518L /* 0x140000C6: attach is to be made again */

/* Info items: replies are clumps of item byte, 2-byte length (LSB first), value. */
#define TDX_INFO_END              1
#define TDX_INFO_TRUNCATED        2
#define TDX_INFO_NUM_SEGMENTS     4
#define TDX_INFO_MAX_SEGMENT      5
#define TDX_INFO_TOTAL_LENGTH     6
#define TDX_INFO_IMPLEMENTATION  11
#define TDX_INFO_VERSION         12
#define TDX_INFO_ODS_VERSION     32
#define TDX_INFO_ODS_MINOR       33

/* ---- Client core: types ----------------------------------------------- */

typedef int32_t tdx_status;                   /* one status word */
typedef uint32_t tdx_handle;                  /* database, transaction or blob handle; 0 = none */

/* The 8-byte identifier of a blob, written by the core when a blob is created. */
typedef struct tdx_quad {
    int32_t high;
    uint32_t low;
} tdx_quad;

/* ---- Client core: entry points (provided by libtdxlib.so) -------------- */

void *tdx__alloc(int32_t size);
void tdx__free(void *block);
int32_t tdx__log(const char *text);
/* The integer held in `length` bytes, least significant byte first on every
   machine: how info replies and event counts hold their numbers. */
int32_t tdx__vax_integer(const unsigned char *bytes, int16_t length);

int32_t mvt_database_info(tdx_status *status, tdx_handle *db_handle,
                          int16_t item_length, const unsigned char *items,
                          int16_t reply_length, unsigned char *reply);
int32_t tdx__blob_info(tdx_status *status, tdx_handle *blob_handle,
                       int16_t item_length, const unsigned char *items,
                       int16_t reply_length, unsigned char *reply);

int32_t tdx__open_blob2(tdx_status *status, tdx_handle *db_handle, tdx_handle *tra_handle,
                        tdx_handle *blob_handle, tdx_quad *blob_id,
                        int16_t bpb_length, const unsigned char *bpb);
int32_t tdx__create_blob2(tdx_status *status, tdx_handle *db_handle, tdx_handle *tra_handle,
                          tdx_handle *blob_handle, tdx_quad *blob_id,
                          int16_t bpb_length, const unsigned char *bpb);
int32_t tdx__create_blob(tdx_status *status, tdx_handle *db_handle, tdx_handle *tra_handle,
                         tdx_handle *blob_handle, tdx_quad *blob_id);
int32_t tdx__get_segment(tdx_status *status, tdx_handle *blob_handle, uint16_t *length,
                         uint16_t buffer_size, char *buffer);
int32_t tdx__put_segment(tdx_status *status, tdx_handle *blob_handle, uint16_t length,
                         const char *buffer);
int32_t tdx__close_blob(tdx_status *status, tdx_handle *blob_handle);

int32_t tdx__attach_database(tdx_status *status, int16_t name_length, const char *name,
                             tdx_handle *db_handle, int16_t dpb_length, const char *dpb);
int32_t tdx__detach_database(tdx_status *status, tdx_handle *db_handle);
int32_t tdx__disable_subsystem(const char *name);

int32_t tdx__print_status(const tdx_status *status);
int32_t tdx__log_status(const char *database, const tdx_status *status);

/* ==== dbutil entry points ============================================== */

/* ---- Parameter blocks -------------------------------------------------- */

/* A database parameter block is a version byte 1 followed by clumps of tag
   byte, length byte and value. The caller holds it as a pointer (null while
   there is none) and a signed 16-bit length; the builders take both by
   address. A block that grows moves into a fresh buffer from tdx__alloc of
   exactly its new length, owned by the caller and released with tdx__free;
   the previous buffer is neither changed nor released. */

#define DPB_VERSION       1
#define DPB_USER_ALT     19  /* second form of the user name (never written) */
#define DPB_USER         28
#define DPB_PASSWORD     29
#define DPB_PASSWORD_ALT 30  /* second form of the password (never written) */
#define DPB_STRING_47    47
#define DPB_STRING_48    48
#define DPB_SINGLE_USER  53

#define DPB_MAX_VALUE_LENGTH 255   /* a clump's length is one byte */
#define DPB_MAX_LENGTH       32767 /* a block's length is a signed 16-bit count */

/* Appends a clump for each pair (int tag, const char *value) of the list,
   which ends with the tag 0; only the string tags 28, 29, 47, 48, 53 with a
   non-null value are written, other pairs are passed over. An empty block
   always comes back as a fresh buffer holding at least the version byte.
   When memory runs out, or a value over 255 bytes, a block over 32767
   bytes or a clump after a negative length is asked for, "mvt_extend_dpb:
   out of memory" is logged and nothing changes. */
void mvt_expand_dpb(char **dpb, int16_t *dpb_length, ...);

/* Appends one clump of value_length bytes (any bytes) for a string tag; with
   a null value the block only moves into a new buffer. 0 when done; 1 with
   nothing changed for a tag that is not a string tag (silent), and for no
   memory, a length outside 0..255 or a block over 32767 bytes (logged as
   under mvt_expand_dpb). */
int32_t mvt_modify_dpb(char **dpb, int16_t *dpb_length, int32_t tag, const char *value,
                       int16_t value_length);

/* Adds DPB_USER from MVT_USER and DPB_PASSWORD from MVT_PASSWORD unless the
   block already names a user (19, 28) or a password (29, 30). Nothing happens
   when neither variable is set. Fails as mvt_expand_dpb. */
void mvt_set_login(char **dpb, int16_t *dpb_length);

/* Adds DPB_SINGLE_USER with the given value unless the block carries one
   already; a null value adds no clump. Fails as mvt_expand_dpb. */
void mvt_set_single_user(char **dpb, int16_t *dpb_length, const char *value);

/* Writes MVT_PATH followed by the file name into expanded_name and returns 1.
   A non-zero file_length first cuts the name at that length in the caller's
   buffer (which must hold file_length + 1 bytes). 0, expanded_name untouched,
   when MVT_PATH is not set or the name holds ':', '/' or '\'. expanded_name
   must hold strlen(MVT_PATH) + strlen(name) + 1 bytes; its size is not checked. */
int32_t mvt_set_path(char *file_name, uint16_t file_length, char *expanded_name);

/* ---- Event blocks and address entry points ----------------------------- */

/* An event block is a version byte 1 followed, for each event name, by its
   length byte, its bytes without trailing blanks and a 4-byte count (least
   significant byte first). The builders allocate it and a result block of the
   same size with tdx__alloc; both belong to the caller (tdx__free). On any
   failure they return 0 with nothing allocated and *event_buffer null;
   *result_buffer is set to null only when its own allocation failed. */

#define EVENT_BLOCK_VERSION    1
#define EVENT_NAME_WIDTH      31  /* blank-padded name field of the array forms */
#define EVENT_NAME_MAX_LENGTH 255 /* a name's length is one byte */

/* Builds the blocks from `count` zero-terminated names given as further
   arguments. Returns the block's length; the buffers are larger by the
   trailing blanks removed. 0 when memory runs out or a name holds more than
   255 bytes without its trailing blanks. */
int32_t tdx__event_block(char **event_buffer, char **result_buffer, int16_t count, ...);

/* Builds the blocks from `count` fields of EVENT_NAME_WIDTH bytes (a zero byte
   does not end a field); the buffers have exactly the returned length. 0 when
   memory runs out or the block would reach 65536 bytes. */
uint16_t tdx__event_block_a(char **event_buffer, char **result_buffer, int16_t count,
                            const char *const *names);

/* As tdx__event_block_a; the length (or 0) is also stored in *return_count. */
uint16_t tdx__event_block_s(char **event_buffer, char **result_buffer, int16_t count,
                            const char *const *names, uint16_t *return_count);

/* Stores, for each name of the event block, the result block's count minus
   the event block's (32 bits, wrapping) in the next word of result_vector,
   which needs one word per name; then copies buffer_length bytes of the
   result block over the event block. Nothing past buffer_length is read: a
   record cut by it yields no word. */
void tdx__event_counts(uint32_t *result_vector, uint16_t buffer_length, char *event_buffer,
                       char *result_buffer);

/* Does nothing; its argument is not read. */
#ifdef __cplusplus
void tdx__set_debug(int32_t flag = 0);
#else
void tdx__set_debug(int32_t flag);
#endif

/* Returns its address-wide argument unchanged; a caller that passes every
   argument by reference gets the address of its variable as an integer. */
intptr_t mvt_baddress(intptr_t address);

/* Stores its first argument at *target. */
void mvt_baddress_s(intptr_t address, intptr_t *target);

/* ---- Blob streams ------------------------------------------------------ */

/* A blob stream reads or writes a blob a byte at a time while the client core
   moves it in segments. Applications may take bytes from the buffer or put
   bytes into it themselves while `count` allows, so the record's layout is
   part of the interface. */

#define BLOB_OUTPUT       1   /* mode flag: write stream */
#define BLOB_OWN_BUFFER   2   /* mode flag: buffer allocated by BLOB_open, freed by BLOB_close */
#define BLOB_BUFFER_LENGTH 512   /* buffer size when the caller gives none */
#define BLOB_BUFFER_MAX   32767  /* largest buffer a stream can describe */
#define BLOB_SIZE_REPLY_LENGTH 64 /* reply area of tdx__blob_size */

typedef struct blob_stream {
    tdx_handle blob_handle; /* the client core's handle; its address is what the core gets */
    char *buffer;           /* start of the buffer */
    char *next;             /* read: next byte to hand out; write: next free byte */
    int16_t buffer_length;  /* size of the buffer in bytes */
    int16_t count;          /* read: bytes not yet handed out; write: free bytes left */
    uint8_t mode;           /* BLOB_OUTPUT, BLOB_OWN_BUFFER */
} blob_stream;

/* The layout above is checked with static_assert where the stream routines are built. */

/* Opens the blob named by *blob_id ("r"/"R": read stream) or creates a new one
   whose id the core writes to *blob_id ("w"/"W": write stream); only the first
   character of mode counts. Returns a stream with an own 512-byte buffer,
   owned by the caller and released by BLOB_close; null when the mode is
   unknown (nothing called), the core refuses (not printed) or memory runs
   out (the blob is closed again). */
blob_stream *Bopen(tdx_quad *blob_id, tdx_handle db_handle, tdx_handle tra_handle,
                   const char *mode);

/* Makes a read stream for a blob the caller already opened. buffer, when not
   null, stays the caller's; else one of `length` bytes (0: 512) is allocated
   and freed by BLOB_close. A length of 0 means 512 with a caller's buffer
   too, so that buffer must hold 512 bytes. Null for handle 0, a length
   outside 0..32767, or no memory; nothing stays allocated then. */
blob_stream *BLOB_open(tdx_handle blob_handle, char *buffer, int32_t length);

/* Next byte of a read stream as 0..255, fetching segments as the buffer runs
   dry; -1 at the end of the blob (silent) or on failure (status printed). */
int32_t BLOB_get(blob_stream *stream);

/* Stores the low 8 bits of byte at `next` and sends the pending bytes as one
   segment. 1 when sent; 0 when refused (silent; the byte stays stored and
   `next` has moved past it while `count` has not; retry possible), or when
   the stream has no buffer or no free byte. */
int32_t BLOB_put(int32_t byte, blob_stream *stream);

/* Sends the pending bytes of a write stream, closes the blob and frees the
   stream and an own buffer: 1. 0 when the handle is 0 or the last segment is
   refused; the stream then stays open and allocated, so the call can be
   retried. */
int32_t BLOB_close(blob_stream *stream);

/* A byte at a time without a call per byte. Both helpers work on the record
   as the routines above leave it, so they mix freely with BLOB_get and
   BLOB_put on the same stream; stream must come from Bopen or BLOB_open. */

/* Next byte of a read stream as 0..255, or -1, exactly as BLOB_get gives it:
   taken straight from the buffer while `count` says bytes are left, and from
   BLOB_get (which fetches the next segment) when the buffer is used up. */
static inline int32_t BLOB_get_byte(blob_stream *stream)
{
    if (stream->count > 0) {
        --stream->count;
        return (unsigned char)*stream->next++;
    }
    return BLOB_get(stream);
}

/* Puts the low 8 bits of byte into a write stream's buffer while more than
   one free place is left (`count` above 1), and hands the byte that takes the
   last place to BLOB_put, which sends the full buffer as one segment.
   Segments therefore come out buffer-sized; BLOB_close sends the rest. 1 when
   the byte was stored (and, at the buffer's edge, sent); 0 as BLOB_put fails,
   the byte then stays stored and BLOB_close may still send it. */
static inline int32_t BLOB_put_byte(int32_t byte, blob_stream *stream)
{
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
    /* The byte stored through `next` may land anywhere, the record included,
       so `count` is loaded afresh for every byte, right after the store of
       the byte before; a processor hands a stored 32-bit word on to that load
       far sooner than a 16-bit field. So where the byte order is known, count
       is stepped through the aligned word it shares with buffer_length (count
       in the high half), which is written back as it was. The 16-bit step
       took this loop from 1.2 to 3.3 times the time of fputc_unlocked into a
       memory stream (bench/stream_paths.cpp, put_byte_fputc). BLOB_get_byte
       stores nothing between bytes, so there count stays in a register and
       the plain step is as fast. */
    char *const lengths = (char *)stream + offsetof(blob_stream, buffer_length);
    uint32_t word;
    memcpy(&word, lengths, sizeof word);
    if ((int16_t)(word >> 16) <= 1)
        return BLOB_put(byte, stream);
    word -= 0x10000u;
    memcpy(lengths, &word, sizeof word);
#else
    if (stream->count <= 1)
        return BLOB_put(byte, stream);
    --stream->count;
#endif
    *stream->next++ = (char)(byte & 0xFF);
    return 1;
}

/* Asks the core for a blob's total length, number of segments and longest
   segment; each output address may be null. 1 on success; 0 with the status
   printed when the request is refused, 0 silently for a reply that holds an
   unexpected item or runs past its 64-byte area. */
int32_t tdx__blob_size(tdx_handle *blob_handle, int32_t *length, int32_t *segments,
                       int32_t *max_segment);

/* ---- Blob files and editing -------------------------------------------- */

/* Whole blobs to and from files, the standard output and the user's editor.
   Bytes pass unchanged; a load cuts a segment at every newline and every 512
   bytes. The BLOB_ forms take handles as words and a zero-terminated name;
   the blob__ forms take everything by address and the name with a 16-bit
   length. */

#define BLOB_DUMP_AREA       256 /* bytes read per segment call by a dump */
#define BLOB_LOAD_AREA       512 /* longest segment a load sends */
#define BLOB_SHORT_NAME_AREA  32 /* blob__display, blob__edit: names of up to 31 characters */
#define BLOB_FILE_NAME_AREA  132 /* blob__dump, blob__load: file names of up to 131 characters */
#define BLOB_EDIT_STEM_LENGTH 24 /* characters of the name kept in the temporary file name */
#define BLOB_EDITOR_COMMAND_AREA 256 /* editor command, zero byte included */

/* Writes the blob named by *blob_id to the file (created or emptied). 1 when
   every byte read reached the file, even if a read error (printed) stopped
   the transfer; 0 when the file cannot be opened (silent), the blob cannot
   be (printed, the empty file stays), or a write, the flush or the close
   fails (silent, the file keeps what was written). BLOB_text_dump is the
   same operation. */
int32_t BLOB_dump(tdx_quad *blob_id, tdx_handle db_handle, tdx_handle tra_handle,
                  const char *file_name);
int32_t BLOB_text_dump(tdx_quad *blob_id, tdx_handle db_handle, tdx_handle tra_handle,
                       const char *file_name);

/* Writes the blob to the standard output and flushes it; name is not used.
   Results as BLOB_dump. An error indicator the standard output carried
   before the call is neither counted against it nor cleared. */
int32_t BLOB_display(tdx_quad *blob_id, tdx_handle db_handle, tdx_handle tra_handle,
                     const char *name);

/* Creates a new blob from the file, one segment per line (512 bytes at most),
   and the core writes its id to *blob_id. 1 on success; 0 when the file cannot
   be opened (silent), the blob cannot be created or a segment is refused
   (printed), or the file cannot be read (silent). After a create, *blob_id
   holds the new id even on failure. BLOB_text_load is the same operation. */
int32_t BLOB_load(tdx_quad *blob_id, tdx_handle db_handle, tdx_handle tra_handle,
                  const char *file_name);
int32_t BLOB_text_load(tdx_quad *blob_id, tdx_handle db_handle, tdx_handle tra_handle,
                       const char *file_name);

/* Lets the user edit the blob in "VISUAL", else "EDITOR", else vi, through a
   temporary file named after `name` (null: "tdx_edit") in the current
   directory, removed on every path. 1 when the text changed and was stored as
   a new blob whose id replaces *blob_id. 0 with *blob_id unchanged when the
   text is unchanged or any step fails: a blob not wholly dumped is not
   edited, and a failed reload (status printed) keeps the old blob. */
int32_t BLOB_edit(tdx_quad *blob_id, tdx_handle db_handle, tdx_handle tra_handle,
                  const char *name);

/* By-address forms of BLOB_display, BLOB_dump, BLOB_edit and BLOB_load: the
   name is name_length characters. Names for display and edit are cut to 31
   characters; file names over 131 characters are refused with 0. A negative
   length counts as 0. */
int32_t blob__display(tdx_quad *blob_id, tdx_handle *db_handle, tdx_handle *tra_handle,
                      const char *name, const int16_t *name_length);
int32_t blob__dump(tdx_quad *blob_id, tdx_handle *db_handle, tdx_handle *tra_handle,
                   const char *file_name, const int16_t *name_length);
int32_t blob__edit(tdx_quad *blob_id, tdx_handle *db_handle, tdx_handle *tra_handle,
                   const char *name, const int16_t *name_length);
int32_t blob__load(tdx_quad *blob_id, tdx_handle *db_handle, tdx_handle *tra_handle,
                   const char *file_name, const int16_t *name_length);

/* Runs the user's editor on the file through the shell and answers 1 when
   the file's modification time (whole seconds) or size changed, else 0. The
   file name is passed quoted, "./" put before a leading "-" or "+". The
   editor is not run (0) when its value is empty, the file's status cannot be
   taken, or the command would not fit its 256-byte area. `unused` is not read. */
int32_t tdx__edit(const char *file_name, int32_t unused);

/* ---- Version report ---------------------------------------------------- */

/* The report names every software layer serving an attached database, one
   line each, and then its on-disk structure version. */

#define VERSION_LINE_AREA       128   /* each line, zero byte included; longer lines are cut */
#define VERSION_FIRST_REPLY       256 /* reply area of the first request (on the stack) */
#define VERSION_REPLY_GROWTH     1024 /* each retry's area is this much larger */
#define VERSION_LARGEST_REPLY   65535 /* the area length is an unsigned 16-bit count */
#define VERSION_ODS_REPLY          16 /* reply area of the on-disk structure query */
#define IMPLEMENTATION_UNKNOWN "**unknown**"

/* Receives the caller's argument unchanged and one zero-terminated line. */
typedef void (*tdx_version_callback)(void *argument, const char *line);

/* Hands each line to routine(argument, line); with a null routine each line
   goes to the standard output after a tab and with a newline. 0 when the whole
   report was handed out; 1 when it stopped (request refused, no memory, a
   reply that holds an unexpected item, lacks item 11 or 12, runs past its
   area, or still does not fit 64768 bytes, the largest area a 16-bit length
   holds); lines already handed out stay. */
int32_t tdx__version(tdx_handle *db_handle, tdx_version_callback routine, void *argument);

/* Writes the names of an implementation code and a class code, each cut to
   its area's length - 1 and zero-terminated; an area of length 0 is not
   touched. Unknown codes and empty rows give "**unknown**". */
void mvt_format_implementation(uint16_t implementation, uint16_t implementation_length,
                               char *implementation_name, uint16_t class_code,
                               uint16_t class_length, char *class_name);

#ifdef __cplusplus
}
#endif

#endif /* MORVANTA_DBUTIL_H */
