// Soak of the cache program: a long run of retried attaches must not grow
// its resident memory or its open descriptors, and must detach every handle
// the core left. The stand-in core's attach script holds the program twice,
// once after the first attaches and once at the last, so that /proc can be
// read at both points.
#include <gtest/gtest.h>

#include <signal.h>

#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

#include "directory.h"
#include "process.h"

namespace {

using namespace std::chrono_literals;
using namespace testing_support;

// Under an emulator the process's memory is the emulator's, so the count is
// smaller and resident memory is not compared; descriptors still are. Under
// AddressSanitizer freed blocks stay in its quarantine, resident by design,
// so memory is not compared there either.
const char *const emulator_words[] = TEST_EMULATOR;
const bool emulated = emulator_words[0] != nullptr;
#ifdef __SANITIZE_ADDRESS__
const bool memory_comparable = false;
#else
const bool memory_comparable = !emulated;
#endif
const long attaches = emulated ? 5000 : 100000;
const long warm_up = 20;

size_t count_of(const std::string &text, const std::string &what)
{
    size_t count = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++count;
    return count;
}

long resident_kib(pid_t pid)
{
    const std::string status = read_file("/proc/" + std::to_string(pid) + "/status");
    const size_t at = status.find("VmRSS:");
    return at == std::string::npos ? -1 : std::stol(status.substr(at + 6));
}

std::vector<std::string> descriptors(pid_t pid)
{
    std::vector<std::string> fds;
    const std::string dir = "/proc/" + std::to_string(pid) + "/fd";
    for (const std::string &name : testing_support::entries_of(dir)) {
        char target[512] = {};
        const ssize_t n = ::readlink((dir + "/" + name).c_str(), target, sizeof target - 1);
        fds.push_back(name + " -> " + std::string(target, n > 0 ? static_cast<size_t>(n) : 0));
    }
    std::sort(fds.begin(), fds.end());
    return fds;
}

struct Snapshot {
    long resident = -1;
    std::vector<std::string> fds;
};

struct SoakCase {
    const char *what;
    std::string retry;  // the retried attach, with or without a handle
    std::string last;   // the attach that ends the loop
    int status;
    long handles;       // handles the core leaves, all of them to be detached
};

void PrintTo(const SoakCase &c, std::ostream *os)
{
    *os << c.what;
}

class Soak : public ::testing::TestWithParam<SoakCase> {};

TEST_P(Soak, MemoryAndDescriptorsStayFlat)
{
    const SoakCase &c = GetParam();
    const std::string trace_path = temp_path("trace"), log_path = temp_path("log");
    // The warm-up attaches, one that holds, the rest, and the last one, which holds too.
    const std::string script = c.retry + "*" + std::to_string(warm_up - 1) + "," + c.retry +
                               "+w," + c.retry + "*" + std::to_string(attaches - warm_up) + "," +
                               c.last + "+w";
    const Child child = start({CACHE_BINARY, "soak.tdb"},
                              {"TDX_TRACE=" + trace_path, "TDX_LOG_FILE=" + log_path,
                               "TDX_ATTACH_SCRIPT=" + script});
    const auto held = [&](size_t times) {
        return eventually([&] { return count_of(read_file(trace_path), "serving\n") >= times; },
                          120s);
    };
    ASSERT_TRUE(held(1)) << "the first hold was not reached";
    Snapshot first{resident_kib(child.pid), descriptors(child.pid)};
    ::kill(child.pid, SIGTERM);
    ASSERT_TRUE(held(2)) << "the last attach was not reached";
    Snapshot last{resident_kib(child.pid), descriptors(child.pid)};
    ::kill(child.pid, SIGTERM);
    const Exit exit = wait_for(child, 30s);
    if (!exit.exited)
        kill_and_reap(child);

    ASSERT_TRUE(exit.exited);
    EXPECT_EQ(exit.status, c.status);
    EXPECT_EQ(last.fds, first.fds);
    if (memory_comparable) {
        EXPECT_GT(first.resident, 0);
        EXPECT_EQ(last.resident, first.resident) << "resident memory in KiB";
    }
    const std::string trace = read_file(trace_path);
    EXPECT_EQ(count_of(trace, "attach name=\"soak.tdb\""), static_cast<size_t>(attaches + 1));
    EXPECT_EQ(count_of(trace, "detach handle="), static_cast<size_t>(c.handles));
    EXPECT_EQ(count_of(trace, "print "), c.status == 0 ? 0u : 1u);
    EXPECT_EQ(read_file(child.out_path), c.status == 0 ? "" : "database is unavailable\n");
    for (const std::string &p : {trace_path, log_path, child.out_path})
        ::unlink(p.c_str());
}

INSTANTIATE_TEST_SUITE_P(
    Cache, Soak,
    ::testing::Values(SoakCase{"RetriesEndingInSuccess", "retry", "ok", 0, 1},
                      SoakCase{"RetriesWithHandlesEndingInFailure", "retry+h", "fail+h", 1,
                               attaches + 1}),
    [](const ::testing::TestParamInfo<SoakCase> &info) { return std::string(info.param.what); });

}  // namespace
