#!/usr/bin/env bash
# Builds the project and runs every test, in the builds that CI checks:
#   native   x86_64, warnings as the project sets them
#   m32      the Intel 386 target (Debian's i686-linux-gnu cross compilers; its
#            programs run directly where the machine runs i386 programs, else
#            through qemu-i386)
#   sanitize AddressSanitizer + UndefinedBehaviorSanitizer, leak detection on
#   arm64    64-bit little-endian (Debian's aarch64-linux-gnu cross compilers,
#            run through qemu-aarch64)
#   s390x    64-bit big-endian (Debian's s390x-linux-gnu cross compilers, run
#            through qemu-s390x)
#   valgrind the native build's tests again under valgrind memcheck (any
#            memory error or leak fails the test; scripts/valgrind.cmake)
#   fuzz     every fuzz target coverage-guided (clang-14, libFuzzer, ASan +
#            UBSan) for FUZZ_SECONDS each (default 20); each target is one test
#   tsan     the threads test alone under ThreadSanitizer (which does not mix
#            with ASan): any data race it sees fails the test
#   analysis the static-analysis gates on the deliverables (scripts/analyze.sh);
#            each gate is one test
# Usage: scripts/test.sh [native|m32|sanitize|arm64|s390x|valgrind|fuzz|tsan|analysis ...]   (default: all of them)
# Build trees go to build/<name>; set JOBS to change the parallelism (default 2).
# The run ends with one line for all builds, "tests: N passed, M failed,
# K skipped", and exits non-zero when anything failed; a build that does not
# configure or compile counts as one failed test. A test or build whose tool
# is missing is skipped, except under CI=true, where it fails.
set -uo pipefail

top=$(cd "$(dirname "$0")/.." && pwd)
jobs=${JOBS:-2}
builds=("$@")
[ ${#builds[@]} -gt 0 ] || builds=(native m32 sanitize arm64 s390x valgrind fuzz tsan analysis)
# shellcheck source=../tests/support/require_tool.sh
. "$top/tests/support/require_tool.sh"

passed=0
failed=0
skipped=0

# count_ctest LOG: adds the counts of ctest's summary line in LOG, or one
# failure when there is none (the run did not get that far). ctest counts a
# skipped test as passed and lists it as "(Skipped)".
count_ctest() {
  local line
  line=$(grep -E '[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+' "$1" | tail -1)
  if [ -z "$line" ]; then
    failed=$((failed + 1))
    return
  fi
  local bad total skips
  bad=$(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\1/' <<<"$line")
  total=$(sed -E 's/.* failed out of ([0-9]+).*/\1/' <<<"$line")
  skips=$(grep -cE '^[[:space:]]+[0-9]+ - .* \(Skipped\)$' "$1")
  passed=$((passed + total - bad - skips))
  failed=$((failed + bad))
  skipped=$((skipped + skips))
}

# needs BUILD TOOL...: true when every TOOL is on the path; else the build is
# skipped (counted as one skipped test), or fails under CI=true.
needs() {
  local build=$1 tool; shift
  tool=$(missing_tool "$@") || return 0
  echo "=== $build build: skipped: $tool not found ==="
  if [ "${CI:-}" = true ]; then failed=$((failed + 1)); else skipped=$((skipped + 1)); fi
  return 1
}

# count_step STATUS: a step that is not a ctest run counts as one test.
count_step() {
  if [ "$1" -eq 0 ]; then passed=$((passed + 1)); else failed=$((failed + 1)); fi
}

# run_build NAME CMAKE-ARGS...: configure, build and test one build tree;
# with BUILD_TARGET set only that target is built, and with TEST_LABEL set only
# the tests of that label run.
run_build() {
  local name=$1; shift
  local dir="$top/build/$name"
  echo "=== $name build ==="
  if ! cmake -S "$top" -B "$dir" -DCMAKE_BUILD_TYPE=Debug "$@" >"$dir.configure.log" 2>&1; then
    cat "$dir.configure.log"; count_step 1; return
  fi
  if ! cmake --build "$dir" -j "$jobs" ${BUILD_TARGET:+--target "$BUILD_TARGET"} >"$dir.build.log" 2>&1; then
    cat "$dir.build.log"; count_step 1; return
  fi
  ctest --test-dir "$dir" -j "$jobs" ${TEST_LABEL:+-L "$TEST_LABEL"} --output-on-failure --timeout 120 2>&1 |
    tee "$dir.test.log"
  count_ctest "$dir.test.log"
}

# run_fuzz: builds the fuzz targets with libFuzzer in build/fuzz and runs each
# from its seed corpus (into a scratch corpus, so the repository's stays as it
# is) for FUZZ_SECONDS. Any finding fails the target; it is left in
# build/fuzz-findings/.
run_fuzz() {
  local dir="$top/build/fuzz"
  local seconds=${FUZZ_SECONDS:-20}
  local flags="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer -g"
  local link="-fsanitize=address,undefined"
  echo "=== fuzz build ==="
  if ! CC=clang-14 CXX=clang++-14 cmake -S "$top" -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DMORVANTA_LIBFUZZER=ON -DCMAKE_C_FLAGS="$flags" -DCMAKE_CXX_FLAGS="$flags" \
      -DCMAKE_EXE_LINKER_FLAGS="$link" -DCMAKE_SHARED_LINKER_FLAGS="$link" \
      -DCMAKE_MODULE_LINKER_FLAGS="$link" >"$dir.configure.log" 2>&1; then
    cat "$dir.configure.log"; count_step 1; return
  fi
  if ! cmake --build "$dir" -j "$jobs" --target fuzz_targets >"$dir.build.log" 2>&1; then
    cat "$dir.build.log"; count_step 1; return
  fi
  local findings="$top/build/fuzz-findings"
  mkdir -p "$findings"
  # As many targets at a time as there are jobs, each one worker, so that
  # every target still gets its whole FUZZ_SECONDS.
  local target name running=0
  for target in "$dir"/fuzz/fuzz_*; do
    [ -x "$target" ] || continue
    name=${target##*/fuzz_}
    fuzz_one "$target" "$name" "$seconds" "$findings" &
    running=$((running + 1))
    if [ "$running" -ge "$jobs" ]; then wait -n; running=$((running - 1)); fi
  done
  wait
  for target in "$dir"/fuzz/fuzz_*; do
    [ -x "$target" ] || continue
    name=${target##*/fuzz_}
    if [ "$(cat "$findings/$name.status")" -eq 0 ]; then
      echo "fuzz $name: $(grep -E '^#[0-9]+' "$findings/$name.log" | tail -1 | tr -s ' \t' ' ' | cut -d' ' -f1-8)"
      count_step 0
    else
      echo "fuzz $name: FAILED (exit $(cat "$findings/$name.status"))"; tail -n 40 "$findings/$name.log"
      count_step 1
    fi
  done
}

# run_analysis: the static-analysis gates (scripts/analyze.sh), one test each;
# a gate whose tool is missing counts neither way.
run_analysis() {
  local log="$top/build/analysis.test.log" status
  echo "=== analysis (static-analysis gates on the deliverables) ==="
  JOBS=$jobs "$top/scripts/analyze.sh" 2>&1 | tee "$log"
  status=${PIPESTATUS[0]}
  passed=$((passed + $(grep -cE '^analysis [a-z-]+: passed' "$log")))
  failed=$((failed + $(grep -cE '^analysis [a-z-]+: FAILED' "$log")))
  # A tree that did not configure ran no gate.
  if [ "$status" -ne 0 ] && [ "$status" -ne 77 ] && ! grep -qE '^analysis [a-z-]+: ' "$log"; then
    count_step 1
  fi
}

# fuzz_one TARGET NAME SECONDS FINDINGS: one coverage-guided run from the
# target's corpus, into a scratch corpus (the repository's stays as it is);
# its exit status goes to FINDINGS/NAME.status.
fuzz_one() {
  local scratch status
  scratch=$(mktemp -d)
  TDX_LOG_FILE=/dev/null "$1" -max_total_time="$3" -timeout=60 -close_fd_mask=1 \
    -print_final_stats=1 -artifact_prefix="$4/$2-" \
    "$scratch" "$top/fuzz/corpus/$2" >"$4/$2.log" 2>&1
  status=$?
  rm -rf "$scratch"
  echo "$status" >"$4/$2.status"
}

for build in "${builds[@]}"; do
  mkdir -p "$top/build"
  case $build in
    native)
      run_build native ;;
    m32)
      # The Intel 386 target, built with Debian's i686 cross toolchain. Its
      # programs run on the system's 32-bit runtime (libc6-i386,
      # lib32stdc++6, lib32gfortran5): directly where the machine runs i386
      # programs (the toolchain file checks), else through qemu-i386, under
      # which the cross toolchain's own C library hangs in a forked child.
      needs m32 i686-linux-gnu-g++ || continue
      run_build m32 -DCMAKE_TOOLCHAIN_FILE="$top/cmake/cross-linux-gnu.cmake" \
        -DCROSS_TRIPLE=i686-linux-gnu -DCROSS_PROCESSOR=i686 -DCROSS_QEMU=qemu-i386 ;;
    sanitize)
      san="-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all"
      ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
      run_build sanitize \
        -DCMAKE_C_FLAGS="$san" -DCMAKE_CXX_FLAGS="$san" -DCMAKE_Fortran_FLAGS="$san" \
        -DCMAKE_EXE_LINKER_FLAGS="$san" -DCMAKE_SHARED_LINKER_FLAGS="$san" \
        -DCMAKE_MODULE_LINKER_FLAGS="$san" ;;
    arm64|s390x)
      # The 64-bit foreign targets, with the same toolchain file; the emulator
      # is a list, qemu-user and the cross C library's root (-L).
      case $build in
        arm64) triple=aarch64-linux-gnu processor=aarch64 qemu=qemu-aarch64 ;;
        s390x) triple=s390x-linux-gnu processor=s390x qemu=qemu-s390x ;;
      esac
      needs "$build" "$triple-g++" "$qemu" || continue
      run_build "$build" -DCMAKE_TOOLCHAIN_FILE="$top/cmake/cross-linux-gnu.cmake" \
        -DCROSS_TRIPLE=$triple -DCROSS_PROCESSOR=$processor \
        "-DCROSS_QEMU=$qemu;-L;/usr/$triple" ;;
    valgrind)
      # Reuses (or makes) the native build tree and runs its tests under memcheck.
      needs valgrind valgrind || continue
      echo "=== valgrind (native build under memcheck) ==="
      dir="$top/build/native"
      if ! { cmake -S "$top" -B "$dir" -DCMAKE_BUILD_TYPE=Debug >"$dir.configure.log" 2>&1 &&
             cmake --build "$dir" -j "$jobs" >"$dir.build.log" 2>&1; }; then
        cat "$dir.configure.log" "$dir.build.log"; count_step 1
      else
        ctest -V -S "$top/scripts/valgrind.cmake" -DBUILD="$dir" -DJOBS="$jobs" 2>&1 |
          tee "$top/build/valgrind.test.log"
        count_ctest "$top/build/valgrind.test.log"
        # Defects in a test that passes by its output alone fail the run too.
        grep -q '^memcheck defects: 0$' "$top/build/valgrind.test.log"; count_step $?
      fi ;;
    fuzz)
      needs fuzz clang-14 || continue
      run_fuzz ;;
    tsan)
      # Only what the threads test links is built: the deliverables it calls,
      # the stand-ins and GoogleTest. A run in which ThreadSanitizer reported
      # anything exits 66.
      tsan="-fsanitize=thread -fno-omit-frame-pointer"
      BUILD_TARGET=threads_test TEST_LABEL=threads \
      run_build tsan \
        -DCMAKE_C_FLAGS="$tsan" -DCMAKE_CXX_FLAGS="$tsan" \
        -DCMAKE_EXE_LINKER_FLAGS="$tsan" -DCMAKE_SHARED_LINKER_FLAGS="$tsan" \
        -DCMAKE_MODULE_LINKER_FLAGS="$tsan" ;;
    analysis)
      run_analysis ;;
    *)
      echo "unknown build: $build (native, m32, sanitize, arm64, s390x, valgrind, fuzz, tsan or analysis)" >&2; exit 2 ;;
  esac
done

echo "tests: $passed passed, $failed failed, $skipped skipped"
[ "$failed" -eq 0 ]
