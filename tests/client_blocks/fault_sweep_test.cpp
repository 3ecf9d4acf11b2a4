// Fault sweeps of the block builders and the version report: every core call
// of a run fails in turn, and each failure must leave the caller's block as
// promised, report as promised and leave no block allocated.
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "dbutil.h"
#include "fault_sweep.h"
#include "tdx_control.h"

namespace {

using fault_sweep::Outcome;
using fault_sweep::run_sweep;
using fault_sweep::Sweep;

const std::string no_memory = "mvt_extend_dpb: out of memory";

std::string hex(const char *bytes, int length)
{
    std::string text;
    for (int i = 0; i < length; ++i) {
        char byte[4];
        std::snprintf(byte, sizeof byte, i ? " %02x" : "%02x", static_cast<unsigned char>(bytes[i]));
        text += byte;
    }
    return text;
}

// Parameter blocks -------------------------------------------------------

// A block as its caller holds it, starting in the caller's own array.
struct Block {
    char own[8] = {1, DPB_USER, 1, 'x'};
    char *pointer = nullptr;
    int16_t length = 0;

    void start_own() { pointer = own, length = 4; }
    // Where the block lies now and its bytes; releases a buffer a builder made.
    std::string release()
    {
        const std::string where = pointer == nullptr ? "none" : pointer == own ? "own" : "new";
        const std::string text = where + ":" + hex(pointer, length);
        if (pointer != nullptr && pointer != own)
            tdx__free(pointer);
        return text;
    }
};

// Sets the login variables for the length of a test.
struct LoginEnvironment {
    LoginEnvironment()
    {
        ::setenv("MVT_USER", "anna", 1);
        ::setenv("MVT_PASSWORD", "secret", 1);
    }
    ~LoginEnvironment()
    {
        ::unsetenv("MVT_USER");
        ::unsetenv("MVT_PASSWORD");
    }
};

const std::string login_bytes = "01 1c 04 61 6e 6e 61 1d 06 73 65 63 72 65 74";

struct BuilderCase {
    const char *what;
    bool own_block;                       // start from the caller's array, else empty
    std::function<long(Block &)> call;
    Outcome clean;
    Outcome out_of_memory;                // the one allocation fails
};

TEST(FaultSweep, ParameterBlockBuilders)
{
    LoginEnvironment login;
    const BuilderCase cases[] = {
        {"expand an empty block", false,
         [](Block &b) {
             mvt_expand_dpb(&b.pointer, &b.length, DPB_USER, "anna", DPB_PASSWORD, "secret", 0);
             return 0L;
         },
         {0, "", "", "new:" + login_bytes}, {0, "", no_memory, "none:"}},
        {"expand the caller's array", true,
         [](Block &b) {
             mvt_expand_dpb(&b.pointer, &b.length, DPB_STRING_47, "q", 0);
             return 0L;
         },
         {0, "", "", "new:01 1c 01 78 2f 01 71"}, {0, "", no_memory, "own:01 1c 01 78"}},
        {"modify", true,
         [](Block &b) { return long{mvt_modify_dpb(&b.pointer, &b.length, DPB_PASSWORD, "pw", 2)}; },
         {0, "", "", "new:01 1c 01 78 1d 02 70 77"}, {1, "", no_memory, "own:01 1c 01 78"}},
        {"set login on an empty block", false,
         [](Block &b) {
             mvt_set_login(&b.pointer, &b.length);
             return 0L;
         },
         {0, "", "", "new:" + login_bytes}, {0, "", no_memory, "none:"}},
        {"set login where the user is named", true,
         [](Block &b) {
             mvt_set_login(&b.pointer, &b.length);
             return 0L;
         },
         {0, "", "", "new:01 1c 01 78 1d 06 73 65 63 72 65 74"}, {0, "", no_memory, "own:01 1c 01 78"}},
        {"set single user", true,
         [](Block &b) {
             mvt_set_single_user(&b.pointer, &b.length, "su");
             return 0L;
         },
         {0, "", "", "new:01 1c 01 78 35 02 73 75"}, {0, "", no_memory, "own:01 1c 01 78"}},
    };
    for (const BuilderCase &c : cases) {
        SCOPED_TRACE(c.what);
        Sweep sweep;
        sweep.run = [&] {
            Block block;
            if (c.own_block)
                block.start_own();
            const long result = c.call(block);
            return Outcome{result, "", "", block.release()};
        };
        sweep.expected = [&](tdxc_op op, int) { return op == TDXC_ALLOC ? c.out_of_memory : c.clean; };
        sweep.points = {{TDXC_ALLOC, 1}};
        run_sweep(sweep);
    }
}

TEST(FaultSweep, AttachRoadReleasesEveryBufferItWasHanded)
{
    // A program's road to an attach: login, then single user, each growth
    // moving the block; the program frees a buffer once the block has left
    // it, and the last one after the attach.
    LoginEnvironment login;
    Sweep sweep;
    sweep.run = [] {
        Block block;
        mvt_set_login(&block.pointer, &block.length);
        char *after_login = block.pointer;
        mvt_set_single_user(&block.pointer, &block.length, "su");
        if (after_login != nullptr && after_login != block.pointer)
            tdx__free(after_login);
        return Outcome{0, "", "", block.release()};
    };
    sweep.expected = [](tdxc_op op, int n) {
        if (op == TDXC_ALLOC && n == 1)  // no login clumps; single user still added
            return Outcome{0, "", no_memory, "new:01 35 02 73 75"};
        if (op == TDXC_ALLOC && n == 2)  // the login block stays as it was
            return Outcome{0, "", no_memory, "new:" + login_bytes};
        return Outcome{0, "", "", "new:" + login_bytes + " 35 02 73 75"};
    };
    sweep.points = {{TDXC_ALLOC, 2}};
    run_sweep(sweep);
}

// Event blocks -----------------------------------------------------------

char sentinel_byte;
char *const untouched = &sentinel_byte;

std::string pointer_state(char *pointer)
{
    return pointer == nullptr ? "null" : pointer == untouched ? "untouched" : "set";
}

struct EventCase {
    const char *what;
    // Calls the builder; the result word of the _s form goes to *word.
    std::function<long(char **, char **, uint16_t *)> call;
    int length;
};

TEST(FaultSweep, EventBlockBuilders)
{
    // Two names: "alpha" with trailing blanks, and "b".
    static const char field_alpha[EVENT_NAME_WIDTH + 1] = "alpha                          ";
    static const char field_b[EVENT_NAME_WIDTH + 1] = "b                              ";
    static const char *const fields[] = {field_alpha, field_b};
    const EventCase cases[] = {
        {"list form",
         [](char **e, char **r, uint16_t *) { return long{tdx__event_block(e, r, 2, "alpha   ", "b")}; },
         17},
        {"array form", [](char **e, char **r, uint16_t *) { return long{tdx__event_block_a(e, r, 2, fields)}; },
         17},
        {"result-word form",
         [](char **e, char **r, uint16_t *word) { return long{tdx__event_block_s(e, r, 2, fields, word)}; },
         17},
    };
    const std::string block_bytes = "01 05 61 6c 70 68 61 00 00 00 00 01 62 00 00 00 00";
    for (const EventCase &c : cases) {
        SCOPED_TRACE(c.what);
        Sweep sweep;
        sweep.run = [&] {
            char *event = untouched, *result = untouched;
            uint16_t word = 0xBEEF;
            const long length = c.call(&event, &result, &word);
            std::string held = pointer_state(event) + " " + pointer_state(result);
            if (event != nullptr && event != untouched) {
                held += " " + hex(event, static_cast<int>(length));
                tdx__free(event);
            }
            if (result != nullptr && result != untouched)
                tdx__free(result);
            if (word != 0xBEEF && word != length)
                held += " result word differs";
            return Outcome{length, "", "", held};
        };
        sweep.expected = [&](tdxc_op op, int n) {
            if (op == TDXC_ALLOC && n == 1)  // the result pointer is not written
                return Outcome{0, "", "", "null untouched"};
            if (op == TDXC_ALLOC && n == 2)  // the event block is released again
                return Outcome{0, "", "", "null null"};
            return Outcome{c.length, "", "", "set set " + block_bytes};
        };
        sweep.points = {{TDXC_ALLOC, 2}};
        run_sweep(sweep);
    }
}

// Version report ---------------------------------------------------------

void collect(void *argument, const char *line)
{
    *static_cast<std::string *>(argument) += std::string(line) + "\n";
}

TEST(FaultSweep, VersionReport)
{
    // The first reply says it did not fit, so the report grows its area
    // once (an allocation) and asks again, then asks the on-disk version.
    static const unsigned char truncated[] = {TDX_INFO_TRUNCATED};
    tdx_handle db = 0;
    Sweep sweep;
    sweep.setup = [&] {
        db = tdxc_attach("report.tdb");
        tdxc_script_info(truncated, 1, 1);
    };
    sweep.run = [&] {
        std::string lines;
        const long result = tdx__version(&db, collect, &lines);
        return Outcome{result, "", "", lines};
    };
    const std::string components =
        "Morvanta Router/Linux i386 (Y-valve), version \"LX-V4.0G Morvanta stand-in Y-valve\"\n"
        "Morvanta Engine/Linux i386 (access method), version \"LX-V4.0G Morvanta stand-in access method\"\n";
    sweep.expected = [&](tdxc_op op, int n) {
        if (op == TDXC_INFO && n == 3)  // the on-disk query: component lines stay, no version line
            return Outcome{1, "", "", components};
        if (op == TDXC_INFO || op == TDXC_ALLOC)  // nothing printed, the grown area freed
            return Outcome{1, "", "", ""};
        return Outcome{0, "", "", components + "on disk structure version 9.1\n"};
    };
    sweep.points = {{TDXC_INFO, 3}, {TDXC_ALLOC, 1}};
    run_sweep(sweep);
}

}  // namespace
