// Putting the MVT_PATH directory in front of a bare database file name.
#include <cstdlib>
#include <cstring>

#include "dbutil.h"

extern "C" int32_t mvt_set_path(char *file_name, uint16_t file_length, char *expanded_name)
{
    const char *path = std::getenv("MVT_PATH");
    if (path == nullptr)
        return 0;
    // The cut stays in the caller's buffer whatever the result.
    if (file_length != 0 && file_name[file_length] != '\0')
        file_name[file_length] = '\0';
    // A name that names a directory or a node of its own is left alone.
    if (std::strpbrk(file_name, ":/\\") != nullptr)
        return 0;
    // The interface passes no size for expanded_name: the caller promises
    // room for both strings.
    std::strcpy(expanded_name, path);  // NOLINT(clang-analyzer-security.insecureAPI.strcpy)
    std::strcat(expanded_name, file_name);  // NOLINT(clang-analyzer-security.insecureAPI.strcpy)
    return 1;
}
