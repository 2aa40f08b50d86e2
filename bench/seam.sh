#!/bin/bash
# lookfor's threads where opens are slow: whole runs on one thread and on
# several, under the open-delay seam (searchlib/read/open_delay.h) of a
# build made with -DTESSUMI_OPEN_DELAY_SEAM=ON, on a tree of 20,000 small
# files (bench/make_small_tree.py). Every results file is compared byte for
# byte with the one thread's.
#
# usage: bench/seam.sh [SEAM_BUILD_DIR] [TREE_DIR]
#   SEAM_BUILD_DIR  a Release build with the seam (default: build-seam)
#   TREE_DIR        where the tree is made (default: /tmp/tessumi-small)
# TESSUMI_OPEN_DELAY_US sets the wait (default 30 µs); BENCH_RUNS the rounds
# (default 5); SEAM_THREADS the thread counts (default "1 0 4 8"; 0 is
# lookfor's default, the machine's logical processors).
set -u
root=$(CDPATH= cd "$(dirname "$0")/.." && pwd)
build=$(realpath "${1:-$root/build-seam}")
tree=${2:-/tmp/tessumi-small}
runs=${BENCH_RUNS:-5}
counts=${SEAM_THREADS:-"1 0 4 8"}
export TESSUMI_OPEN_DELAY_US=${TESSUMI_OPEN_DELAY_US:-30}
die() { echo "seam: $*" >&2; exit 2; }

[ -f "$build/bin/lookfor.exe" ] || die "missing $build/bin/lookfor.exe"
python3 "$root/bench/make_small_tree.py" "$tree" || die "tree generation failed"
prefix=${WINEPREFIX:-}
# shellcheck source=../tools/wine-env.sh
. "$root/tools/wine-env.sh"
[ -n "$prefix" ] && export WINEPREFIX=$prefix  # a prefix of the caller's
scratch=$(mktemp -d /tmp/tessumi-seam.XXXXXX) || die "no scratch folder"
trap 'rm -rf "$scratch"' EXIT
win_tree=$(winepath -w "$tree" 2>/dev/null) || die "winepath failed"

run() {  # threads: sets "sec"
  local out results
  results=$(winepath -w "$scratch/j$1.txt" 2>/dev/null)
  local threads=(-j "$1")
  [ "$1" = 0 ] && threads=()
  out=$(wine "$build/bin/lookfor.exe" --time "${threads[@]}" "$win_tree" "$results" "" "needle|図書館" |
        iconv -f CP932 -t UTF-8 | tr -d '\r')
  [ "$(head -n1 <<<"$out")" = "正常です" ] || die "lookfor -j $1 failed: $out"
  sec=$(sed -n 's/^seconds: //p' <<<"$out")
  cmp -s "$scratch/j1.txt" "$scratch/j$1.txt" || die "-j $1 wrote other results than -j 1"
}

median() { printf '%s\n' "$@" | sort -g | awk '{ t[NR] = $1 } END { print t[int((NR + 1) / 2)] }'; }

declare -A times
run 1  # warms the tree and makes the reference results
for ((round = 1; round <= runs; round++)); do
  echo "seam: round $round of $runs" >&2
  for j in $counts; do run "$j"; times[$j]+="$sec "; done
done

files=$(find "$tree" -type f -name '*.txt' | wc -l)
# shellcheck disable=SC2086  # the times are one word each
one=$(median ${times[1]})
printf '\nlookfor under a %s µs wait before each open, %s files, %s logical processors; median of %d runs, timed inside lookfor.\n\n' \
  "$TESSUMI_OPEN_DELAY_US" "$files" "$(nproc)" "$runs"
printf '| %-22s | %8s | %10s |\n' "threads" "seconds" "÷ -j 1"
printf '|%s|%s:|%s:|\n' "------------------------" "---------" "-----------"
ok=1
for j in $counts; do
  # shellcheck disable=SC2086
  m=$(median ${times[$j]})
  x=$(awk -v a="$one" -v b="$m" 'BEGIN { printf "%.2f", a / b }')
  printf '| %-22s | %8s | %9s× |\n' "$([ "$j" = 0 ] && echo "default ($(nproc))" || echo "-j $j")" "$m" "$x"
  [ "$j" = 0 ] && awk -v x="$x" 'BEGIN { exit !(x < 1.8) }' && ok=0
done
printf '\nTarget: default threads >= 1.8 × as fast as -j 1: %s; every results file the same as -j 1'"'"'s: hold\n' \
  "$([ $ok = 1 ] && echo hold || echo MISSED)"
