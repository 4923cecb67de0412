#!/bin/sh
# Runs every test inside one virtual X server (the Wine session is a CTest fixture).
set -eu
build=${1:-build}
exec xvfb-run -a -s "-screen 0 1024x768x24" \
    ctest --test-dir "$build" --output-on-failure -j"$(nproc)" --timeout 300
