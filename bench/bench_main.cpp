// Runs every benchmark (nine repetitions in random order unless the command
// line says otherwise), each pair after the check of its outputs, and ends
// with one ratio line per comparison:
// "NAME ratio X.XX target Y.YY" ("target none" for a comparison kept only as
// a record), preceded by "NAME ours A MB/s, peer B MB/s" where the comparison
// says how many bytes an iteration moves, then "benchmarks: N within target,
// M over".
// Ratios are medians of the repetitions, our time over the peer's, so only
// figures of the same run are ever compared. Times are the thread's CPU
// time: on a machine shared with other builds, wall-clock time mostly
// measures how long the thread waited for a core. The exit status is 0 when every
// output check that ran passed, whatever the ratios; otherwise the summary is
// not printed.
#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "comparisons.h"

namespace bench {

std::vector<comparison> &comparisons()
{
    static std::vector<comparison> list;
    return list;
}

std::vector<output_check> &output_checks()
{
    static std::vector<output_check> list;
    return list;
}

namespace {

// Whether the outputs of check `index` agree. The check runs the first time
// either benchmark of its pair starts, before anything of the pair is timed,
// so that a run that filters the pair out does not pay for it; a pair whose
// outputs differ is not timed.
bool outputs_agree(size_t index, benchmark::State &state)
{
    output_check &check = output_checks()[index];
    if (check.verdict == output_check::not_run)
        check.verdict = check.agrees() ? output_check::agree : output_check::differ;
    if (check.verdict == output_check::differ)
        state.SkipWithError("output check: ours and the peer differ");
    return check.verdict == output_check::agree;
}

void register_checked(const std::string &name, size_t index, void (*timed)(benchmark::State &))
{
    benchmark::RegisterBenchmark(name.c_str(), [index, timed](benchmark::State &state) {
        if (outputs_agree(index, state))
            timed(state);
    });
}

}  // namespace

void compare(const std::string &name, double target, void (*ours)(benchmark::State &),
             void (*peer)(benchmark::State &), std::function<bool()> agrees, size_t bytes)
{
    const std::string ours_name = name + "/ours";
    const std::string peer_name = name + "/peer";
    const size_t index = output_checks().size();
    output_checks().push_back({name, std::move(agrees)});
    register_checked(ours_name, index, ours);
    register_checked(peer_name, index, peer);
    comparisons().push_back({name, ours_name, peer_name, target, bytes});
}

}  // namespace bench

namespace {

// Shows the runs as usual and keeps every repetition's time per iteration.
class median_keeper : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run> &runs) override
    {
        for (const Run &run : runs) {
            if (run.error_occurred)
                continue;
            const std::string &name = run.run_name.function_name;
            if (run.run_type == Run::RT_Aggregate) {
                if (run.aggregate_name == "median")
                    medians_[name] = run.GetAdjustedCPUTime();
            } else {
                times_[name].push_back(run.GetAdjustedCPUTime());
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }

    // The median aggregate when the library made one, else the median of the
    // repetitions seen; negative when the benchmark did not run.
    double median(const std::string &name) const
    {
        if (auto m = medians_.find(name); m != medians_.end())
            return m->second;
        auto t = times_.find(name);
        if (t == times_.end() || t->second.empty())
            return -1.0;
        std::vector<double> sorted = t->second;
        std::sort(sorted.begin(), sorted.end());
        const size_t n = sorted.size();
        return n % 2 == 1 ? sorted[n / 2] : (sorted[n / 2 - 1] + sorted[n / 2]) / 2.0;
    }

private:
    std::map<std::string, double> medians_;
    std::map<std::string, std::vector<double>> times_;
};

// Reports the checks that ran; false when any of them failed.
bool report_output_checks()
{
    bool all = true;
    int passed = 0;
    for (const bench::output_check &check : bench::output_checks()) {
        if (check.verdict == bench::output_check::differ) {
            std::printf("output check %s: ours and the peer differ\n", check.name.c_str());
            all = false;
        }
        passed += check.verdict == bench::output_check::agree ? 1 : 0;
    }
    std::printf("output checks: %d passed\n", passed);
    return all;
}

}  // namespace

int main(int argc, char **argv)
{
    // Defaults go first, so that the caller's own flags win.
    std::vector<char *> args{argv[0]};
    std::string repetitions = "--benchmark_repetitions=9";
    std::string aggregates = "--benchmark_display_aggregates_only=true";
    // Repetitions of all benchmarks in random order, so that a burst of load
    // from elsewhere falls on ours and the peer alike.
    std::string interleave = "--benchmark_enable_random_interleaving=true";
    args.push_back(repetitions.data());
    args.push_back(aggregates.data());
    args.push_back(interleave.data());
    for (int i = 1; i < argc; ++i)
        args.push_back(argv[i]);
    int count = static_cast<int>(args.size());
    benchmark::Initialize(&count, args.data());
    if (benchmark::ReportUnrecognizedArguments(count, args.data()))
        return 2;

    median_keeper reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    if (!report_output_checks())
        return 1;

    int within = 0;
    int over = 0;
    for (const bench::comparison &c : bench::comparisons()) {
        const double ours = reporter.median(c.ours);
        const double peer = reporter.median(c.peer);
        if (ours < 0 || peer <= 0)
            continue;  // filtered out on the command line
        const double ratio = ours / peer;
        // Medians are nanoseconds per iteration: bytes * 1000 / median is MB/s.
        if (c.bytes > 0)
            std::printf("%s ours %.0f MB/s, peer %.0f MB/s\n", c.name.c_str(),
                        static_cast<double>(c.bytes) * 1e3 / ours,
                        static_cast<double>(c.bytes) * 1e3 / peer);
        if (c.target <= 0) {
            std::printf("%s ratio %.2f target none\n", c.name.c_str(), ratio);
            continue;
        }
        std::printf("%s ratio %.2f target %.2f\n", c.name.c_str(), ratio, c.target);
        (ratio <= c.target ? within : over) += 1;
    }
    std::printf("benchmarks: %d within target, %d over\n", within, over);
    return 0;
}
