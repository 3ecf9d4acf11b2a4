// Captures what a piece of code writes to standard output (file descriptor 1),
// through stdio or directly.
#pragma once

#include <cstdio>
#include <string>

#include <unistd.h>

namespace testing_support {

template <typename F>
std::string capture_stdout(F &&body)
{
    std::fflush(stdout);
    FILE *sink = std::tmpfile();
    const int saved = ::dup(1);
    ::dup2(::fileno(sink), 1);
    body();
    std::fflush(stdout);
    ::dup2(saved, 1);
    ::close(saved);
    std::string text;
    std::rewind(sink);
    for (int c; (c = std::fgetc(sink)) != EOF;)
        text += static_cast<char>(c);
    std::fclose(sink);
    return text;
}

}  // namespace testing_support
