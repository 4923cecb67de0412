#!/bin/sh
# Runs the benchmark program in the build's Wine session and prints the medians.
set -eu
build=$(cd "${1:-build}" && pwd)
export build
xvfb-run -a -s "-screen 0 1024x768x24" sh -c '
    "$build/wine-session" boot
    status=0
    "$build/wine-run" "$build/bin/bq_bench.exe" </dev/null 2>&1 | tr -d "\r" || status=$?
    "$build/wine-session" shutdown
    exit $status'
