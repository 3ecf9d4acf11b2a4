#!/usr/bin/env bash
# Runs the demo without a terminal and checks that every step reports what
# came out, then runs the edit where no file can be created (a working
# directory that was removed) and checks that it says the edit cannot start.
# Arguments: DEMO_DIR CACHE ENGINE FUNCTIONS_MODULE ATTACH_DEMO BLOB_EDIT_DEMO
set -uo pipefail
demo_dir=$1; shift
blob_edit=$5
failures=0
expect() {  # expect TEXT OUTPUT: OUTPUT holds the line TEXT
  if ! grep -qF -- "$1" <<<"$2"; then
    echo "missing: $1"; failures=$((failures + 1))
  fi
}

out=$(bash "$demo_dir/run_demo.sh" "$@" </dev/null 2>&1)
status=$?
echo "$out"
[ "$status" -eq 0 ] || { echo "demo exit status $status"; failures=$((failures + 1)); }
expect "Shared cache manager version LX-V4.0G" "$out"
expect "it stopped with exit status 0" "$out"
expect "result 0 [42 is a number      #" "$out"
expect "mvt_set_single_user added the single-user clump: 23 bytes" "$out"
expect "on disk structure version" "$out"
expect "detached; both parameter block buffers released" "$out"
expect "edit: the blob opens in the editor" "$out"
expect "edit: the text changed; the edited text is stored as a new blob" "$out"
expect "-- line added by the scripted editor --" "$out"
expect "== Summary" "$out"
expect "- blob edit: load, scripted editor, display" "$out"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$demo_dir/sample.txt" "$work/sample.txt"
mkdir "$work/gone"
out=$(cd "$work/gone" && rmdir "$work/gone" && "$blob_edit" "$work/sample.txt" </dev/null 2>&1)
echo "$out"
expect "edit: cannot start: the working directory takes no new file" "$out"
expect "Promised a callback before Friday." "$out"

[ "$failures" -eq 0 ] && echo "demo checks passed"
[ "$failures" -eq 0 ]
