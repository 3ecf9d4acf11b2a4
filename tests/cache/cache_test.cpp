// The cache program, run as a child process against the stand-in client core.
#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <ostream>
#include <string>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

#include "process.h"

namespace {

using namespace std::chrono_literals;
using namespace testing_support;

const std::string version_line = "Shared cache manager version LX-V4.0G\n";
const std::string superuser_line = "Shared cache manager: couldn't set uid to superuser\n";
const std::string disables = "disable REMINT\ndisable CSI\ndisable TDXSHR5\ndisable PIPE5\n";

std::string attach_line(const std::string &name)
{
    return "attach name=\"" + name + "\" length=0 dpb=01 31 handle=0\n";
}

// One run of the cache program with its trace, log and output.
struct CacheRun {
    std::string trace_path = temp_path("trace");
    std::string log_path = temp_path("log");
    Child child;

    CacheRun(std::vector<std::string> args, const std::string &script,
        const std::function<void()> &in_child = {})
    {
        args.insert(args.begin(), CACHE_BINARY);
        std::vector<std::string> env{"TDX_TRACE=" + trace_path, "TDX_LOG_FILE=" + log_path};
        env.push_back(script.empty() ? "TDX_ATTACH_SCRIPT" : "TDX_ATTACH_SCRIPT=" + script);
        child = start(args, env, in_child);
    }
    ~CacheRun()
    {
        if (!wait_for(child, 0ms).exited)
            kill_and_reap(child);
        for (const std::string &p : {trace_path, log_path, child.out_path})
            ::unlink(p.c_str());
    }
    Exit finish() { return wait_for(child, 10s); }
    std::string trace() const { return read_file(trace_path); }
    std::string out() const { return read_file(child.out_path); }
    std::string log() const { return read_file(log_path); }
    bool serving() { return eventually([&] { return trace().find("serving\n") != std::string::npos; }, 10s); }
};

struct NameCase {
    std::vector<std::string> args;
    std::string database;
};

// GoogleTest would otherwise print the record's raw bytes, padding included.
void PrintTo(const NameCase &c, std::ostream *os)
{
    *os << "{";
    for (const std::string &a : c.args)
        *os << " \"" << a << "\"";
    *os << " } -> \"" << c.database << "\"";
}

class DatabaseName : public ::testing::TestWithParam<NameCase> {};

TEST_P(DatabaseName, IsTakenFromTheCommandLine)
{
    CacheRun run(GetParam().args, "ok");
    const Exit exit = run.finish();
    ASSERT_TRUE(exit.exited);
    EXPECT_EQ(exit.status, 0);
    EXPECT_EQ(run.out(), "");
    EXPECT_EQ(run.trace(), disables + attach_line(GetParam().database) + "detach handle=256\n");
}

INSTANTIATE_TEST_SUITE_P(
    CommandLines, DatabaseName,
    ::testing::Values(
        NameCase{{}, ""},
        NameCase{{"db1"}, "db1"},
        NameCase{{"first", "second"}, "second"},
        NameCase{{"-d", "one", "two"}, "two"},
        NameCase{{"-D", "-z"}, "-z"},              // the name after D is not scanned
        NameCase{{"-xdq", "name"}, "name"},        // other letters are ignored
        NameCase{{"-svc", "-d", "db"}, "db"},
        NameCase{{"-svc_re", "0", "1", "2", "-d", "db"}, "db"},
        NameCase{{"-svc_re", "3", "4"}, "4"},     // too few numbers: an option group
        NameCase{{"-svcx", "db"}, "db"},          // only the whole argument is a form
        NameCase{{"db", "-svc"}, "db"},           // -svc elsewhere is an option group
        NameCase{{"-"}, ""},
        NameCase{{"-d"}, ""},                     // a final D keeps the empty name
        NameCase{{"db", "-d"}, "db"}),            // ... or the name given before
    [](const ::testing::TestParamInfo<NameCase> &info) { return std::to_string(info.index); });

TEST(Version, PrintsAndExitsBeforeAttaching)
{
    for (const std::vector<std::string> &args :
         {std::vector<std::string>{"-z"}, {"-Z"}, {"-dz", "name"}, {"-svc", "x", "-qz"}}) {
        CacheRun run(args, "");
        const Exit exit = run.finish();
        ASSERT_TRUE(exit.exited) << args[0];
        EXPECT_EQ(exit.status, 0);
        EXPECT_EQ(run.out(), version_line);
        EXPECT_EQ(run.trace(), "") << "no subsystem switched off, no attach";
    }
}

TEST(AttachLoop, RetriesUntilTheCoreAnswersOtherwise)
{
    CacheRun run({"db"}, "retry,retry+h,ok");
    const Exit exit = run.finish();
    ASSERT_TRUE(exit.exited);
    EXPECT_EQ(exit.status, 0);
    EXPECT_EQ(run.out(), "");
    EXPECT_EQ(run.trace(), disables + attach_line("db") + attach_line("db") + "detach handle=256\n" +
                               attach_line("db") + "detach handle=257\n");
}

TEST(AttachLoop, RetriesWithoutEndAndSilently)
{
    CacheRun run({"db"}, "retry*");
    ASSERT_TRUE(eventually(
        [&] {
            const std::string t = run.trace();
            size_t count = 0;
            for (size_t at = t.find("attach"); at != std::string::npos; at = t.find("attach", at + 1))
                ++count;
            return count >= 200;
        },
        10s));
    EXPECT_FALSE(wait_for(run.child, 0ms).exited);
    EXPECT_EQ(run.out(), "");
}

TEST(AttachLoop, FailureIsPrintedThenLoggedThenTheHandleDetached)
{
    CacheRun run({"-d", "db"}, "fail+h");
    const Exit exit = run.finish();
    ASSERT_TRUE(exit.exited);
    EXPECT_EQ(exit.status, 1);
    EXPECT_EQ(run.out(), "database is unavailable\n");
    EXPECT_EQ(run.trace(), disables + attach_line("db") + "print 335544347\nlog db 335544347\n" +
                               "detach handle=256\n");
    EXPECT_NE(run.log().find("Database: db"), std::string::npos);
}

TEST(AttachLoop, FailureWithoutHandleIsNotDetached)
{
    CacheRun run({}, "retry,fail");
    const Exit exit = run.finish();
    ASSERT_TRUE(exit.exited);
    EXPECT_EQ(exit.status, 1);
    EXPECT_EQ(run.trace(), disables + attach_line("") + attach_line("") + "print 335544347\nlog  335544347\n");
}

// Fields of /proc/PID/stat after the command name: state is field 3, pgrp field 5.
long process_group_of(pid_t pid)
{
    const std::string stat = read_file("/proc/" + std::to_string(pid) + "/stat");
    long pgrp = -1;
    std::sscanf(stat.c_str() + stat.rfind(')') + 2, "%*c %*d %ld", &pgrp);
    return pgrp;
}

unsigned long long ignored_signals_of(pid_t pid)
{
    const std::string status = read_file("/proc/" + std::to_string(pid) + "/status");
    return std::stoull(status.substr(status.find("SigIgn:") + 7), nullptr, 16);
}

TEST(Server, LeadsItsGroupIgnoresKeyboardSignalsAndStopsOnTerminate)
{
    CacheRun run({"db"}, "");
    ASSERT_TRUE(run.serving());
    const pid_t pid = run.child.pid;
    EXPECT_EQ(process_group_of(pid), pid);
    const unsigned long long ignored = ignored_signals_of(pid);
    EXPECT_TRUE(ignored & (1ull << (SIGINT - 1)));
    EXPECT_TRUE(ignored & (1ull << (SIGQUIT - 1)));
    EXPECT_FALSE(ignored & (1ull << (SIGTERM - 1)));

    ::kill(pid, SIGINT);
    ::kill(pid, SIGQUIT);
    EXPECT_FALSE(wait_for(run.child, 200ms).exited);

    ::kill(pid, SIGTERM);
    const Exit exit = run.finish();
    ASSERT_TRUE(exit.exited);
    EXPECT_EQ(exit.status, 0);
    EXPECT_EQ(run.trace(), disables + attach_line("db") + "serving\nterminated\ndetach handle=256\n");
}

std::string link_of(pid_t pid, int fd)
{
    char target[512] = {};
    const std::string path = "/proc/" + std::to_string(pid) + "/fd/" + std::to_string(fd);
    const ssize_t n = ::readlink(path.c_str(), target, sizeof target - 1);
    return n > 0 ? std::string(target, static_cast<size_t>(n)) : std::string();
}

TEST(Server, HandsOverTheGivenDescriptors)
{
    const std::string in = temp_path("in"), out = temp_path("out"), err = temp_path("err");
    CacheRun run({"-svc_re", "7", " 8", "9x", "db"}, "", [&] {
        ::dup2(::open(in.c_str(), O_RDONLY), 7);
        ::dup2(::open(out.c_str(), O_WRONLY), 8);
        ::dup2(::open(err.c_str(), O_WRONLY), 9);
    });
    ASSERT_TRUE(run.serving());
    const pid_t pid = run.child.pid;
    EXPECT_EQ(link_of(pid, 0), in);
    EXPECT_EQ(link_of(pid, 1), out);
    EXPECT_EQ(link_of(pid, 2), err);
    for (int fd : {7, 8, 9})
        EXPECT_EQ(link_of(pid, fd), "") << "descriptor " << fd << " should be closed";
    EXPECT_NE(run.trace().find(attach_line("db")), std::string::npos);
    for (const std::string &p : {in, out, err})
        ::unlink(p.c_str());
}

TEST(Server, RedirectedOutputCarriesTheMessages)
{
    const std::string out = temp_path("out");
    CacheRun run({"-svc_re", "0", "6", "2", "-z"}, "", [&] { ::dup2(::open(out.c_str(), O_WRONLY), 6); });
    ASSERT_TRUE(run.finish().exited);
    EXPECT_EQ(run.out(), "");
    EXPECT_EQ(read_file(out), version_line);
    ::unlink(out.c_str());
}

// Numbers beyond 32 bits name no descriptor, as on the Intel 386 where atol
// saturates: nothing is duplicated onto or closed among the standard ones.
TEST(Server, NumbersBeyondThirtyTwoBitsLeaveTheStandardDescriptors)
{
    const std::string err = temp_path("err");
    CacheRun run({"-svc_re", "4294967296", "4294967297", "-4294967294", "db"}, "", [&] {
        ::dup2(::open("/dev/null", O_RDONLY), 0);
        ::dup2(::open(err.c_str(), O_WRONLY | O_CREAT, 0600), 2);
    });
    ASSERT_TRUE(run.serving());
    EXPECT_EQ(link_of(run.child.pid, 0), "/dev/null");
    EXPECT_EQ(link_of(run.child.pid, 1), run.child.out_path);
    EXPECT_EQ(link_of(run.child.pid, 2), err);
    ::unlink(err.c_str());

    // Cut to 32 bits, these closed standard output and printed nothing.
    CacheRun version({"-svc_re", "0", "4294967297", "2", "-z"}, "");
    const Exit exit = version.finish();
    ASSERT_TRUE(exit.exited);
    EXPECT_EQ(exit.status, 0);
    EXPECT_EQ(version.out(), version_line);
}

TEST(Server, WarnsWhenItCannotBecomeSuperuserAndGoesOn)
{
    const bool root = ::geteuid() == 0;
    CacheRun run({"-z"}, "", [&] {
        if (root && (::setgid(65534) != 0 || ::setuid(65534) != 0))
            ::_exit(126);
    });
    const Exit exit = run.finish();
    ASSERT_TRUE(exit.exited);
    if (exit.status == 126 || exit.status == 127)
        GTEST_SKIP() << "cannot run the program as an unprivileged user here";
    EXPECT_EQ(exit.status, 0);
    EXPECT_EQ(run.out(), superuser_line + version_line);
}

}  // namespace
