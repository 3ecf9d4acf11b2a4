#!/usr/bin/env bash
# Checks the section-3 manual pages built from the reference: every entry
# point has a page (the archives' names and functions.so's export from the
# ABI record, and the static inline helpers of dbutil.h), a shared page's
# links lead to it, and each page has the sections a reader looks for and
# passes mandoc -Tlint without a word.
#   check_pages.sh PAGES-DIR ABI-RECORD DBUTIL-HEADER PANDOC MANDOC
set -uo pipefail
pages=$1/plain record=$2 header=$3 pandoc=$4 mandoc=$5

# The pages exist only when pandoc was found at configure time; mandoc is
# looked for now (add_tool_test). A missing tool skips the test, except in CI.
. "$(dirname "$0")/../../tests/support/require_tool.sh"
[ -n "$pandoc" ] || tool_not_found pandoc
require_tool "$mandoc"

names=$( { awk '/^(archive .*|functions\.so: .*)$/ {take = 1; next} /^[^ ]/ {take = 0}
                take && $1 ~ /^[TDBR]$/ {print $2}' "$record"
           sed -nE 's/^static inline [^(]*[ *]([A-Za-z_][A-Za-z0-9_]*)\(.*/\1/p' "$header"; } | sort -u)
[ -n "$names" ] || { echo "no entry points found in $record"; exit 1; }

status=0
fail() { echo "$*"; status=1; }
for name in $names; do
  page=$pages/$name.3
  [ -f "$page" ] || { fail "$name: no manual page"; continue; }
  if link=$(sed -nE '1s/^\.so (man3\/.*)$/\1/p' "$page") && [ -n "$link" ]; then
    [ -f "$pages/${link#man3/}" ] || fail "$name: links to $link, which is missing"
    continue
  fi
  for section in NAME SYNOPSIS DESCRIPTION "RETURN VALUE" ERRORS; do
    grep -q "^\.SH $section\$" "$page" || fail "$name: no $section section"
  done
  grep -qE '^[A-Za-z_0-9, ]*\\- [^ ]' "$page" || fail "$name: no summary in NAME"
  grep -q "^\.B #include <morvanta/[a-z]*\.h>\$" "$page" || fail "$name: no #include <morvanta/...> in SYNOPSIS"
  grep -qE "[ *]$name\(.*\);\$" "$page" || fail "$name: no prototype in SYNOPSIS"
done
for page in "$pages"/*.3; do
  grep -q '^\.so ' "$page" && continue
  out=$("$mandoc" -Tlint -Wall "$page" 2>&1) || true
  [ -z "$out" ] || fail "$out"
done
[ $status -eq 0 ] && echo "$(wc -w <<<"$names") entry points, each with a manual page that lints clean"
exit $status
