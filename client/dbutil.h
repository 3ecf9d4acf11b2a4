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

#include <stdint.h>
#include <time.h>

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

#ifndef MORVANTA_INTERNAL_DATE_DEFINED
#define MORVANTA_INTERNAL_DATE_DEFINED
/* A date in the client core's form: consecutive day numbers and the time of
   day in ten-thousandths of a second (0 to 863999999). */
typedef struct internal_date {
    int32_t day_number;
    int32_t time_of_day;
} internal_date;
#endif

/* ---- Client core: entry points (provided by libtdxlib.so) -------------- */

void *tdx__alloc(int32_t size);
void tdx__free(void *block);
int32_t tdx__log(const char *text);
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

void tdx__encode_date(const struct tm *time, internal_date *date);
void tdx__decode_date(const internal_date *date, struct tm *time);

/* ==== dbutil entry points ============================================== */

/* ---- Parameter blocks -------------------------------------------------- */

/* ---- Event blocks and address entry points ----------------------------- */

/* ---- Blob streams ------------------------------------------------------ */

/* ---- Blob files and editing -------------------------------------------- */

/* ---- Version report ---------------------------------------------------- */

#ifdef __cplusplus
}
#endif

#endif /* MORVANTA_DBUTIL_H */
