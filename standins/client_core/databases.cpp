// Databases of the stand-in core: attach, detach, subsystems and the
// cache manager's attach, which stays in the call until SIGTERM.
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include <signal.h>

#include "core_state.h"

namespace {

// Per thread, as all of the core's state (core_state.h).
thread_local std::map<tdx_handle, std::string> databases;
thread_local tdx_handle next_handle = 0x100;

// The cache manager's parameter block: version byte and tag 49 alone.
bool is_cache_block(int16_t length, const char *dpb)
{
    return length == 2 && dpb != nullptr && dpb[0] == 1 && dpb[1] == 49;
}

// One scripted attach result from TDX_ATTACH_SCRIPT.
struct Scripted {
    bool present;
    int32_t code;
    bool leave_handle;
    bool wait;  // serve until SIGTERM before answering
};

// One entry of the script: a result given `times` attaches in a row
// (-1: for ever).
struct ScriptEntry {
    Scripted result;
    long times;
};

// The script is parsed once, at the first attach after a reset, so that a
// long soak costs the same at every attach.
thread_local std::vector<ScriptEntry> script;
thread_local bool script_parsed = false;
thread_local size_t script_entry = 0;
thread_local long script_used = 0;  // attaches given by the current entry so far

ScriptEntry parse_entry(std::string_view item)
{
    ScriptEntry entry{{true, 0, item.find("+h") != std::string_view::npos,
                       item.find("+w") != std::string_view::npos},
                      1};
    if (item.starts_with("retry"))
        entry.result.code = TDX_ATTACH_AGAIN;
    else if (item.starts_with("fail"))
        entry.result.code = TDXC_ATTACH_REFUSED;
    const size_t star = item.find('*');
    if (star != std::string_view::npos) {
        const std::string count(item.substr(star + 1));
        char *end = nullptr;
        const long times = std::strtol(count.c_str(), &end, 10);
        entry.times = end == count.c_str() || times <= 0 ? -1 : times;
    }
    return entry;
}

void parse_script()
{
    script.clear();
    script_parsed = true;
    const char *text = std::getenv("TDX_ATTACH_SCRIPT");
    if (text == nullptr || *text == '\0')
        return;
    std::string_view rest(text);
    for (;;) {
        const size_t comma = rest.find(',');
        script.push_back(parse_entry(rest.substr(0, comma)));
        if (comma == std::string_view::npos)
            break;
        rest.remove_prefix(comma + 1);
    }
}

Scripted next_scripted()
{
    if (!script_parsed)
        parse_script();
    while (script_entry < script.size()) {
        const ScriptEntry &entry = script[script_entry];
        if (entry.times < 0)
            return entry.result;
        if (script_used < entry.times) {
            ++script_used;
            return entry.result;
        }
        ++script_entry;
        script_used = 0;
    }
    return {false, 0, false, false};
}

// The one word of the process, not of a thread: a signal handler sets it.
volatile sig_atomic_t told_to_stop = 0;

void on_terminate(int)
{
    told_to_stop = 1;
}

// Serves as the cache manager until the process is told to stop.
void serve_until_terminated()
{
    told_to_stop = 0;
    sigset_t block, previous;
    sigemptyset(&block);
    sigaddset(&block, SIGTERM);
    sigprocmask(SIG_BLOCK, &block, &previous);
    struct sigaction action {};
    action.sa_handler = on_terminate;
    sigemptyset(&action.sa_mask);
    sigaction(SIGTERM, &action, nullptr);
    core::trace("serving");
    sigset_t waiting = previous;
    sigdelset(&waiting, SIGTERM);
    while (!told_to_stop)
        sigsuspend(&waiting);
    sigprocmask(SIG_SETMASK, &previous, nullptr);
    core::trace("terminated");
}

tdx_handle new_database(const std::string &name)
{
    const tdx_handle handle = next_handle++;
    databases[handle] = name;
    return handle;
}

}  // namespace

namespace core {

bool database_attached(tdx_handle handle)
{
    return databases.count(handle) != 0;
}

void reset_databases()
{
    databases.clear();
    script.clear();
    script_parsed = false;
    script_entry = 0;
    script_used = 0;
}

}  // namespace core

using namespace core;

extern "C" {

int32_t tdx__attach_database(tdx_status *status, int16_t name_length, const char *name,
                             tdx_handle *db_handle, int16_t dpb_length, const char *dpb)
{
    const std::string db_name = name == nullptr ? std::string()
                                : name_length > 0 ? std::string(name, static_cast<size_t>(name_length))
                                                  : std::string(name);
    std::string block;
    for (int i = 0; dpb != nullptr && i < dpb_length; ++i) {
        char hex[4];
        std::snprintf(hex, sizeof hex, i ? " %02x" : "%02x", static_cast<unsigned char>(dpb[i]));
        block += hex;
    }
    trace("attach name=\"%s\" length=%d dpb=%s handle=%lu", db_name.c_str(), name_length,
          block.c_str(), static_cast<unsigned long>(*db_handle));

    const Scripted scripted = next_scripted();
    if (scripted.present) {
        if (scripted.wait)
            serve_until_terminated();
        if (scripted.leave_handle || scripted.code == 0)
            *db_handle = new_database(db_name);
        return set_status(status, scripted.code);
    }
    if (should_fail(TDXC_ATTACH))
        return set_status(status, TDXC_ATTACH_REFUSED);
    if (is_cache_block(dpb_length, dpb))
        serve_until_terminated();
    *db_handle = new_database(db_name);
    return set_status(status, 0);
}

int32_t tdx__detach_database(tdx_status *status, tdx_handle *db_handle)
{
    trace("detach handle=%lu", static_cast<unsigned long>(*db_handle));
    if (should_fail(TDXC_DETACH))
        return set_status(status, TDXC_BAD_DB_HANDLE);
    if (databases.erase(*db_handle) == 0)
        return set_status(status, TDXC_BAD_DB_HANDLE);
    *db_handle = 0;
    return set_status(status, 0);
}

int32_t tdx__disable_subsystem(const char *name)
{
    trace("disable %s", name != nullptr ? name : "(null)");
    return 1;
}

tdx_handle tdxc_attach(const char *name)
{
    return new_database(name != nullptr ? name : "");
}

}  // extern "C"
