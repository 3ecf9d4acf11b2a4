// The function module, loaded as the engine loads it.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstring>
#include <string>

#include <dlfcn.h>

#include "functions.h"
#include "process.h"

namespace {

using namespace std::chrono_literals;
using testing_support::read_file;

std::string command_output(const std::string &command)
{
    std::string text;
    FILE *pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr)
        return text;
    for (int c; (c = std::fgetc(pipe)) != EOF;)
        text += static_cast<char>(c);
    ::pclose(pipe);
    return text;
}

TEST(ModuleFile, ExportsTheEntryPointAndNothingElse)
{
    const std::string symbols =
        command_output(std::string("nm -D --defined-only ") + FUNCTIONS_MODULE + " | awk '{print $NF}'");
    EXPECT_EQ(symbols, "FUNCTIONS_entrypoint\n");
}

TEST(ModuleFile, TakesOnlyStrcmpAndSprintfFromTheProcess)
{
    // Names the toolchain, the stack protector and sanitizers add start with
    // "__" and are not the module's own; an optimised build takes sprintf in
    // its checked form.
    const std::string imported = command_output(
        std::string("nm -D --undefined-only ") + FUNCTIONS_MODULE +
        " | awk '$1 == \"U\" {sub(/@.*/, \"\", $2); sub(/^__sprintf_chk$/, \"sprintf\", $2); print $2}'"
        " | grep -v '^__' | sort");
    EXPECT_EQ(imported, "sprintf\nstrcmp\n");
}

TEST(ModuleFile, NeedsNoCxxRuntime)
{
    const std::string needed = command_output(std::string("readelf -d ") + FUNCTIONS_MODULE);
    ASSERT_NE(needed.find("NEEDED"), std::string::npos);
    EXPECT_EQ(needed.find("libstdc++"), std::string::npos) << needed;
}

using Lookup = functions_address (*)(const char *, const char *);
using Sample = int32_t (*)(int32_t, char *);

class Module : public ::testing::Test {
protected:
    void SetUp() override
    {
        handle = ::dlopen(FUNCTIONS_MODULE, RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(handle, nullptr) << ::dlerror();
        lookup = reinterpret_cast<Lookup>(::dlsym(handle, "FUNCTIONS_entrypoint"));
        ASSERT_NE(lookup, nullptr);
        sample = reinterpret_cast<Sample>(lookup("test_module", "test_function"));
        ASSERT_NE(sample, nullptr);
    }
    void TearDown() override
    {
        if (handle != nullptr)
            ::dlclose(handle);
    }
    void *handle = nullptr;
    Lookup lookup = nullptr;
    Sample sample = nullptr;
};

TEST_F(Module, FindsTheSampleByCutNames)
{
    const std::string long_tail(200, 'x');
    struct Case {
        std::string module, entry;
        bool found;
    } cases[] = {
        {"test_module", "test_function", true},
        {"test_module      ", "test_function   ", true},
        {"test_module and more words", "test_function x", true},
        {"test_module " + long_tail, "test_function " + long_tail, true},
        {"TEST_MODULE", "test_function", false},
        {"", "test_function", false},
        {" test_module", "test_function", false},
        {"test_module", "test_functio", false},
        {"test_module", "test_function2", false},
        {"test_module", "", false},
        {long_tail, "test_function", false},       // does not fit the work area
        {"test_module", long_tail, false},
        {std::string(63, 'm'), std::string(63, 'e'), false},  // fits exactly
        {std::string(64, 'm'), std::string(63, 'e'), false},  // one past
        // A module name that takes the whole area leaves none for the entry
        // point; its neighbours leave one byte or two.
        {std::string(127, 'm'), "", false},
        {std::string(127, 'm'), "test_function", false},
        {std::string(128, 'm'), "", false},
        {std::string(126, 'm'), "", false},
        {std::string(126, 'm'), "e", false},
        {std::string(125, 'm'), "e", false},
        {"test_module", std::string(115, 'e'), false},  // 12 + 116 bytes: fits exactly
        {"test_module", std::string(116, 'e'), false},
    };
    for (const Case &c : cases) {
        const functions_address found = lookup(c.module.c_str(), c.entry.c_str());
        if (c.found)
            EXPECT_EQ(reinterpret_cast<void *>(found), reinterpret_cast<void *>(sample)) << c.module;
        else
            EXPECT_EQ(found, nullptr) << c.module << " / " << c.entry;
    }
}

TEST_F(Module, NullNamesFindNothing)
{
    EXPECT_EQ(lookup(nullptr, "test_function"), nullptr);
    EXPECT_EQ(lookup("test_module", nullptr), nullptr);
    EXPECT_EQ(lookup(nullptr, nullptr), nullptr);
}

TEST_F(Module, SampleFillsItsTwentyCharacters)
{
    struct Case {
        int32_t value;
        std::string written;  // what the area holds, through the byte after it
    } cases[] = {
        {5, "5 is a number       #"},
        {-5, "-5 is a number      #"},
        {0, "0 is a number       #"},
        {12345678, std::string("12345678 is a number") + '\0'},
        {-1234567, std::string("-1234567 is a number") + '\0'},
        // Longer texts are cut to the 20 characters of the area and terminated.
        {123456789, std::string("123456789 is a numbe") + '\0'},
        {INT32_MIN, std::string("-2147483648 is a num") + '\0'},
    };
    for (const Case &c : cases) {
        std::array<char, 32> area;
        area.fill('#');
        EXPECT_EQ(sample(c.value, area.data()), 0);
        EXPECT_EQ(std::string(area.data(), 21), c.written) << c.value;
        EXPECT_EQ(std::string(area.data() + 21, 11), std::string(11, '#')) << c.value;
    }
}

TEST(Engine, LoadsTheModuleAndCallsTheSample)
{
    struct Case {
        std::vector<std::string> args;
        std::string out;
        int status;
    } cases[] = {
        {{"test_module", "test_function", "42"},
         "result 0 [42 is a number      " + std::string(44, '#') + "]\n", 0},
        {{"test_module  ", "test_function  ", "12345678"}, "result 0 [12345678 is a number]\n", 0},
        {{"test_module", "nothing", "1"}, "engine: no function nothing in module test_module\n", 1},
        {{"test_module", "test_function", "-2147483648"}, "result 0 [-2147483648 is a num]\n", 0},
        // Values the function cannot take are refused, not cut to 32 bits
        // (4294967338 would arrive as 42).
        {{"test_module", "test_function", "4294967338"}, "", 2},
        {{"test_module", "test_function", "2147483648"}, "", 2},
        {{"test_module", "test_function", "12x"}, "", 2},
    };
    for (const Case &c : cases) {
        std::vector<std::string> argv{ENGINE_BINARY, FUNCTIONS_MODULE};
        argv.insert(argv.end(), c.args.begin(), c.args.end());
        const testing_support::Child child = testing_support::start(argv, {});
        const testing_support::Exit exit = testing_support::wait_for(child, 10s);
        ASSERT_TRUE(exit.exited);
        EXPECT_EQ(exit.status, c.status);
        EXPECT_EQ(read_file(child.out_path), c.out);
        ::unlink(child.out_path.c_str());
    }
}

}  // namespace
