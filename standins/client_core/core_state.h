// Shared state of the stand-in client core's files.
//
// Every thread has a core of its own: its blobs, blob handles, databases,
// attach script, injected faults, call counters, allocation count and log
// are thread_local. So threads may call the core at once, and the core adds
// no synchronisation between them, which would hide a race in the modules
// under test from ThreadSanitizer (a lock taken by every call orders the
// callers' own memory accesses too).
#pragma once

#include "tdx_control.h"

namespace core {

// Counts a call of op and answers whether an injected fault makes it fail.
bool should_fail(tdxc_op op);

// Fills a status vector with one code (0 clears it) and returns the code.
int32_t set_status(tdx_status *status, int32_t code);

// Appends one line to the file named by TDX_TRACE, if set.
void trace(const char *format, ...) __attribute__((format(printf, 1, 2)));

// Writes one line to the log (TDX_LOG_FILE, else nowhere) and keeps it.
void write_log(const char *text);

// The readable message of a status code.
const char *message_of(int32_t code);

// Whether the handle names an attached database.
bool database_attached(tdx_handle handle);

// Reply areas are unsigned 16-bit counts: the info calls' int16_t length is
// read as its bit pattern, so an area above 32767 bytes is used whole.

// Takes the scripted info reply if one is pending; false when there is none.
bool take_scripted_info(unsigned char *reply, uint16_t reply_length);

// Writes clumps built in `full` into the reply area, cutting with item 2.
void put_reply(const unsigned char *full, int full_length, unsigned char *reply,
               uint16_t reply_length);

void reset_blobs();
void reset_databases();

}  // namespace core
