// Fault injection, counters and scripted info replies of the stand-in core.
#include <array>
#include <cstring>
#include <vector>

#include "core_state.h"

namespace {

struct Fault {
    int countdown = 0;   // calls left before the fault; 0: no fault
    bool sticky = false; // keep failing once reached
    bool firing = false;
};

// Per thread, as all of the core's state (core_state.h).
thread_local std::array<int, TDXC_OP_COUNT> calls{};
thread_local std::array<Fault, TDXC_OP_COUNT> faults{};

thread_local std::vector<unsigned char> scripted_reply;
thread_local int scripted_times = 0;

}  // namespace

namespace core {

bool should_fail(tdxc_op op)
{
    ++calls[op];
    Fault &fault = faults[op];
    if (fault.firing)
        return true;
    if (fault.countdown == 0)
        return false;
    if (--fault.countdown > 0)
        return false;
    fault.firing = fault.sticky;
    return true;
}

bool take_scripted_info(unsigned char *reply, uint16_t reply_length)
{
    if (scripted_times == 0)
        return false;
    if (scripted_times > 0)
        --scripted_times;
    const size_t room = reply_length;
    const size_t n = scripted_reply.size() < room ? scripted_reply.size() : room;
    if (n > 0)
        std::memcpy(reply, scripted_reply.data(), n);
    return true;
}

}  // namespace core

extern "C" {

void tdxc_fail(tdxc_op op, int nth)
{
    faults[op] = Fault{nth > 0 ? nth : 0, false, false};
}

void tdxc_fail_from(tdxc_op op, int nth)
{
    faults[op] = Fault{nth > 0 ? nth : 0, true, false};
}

int tdxc_calls(tdxc_op op)
{
    return calls[op];
}

void tdxc_script_info(const unsigned char *reply, int length, int times)
{
    scripted_reply.assign(reply, reply + (length > 0 ? length : 0));
    scripted_times = times;
}

void tdxc_reset(void)
{
    calls.fill(0);
    faults.fill(Fault{});
    scripted_reply.clear();
    scripted_times = 0;
    core::reset_blobs();
    core::reset_databases();
    core::write_log(nullptr);
}

}  // extern "C"
