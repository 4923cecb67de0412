#!/bin/sh
# Runs the seeded mutation test in the build's Wine session under Wine's heap
# checking, longer than CI does: scripts/fuzz.sh BUILD [bq_fuzz options].
set -eu
build=$(cd "${1:-build}" && pwd)
shift
log="$build/fuzz.log"
export build log
args="$*"
xvfb-run -a -s "-screen 0 1024x768x24" sh -c '
    "$build/wine-session" boot
    WINEDEBUG=warn+heap "$build/wine-run" "$build/bin/bq_fuzz.exe" '"$args"' </dev/null >"$log" 2>&1 || true
    "$build/wine-session" shutdown'
tr -d "\r" <"$log" | grep -v "^[0-9a-f]*:fixme:" || true
grep -q "fuzz: passed" "$log" && ! grep -q "err:heap" "$log"
