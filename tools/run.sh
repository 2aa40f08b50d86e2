#!/bin/sh
# Installs what is missing, builds everything into build/ and runs Varnelo
# under Wine on the current display (or, without one, on a private Xvfb).
set -u
root=$(CDPATH= cd "$(dirname "$0")/.." && pwd)
sh "$root/tools/setup.sh" || exit 1
. "$root/tools/wine-env.sh"

build="$root/build"
mkdir -p "$build"
cmake -S "$root" -B "$build" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
  -DBUILD_TESTING=ON -DTESSUMI_GTEST_DIR=/usr/src/googletest >"$build.configure.log" 2>&1 \
  || { cat "$build.configure.log"; exit 1; }
cmake --build "$build" --target Varnelo || exit 1

# Windows need a prefix whose desktop was started with a display: the window
# tests' prefix, not the one the console tests use.
export WINEPREFIX="$build/wineprefix-gui"
if [ -z "${DISPLAY:-}" ]; then
  echo "run: DISPLAY is not set; running Varnelo on a private Xvfb, where nothing can be seen." >&2
  exec sh "$root/tests/with-xvfb.sh" wine "$build/bin/Varnelo.exe"
fi
exec wine "$build/bin/Varnelo.exe"
