// Captures what a piece of code writes to standard output (file descriptor 1),
// through stdio or directly.
#pragma once

#include <cstdio>
#include <string>

#include <unistd.h>

namespace testing_support {

enum class stdout_buffer {
    flushed,  // what the body left in the stdout stream counts
    left,     // only what reached descriptor 1 while the body ran counts
};

// What reached descriptor 1 while body ran. With stdout_buffer::left the
// capture is read before anything flushes the standard output for the body:
// bytes it left in the stream's buffer are then flushed into the capture
// only afterwards, and not counted.
template <typename F>
std::string capture_descriptor_1(F &&body, stdout_buffer buffer)
{
    std::fflush(stdout);
    FILE *sink = std::tmpfile();
    const int saved = ::dup(1);
    ::dup2(::fileno(sink), 1);
    body();
    if (buffer == stdout_buffer::flushed)
        std::fflush(stdout);
    std::string text;
    char area[4096];
    off_t at = 0;
    for (ssize_t n; (n = ::pread(::fileno(sink), area, sizeof area, at)) > 0; at += n)
        text.append(area, static_cast<size_t>(n));
    std::fflush(stdout);
    ::dup2(saved, 1);
    ::close(saved);
    std::fclose(sink);
    return text;
}

template <typename F>
std::string capture_stdout(F &&body)
{
    return capture_descriptor_1(body, stdout_buffer::flushed);
}

}  // namespace testing_support
