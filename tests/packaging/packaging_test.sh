#!/usr/bin/env bash
# The release build as a distribution checks it, run by CTest in the native
# build. Each build sees the source through a link of its own, so that the
# two builds differ in source and build directory, time, umask and time zone.
#   packaging_test.sh STEP SOURCE-DIR WORK-DIR
# STEP:
#   build        configures the release build with defaults in WORK/a, builds
#                the deliverables and what packaging needs, installs it into
#                WORK/a/prefix and makes the Debian packages (WORK/a/deb)
#   lintian      lintian finds nothing to say about any package
#   unit         the unit in the unpacked packages starts a program they hold
#   hardening    hardening-check passes the packaged cache and functions.so
#   reproducible a second build (WORK/b) gives the same bytes
#   manual       man finds the section-3 pages under the installed prefix
# A tool that is missing skips its step (exit 77), except in CI.
set -uo pipefail
step=$1 source=$2 work=$(realpath -m "$3")

# shellcheck source=../support/require_tool.sh
. "$(dirname "$0")/../support/require_tool.sh"

fail() { echo "FAILED: $*"; exit 1; }

# release_build NAME UMASK TZ: the whole release road in WORK/NAME.
release_build() {
  local dir=$work/$1
  rm -rf "$dir" && mkdir -p "$dir" || fail "cannot make $dir"
  ln -s "$source" "$dir/source-$1"
  (
    umask "$2"
    export TZ=$3
    unset SOURCE_DATE_EPOCH
    cd "$dir" || exit 1
    # Without tests and benchmarks: neither is installed or packaged.
    cmake -S "source-$1" -B build -DMORVANTA_TESTS=OFF -DCMAKE_DISABLE_FIND_PACKAGE_benchmark=ON &&
      cmake --build build -j 2 &&
      cmake --install build --prefix "$dir/prefix" &&
      (cd build && cpack -G DEB -B "$dir/deb")
  ) >"$dir.log" 2>&1 || { tail -n 40 "$dir.log"; fail "release build in $dir"; }
}

debs() { ls "$work/a/deb"/*.deb; }

# unpack ROOT: every package of build a unpacked into ROOT.
unpack() {
  rm -rf "$1" && mkdir -p "$1"
  for deb in $(debs); do dpkg-deb -x "$deb" "$1" || fail "dpkg-deb -x $deb"; done
}

case $step in
  build)
    release_build a 0022 UTC0
    ls "$work/a/deb" ;;

  lintian)
    require_tool lintian
    # Overrides shipped with the packages are honoured; any tag left fails.
    out=$(lintian --fail-on error,warning --info --display-info --pedantic $(debs) 2>&1)
    status=$?
    tags=$(grep -E '^[EWIPXO]: ' <<<"$out")
    [ $status -eq 0 ] && [ -z "$tags" ] || { echo "$out"; fail "lintian"; }
    echo "lintian: no tag on $(debs | wc -l) packages" ;;

  unit)
    root=$work/unit-root
    unpack "$root"
    units=$(cd "$root" && find . -name '*.service' | sed 's|^\./|/|')
    [ -n "$units" ] || fail "no service unit in the packages"
    for unit in $units; do
      program=$(sed -nE 's/^ExecStart=[-@:+!]*([^ ]+).*/\1/p' "$root$unit")
      [ -n "$program" ] || fail "$unit has no ExecStart"
      [ -f "$root$program" ] && [ -x "$root$program" ] ||
        fail "$unit runs $program, which the packages do not hold as an executable"
      echo "$unit runs $program"
    done
    require_tool systemd-analyze
    # The units the service manager brings (targets the unit is ordered
    # after) beside the packages' own, as on a system that installs them.
    for dir in /usr/lib/systemd/system /lib/systemd/system; do
      [ -d "$dir" ] && mkdir -p "$root$dir" && cp -rn "$dir/." "$root$dir/"
    done
    for unit in $units; do
      # The template and one instance of it, checked against the unpacked tree.
      instance=${unit/@.service/@demo.tdb.service}
      cp "$root$unit" "$root$instance"
      out=$(systemd-analyze verify --man=no --root="$root" "$root$unit" "$root$instance" 2>&1) ||
        { echo "$out"; fail "systemd-analyze verify $unit"; }
      [ -z "$out" ] || { echo "$out"; fail "systemd-analyze verify $unit says something"; }
    done
    echo "units verified" ;;

  hardening)
    require_tool hardening-check
    root=$work/hardening-root
    unpack "$root"
    cache=$(find "$root" -path '*/sbin/cache') functions=$(find "$root" -name functions.so)
    [ -n "$cache" ] && [ -n "$functions" ] || fail "cache or functions.so not packaged"
    # Control flow integrity needs the C library's start files built for it,
    # which Debian 12's are not: no program of the distribution has it.
    out=$(hardening-check --nocfprotection "$cache" "$functions") || { echo "$out"; fail "hardening-check"; }
    echo "$out"
    for line in "Stack protected" "Fortify Source functions" "Read-only relocations" "Immediate binding"; do
      [ "$(grep -c "^ $line: yes" <<<"$out")" -eq 2 ] || fail "$line is not yes for both"
    done
    grep -q "^ Position Independent Executable: yes" <<<"$out" || fail "cache is no PIE" ;;

  reproducible)
    # Build a is at least the time of one build older; b differs in everything
    # but the commit.
    release_build b 0077 NZST-12
    status=0
    compare() {
      if ! cmp -s "$1" "$2"; then
        echo "differs: ${1#$work/a/}"
        command -v diffoscope >/dev/null && diffoscope "$1" "$2" 2>&1 | head -n 60
        status=1
      fi
    }
    checked=0
    for f in $(cd "$work/a" && { find prefix -type f \( -name '*.a' -o -name functions.so -o -path '*/sbin/cache' \)
                                 ls deb/*.deb; }); do
      [ -e "$work/b/$f" ] || { echo "missing in the second build: $f"; status=1; continue; }
      compare "$work/a/$f" "$work/b/$f"
      checked=$((checked + 1))
    done
    # cpack writes its own staging path into the -dbgsym packages' md5sums;
    # the debug information they hold is compared instead.
    for f in $(cd "$work/a" && ls deb/*.ddeb); do
      for build in a b; do
        rm -rf "$work/$build/dbgsym" && dpkg-deb -x "$work/$build/$f" "$work/$build/dbgsym" ||
          fail "dpkg-deb -x $build/$f"
      done
      diff -r "$work/a/dbgsym" "$work/b/dbgsym" || { echo "differs: $f"; status=1; }
      checked=$((checked + 1))
    done
    # Four archives, functions.so, cache, three packages, two -dbgsym packages.
    [ $checked -ge 11 ] || fail "only $checked files compared"
    [ $status -eq 0 ] || fail "the two builds differ"
    echo "$checked files the same in both builds" ;;

  manual)
    require_tool man
    [ -d "$work/a/prefix/share/man/man3" ] || require_tool pandoc
    page=$(MANWIDTH=80 man -M "$work/a/prefix/share/man" -P cat BLOB_open 2>&1) || { echo "$page"; fail "man BLOB_open"; }
    grep -q 'BLOB_open(tdx_handle blob_handle' <<<"$page" || { echo "$page"; fail "the page is not BLOB_open's"; }
    page=$(MANWIDTH=80 man -M "$work/a/prefix/share/man" -P cat norix__fetch_ 2>&1) || fail "man norix__fetch_"
    grep -q 'norix__fetch_(void' <<<"$page" || { echo "$page"; fail "norix__fetch_ does not show the shared page"; }
    echo "man finds the installed pages" ;;

  *)
    fail "unknown step $step" ;;
esac
