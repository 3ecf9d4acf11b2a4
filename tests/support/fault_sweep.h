// Fault sweeps: one run of an entry point per failure point. For each
// operation that can fail, the 1st, then the 2nd, then every later call of
// that operation in the run is made to fail in turn, until a run completes
// without reaching the injected failure (that last run is the undisturbed
// one). Each run's outcome is compared with what the entry point promises
// for that failure point, and afterwards no block from tdx__alloc, no blob
// handle and no descriptor may be left.
//
// Two kinds of fault share the sweep: the stand-in core's operations
// (tdxc_op: allocation, blob open and create, segments, info requests) and
// the platform's I/O (io_faults::op, declared with its traits in
// io_faults.h). A kind is described by fault_kind<Op>.
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
#include "directory.h"
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

// One kind of fault: its operations, their names, how a run starts afresh,
// how the nth call of an operation is made to fail and how calls are
// counted. Specialised for each kind.
template <typename Op>
struct fault_kind;

template <>
struct fault_kind<tdxc_op> {
    // The operations whose failure the entry points must survive.
    static const std::vector<tdxc_op> &ops()
    {
        static const std::vector<tdxc_op> all{TDXC_ALLOC,       TDXC_OPEN_BLOB,  TDXC_CREATE_BLOB,
                                              TDXC_GET_SEGMENT, TDXC_PUT_SEGMENT, TDXC_INFO};
        return all;
    }
    static const char *name(tdxc_op op)
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
    static void reset() { tdxc_reset(); }
    static void fail(tdxc_op op, int nth) { tdxc_fail(op, nth); }
    static int calls(tdxc_op op) { return tdxc_calls(op); }
    static constexpr tdxc_op undisturbed = TDXC_OP_COUNT;
};

template <typename Op>
struct sweep_of {
    // Runs after the fresh start and before the fault is armed: seeds blobs,
    // attaches databases, scripts replies. Its own calls do not count as
    // failure points.
    std::function<void()> setup = [] {};
    // The entry point (or the road of calls a program makes), ending with the
    // caller releasing whatever it was handed; returns its result and what the
    // caller holds.
    std::function<Outcome()> run;
    // The outcome when the nth call of op fails; op is
    // fault_kind<Op>::undisturbed for the run that reaches no fault.
    std::function<Outcome(Op op, int nth)> expected;
    // How many failure points each operation has in one run; operations not
    // named have none.
    std::map<Op, int> points;
};

using Sweep = sweep_of<tdxc_op>;

// Descriptors the process holds, so that a run can be seen to leave none open.
inline size_t open_descriptors()
{
    return testing_support::entries_of("/proc/self/fd").size();
}

// Runs the sweep over every operation of its kind.
template <typename Op>
void run_sweep(const sweep_of<Op> &sweep)
{
    using kind = fault_kind<Op>;
    for (Op op : kind::ops()) {
        int reached_points = 0;
        for (int n = 1;; ++n) {
            SCOPED_TRACE(std::string(kind::name(op)) + " call " + std::to_string(n) + " fails");
            kind::reset();
            sweep.setup();
            const int before = kind::calls(op);
            const int live_before = tdxc_live_blocks();
            const size_t descriptors_before = open_descriptors();
            kind::fail(op, n);
            Outcome got;
            got.printed = testing_support::capture_stdout([&] {
                Outcome inner = sweep.run();
                got.result = inner.result;
                got.logged = tdxc_last_log();
                got.held = inner.held;
                std::fflush(stdout);
            });
            const bool reached = kind::calls(op) - before >= n;
            kind::fail(op, 0);
            EXPECT_EQ(tdxc_live_blocks(), live_before) << "blocks from tdx__alloc left behind";
            EXPECT_EQ(tdxc_open_blob_handles(), 0) << "blob handles left open";
            EXPECT_EQ(open_descriptors(), descriptors_before) << "descriptors left open";
            if (!reached) {
                EXPECT_EQ(got, sweep.expected(kind::undisturbed, 0));
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
            << "failure points of " << kind::name(op);
    }
}

}  // namespace fault_sweep
