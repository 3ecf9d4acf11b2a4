// Editing a blob in the user's editor: the blob goes to a temporary file in
// the current directory, the editor runs, and a changed file becomes a new blob.
#include <array>
#include <cstdio>
#include <string_view>

#include <stdlib.h>
#include <unistd.h>

#include "blob_transfer.h"

namespace {

constexpr std::string_view default_name = "tdx_edit";
constexpr std::string_view unique_suffix = ".XXXXXX";  // replaced by mkstemp

using temp_name = std::array<char, BLOB_EDIT_STEM_LENGTH + unique_suffix.size() + 1>;

// The stem keeps at most 24 characters of the name, "$" turned into "_" and
// capitals into small letters. A "/" becomes "_" as well, so that the file
// stays in the current directory whatever the name holds.
temp_name make_template(std::string_view name)
{
    temp_name file_name{};
    size_t at = 0;
    const size_t kept = name.size() < BLOB_EDIT_STEM_LENGTH ? name.size() : BLOB_EDIT_STEM_LENGTH;
    for (char c : std::string_view(name.data(), kept)) {
        if (c == '$' || c == '/')
            c = '_';
        else if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
        file_name[at++] = c;
    }
    for (char c : unique_suffix)
        file_name[at++] = c;
    return file_name;
}

// Writes the whole blob into the new temporary file. Anything less (a read
// error part-way, a write that failed) would hand the user a cut text whose
// save replaces the complete blob, so it counts as failure.
bool write_blob(tdx_quad *blob_id, tdx_handle db_handle, tdx_handle tra_handle, int fd)
{
    FILE *file = ::fdopen(fd, "w");
    if (file == nullptr) {
        ::close(fd);
        return false;
    }
    const auto outcome = dbutil_blob::dump(blob_id, db_handle, tra_handle, file);
    const bool closed = std::fclose(file) == 0;
    return outcome == dbutil_blob::dump_outcome::complete && closed;
}

// Loads the edited file as a new blob. The caller's blob id changes only
// when the whole text was stored, so a failed reload keeps the old blob.
bool reload(tdx_quad *blob_id, tdx_handle db_handle, tdx_handle tra_handle, const char *file_name)
{
    FILE *file = std::fopen(file_name, "r");
    if (file == nullptr)
        return false;
    tdx_quad new_id = *blob_id;
    const int32_t loaded = dbutil_blob::load(&new_id, db_handle, tra_handle, file);
    // Closing a file that was only read loses nothing.
    (void)std::fclose(file);
    if (loaded == 0)
        return false;
    *blob_id = new_id;
    return true;
}

int32_t edit(tdx_quad *blob_id, tdx_handle db_handle, tdx_handle tra_handle, int16_t type,
             const char *name)
{
    temp_name file_name = make_template(name != nullptr ? name : default_name);
    // Created exclusively under a name nobody could have guessed beforehand.
    const int fd = ::mkstemp(file_name.data());
    if (fd < 0)
        return 0;
    const char *path = file_name.data();
    const bool changed = write_blob(blob_id, db_handle, tra_handle, fd) &&
                         tdx__edit(path, type) != 0 &&
                         reload(blob_id, db_handle, tra_handle, path);
    ::unlink(path);
    return changed ? 1 : 0;
}

}  // namespace

extern "C" int32_t BLOB_edit(tdx_quad *blob_id, tdx_handle db_handle, tdx_handle tra_handle,
                             const char *name)
{
    return edit(blob_id, db_handle, tra_handle, 1, name);
}
