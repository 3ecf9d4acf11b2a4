#!/usr/bin/env bash
# The project's main job, on the embedded stand-ins: the cache manager
# started and stopped, the sample function called through the engine, an
# attach with a parameter block from the environment and the report of the
# layers behind it, and a blob loaded, edited in the user's editor and shown
# again.
# Arguments: CACHE ENGINE FUNCTIONS_MODULE ATTACH_DEMO BLOB_EDIT_DEMO
set -euo pipefail
cache=$1 engine=$2 module=$3 attach=$4 blob_edit=$5
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

echo "== cache manager version"
"$cache" -z

echo "== cache manager serving database demo.db on the stand-in client core"
export TDX_TRACE="$work/trace" TDX_LOG_FILE="$work/log"
"$cache" demo.db &
pid=$!
for _ in $(seq 200); do grep -q serving "$TDX_TRACE" 2>/dev/null && break; sleep 0.05; done
sed 's/^/   core: /' "$TDX_TRACE"
echo "   cache manager running as process $pid, process group $(ps -o pgid= -p "$pid" | tr -d ' ')"
kill -TERM "$pid"
status=0; wait "$pid" || status=$?
echo "   stopped with exit status $status"
unset TDX_TRACE TDX_LOG_FILE

echo "== sample function through the engine"
"$engine" "$module" test_module test_function 42

echo "== attaching with a parameter block from the environment"
MVT_USER=demo MVT_PASSWORD=secret "$attach" demo.db

echo "== editing a blob"
cp "$here/sample.txt" "$work/sample.txt"
if [ -t 0 ] && [ -t 1 ]; then
  # A person is there: their own editor, from VISUAL or EDITOR (else vi).
  (cd "$work" && "$blob_edit" sample.txt)
else
  (cd "$work" && EDITOR="$here/scripted_editor.sh" VISUAL="$here/scripted_editor.sh" "$blob_edit" sample.txt)
fi
