// What the printers of one thread write to the standard output, kept apart
// from what other threads write at the same time.
//
// The test program is linked with the stdio calls the printers make wrapped
// (--wrap=printf and the others in CMakeLists.txt). While a thread runs
// printed_by_this_thread, the wrappers append its output to that thread's
// text; at all other times, and in every other thread, they write to the
// standard output as usual. A printer call that bypasses the wrappers shows
// as a difference from the same printing captured at the descriptor.
#pragma once

#include <string>
#include <utility>

namespace threads_test {

extern thread_local std::string *printer_sink;

template <typename F>
std::string printed_by_this_thread(F &&body)
{
    std::string text;
    printer_sink = &text;
    std::forward<F>(body)();
    printer_sink = nullptr;
    return text;
}

}  // namespace threads_test
