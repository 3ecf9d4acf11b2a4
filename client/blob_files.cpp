// A blob to a file or the standard output, and a file into a new blob.
#include <cstdio>

#include "blob_transfer.h"

namespace {

// A dump is done when every byte read from the blob reached the file. A
// transfer cut short by a read error still counts as done: its status was
// printed and the file holds what could be read.
int32_t dump_result(dbutil_blob::dump_outcome outcome)
{
    using dbutil_blob::dump_outcome;
    return outcome == dump_outcome::complete || outcome == dump_outcome::cut_short ? 1 : 0;
}

int32_t dump_to_file(tdx_quad *blob_id, tdx_handle db_handle, tdx_handle tra_handle,
                     const char *file_name)
{
    if (file_name == nullptr)
        return 0;
    FILE *file = std::fopen(file_name, "w");
    if (file == nullptr)
        return 0;
    const auto outcome = dbutil_blob::dump(blob_id, db_handle, tra_handle, file);
    // A close that fails may have lost what the file system still held.
    const bool closed = std::fclose(file) == 0;
    return closed ? dump_result(outcome) : 0;
}

int32_t load_from_file(tdx_quad *blob_id, tdx_handle db_handle, tdx_handle tra_handle,
                       const char *file_name)
{
    if (file_name == nullptr)
        return 0;
    FILE *file = std::fopen(file_name, "r");
    if (file == nullptr)
        return 0;
    const int32_t result = dbutil_blob::load(blob_id, db_handle, tra_handle, file);
    // Closing a file that was only read loses nothing.
    (void)std::fclose(file);
    return result;
}

}  // namespace

extern "C" {

int32_t BLOB_dump(tdx_quad *blob_id, tdx_handle db_handle, tdx_handle tra_handle,
                  const char *file_name)
{
    return dump_to_file(blob_id, db_handle, tra_handle, file_name);
}

int32_t BLOB_text_dump(tdx_quad *blob_id, tdx_handle db_handle, tdx_handle tra_handle,
                       const char *file_name)
{
    return dump_to_file(blob_id, db_handle, tra_handle, file_name);
}

int32_t BLOB_display(tdx_quad *blob_id, tdx_handle db_handle, tdx_handle tra_handle,
                     const char *)
{
    // The dump flushes the standard output: the blob is shown before the call returns.
    return dump_result(dbutil_blob::dump(blob_id, db_handle, tra_handle, stdout));
}

int32_t BLOB_load(tdx_quad *blob_id, tdx_handle db_handle, tdx_handle tra_handle,
                  const char *file_name)
{
    return load_from_file(blob_id, db_handle, tra_handle, file_name);
}

int32_t BLOB_text_load(tdx_quad *blob_id, tdx_handle db_handle, tdx_handle tra_handle,
                       const char *file_name)
{
    return load_from_file(blob_id, db_handle, tra_handle, file_name);
}

}  // extern "C"
