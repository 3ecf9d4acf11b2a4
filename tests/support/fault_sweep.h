// Fault sweeps: one run of an entry point per failure point. For each
// operation of the stand-in core that can fail, the 1st, then the 2nd, then
// every later call of that operation in the run is made to fail in turn,
// until a run completes without reaching the injected failure (that last run
// is the undisturbed one). Each run's outcome is compared with what the
// entry point promises for that failure point, and afterwards no block from
// tdx__alloc and no blob handle may be left.
#pragma once

#include <cstdio>
#include <functional>
#include <map>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "capture.h"
#include "tdx_control.h"

namespace fault_sweep {

// What one run shows the caller.
struct Outcome {
    long result = 0;
    std::string printed;  // standard output (the core prints statuses there)
    std::string logged;   // the last text written to the core's log (filled in by the sweep)
    std::string held;     // what the caller's block, id, stream or file holds
    bool operator==(const Outcome &) const = default;
};

inline void PrintTo(const Outcome &o, std::ostream *os)
{
    *os << "{result " << o.result << ", printed \"" << o.printed << "\", logged \"" << o.logged
        << "\", held \"" << o.held << "\"}";
}

inline const char *name_of(tdxc_op op)
{
    switch (op) {
    case TDXC_ALLOC: return "alloc";
    case TDXC_OPEN_BLOB: return "open blob";
    case TDXC_CREATE_BLOB: return "create blob";
    case TDXC_GET_SEGMENT: return "get segment";
    case TDXC_PUT_SEGMENT: return "put segment";
    case TDXC_CLOSE_BLOB: return "close blob";
    case TDXC_INFO: return "info";
    default: return "other";
    }
}

// The operations whose failure the entry points must survive.
inline const std::vector<tdxc_op> &fallible_ops()
{
    static const std::vector<tdxc_op> ops{TDXC_ALLOC,       TDXC_OPEN_BLOB,  TDXC_CREATE_BLOB,
                                          TDXC_GET_SEGMENT, TDXC_PUT_SEGMENT, TDXC_INFO};
    return ops;
}

struct Sweep {
    // Runs after the core is reset and before the fault is armed: seeds
    // blobs, attaches databases, scripts replies. Its own core calls do not
    // count as failure points.
    std::function<void()> setup = [] {};
    // The entry point (or the road of calls a program makes), ending with the
    // caller releasing whatever it was handed; returns its result and what the
    // caller holds.
    std::function<Outcome()> run;
    // The outcome when the nth call of op fails.
    std::function<Outcome(tdxc_op op, int nth)> expected;
    // How many failure points each operation has in one run; operations not
    // named have none.
    std::map<tdxc_op, int> points;
};

// Runs the sweep over every fallible operation.
inline void run_sweep(const Sweep &sweep)
{
    for (tdxc_op op : fallible_ops()) {
        int reached_points = 0;
        for (int n = 1;; ++n) {
            SCOPED_TRACE(std::string(name_of(op)) + " call " + std::to_string(n) + " fails");
            tdxc_reset();
            sweep.setup();
            const int before = tdxc_calls(op);
            const int live_before = tdxc_live_blocks();
            tdxc_fail(op, n);
            Outcome got;
            got.printed = testing_support::capture_stdout([&] {
                Outcome inner = sweep.run();
                got.result = inner.result;
                got.logged = tdxc_last_log();
                got.held = inner.held;
                std::fflush(stdout);
            });
            const bool reached = tdxc_calls(op) - before >= n;
            tdxc_fail(op, 0);
            EXPECT_EQ(tdxc_live_blocks(), live_before) << "blocks from tdx__alloc left behind";
            EXPECT_EQ(tdxc_open_blob_handles(), 0) << "blob handles left open";
            if (!reached) {
                // The undisturbed run: the outcome of no failure at all.
                EXPECT_EQ(got, sweep.expected(TDXC_OP_COUNT, 0));
                break;
            }
            ++reached_points;
            EXPECT_EQ(got, sweep.expected(op, n));
            if (n > 1000) {
                ADD_FAILURE() << "the run does not end";
                break;
            }
        }
        const auto wanted = sweep.points.find(op);
        EXPECT_EQ(reached_points, wanted == sweep.points.end() ? 0 : wanted->second)
            << "failure points of " << name_of(op);
    }
}

}  // namespace fault_sweep
