#!/usr/bin/env bash
# Static analysis of the deliverables (client/, forms/xcvt/, forms/fbind/,
# forms/objprint/, cache/, udf/), as gates that pass only at zero findings:
#   gcc         g++ with the strict warnings below, as errors, optimised (some
#               warnings, -Wnull-dereference among them, need the optimiser)
#   clang       clang++-14 with the project's own warnings, as errors
#   scan-build  scan-build-14 --status-bugs over the same compiles
#   clang-tidy  clang-tidy-14 with the checks of .clang-tidy, one source file
#               per process (several files in one process report a false
#               va_list fault)
#   cppcheck    cppcheck --enable=warning,performance,portability
# Which files are compiled and how comes from compile_commands.json of a
# configured tree of the project (build/analysis, or ANALYSIS_BUILD), made
# anew at each run, so a source added to or removed from a deliverable needs
# no change here. Nothing is built: each gate compiles or reads the sources.
# Suppressions are written down where they apply: .clang-tidy for its checks,
# "NOLINT" and "cppcheck-suppress" comments with their reasons in the code.
#
# Usage: scripts/analyze.sh [GATE ...]   (default: every gate, in the order above)
# JOBS sets the parallelism (default 2). A gate whose tool is missing prints
# "skipped: <tool> not found" and is passed over, unless CI=true, when it
# fails. Exit status: 0 when every gate run passed, 77 when every gate asked
# for was skipped, else 1.
set -uo pipefail

top=$(cd "$(dirname "$0")/.." && pwd)
jobs=${JOBS:-2}
build=${ANALYSIS_BUILD:-$top/build/analysis}
entries=$build/deliverable_compiles.txt

strict_warnings=(-Wconversion -Wshadow -Wcast-align -Wnull-dereference -Wdouble-promotion
                 -Wformat=2 -Wduplicated-cond -Wlogical-op)
strict_cxx_warnings=(-Wuseless-cast)

# compile_entry KIND N: compiles the Nth deliverable source of $entries (a line
# "directory<TAB>command") as its command says, with the compiler and extra
# flags of KIND, into /dev/null. KIND is gcc, clang, or env (the compiler
# named by CC or CXX, as scan-build sets them).
compile_entry() {
  local kind=$1 line directory command
  line=$(sed -n "$2p" "$entries")
  directory=${line%%$'\t'*}
  command=${line#*$'\t'}
  eval "set -- $command"
  local compiler=$1; shift
  local source=${*: -1}
  local cxx=1
  case $source in *.c) cxx=0 ;; esac
  local args=() skip=0 arg
  for arg in "$@"; do
    if [ "$skip" -eq 1 ]; then args+=(/dev/null); skip=0; continue; fi
    [ "$arg" = "-o" ] && skip=1
    args+=("$arg")
  done
  local extra=()
  case $kind in
    gcc)
      if [ "$cxx" -eq 1 ]; then compiler=g++; extra=("${strict_warnings[@]}" "${strict_cxx_warnings[@]}")
      else compiler=gcc; extra=("${strict_warnings[@]}"); fi
      extra+=(-Werror) ;;
    clang)
      if [ "$cxx" -eq 1 ]; then compiler=clang++-14; else compiler=clang-14; fi
      extra=(-Werror) ;;
    env)
      if [ "$cxx" -eq 1 ]; then compiler=${CXX:-c++}; else compiler=${CC:-cc}; fi ;;
  esac
  cd "$directory" && "$compiler" "${args[@]}" "${extra[@]}"
}

# tidy_file SOURCE: clang-tidy on one source, without clang's count of the
# warnings it did not show.
tidy_file() {
  clang-tidy-14 -p "$build" --quiet "$1" 2>&1 | grep -Ev '^[0-9]+ warnings? generated\.$'
  return "${PIPESTATUS[0]}"
}

case ${1:-} in
  --compile-entry) compile_entry "$2" "$3"; exit ;;
  --tidy-file) tidy_file "$2"; exit ;;
esac

# configure: the tree whose compile_commands.json names the sources, with gcc
# and an optimised build type; then the deliverables' lines into $entries.
configure() {
  mkdir -p "$build"
  if ! CC=gcc CXX=g++ cmake -S "$top" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DMORVANTA_TESTS=OFF -DCMAKE_EXPORT_COMPILE_COMMANDS=ON >"$build.configure.log" 2>&1; then
    cat "$build.configure.log"
    return 1
  fi
  cmake -DCOMMANDS="$build/compile_commands.json" -DTOP="$top" -DOUT="$entries" \
    -P "$top/scripts/deliverable_compiles.cmake"
}

# each_entry KIND: compile_entry KIND for every deliverable source, $jobs at a time.
each_entry() {
  seq "$(wc -l <"$entries")" | xargs -P "$jobs" -n 1 "$0" --compile-entry "$1"
}

deliverable_sources() {
  cut -f2 "$entries" | while read -r command; do eval "set -- $command"; echo "${*: -1}"; done
}

gate_gcc() { each_entry gcc; }
gate_clang() { each_entry clang; }

gate_scan_build() {
  local report=$build/scan-build
  rm -rf "$report"
  scan-build-14 --status-bugs -o "$report" --use-cc=gcc --use-c++=g++ \
    bash -c "seq \$(wc -l <'$entries') | xargs -P $jobs -n 1 '$0' --compile-entry env"
}

gate_clang_tidy() {
  deliverable_sources | xargs -P "$jobs" -n 1 "$0" --tidy-file
}

gate_cppcheck() {
  local filters=() source
  while read -r source; do
    filters+=("--file-filter=$source")
  done < <(deliverable_sources)
  cppcheck --project="$build/compile_commands.json" "${filters[@]}" \
    --enable=warning,performance,portability --inline-suppr --error-exitcode=1 -j "$jobs" --quiet
}

tool_of() {
  case $1 in
    gcc) echo g++ ;; clang) echo clang++-14 ;; scan-build) echo scan-build-14 ;;
    clang-tidy) echo clang-tidy-14 ;; cppcheck) echo cppcheck ;;
  esac
}

gates=("$@")
[ ${#gates[@]} -gt 0 ] || gates=(gcc clang scan-build clang-tidy cppcheck)
for gate in "${gates[@]}"; do
  if [ -z "$(tool_of "$gate")" ]; then
    echo "unknown gate: $gate (gcc, clang, scan-build, clang-tidy or cppcheck)" >&2; exit 2
  fi
done

configure || exit 1
failed=0
ran=0
for gate in "${gates[@]}"; do
  tool=$(tool_of "$gate")
  if ! command -v "$tool" >/dev/null; then
    echo "skipped: $tool not found"
    if [ "${CI:-}" = true ]; then failed=1; fi
    continue
  fi
  ran=1
  start=$SECONDS
  "gate_${gate//-/_}"
  status=$?
  if [ "$status" -eq 0 ]; then
    echo "analysis $gate: passed ($((SECONDS - start)) s)"
  else
    echo "analysis $gate: FAILED ($((SECONDS - start)) s)"
    failed=1
  fi
done
[ "$failed" -eq 0 ] || exit 1
[ "$ran" -eq 1 ] || exit 77
exit 0
