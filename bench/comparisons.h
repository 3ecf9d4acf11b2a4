// The benchmark's registry: pairs of timed paths (ours and its peer) with the
// ratio each pair should stay within, and the check of their outputs, which
// must pass before either of the pair is timed.
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
    size_t bytes = 0;  // bytes one iteration moves; when set, the summary shows MB/s of both
};

struct output_check {
    enum verdict_kind { not_run, agree, differ };
    std::string name;
    std::function<bool()> agrees;  // prints what differs when it does not
    verdict_kind verdict = not_run;
};

std::vector<comparison> &comparisons();
std::vector<output_check> &output_checks();

// Registers both benchmarks, their comparison and the check of their outputs.
// `bytes`, when not 0, is what one iteration of either moves.
void compare(const std::string &name, double target,
             void (*ours)(benchmark::State &), void (*peer)(benchmark::State &),
             std::function<bool()> agrees, size_t bytes = 0);

// Keeps a value alive and in memory without costing more than a move.
template <typename T>
inline void keep(const T &value)
{
    benchmark::DoNotOptimize(value);
}

}  // namespace bench
