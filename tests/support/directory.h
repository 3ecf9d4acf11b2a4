// The names in a directory, for tests that look for files or descriptors
// left behind.
#pragma once

#include <dirent.h>

#include <cerrno>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace testing_support {

// Every name but "." and "..". The 64-bit entries, because a 32-bit build's
// readdir stops with EOVERFLOW at the first inode number over 32 bits, and
// the directory would then look empty to the test.
inline std::vector<std::string> entries_of(const std::string &dir)
{
    std::vector<std::string> names;
    DIR *d = ::opendir(dir.c_str());
    if (d == nullptr) {
        ADD_FAILURE() << "cannot list " << dir;
        return names;
    }
    errno = 0;
    while (const dirent64 *e = ::readdir64(d)) {
        const std::string name = e->d_name;
        if (name != "." && name != "..")
            names.push_back(name);
    }
    if (errno != 0)
        ADD_FAILURE() << "listing " << dir << " stopped: errno " << errno;
    ::closedir(d);
    return names;
}

}  // namespace testing_support
