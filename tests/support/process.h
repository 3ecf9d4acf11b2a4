// Runs a real program as a child process, as its users do, with extra
// environment variables and its standard output captured in a file.
#pragma once

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include "test_emulator.h"

namespace testing_support {

inline std::string read_file(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// A fresh, empty temporary file; removed by the caller when it likes.
inline std::string temp_path(const char *stem)
{
    const char *dir = std::getenv("TMPDIR");
    std::string path = std::string(dir != nullptr && *dir != '\0' ? dir : "/tmp") + "/" + stem + "XXXXXX";
    const int fd = ::mkstemp(path.data());
    ::close(fd);
    return path;
}

struct Child {
    pid_t pid = -1;
    std::string out_path;  // what the child wrote on standard output
};

struct Exit {
    bool exited = false;   // false: still running at the deadline, or killed by a signal
    int status = -1;       // exit status when exited
    int signal = 0;        // the signal that ended it, if any
};

// Starts argv[0] with argv (through the build's emulator and its arguments,
// if it has one); `env` holds NAME=VALUE pairs to set (an empty value after
// "=" sets it empty; "NAME" alone unsets it). `in_child` runs in the child
// just before exec.
inline Child start(const std::vector<std::string> &argv, const std::vector<std::string> &env,
                   const std::function<void()> &in_child = {})
{
    Child child;
    child.out_path = temp_path("out");
    child.pid = ::fork();
    if (child.pid == 0) {
        const int out = ::open(child.out_path.c_str(), O_WRONLY | O_TRUNC);
        ::dup2(out, 1);
        ::close(out);
        for (const std::string &pair : env) {
            const size_t eq = pair.find('=');
            if (eq == std::string::npos)
                ::unsetenv(pair.c_str());
            else
                ::setenv(pair.substr(0, eq).c_str(), pair.substr(eq + 1).c_str(), 1);
        }
        if (in_child)
            in_child();
        std::vector<char *> args;
        static const char *const emulator[] = TEST_EMULATOR;
        for (const char *const *word = emulator; *word != nullptr; ++word)
            args.push_back(const_cast<char *>(*word));
        for (const std::string &a : argv)
            args.push_back(const_cast<char *>(a.c_str()));
        args.push_back(nullptr);
        ::execv(args[0], args.data());
        ::_exit(127);
    }
    return child;
}

// Waits up to `timeout` for the child to end.
inline Exit wait_for(const Child &child, std::chrono::milliseconds timeout)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        int status = 0;
        const pid_t done = ::waitpid(child.pid, &status, WNOHANG);
        if (done == child.pid) {
            Exit result;
            result.exited = WIFEXITED(status);
            result.status = result.exited ? WEXITSTATUS(status) : -1;
            result.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
            return result;
        }
        if (std::chrono::steady_clock::now() > deadline)
            return Exit{};
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

// Waits until `predicate` holds, up to `timeout`; returns whether it did.
inline bool eventually(const std::function<bool()> &predicate, std::chrono::milliseconds timeout)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!predicate()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

// Runs body in a forked child and returns the child's exit status, body's
// result (0 to 255), or -1 when the child ended by a signal. For what a test
// must not do to its own process: limits, signal dispositions, descriptor 1.
// The child leaves with _exit, so nothing of the parent's is flushed twice.
inline int run_in_child(const std::function<int()> &body)
{
    std::fflush(stdout);
    const pid_t pid = ::fork();
    if (pid == 0)
        ::_exit(body());
    int status = 0;
    if (pid < 0 || ::waitpid(pid, &status, 0) != pid || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

// Ends a child that is still running.
inline void kill_and_reap(const Child &child)
{
    ::kill(child.pid, SIGKILL);
    int status = 0;
    ::waitpid(child.pid, &status, 0);
}

}  // namespace testing_support
