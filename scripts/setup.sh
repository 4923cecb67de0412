#!/bin/sh
# Installs what the build and the tests need on a Debian 12 machine and fetches
# pugixml's sources (never committed) into .deps/.
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
deps="$top/.deps"

# python3-pil: scripts/make-pictures.py, which a test runs to check the pictures.
# fonts-wine: the dialog font Wine maps "MS Shell Dlg" to, so dialog units give
# the pixel sizes the templates and pictures are made for.
packages="cmake make g++-mingw-w64-x86-64-posix mingw-w64-tools binutils-mingw-w64-x86-64 wine wine64 xvfb xauth googletest python3-pil fonts-wine"
missing=""
for p in $packages; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
if [ -n "$missing" ]; then
    echo "setup: installing$missing"
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends $missing >/dev/null
fi

pugi="$deps/pugixml-1.13"
if [ ! -f "$pugi/src/pugixml.cpp" ]; then
    echo "setup: fetching pugixml sources"
    apt="$deps/apt"
    mkdir -p "$apt/lists/partial" "$apt/cache/archives/partial"
    # A deb-src list with the machine's own mirrors; private state dirs keep the
    # machine's binary package lists untouched.
    awk '
        /^#/ { next }
        /^[[:space:]]*$/ { if (n) print ""; n = 0; next }
        /^Types:/ { print "Types: deb-src"; n = 1; next }
        { print; n = 1 }
    ' /etc/apt/sources.list.d/debian.sources > "$apt/src.sources"
    opts="-o Dir::Etc::SourceList=$apt/src.sources -o Dir::Etc::SourceParts=/dev/null -o Dir::State::Lists=$apt/lists -o Dir::Cache=$apt/cache"
    apt-get $opts update -qq >/dev/null
    (cd "$apt" && apt-get $opts source --download-only pugixml >/dev/null 2>&1)
    tar -xzf "$apt"/pugixml_1.13.orig.tar.gz -C "$deps"
    test -f "$pugi/src/pugixml.cpp"
fi
