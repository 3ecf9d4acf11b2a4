/*
 * tdx_control.h - test control of the stand-in client core (libtdxlib.so).
 *
 * Not part of any deliverable. Tests use it to inject faults into the
 * stand-in core, to script its info replies and to seed and inspect the
 * in-memory blobs. Each thread has a core of its own: the blobs, handles,
 * databases, faults, counters and log that a thread makes and sees are its
 * own, and tdxc_reset forgets the calling thread's alone. Process-level tests
 * of the cache program use the environment instead:
 *   TDX_LOG_FILE       the core's log goes to this file (else it is only kept
 *                      for tdxc_last_log)
 *   TDX_TRACE          a line per attach, detach, print, log and disable call
 *                      is appended to this file
 *   TDX_ATTACH_SCRIPT  comma-separated results of successive attaches:
 *                      "retry", "ok" or "fail", each optionally followed by
 *                      "+h" (leave a handle), "+w" (first wait for SIGTERM,
 *                      as a serving attach does) and by "*N" (given N attaches
 *                      in a row) or "*" alone (given for ever). Read once,
 *                      at the first attach after start or tdxc_reset. Once
 *                      the script is used up, an attach with the cache
 *                      manager's block waits for SIGTERM and then succeeds.
 */
#ifndef MORVANTA_TDX_CONTROL_H
#define MORVANTA_TDX_CONTROL_H

#include "dbutil.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Status codes the stand-in core produces besides those in dbutil.h. */
#define TDXC_BAD_DB_HANDLE    335544324L /* 0x14000004 */
#define TDXC_BAD_BLOB_HANDLE  335544328L /* 0x14000008 */
#define TDXC_NO_SUCH_BLOB     335544336L /* 0x14000010 */
#define TDXC_READ_ERROR       335544344L /* 0x14000018 */
#define TDXC_SEGMENT_REFUSED  335544345L /* 0x14000019 */
#define TDXC_INFO_REFUSED     335544346L /* 0x1400001A */
#define TDXC_ATTACH_REFUSED   335544347L /* 0x1400001B */
#define TDXC_NO_MEMORY        335544348L /* 0x1400001C */
#define TDXC_OPEN_REFUSED     335544349L /* 0x1400001D */
#define TDXC_CREATE_REFUSED   335544350L /* 0x1400001E */
#define TDXC_WRONG_DIRECTION  335544351L /* 0x1400001F */

/* Operations that can be counted and made to fail. */
enum tdxc_op {
    TDXC_ALLOC,         /* fails by returning null */
    TDXC_OPEN_BLOB,     /* tdx__open_blob2 */
    TDXC_CREATE_BLOB,   /* tdx__create_blob and tdx__create_blob2 */
    TDXC_GET_SEGMENT,   /* fails with TDXC_READ_ERROR */
    TDXC_PUT_SEGMENT,   /* fails with TDXC_SEGMENT_REFUSED */
    TDXC_CLOSE_BLOB,
    TDXC_INFO,          /* mvt_database_info and tdx__blob_info */
    TDXC_ATTACH,
    TDXC_DETACH,
    TDXC_FREE,          /* counted only */
    TDXC_LOG,           /* tdx__log and tdx__log_status; counted only */
    TDXC_PRINT_STATUS,  /* counted only */
    TDXC_OP_COUNT
};

/* Forget injected faults, scripts, counters, blobs, databases and the log. */
void tdxc_reset(void);

/* The nth call of op from now on fails (1: the next one); 0 clears. */
void tdxc_fail(enum tdxc_op op, int nth);
/* Every call of op from the nth on fails, until tdxc_fail or tdxc_reset. */
void tdxc_fail_from(enum tdxc_op op, int nth);
/* Calls of op since the last reset. */
int tdxc_calls(enum tdxc_op op);
/* Blocks from tdx__alloc not yet released. */
int tdxc_live_blocks(void);

/* The next `times` info calls (-1: all of them) copy this reply into the
   caller's area, cut to the area's length. The bytes are copied. */
void tdxc_script_info(const unsigned char *reply, int length, int times);

/* The last text given to tdx__log (or written by tdx__log_status), "" if none. */
const char *tdxc_last_log(void);

/* Seeds a blob made of the given segments; its id is written to *id. */
void tdxc_blob_create(tdx_quad *id, int count, const char *const *segments,
                      const uint16_t *lengths);
/* Number of segments of the blob, or -1 when there is no such blob. */
int tdxc_blob_segment_count(const tdx_quad *id);
/* Length of segment `index` and its bytes in *bytes, or -1. */
int tdxc_blob_segment(const tdx_quad *id, int index, const char **bytes);
/* Number of blobs that exist and of blob handles still open. */
int tdxc_blob_count(void);
int tdxc_open_blob_handles(void);

/* Attaches a database by name for tests; returns its handle. */
tdx_handle tdxc_attach(const char *name);

#ifdef __cplusplus
}
#endif

#endif /* MORVANTA_TDX_CONTROL_H */
