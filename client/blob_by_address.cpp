// The by-address forms of the blob file routines: every argument comes by
// address and the name as characters with a separate 16-bit length.
#include <array>
#include <cstring>

#include "dbutil.h"

namespace {

// Copies the counted name into a zero-terminated area. A name too long for
// the area is cut when `cut` is set, else refused with false: a cut file
// name would name a different file. A negative length counts as 0.
template <size_t N>
bool copy_name(std::array<char, N> &area, const char *name, const int16_t *name_length, bool cut)
{
    int length = name_length != nullptr ? *name_length : 0;
    if (length < 0 || name == nullptr)
        length = 0;
    constexpr int room = static_cast<int>(N) - 1;
    if (length > room) {
        if (!cut)
            return false;
        length = room;
    }
    if (length > 0)
        std::memcpy(area.data(), name, static_cast<size_t>(length));
    area[static_cast<size_t>(length)] = '\0';
    return true;
}

}  // namespace

extern "C" {

int32_t blob__display(tdx_quad *blob_id, tdx_handle *db_handle, tdx_handle *tra_handle,
                      const char *name, const int16_t *name_length)
{
    std::array<char, BLOB_SHORT_NAME_AREA> area;
    copy_name(area, name, name_length, true);
    return BLOB_display(blob_id, *db_handle, *tra_handle, area.data());
}

int32_t blob__dump(tdx_quad *blob_id, tdx_handle *db_handle, tdx_handle *tra_handle,
                   const char *file_name, const int16_t *name_length)
{
    std::array<char, BLOB_FILE_NAME_AREA> area;
    if (!copy_name(area, file_name, name_length, false))
        return 0;
    return BLOB_dump(blob_id, *db_handle, *tra_handle, area.data());
}

int32_t blob__edit(tdx_quad *blob_id, tdx_handle *db_handle, tdx_handle *tra_handle,
                   const char *name, const int16_t *name_length)
{
    std::array<char, BLOB_SHORT_NAME_AREA> area;
    copy_name(area, name, name_length, true);
    return BLOB_edit(blob_id, *db_handle, *tra_handle, area.data());
}

int32_t blob__load(tdx_quad *blob_id, tdx_handle *db_handle, tdx_handle *tra_handle,
                   const char *file_name, const int16_t *name_length)
{
    std::array<char, BLOB_FILE_NAME_AREA> area;
    if (!copy_name(area, file_name, name_length, false))
        return 0;
    return BLOB_load(blob_id, *db_handle, *tra_handle, area.data());
}

}  // extern "C"
