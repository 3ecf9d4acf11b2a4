#!/usr/bin/env bash
# The ABI record in abi/: what each artifact exports and how the public
# records are laid out, on x86_64 and on i386.
#   scripts/abi-baseline.sh            compare both builds with the record
#   scripts/abi-baseline.sh --update   rewrite abi/x86_64.txt and abi/i386.txt
# Uses (and makes, if needed) the build trees of scripts/test.sh: build/native
# and build/m32. Commit the rewritten record with the change that caused it.
set -euo pipefail

top=$(cd "$(dirname "$0")/.." && pwd)
jobs=${JOBS:-2}
update=0
case ${1:-} in
  --update) update=1 ;;
  "") ;;
  *) echo "usage: scripts/abi-baseline.sh [--update]" >&2; exit 2 ;;
esac

configure() {
  local name=$1; shift
  cmake -S "$top" -B "$top/build/$name" -DCMAKE_BUILD_TYPE=Debug "$@" >/dev/null
}

configure native
# The same i386 build as scripts/test.sh m32.
configure m32 -DCMAKE_TOOLCHAIN_FILE="$top/cmake/cross-linux-gnu.cmake" \
  -DCROSS_TRIPLE=i686-linux-gnu -DCROSS_PROCESSOR=i686 -DCROSS_QEMU=qemu-i386

status=0
for name in native m32; do
  dir="$top/build/$name"
  if [ $update -eq 1 ]; then
    cmake --build "$dir" -j "$jobs" --target abi_update
    cmake "$dir" >/dev/null  # the check appears once its record exists
  else
    cmake --build "$dir" -j "$jobs" >/dev/null
    ctest --test-dir "$dir" -R '^abi\.baseline$' --output-on-failure || status=1
  fi
done
[ $update -eq 1 ] && git -C "$top" status --short abi/
exit $status
