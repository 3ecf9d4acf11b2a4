// Eight threads at once through the modules' entry points, round after round,
// each thread's every result compared with what one thread alone gets. The
// test is built a second time under ThreadSanitizer (scripts/test.sh tsan),
// which fails it on any data race it sees.
#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <latch>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "capture.h"
#include "printer_capture.h"
#include "workloads.h"

// The C library reads TZ anew at each tzset and localtime and, while TZ is
// not set, frees the zone text it kept and copies it again, under a lock of
// its own that ThreadSanitizer does not see: two threads' frees of that text
// look like a race to it. What tzset does inside the library is the
// library's; a race in the caller's own memory, a shared localtime record
// among them, is still reported.
extern "C" const char *__tsan_default_suppressions()
{
    return "race:tzset\n";
}

namespace threads_test {

std::string hex(const void *bytes, std::size_t count)
{
    static constexpr char digits[] = "0123456789abcdef";
    std::string text;
    for (std::size_t i = 0; i < count; ++i) {
        const auto b = static_cast<const unsigned char *>(bytes)[i];
        text += digits[b >> 4];
        text += digits[b & 15];
    }
    return text;
}

namespace {

struct workload {
    const char *name;
    std::string (*run)();
};

constexpr std::array<workload, 6> workloads = {{
    {"parameter blocks", parameter_blocks},
    {"event blocks", event_blocks},
    {"blob streams", blob_streams},
    {"value moves", value_moves},
    {"numeric extraction", numeric_extraction},
    {"printers", printer_output},
}};

constexpr int thread_count = 8;
constexpr int rounds = 50;
// Differences kept per thread; one is enough to fail, a few help to read.
constexpr size_t differences_kept = 3;

std::string difference(const workload &w, int thread, int round, const std::string &expected,
                       const std::string &got)
{
    size_t at = 0;
    while (at < expected.size() && at < got.size() && expected[at] == got[at])
        ++at;
    const size_t from = at > 40 ? at - 40 : 0;
    std::ostringstream out;
    out << w.name << ", thread " << thread << ", round " << round << ": differs at " << at
        << "\n  one thread: ..." << expected.substr(from, 120) << "\n  this one:   ..."
        << got.substr(from, 120);
    return out.str();
}

// The environment the parameter-block builders read. Set before any thread
// starts: setenv is not safe against a getenv in another thread.
void set_environment()
{
    ::setenv("MVT_USER", "threads", 1);
    ::setenv("MVT_PASSWORD", "in-parallel", 1);
    ::setenv("MVT_PATH", "/srv/db/", 1);
}

TEST(Threads, EightAtOnceGetWhatOneGetsAlone)
{
    set_environment();
    std::vector<std::string> alone;
    for (const workload &w : workloads)
        alone.push_back(w.run());

    // Each thread starts at another workload and moves on by one each round,
    // so that different entry points run side by side as well as the same.
    std::array<std::vector<std::string>, thread_count> differences;
    std::latch start(thread_count);
    std::vector<std::thread> threads;
    for (int t = 0; t < thread_count; ++t)
        threads.emplace_back([&, t] {
            start.arrive_and_wait();
            for (int round = 0; round < rounds; ++round)
                for (size_t k = 0; k < workloads.size(); ++k) {
                    const size_t i = (k + static_cast<size_t>(t + round)) % workloads.size();
                    const std::string got = workloads[i].run();
                    if (got != alone[i] && differences[t].size() < differences_kept)
                        differences[t].push_back(difference(workloads[i], t, round, alone[i], got));
                }
        });
    for (std::thread &thread : threads)
        thread.join();
    for (const auto &kept : differences)
        for (const std::string &d : kept)
            ADD_FAILURE() << d;
}

// The comparison of the printers' output is only as good as the capture: what
// the wrapped calls collect must be all that reaches the standard output.
TEST(Threads, PrinterCaptureHoldsAllThePrintersWrite)
{
    const std::string at_descriptor = testing_support::capture_stdout(print_fixtures);
    const std::string captured = printer_output();
    EXPECT_NE(captured.find("threads\n++++++++++\nName:  SMITH"), std::string::npos) << captured;
    EXPECT_EQ(captured, at_descriptor);
}

}  // namespace

}  // namespace threads_test
