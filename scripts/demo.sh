#!/bin/sh
# Opens the plug-in's windows under Wine as the driver does.
# With a DISPLAY the printing preferences stay until they are closed. Without
# one (or with DEMO_HEADLESS=1) a virtual X server is used: the Basic page, the
# custom-paper dialog, the Advanced page and the printer sheet's device page
# are shown in turn, pictured into the build folder (demo-*.png), and the demo
# ends by itself.
set -eu
build=$(cd "${1:-build}" && pwd)
pictures="demo-basic.png demo-advanced.png demo-device.png demo-custom-paper.png"
winpath="Z:$(echo "$build" | sed 's|/|\\|g')"
for p in $pictures; do rm -f "$build/$p"; done

export build winpath
session='
    "$build/wine-session" boot
    status=0
    "$build/wine-run" "$build/bin/bq_demo.exe" --pictures "$winpath" $close </dev/null >"$build/demo.log" 2>&1 || status=$?
    "$build/wine-session" shutdown
    exit $status'
status=0
if [ -n "${DISPLAY:-}" ] && [ "${DEMO_HEADLESS:-0}" != 1 ]; then
    close="" sh -c "$session" || status=$?
    expected="demo-basic.png"
else
    close="--close" xvfb-run -a -s "-screen 0 1024x768x24" sh -c "$session" || status=$?
    expected=$pictures
fi
tr -d '\r' <"$build/demo.log" | sed 's/^/demo: /'
# A window that is not built yet is named in the log but fails nothing; a
# window that did not open or paint makes the demo's status non-zero.
if [ $status != 0 ] || [ ! -f "$build/demo-basic.png" ]; then
    echo "demo: a window did not open or paint (see $build/demo.log)" >&2
    exit 1
fi
written=""
for p in $expected; do
    [ -f "$build/$p" ] && written="$written $p"
done
echo "demo: pictures in $build:$written"
