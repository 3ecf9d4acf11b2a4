// Whole-blob transfer between the client core and an open file, shared by
// the file routines and the blob edit. Not part of the public interface.
#pragma once

#include <cstdint>
#include <cstdio>

#include "dbutil.h"

namespace dbutil_blob {

enum class dump_outcome {
    not_opened,   // the blob could not be opened; status printed
    cut_short,    // a read error stopped the transfer; status printed
    not_written,  // a byte read did not reach the file; silent
    complete,
};

// Writes every byte of the blob named by *blob_id to file and flushes it.
// A write that fails stops the transfer. Only what this call wrote is
// judged: an error indicator the stream carried before is left as it is
// and not counted against the transfer.
dump_outcome dump(tdx_quad *blob_id, tdx_handle db_handle, tdx_handle tra_handle, FILE *file);

// Creates a new blob from file, one segment per line and at most 512 bytes
// per segment; the core writes the new id to *blob_id. 1 on success, 0 on
// failure (a refused create or segment is printed, a read error is not).
int32_t load(tdx_quad *blob_id, tdx_handle db_handle, tdx_handle tra_handle, FILE *file);

}  // namespace dbutil_blob
