#!/usr/bin/env bash
# Builds the project and runs every test, in the three builds that CI checks:
#   native   x86_64, warnings as the project sets them
#   m32      the Intel 386 target (-m32; needs g++-multilib, gfortran-multilib)
#   sanitize AddressSanitizer + UndefinedBehaviorSanitizer, leak detection on
# Usage: scripts/test.sh [native|m32|sanitize ...]   (default: all three)
# Build trees go to build/<name>; set JOBS to change the parallelism (default 2).
set -euo pipefail

top=$(cd "$(dirname "$0")/.." && pwd)
jobs=${JOBS:-2}
builds=("$@")
[ ${#builds[@]} -gt 0 ] || builds=(native m32 sanitize)

run_build() {
  local name=$1; shift
  local dir="$top/build/$name"
  echo "=== $name build ==="
  cmake -S "$top" -B "$dir" -DCMAKE_BUILD_TYPE=Debug "$@" >"$dir.configure.log" 2>&1 ||
    { cat "$dir.configure.log"; return 1; }
  cmake --build "$dir" -j "$jobs"
  ctest --test-dir "$dir" -j "$jobs" --output-on-failure --timeout 120
}

status=0
for build in "${builds[@]}"; do
  mkdir -p "$top/build"
  case $build in
    native)
      run_build native || status=1 ;;
    m32)
      # Kernels without 32-bit support run the i386 programs through qemu-user.
      emulator=()
      probe=$(mktemp -d)
      echo 'int main(void){return 0;}' >"$probe/probe.c"
      if gcc -m32 "$probe/probe.c" -o "$probe/probe" && ! "$probe/probe" 2>/dev/null; then
        command -v qemu-i386 >/dev/null ||
          { echo "i386 programs cannot run here and qemu-i386 is missing (Debian: qemu-user)" >&2; exit 1; }
        emulator=(-DCMAKE_CROSSCOMPILING_EMULATOR="$(command -v qemu-i386)")
        echo "i386 programs run through $(command -v qemu-i386)"
      fi
      rm -rf "$probe"
      run_build m32 "${emulator[@]}" \
        -DCMAKE_C_FLAGS=-m32 -DCMAKE_CXX_FLAGS=-m32 -DCMAKE_Fortran_FLAGS=-m32 \
        -DCMAKE_EXE_LINKER_FLAGS=-m32 -DCMAKE_SHARED_LINKER_FLAGS=-m32 \
        -DCMAKE_MODULE_LINKER_FLAGS=-m32 || status=1 ;;
    sanitize)
      san="-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all"
      ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
      run_build sanitize \
        -DCMAKE_C_FLAGS="$san" -DCMAKE_CXX_FLAGS="$san" -DCMAKE_Fortran_FLAGS="$san" \
        -DCMAKE_EXE_LINKER_FLAGS="$san" -DCMAKE_SHARED_LINKER_FLAGS="$san" \
        -DCMAKE_MODULE_LINKER_FLAGS="$san" || status=1 ;;
    *)
      echo "unknown build: $build (native, m32 or sanitize)" >&2; exit 2 ;;
  esac
done
exit $status
