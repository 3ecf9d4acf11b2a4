// cache: the shared cache manager program.
//
// Prepares the process as a long-lived server (standard streams, superuser
// identity, a process group of its own, keyboard signals ignored), takes a
// database name from its command line, switches off four client-core
// subsystems and attaches with the cache manager's parameter block. The
// cache manager's work happens inside the client core's attach call; the
// program attaches again for as long as the core answers with the retry
// status.
//
//   cache [args]
//   cache -svc [args]
//   cache -svc_re IN OUT ERR [args]
#include <array>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <unistd.h>

#include "dbutil.h"

namespace {

constexpr const char *version_text = "LX-V4.0G";

// Version byte 1 and the cache manager's tag 49, with no length or value.
constexpr std::array<char, 2> cache_dpb{1, 49};

constexpr std::array<const char *, 4> subsystems{"REMINT", "CSI", "TDXSHR5", "PIPE5"};

// Reads a descriptor number as atol does on the Intel 386, where long has 32
// bits: a number beyond that range saturates. Cut to 32 bits on a wider
// machine instead, 4294967296 would become descriptor 0.
int32_t descriptor_number(const char *text)
{
    const long number = std::strtol(text, nullptr, 10);
    if (number > INT32_MAX)
        return INT32_MAX;
    if (number < INT32_MIN)
        return INT32_MIN;
    return static_cast<int32_t>(number);
}

// Moves descriptor `from` onto the standard descriptor `to` unless it already
// is. A number that names no descriptor makes dup2 and close fail, harmlessly.
void hand_over(int32_t from, int to)
{
    if (from == to)
        return;
    dup2(from, to);
    close(from);
}

void print_version_and_exit()
{
    std::printf("Shared cache manager version %s\n", version_text);
    // The status after "Z" is 0 whatever became of the message.
    (void)std::fflush(stdout);
    std::exit(0);
}

// Scans options and names; returns the database name.
const char *scan_arguments(int count, char **args)
{
    const char *name = "";
    for (int i = 0; i < count; ++i) {
        const char *arg = args[i];
        if (arg[0] != '-') {
            name = arg;
            continue;
        }
        for (const char *p = arg + 1; *p != '\0'; ++p) {
            char letter = *p;
            if (letter >= 'a' && letter <= 'z')
                letter = static_cast<char>(letter - 'a' + 'A');
            if (letter == 'D') {
                // A final "D" with no argument after it leaves the name as it was.
                if (i + 1 < count)
                    name = args[++i];
            } else if (letter == 'Z') {
                print_version_and_exit();
            }
        }
    }
    return name;
}

}  // namespace

int main(int argc, char **argv)
{
    char **args = argv + 1;
    int count = argc - 1;

    if (count >= 1 && std::strcmp(args[0], "-svc") == 0) {
        args += 1;
        count -= 1;
    } else if (count >= 4 && std::strcmp(args[0], "-svc_re") == 0) {
        hand_over(descriptor_number(args[1]), 0);
        hand_over(descriptor_number(args[2]), 1);
        hand_over(descriptor_number(args[3]), 2);
        args += 4;
        count -= 4;
    }

    if (setreuid(0, 0) < 0) {
        std::printf("Shared cache manager: couldn't set uid to superuser\n");
        // A message for the operator: the start-up goes on whatever became of it.
        (void)std::fflush(stdout);
    }
    setpgrp();  // lead a process group of our own
    // Fails only for a signal number that does not exist.
    (void)std::signal(SIGINT, SIG_IGN);
    (void)std::signal(SIGQUIT, SIG_IGN);

    const char *database = scan_arguments(count, args);

    for (const char *subsystem : subsystems)
        tdx__disable_subsystem(subsystem);

    tdx_status status_vector[TDX_STATUS_LENGTH] = {};
    int32_t status;
    do {
        tdx_handle handle = 0;
        status = tdx__attach_database(status_vector, 0, database, &handle,
                                      static_cast<int16_t>(cache_dpb.size()), cache_dpb.data());
        if (status != 0 && status != TDX_ATTACH_AGAIN) {
            tdx__print_status(status_vector);
            // The log gets the status too, whatever became of the printed copy.
            (void)std::fflush(stdout);
            tdx__log_status(database, status_vector);
        }
        if (handle != 0)
            tdx__detach_database(status_vector, &handle);
    } while (status == TDX_ATTACH_AGAIN);

    return status != 0 ? 1 : 0;
}
