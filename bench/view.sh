#!/bin/sh
# Benchmark of the results view on a big results file: the first screen
# after a run and 100 scroll steps of each kind, timed by bench/view_bench.exe
# (the main window's code linked into it) on a private display.
#
# usage: bench/view.sh [BUILD_DIR] [RESULTS_FILE] [--whole]
# The view marks the match of "#define" (MARK in the environment: another
# pattern) in the lines it draws, as after the search that made the file.
#   BUILD_DIR     a Release build holding bin/view_bench.exe and bin/lookfor.exe
#                 (default: build)
#   RESULTS_FILE  a results file to show; by default one is made once in
#                 /tmp/varnelo-view-bench by searching /usr/include for
#                 "#define" (about 400,000 records, 124 MB), or, where
#                 /usr/include is smaller, from a generated header tree.
#   --whole       also time one measuring of the whole text by DrawTextW, the
#                 cost of each draw when the whole text was drawn
set -u
root=$(CDPATH= cd "$(dirname "$0")/.." && pwd)
build=$(realpath "${1:-$root/build}")
bin=$build/bin
die() { echo "view bench: $*" >&2; exit 2; }
for f in view_bench.exe lookfor.exe Tessumi.dll; do
  [ -f "$bin/$f" ] || die "missing $bin/$f (cmake --build $build --target view_bench lookfor)"
done

# shellcheck source=../tools/wine-env.sh
. "$root/tools/wine-env.sh"

results=${2:-}
whole=${3:-}
if [ -z "$results" ]; then
  work=/tmp/varnelo-view-bench
  results=$work/results.txt
  mkdir -p "$work"
  if [ ! -s "$results" ]; then
    tree=/usr/include
    if [ "$(grep -rs '#define' /usr/include | wc -l)" -lt 390000 ]; then
      # Headers enough for about 400,000 "#define" lines.
      tree=$work/include
      python3 - "$tree" <<'PY'
import os, sys
root = sys.argv[1]
for d in range(100):
    os.makedirs(f"{root}/lib{d}/detail", exist_ok=True)
    for f in range(40):
        with open(f"{root}/lib{d}/detail/header_{f}.h", "w") as h:
            for n in range(100):
                h.write(f"#define LIB{d}_HEADER{f}_CONSTANT_{n}\t(0x{n * 7919:08x} + LIB{d}_BASE) /* value {n} */\n")
PY
    fi
    wine "$bin/lookfor.exe" "$(winepath -w "$tree")" "$(winepath -w "$results")" "" "#define" \
      >/dev/null 2>&1 || die "lookfor failed"
  fi
fi
[ -s "$results" ] || die "no results file $results"

echo "results file: $results ($(stat -c %s "$results") bytes)"
win_results=$(winepath -w "$results") || die "winepath failed"
# Through a file, so that the program's own exit code is seen.
out=$(mktemp /tmp/varnelo-view-bench.XXXXXX) || die "no scratch file"
trap 'rm -f "$out" "$out.err"' EXIT
# Windows need a prefix whose desktop only programs with a display started:
# the window tests' own (see docs/wine-notes.md).
WINEPREFIX="$build/wineprefix-gui" sh "$root/tests/with-xvfb.sh" wine "$bin/view_bench.exe" "$win_results" $whole "--mark=${MARK:-#define}" \
  >"$out" 2>"$out.err" || { rc=$?; cat "$out.err" >&2; die "view_bench failed (exit $rc)"; }
tr -d '\r' <"$out"
