#!/usr/bin/env bash
# The project's main job, on the embedded stand-ins: the cache manager
# started and stopped, the sample function called through the engine, an
# attach with a parameter block from the environment and the report of the
# layers behind it, and a blob loaded, edited in the user's editor and shown
# again. Each step says what it does and what came out; the run ends with a
# summary of the roads it took.
# On a terminal the edit opens the user's own editor (VISUAL, else EDITOR,
# else vi); otherwise a scripted editor adds one line.
# Arguments: CACHE ENGINE FUNCTIONS_MODULE ATTACH_DEMO BLOB_EDIT_DEMO
set -euo pipefail
cache=$1 engine=$2 module=$3 attach=$4 blob_edit=$5
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
roads=()

step() { printf '\n== %s\n' "$1"; }
say() { printf '   %s\n' "$*"; }

step "1. The cache manager's version"
say "cache -z prints its version and exits at once, before it attaches anything:"
"$cache" -z | sed 's/^/   > /'
roads+=("cache -z: the version message, exit status 0")

step "2. The cache manager serving a database"
say "cache demo.db starts as a server: its own process group, SIGINT and SIGQUIT"
say "ignored, four client core subsystems switched off, then one long attach."
say "It is not superuser here unless the demo runs as root; it says so and goes on."
export TDX_TRACE="$work/trace" TDX_LOG_FILE="$work/log"
"$cache" demo.db > "$work/cache.out" &
pid=$!
for _ in $(seq 200); do grep -q serving "$TDX_TRACE" 2>/dev/null && break; sleep 0.05; done
sed 's/^/   > /' "$work/cache.out"
say "the client core saw:"
sed 's/^/   core: /' "$TDX_TRACE"
say "the cache manager runs as process $pid, leading process group $(ps -o pgid= -p "$pid" | tr -d ' ')"
say "stopping it with SIGTERM (the interrupt key would be ignored)"
kill -TERM "$pid"
status=0; wait "$pid" || status=$?
say "it stopped with exit status $status (0: the attach returned success)"
unset TDX_TRACE TDX_LOG_FILE
roads+=("cache demo.db: served until SIGTERM, exit status $status")

step "3. A user-defined function through the engine"
say "the engine loads functions.so, asks FUNCTIONS_entrypoint for test_function of"
say "test_module and calls it with 42. It writes exactly 20 characters and no"
say "terminator; the engine shows its result area between brackets, # where unwritten:"
"$engine" "$module" test_module test_function 42 | sed 's/^/   > /'
roads+=("functions.so: test_module.test_function looked up and called")

step "4. The attach road"
say "a parameter block from MVT_USER=demo and MVT_PASSWORD=secret, plus the single-user"
say "clump, handed to the attach; then the version report of the attachment:"
MVT_USER=demo MVT_PASSWORD=secret "$attach" demo.db
roads+=("attach: parameter block from the environment, version report, blocks released")

step "5. Editing a blob"
say "sample.txt is loaded into a blob, the blob is edited through a temporary file and"
say "the blob the program then holds is shown."
cp "$here/sample.txt" "$work/sample.txt"
if [ -t 0 ] && [ -t 1 ]; then
  # A person is there: their own editor, from VISUAL or EDITOR (else vi).
  (cd "$work" && "$blob_edit" sample.txt)
  roads+=("blob edit: load, your editor, display")
else
  say "no terminal: a scripted editor stands in for a person and adds one line."
  (cd "$work" && EDITOR="$here/scripted_editor.sh" VISUAL="$here/scripted_editor.sh" "$blob_edit" sample.txt)
  roads+=("blob edit: load, scripted editor, display")
fi

step "Summary"
for road in "${roads[@]}"; do say "- $road"; done
