#!/bin/sh
# Opens the plug-in's printing preferences under Wine and writes a screenshot.
# With a DISPLAY the window stays until it is closed; without one a virtual X
# server is used and the demo closes by itself once the screenshot is written.
set -eu
build=$(cd "${1:-build}" && pwd)
shot="$build/demo.png"
winshot="Z:$(echo "$shot" | sed 's|/|\\|g')"
rm -f "$shot"

export build winshot
session='
    "$build/wine-session" boot
    status=0
    "$build/wine-run" "$build/bin/bq_demo.exe" --screenshot "$winshot" "$close" </dev/null >"$build/demo.log" 2>&1 || status=$?
    "$build/wine-session" shutdown
    exit $status'
if [ -n "${DISPLAY:-}" ]; then
    close="" sh -c "$session"
else
    close="--close" xvfb-run -a -s "-screen 0 1024x768x24" sh -c "$session"
fi
if [ -f "$shot" ]; then
    echo "demo: screenshot written to $shot"
else
    echo "demo: no screenshot was written (see $build/demo.log)" >&2
    exit 1
fi
