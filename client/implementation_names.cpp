// The implementation and class name tables, and turning codes into names.
#include <algorithm>
#include <array>
#include <cstring>
#include <string_view>

#include "dbutil.h"
#include "implementation_names.h"

namespace {

// Indexed by class code; an empty text marks an unused code.
constexpr std::array<std::string_view, 13> impl_class{
    "",
    "access method",
    "Y-valve",
    "remote interface",
    "remote server",
    "",
    "",
    "pipe interface",
    "pipe server",
    "central interface",
    "central server",
    "gateway",
    "access method/shared cache",
};

// Indexed by implementation code; an empty text marks an unused code.
constexpr std::array<std::string_view, 60> impl_implementation{
    "",                                   // 0
    "Morvanta Server/Linux i386",         // 1
    "Morvanta Server/Linux x86_64",       // 2
    "Morvanta Server/Linux ARM",          // 3
    "Morvanta Server/Linux AArch64",      // 4
    "Morvanta Server/Linux PowerPC",      // 5
    "Morvanta Server/Linux SPARC",        // 6
    "Morvanta Server/Linux MIPS",         // 7
    "",                                   // 8
    "",                                   // 9
    "Morvanta Client/Linux i386",         // 10
    "Morvanta Client/Linux x86_64",       // 11
    "Morvanta Client/Linux ARM",          // 12
    "Morvanta Client/Linux AArch64",      // 13
    "Morvanta Client/Linux PowerPC",      // 14
    "",                                   // 15
    "",                                   // 16
    "",                                   // 17
    "",                                   // 18
    "",                                   // 19
    "",                                   // 20
    "",                                   // 21
    "",                                   // 22
    "",                                   // 23
    "",                                   // 24
    "Morvanta Client/Linux i386",         // 25: the client line again
    "Morvanta Client/Linux x86_64",       // 26
    "Morvanta Client/Linux ARM",          // 27
    "Morvanta Client/Linux AArch64",      // 28
    "Morvanta Client/Linux PowerPC",      // 29
    "Morvanta Router/Linux i386",         // 30
    "Morvanta Router/Linux x86_64",       // 31
    "Morvanta Router/Linux ARM",          // 32
    "Morvanta Remote/Linux i386",         // 33
    "Morvanta Remote/Linux x86_64",       // 34
    "Morvanta Remote/Linux ARM",          // 35
    "Morvanta Remote/FreeBSD i386",       // 36
    "Morvanta Remote/NetBSD i386",        // 37
    "Morvanta Pipe/Linux i386",           // 38
    "Morvanta Pipe/Linux x86_64",         // 39
    "Morvanta Central/Linux i386",        // 40
    "Morvanta Central/Linux x86_64",      // 41
    "Morvanta Gateway/Linux i386",        // 42
    "Morvanta Gateway/Linux x86_64",      // 43
    "Morvanta Gateway/FreeBSD i386",      // 44
    "Morvanta Embedded/Linux ARM",        // 45
    "Morvanta Embedded/Linux MIPS",       // 46
    "Morvanta Workgroup/FreeBSD i386",    // 47
    "Morvanta Workgroup/FreeBSD x86_64",  // 48
    "Morvanta Workgroup/OpenBSD i386",    // 49
    "Morvanta Engine/Linux i386",         // 50
    "Morvanta Engine/Linux x86_64",       // 51
    "Morvanta Engine/Linux s390",         // 52
    "Morvanta Shared Cache/Linux i386",   // 53
    "Morvanta Shared Cache/Linux x86_64", // 54
    "Morvanta Server/FreeBSD i386",       // 55
    "Morvanta Server/FreeBSD x86_64",     // 56
    "Morvanta Server/NetBSD i386",        // 57
    "Morvanta Server/OpenBSD i386",       // 58
    "Morvanta Server/Solaris x86",        // 59
};

static_assert(impl_implementation[25] == impl_implementation[10] &&
              impl_implementation[26] == impl_implementation[11] &&
              impl_implementation[27] == impl_implementation[12] &&
              impl_implementation[28] == impl_implementation[13] &&
              impl_implementation[29] == impl_implementation[14]);
static_assert(std::count(impl_implementation.begin(), impl_implementation.end(), "") == 13);

constexpr std::string_view unknown = IMPLEMENTATION_UNKNOWN;

template <size_t N>
std::string_view lookup(const std::array<std::string_view, N> &table, uint32_t code)
{
    if (code >= N || table[code].empty())
        return unknown;
    return table[code];
}

// Fills the first length - 1 bytes with the name, cut or padded with zero
// bytes, and ends it with a zero byte; an area of length 0 is not touched.
void put_name(std::string_view name, uint16_t length, char *area)
{
    if (length == 0)
        return;
    const size_t room = length - 1u;
    const size_t copied = std::min(name.size(), room);
    std::memcpy(area, name.data(), copied);
    std::memset(area + copied, 0, room - copied);
    area[copied] = '\0';
}

}  // namespace

namespace dbutil {

// The tables' texts are literals, so each view ends with a zero byte.
const char *implementation_name(uint32_t code)
{
    return lookup(impl_implementation, code).data();
}

const char *class_name(uint32_t code)
{
    return lookup(impl_class, code).data();
}

}  // namespace dbutil

extern "C" void mvt_format_implementation(uint16_t implementation, uint16_t implementation_length,
                                          char *implementation_name, uint16_t class_code,
                                          uint16_t class_length, char *class_name)
{
    put_name(lookup(impl_implementation, implementation), implementation_length,
             implementation_name);
    put_name(lookup(impl_class, class_code), class_length, class_name);
}
