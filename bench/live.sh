#!/bin/sh
# Benchmark of the records shown as they come: bench/live_bench.exe runs one
# search as the window's search command does (the view following the results
# file live) and the same search with no window, in alternating pairs, on a
# private display; it prints each pair and the medians (see live_bench.cpp).
#
# usage: bench/live.sh [BUILD_DIR] [PAIRS]
# The search: every file below /usr/include for "#define" (about 400,000
# records, 124 MB of results: the view takes them all while the run goes on).
#   BUILD_DIR  a Release build holding bin/live_bench.exe (default: build)
#   PAIRS      pairs of runs (default 5)
set -u
root=$(CDPATH= cd "$(dirname "$0")/.." && pwd)
build=$(realpath "${1:-$root/build}")
pairs=${2:-5}
bin=$build/bin
[ -f "$bin/live_bench.exe" ] || { echo "live bench: missing $bin/live_bench.exe (cmake --build $build --target live_bench)" >&2; exit 2; }

# shellcheck source=../tools/wine-env.sh
. "$root/tools/wine-env.sh"
work=/tmp/varnelo-live-bench
mkdir -p "$work"
tree=$(winepath -w /usr/include) || exit 2
results=$(winepath -w "$work/results.txt") || exit 2
# Windows need a prefix whose desktop only programs with a display started:
# the window tests' own (see docs/wine-notes.md).
WINEPREFIX="$build/wineprefix-gui" sh "$root/tests/with-xvfb.sh" \
  wine "$bin/live_bench.exe" "$tree" "$results" "" "#define" "$pairs" 2>&1 | tr -d '\r'
