#!/bin/sh
# Runs every test inside one virtual X server (the Wine session is a CTest fixture).
set -eu
build=${1:-build}
# Wine's error messages of every channel stay on (a passing run prints none),
# so a program that ends before its first line of output still says why.
WINEDEBUG=${WINEDEBUG:-fixme-all}
export WINEDEBUG
exec xvfb-run -a -s "-screen 0 1024x768x24" \
    ctest --test-dir "$build" --output-on-failure -j"$(nproc)" --timeout 300
