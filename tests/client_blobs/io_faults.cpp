// The link-time wrappers and the counted streams behind io_faults.h.
#include "io_faults.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>

extern "C" {
FILE *__real_fopen(const char *name, const char *mode);
FILE *__real_fdopen(int fd, const char *mode);
int __real_fclose(FILE *file);
int __real_fflush(FILE *file);
int __real_mkstemp(char *name_template);
int __real_stat(const char *name, struct stat *status);
int __real_system(const char *command);
int __real_unlink(const char *name);
}

namespace io_faults {

namespace {

struct op_state {
    int calls = 0;
    int fail_at = 0;  // the call number that fails; 0: none
};

std::array<op_state, op_count> states;
bool watching = false;
// Writes made while fflush or fclose runs are the flush's.
bool flushing = false;

// Counts a call of op while watching; true when it is the one to fail.
bool fails(op o)
{
    if (!watching)
        return false;
    op_state &state = states[o];
    ++state.calls;
    return state.fail_at != 0 && state.calls == state.fail_at;
}

int descriptor_of(void *cookie)
{
    return static_cast<int>(reinterpret_cast<intptr_t>(cookie));
}

ssize_t counted_read(void *cookie, char *bytes, size_t size)
{
    if (fails(read)) {
        errno = EIO;
        return -1;
    }
    return ::read(descriptor_of(cookie), bytes, size);
}

ssize_t counted_write(void *cookie, const char *bytes, size_t size)
{
    if (fails(flushing ? flush : write)) {
        errno = ENOSPC;
        return -1;
    }
    size_t done = 0;
    while (done < size) {
        const ssize_t n = ::write(descriptor_of(cookie), bytes + done, size - done);
        if (n < 0)
            return done > 0 ? static_cast<ssize_t>(done) : -1;
        done += static_cast<size_t>(n);
    }
    return static_cast<ssize_t>(done);
}

// The descriptor is released whether or not the close reports a failure, as
// close(2) does.
int counted_close(void *cookie)
{
    const bool failed = fails(close);
    ::close(descriptor_of(cookie));
    if (failed) {
        errno = EIO;
        return -1;
    }
    return 0;
}

FILE *counted_stream(int fd, const char *mode)
{
    const cookie_io_functions_t functions{counted_read, counted_write, nullptr, counted_close};
    return ::fopencookie(reinterpret_cast<void *>(static_cast<intptr_t>(fd)), mode, functions);
}

template <typename F>
auto as_flush(F &&call)
{
    const bool outer = flushing;
    flushing = true;
    auto result = call();
    flushing = outer;
    return result;
}

}  // namespace

const char *name_of(op o)
{
    static constexpr std::array<const char *, op_count> names{
        "open", "create", "read", "write", "flush", "close", "status", "run", "remove"};
    return o < op_count ? names[o] : "none";
}

const std::vector<op> &all_ops()
{
    static const std::vector<op> ops{open, create, read, write, flush, close, status, run, remove};
    return ops;
}

void reset()
{
    states = {};
}

void fail(op o, int nth)
{
    states[o].fail_at = nth == 0 ? 0 : states[o].calls + nth;
}

int calls(op o)
{
    return states[o].calls;
}

void watch(const std::function<void()> &body)
{
    __real_fflush(stdout);
    FILE *const real_stdout = stdout;
    stdout = counted_stream(::dup(1), "w");
    watching = true;
    body();
    watching = false;
    __real_fclose(stdout);
    stdout = real_stdout;
}

}  // namespace io_faults

extern "C" {

// Only the modes the library uses: a new or emptied file, or one to read.
FILE *__wrap_fopen(const char *name, const char *mode)
{
    if (!io_faults::watching)
        return __real_fopen(name, mode);
    if (io_faults::fails(io_faults::open)) {
        errno = EACCES;
        return nullptr;
    }
    const bool reading = std::strcmp(mode, "r") == 0;
    const int fd =
        reading ? ::open(name, O_RDONLY) : ::open(name, O_WRONLY | O_CREAT | O_TRUNC, 0666);
    return fd < 0 ? nullptr : io_faults::counted_stream(fd, mode);
}

FILE *__wrap_fdopen(int fd, const char *mode)
{
    if (!io_faults::watching)
        return __real_fdopen(fd, mode);
    if (io_faults::fails(io_faults::open)) {
        errno = EINVAL;
        return nullptr;
    }
    return io_faults::counted_stream(fd, mode);
}

int __wrap_fclose(FILE *file)
{
    return io_faults::as_flush([&] { return __real_fclose(file); });
}

int __wrap_fflush(FILE *file)
{
    return io_faults::as_flush([&] { return __real_fflush(file); });
}

int __wrap_mkstemp(char *name_template)
{
    if (io_faults::fails(io_faults::create)) {
        errno = EEXIST;
        return -1;
    }
    return __real_mkstemp(name_template);
}

int __wrap_stat(const char *name, struct stat *status)
{
    if (io_faults::fails(io_faults::status)) {
        errno = EIO;
        return -1;
    }
    return __real_stat(name, status);
}

int __wrap_system(const char *command)
{
    if (io_faults::fails(io_faults::run)) {
        errno = EAGAIN;
        return -1;
    }
    return __real_system(command);
}

int __wrap_unlink(const char *name)
{
    if (io_faults::fails(io_faults::remove)) {
        errno = EBUSY;
        return -1;
    }
    return __real_unlink(name);
}

}  // extern "C"
