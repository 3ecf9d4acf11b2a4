// The benchmark's registry: pairs of timed paths (ours and its peer) with the
// ratio each pair should stay within, and the output checks that must pass
// before anything is timed.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

namespace bench {

struct comparison {
    std::string name;  // one word, as printed in the summary
    std::string ours;  // benchmark names
    std::string peer;
    double target;     // our median over the peer's, at most; 0: no target, a record only
};

struct output_check {
    std::string name;
    std::function<bool()> agrees;  // prints what differs when it does not
};

std::vector<comparison> &comparisons();
std::vector<output_check> &output_checks();

// Registers both benchmarks, their comparison and the check of their outputs.
void compare(const std::string &name, double target,
             void (*ours)(benchmark::State &), void (*peer)(benchmark::State &),
             std::function<bool()> agrees);

// Keeps a value alive and in memory without costing more than a move.
template <typename T>
inline void keep(const T &value)
{
    benchmark::DoNotOptimize(value);
}

}  // namespace bench
