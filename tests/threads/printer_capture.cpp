// The wrapped stdio calls: into the calling thread's text while it is being
// captured, else on to the C library.
#include "printer_capture.h"

#include <cstdarg>
#include <cstdio>

namespace threads_test {

thread_local std::string *printer_sink = nullptr;

}  // namespace threads_test

namespace {

using threads_test::printer_sink;

int append_formatted(const char *format, va_list args)
{
    va_list measure;
    va_copy(measure, args);
    const int length = std::vsnprintf(nullptr, 0, format, measure);
    va_end(measure);
    if (length <= 0)
        return length;
    const size_t start = printer_sink->size();
    printer_sink->resize(start + static_cast<size_t>(length) + 1);
    std::vsnprintf(printer_sink->data() + start, static_cast<size_t>(length) + 1, format, args);
    printer_sink->pop_back();
    return length;
}

int append_character(int c)
{
    printer_sink->push_back(static_cast<char>(c));
    return static_cast<unsigned char>(c);
}

}  // namespace

extern "C" {

int __real_puts(const char *text);
int __real_putchar(int c);
int __real_putc(int c, FILE *stream);
int __vprintf_chk(int flag, const char *format, va_list args);

int __wrap_printf(const char *format, ...)
{
    va_list args;
    va_start(args, format);
    const int result = printer_sink != nullptr ? append_formatted(format, args)
                                               : std::vprintf(format, args);
    va_end(args);
    return result;
}

// The form printf takes where the headers check format calls (_FORTIFY_SOURCE).
int __wrap___printf_chk(int flag, const char *format, ...)
{
    va_list args;
    va_start(args, format);
    const int result = printer_sink != nullptr ? append_formatted(format, args)
                                               : __vprintf_chk(flag, format, args);
    va_end(args);
    return result;
}

int __wrap_puts(const char *text)
{
    if (printer_sink == nullptr)
        return __real_puts(text);
    printer_sink->append(text).push_back('\n');
    return 1;
}

int __wrap_putchar(int c)
{
    return printer_sink != nullptr ? append_character(c) : __real_putchar(c);
}

// An optimised build's putchar is putc on stdout, inline from the headers.
int __wrap_putc(int c, FILE *stream)
{
    return printer_sink != nullptr && stream == stdout ? append_character(c)
                                                       : __real_putc(c, stream);
}

}  // extern "C"
