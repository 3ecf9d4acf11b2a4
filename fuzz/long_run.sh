#!/usr/bin/env bash
# The long coverage-guided run: each target until it has made RUNS executions
# (default 10 million) or run for SECONDS (default an hour), one target at a
# time, niced. Each target grows a working corpus under OUT/<name> from its
# seeds; afterwards what the run found that adds coverage is merged into
# fuzz/corpus/<name>, so the replays and the next runs start from it.
#   fuzz/long_run.sh BUILD_DIR OUT_DIR TARGET...
# BUILD_DIR is a libFuzzer build (scripts/test.sh fuzz makes build/fuzz).
# OUT_DIR/<name>.log holds libFuzzer's output, ending in its final counts;
# OUT_DIR/summary lists executions, coverage and findings per target.
set -uo pipefail

top=$(cd "$(dirname "$0")/.." && pwd)
build=$1; out=$2; shift 2
runs=${RUNS:-10000000}
seconds=${SECONDS_PER_TARGET:-3600}
# One input takes microseconds; on a shared machine a run can be starved for
# seconds, which must not pass for a hang. An endless loop still ends here.
timeout=${TIMEOUT:-300}
mkdir -p "$out"
export TDX_LOG_FILE=/dev/null

for name in "$@"; do
  bin="$build/fuzz/fuzz_$name"
  seeds="$top/fuzz/corpus/$name"
  work="$out/$name"
  mkdir -p "$work" "$out/$name.findings"
  nice -n 15 "$bin" -runs="$runs" -max_total_time="$seconds" -timeout="$timeout" \
    -report_slow_units="$timeout" -close_fd_mask=1 -print_final_stats=1 -artifact_prefix="$out/$name.findings/" \
    "$work" "$seeds" >"$out/$name.log" 2>&1
  status=$?
  nice -n 15 "$bin" -merge=1 "$seeds" "$work" >"$out/$name.merge.log" 2>&1
  execs=$(grep -E 'stat::number_of_executed_units' "$out/$name.log" | awk '{print $2}')
  last=$(grep -E '^#[0-9]+' "$out/$name.log" | tail -1)
  cov=$(sed -nE 's/.* cov: ([0-9]+).*/\1/p' <<<"$last")
  ft=$(sed -nE 's/.* ft: ([0-9]+).*/\1/p' <<<"$last")
  # Slow units are reports of a starved run, not findings; they are listed apart.
  findings=$(find "$out/$name.findings" -type f ! -name 'slow-unit-*' | wc -l)
  slow=$(find "$out/$name.findings" -type f -name 'slow-unit-*' | wc -l)
  echo "$name executions=${execs:-?} cov=${cov:-?} ft=${ft:-?} findings=$findings slow_units=$slow exit=$status" \
    | tee -a "$out/summary"
done
