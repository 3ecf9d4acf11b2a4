// Status vectors and their messages in the stand-in core.
#include <array>
#include <cstdio>
#include <string>

#include "core_state.h"

namespace {

struct Message {
    int32_t code;
    const char *text;
};

constexpr std::array messages{
    Message{TDX_SEGMENT_GOES_ON, "segment buffer length shorter than expected"},
    Message{TDX_END_OF_BLOB, "attempted retrieval of more segments than exist"},
    Message{TDX_ATTACH_AGAIN, "cache manager asked to attach again"},
    Message{TDXC_BAD_DB_HANDLE, "invalid database handle (no active connection)"},
    Message{TDXC_BAD_BLOB_HANDLE, "invalid blob handle"},
    Message{TDXC_NO_SUCH_BLOB, "invalid blob id"},
    Message{TDXC_READ_ERROR, "I/O error while reading a blob segment"},
    Message{TDXC_SEGMENT_REFUSED, "blob segment could not be written"},
    Message{TDXC_INFO_REFUSED, "information request refused"},
    Message{TDXC_ATTACH_REFUSED, "database is unavailable"},
    Message{TDXC_NO_MEMORY, "unable to allocate memory from the operating system"},
    Message{TDXC_OPEN_REFUSED, "blob could not be opened"},
    Message{TDXC_CREATE_REFUSED, "blob could not be created"},
    Message{TDXC_WRONG_DIRECTION, "blob was opened for the other direction"},
};

}  // namespace

namespace core {

int32_t set_status(tdx_status *status, int32_t code)
{
    status[0] = 1;
    status[1] = code;
    status[2] = 0;
    return code;
}

const char *message_of(int32_t code)
{
    for (const Message &m : messages)
        if (m.code == code)
            return m.text;
    return nullptr;
}

}  // namespace core

namespace {

std::string describe(const tdx_status *status)
{
    const char *text = core::message_of(status[1]);
    if (text != nullptr)
        return text;
    char line[64];
    std::snprintf(line, sizeof line, "unknown status code %ld", static_cast<long>(status[1]));
    return line;
}

}  // namespace

extern "C" {

int32_t tdx__print_status(const tdx_status *status)
{
    core::should_fail(TDXC_PRINT_STATUS);
    core::trace("print %ld", static_cast<long>(status[1]));
    if (status[1] == 0)
        return 0;
    std::printf("%s\n", describe(status).c_str());
    std::fflush(stdout);
    return status[1];
}

int32_t tdx__log_status(const char *database, const tdx_status *status)
{
    core::should_fail(TDXC_LOG);
    core::trace("log %s %ld", database != nullptr ? database : "(null)",
                static_cast<long>(status[1]));
    const std::string text = std::string("Database: ") + (database != nullptr ? database : "") +
                             "\n\t" + describe(status);
    core::write_log(text.c_str());
    return 0;
}

}  // extern "C"
