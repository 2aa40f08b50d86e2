#!/bin/sh
# Builds everything for Windows x64 and runs every test under Wine.
# Ends with "N passed, N failed"; exits non-zero on any failure.
set -u
root=$(CDPATH= cd "$(dirname "$0")/.." && pwd)
sh "$root/tools/setup.sh" || exit 1
. "$root/tools/wine-env.sh"

build="$root/build"
cmake -S "$root" -B "$build" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
  -DBUILD_TESTING=ON -DTESSUMI_GTEST_DIR=/usr/src/googletest >"$build.configure.log" 2>&1 \
  || { cat "$build.configure.log"; echo "0 passed, 1 failed"; exit 1; }
cmake --build "$build" || { echo "0 passed, 1 failed"; exit 1; }

wine_prepare
# The window tests share a prefix of their own; make it before they start,
# so that no test spends its patience on the prefix's first start.
( WINEPREFIX="$build/wineprefix-gui"; export WINEPREFIX
  [ -f "$WINEPREFIX/system.reg" ] || { wineboot -i >/dev/null 2>&1; wineserver -w; } )
log="$build/ctest.log"
( cd "$build" && ctest --output-on-failure -j2 --timeout 600 ) 2>&1 | tee "$log"
wine_finish

total=$(sed -n 's/.*tests passed, \([0-9]*\) tests failed out of \([0-9]*\).*/\2/p' "$log" | tail -1)
failed=$(sed -n 's/.*tests passed, \([0-9]*\) tests failed out of \([0-9]*\).*/\1/p' "$log" | tail -1)
if [ -z "$total" ]; then echo "0 passed, 1 failed"; exit 1; fi
passed=$((total - failed))
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ] && [ "$total" -gt 0 ]
