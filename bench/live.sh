#!/bin/sh
# Benchmark of the records shown as they come: bench/live_bench.exe runs one
# search as the window's search command does (the view following the results
# file live), the same search with no view, and lookfor.exe, in rounds, on a
# private display; it prints each round and the medians (see live_bench.cpp).
#
# usage: bench/live.sh [BUILD_DIR] [ROUNDS]
# The search: every file below /usr/include for "#define" (about 400,000
# records, 124 MB of results: the view takes them all while the run goes on).
#   BUILD_DIR  a Release build holding bin/live_bench.exe (default: build)
#   ROUNDS     rounds of the three runs (default 6)
set -u
root=$(CDPATH= cd "$(dirname "$0")/.." && pwd)
build=$(realpath "${1:-$root/build}")
rounds=${2:-6}
bin=$build/bin
for f in live_bench.exe lookfor.exe; do
  [ -f "$bin/$f" ] || { echo "live bench: missing $bin/$f (cmake --build $build --target live_bench lookfor)" >&2; exit 2; }
done

# shellcheck source=../tools/wine-env.sh
. "$root/tools/wine-env.sh"
work=/tmp/varnelo-live-bench
mkdir -p "$work"
tree=$(winepath -w /usr/include) || exit 2
results=$(winepath -w "$work/results.txt") || exit 2
# Windows need a prefix whose desktop only programs with a display started:
# the window tests' own (see docs/wine-notes.md).
WINEPREFIX="$build/wineprefix-gui" sh "$root/tests/with-xvfb.sh" \
  wine "$bin/live_bench.exe" "$tree" "$results" "" "#define" "$(winepath -w "$bin/lookfor.exe")" "$rounds" 2>&1 |
  tr -d '\r'
