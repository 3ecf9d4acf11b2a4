#!/usr/bin/env bash
# What a test does when a tool it needs is missing: it prints
# "skipped: TOOL not found" and exits 77, CTest's skip (the test carries
# SKIP_RETURN_CODE 77), except under CI=true, where every tool must be there
# and the same message fails the test.
#
#   bash require_tool.sh TOOL... -- COMMAND ARG...
#       runs COMMAND when every TOOL is on the path (add_tool_test)
#   bash require_tool.sh --missing WHAT
#       the build was configured without WHAT (add_skipped_test)
#   . require_tool.sh; require_tool TOOL...
#       the same check inside a test script
#   . require_tool.sh; missing_tool TOOL...
#       prints the first TOOL not on the path and succeeds, or fails when
#       all are there; for a caller that decides itself (scripts/test.sh)

missing_tool() {
  local tool
  for tool in "$@"; do
    if ! command -v "$tool" >/dev/null 2>&1; then
      echo "$tool"
      return 0
    fi
  done
  return 1
}

# tool_not_found WHAT: ends the test as skipped, or failed under CI.
tool_not_found() {
  echo "skipped: $1 not found"
  if [ "${CI:-}" = true ]; then exit 1; fi
  exit 77
}

require_tool() {
  local tool
  if tool=$(missing_tool "$@"); then tool_not_found "$tool"; fi
}

if [ "${BASH_SOURCE[0]}" = "$0" ]; then
  if [ "${1:-}" = --missing ]; then tool_not_found "$2"; fi
  tools=()
  while [ $# -gt 0 ] && [ "$1" != -- ]; do tools+=("$1"); shift; done
  shift
  require_tool "${tools[@]}"
  exec "$@"
fi
