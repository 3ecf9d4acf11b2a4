// I/O faults for the sweeps. The test program is linked with
// -Wl,--wrap=fopen,--wrap=fdopen,--wrap=fclose,--wrap=fflush,--wrap=mkstemp,
// --wrap=stat,--wrap=system,--wrap=unlink, so the library's calls of those
// land here first. While io_faults::watch runs a body, the streams that
// fopen and fdopen open, and the standard output, are streams of our own
// (fopencookie) over the real descriptors, so that each read, write, flush
// and close of them is counted and can be made to fail as the platform
// fails it: the call reports the error and the stream's error indicator is
// set. Outside watch every wrapper passes straight through.
#pragma once

#include <functional>
#include <vector>

#include "fault_sweep.h"

namespace io_faults {

enum op {
    open,    // fopen, fdopen: no stream
    create,  // mkstemp: no file
    read,    // a read of an opened stream
    write,   // a write of a full stream buffer
    flush,   // a write made by fflush, or by fclose before it closes
    close,   // the descriptor's close at fclose (the descriptor is released)
    status,  // stat
    run,     // system: the command is not run
    remove,  // unlink: the file stays
    op_count
};

const char *name_of(op);
const std::vector<op> &all_ops();

// Forgets counts and faults.
void reset();
// The nth counted call of op from now on fails (1: the next one); 0 clears.
void fail(op, int nth);
// Counted calls of op since the last reset.
int calls(op);

// Runs body with counting on and the standard output replaced by a counted
// stream over descriptor 1; what body leaves in that stream's buffer is
// flushed to descriptor 1 afterwards, uncounted.
void watch(const std::function<void()> &body);

}  // namespace io_faults

template <>
struct fault_sweep::fault_kind<io_faults::op> {
    static const std::vector<io_faults::op> &ops() { return io_faults::all_ops(); }
    static const char *name(io_faults::op op) { return io_faults::name_of(op); }
    // Each run starts with a fresh core as well: the blobs are seeded anew.
    static void reset()
    {
        tdxc_reset();
        io_faults::reset();
    }
    static void fail(io_faults::op op, int nth) { io_faults::fail(op, nth); }
    static int calls(io_faults::op op) { return io_faults::calls(op); }
    static constexpr io_faults::op undisturbed = io_faults::op_count;
};
