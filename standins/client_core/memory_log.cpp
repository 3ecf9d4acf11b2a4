// Allocator, log, trace and integer decoding of the stand-in core.
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include <fcntl.h>
#include <unistd.h>

#include "core_state.h"

namespace {

// Per thread, as all of the core's state (core_state.h).
thread_local int live_blocks = 0;
thread_local std::string last_log;

// Appends text to a file named by an environment variable; O_APPEND keeps
// lines whole when a process and its children write to the same file.
bool append_to_env_file(const char *variable, const std::string &text)
{
    const char *path = std::getenv(variable);
    if (path == nullptr || *path == '\0')
        return false;
    const int fd = ::open(path, O_WRONLY | O_CREAT | O_APPEND, 0644);
    if (fd < 0)
        return false;
    ssize_t written = ::write(fd, text.data(), text.size());
    (void)written;
    ::close(fd);
    return true;
}

}  // namespace

namespace core {

void trace(const char *format, ...)
{
    if (std::getenv("TDX_TRACE") == nullptr)
        return;
    char line[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(line, sizeof line, format, args);
    va_end(args);
    append_to_env_file("TDX_TRACE", std::string(line) + "\n");
}

void write_log(const char *text)
{
    if (text == nullptr) {  // reset
        last_log.clear();
        return;
    }
    // Without TDX_LOG_FILE the line is only kept (tdxc_last_log): written to
    // standard error it would mix into the output of the programs and fuzz
    // runs that use the core.
    last_log = text;
    append_to_env_file("TDX_LOG_FILE", std::string("tdxlib: ") + text + "\n");
}

}  // namespace core

extern "C" {

void *tdx__alloc(int32_t size)
{
    if (core::should_fail(TDXC_ALLOC) || size < 0)
        return nullptr;
    // Fill with a pattern so that callers cannot rely on zeroed memory.
    void *block = std::malloc(size > 0 ? static_cast<size_t>(size) : 1);
    if (block != nullptr) {
        ++live_blocks;
        std::memset(block, 0xA5, size > 0 ? static_cast<size_t>(size) : 1);
    }
    return block;
}

void tdx__free(void *block)
{
    core::should_fail(TDXC_FREE);
    if (block != nullptr)
        --live_blocks;
    std::free(block);
}

int32_t tdx__log(const char *text)
{
    core::should_fail(TDXC_LOG);
    core::write_log(text != nullptr ? text : "");
    return 0;
}

int32_t tdx__vax_integer(const unsigned char *bytes, int16_t length)
{
    // Least significant byte first; only the first four bytes fit a word.
    uint32_t value = 0;
    for (int i = 0; i < length && i < 4; ++i)
        value |= static_cast<uint32_t>(bytes[i]) << (8 * i);
    return static_cast<int32_t>(value);
}

int tdxc_live_blocks(void)
{
    return live_blocks;
}

const char *tdxc_last_log(void)
{
    return last_log.c_str();
}

}  // extern "C"
