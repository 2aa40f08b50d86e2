#!/bin/bash
# Threads where one file has millions of hits: a file of 5,000,000 hits
# listed behind a slow file (a 1 GiB log without a hit), searched on 1, 2
# and the default threads by bench/big_file.exe: seconds, peak working set
# and the longest gap between two progress calls, each results file compared
# byte for byte with one thread's. Then the longest gap on a tree of 20,000
# small files (bench/make_small_tree.py) on the same thread counts. Each
# round runs one thread first, then the others in turned order; a row shows
# its median seconds (and their range), the median of its rounds' ratios to
# one thread's seconds, its largest peak and its largest gap.
#
# usage: bench/many_hits.sh [BUILD_DIR] [ROUNDS]
#   BUILD_DIR  a Release build holding bin/big_file.exe and bin/Tessumi.dll
#              (default: build-bench)
#   ROUNDS     default 3
# Targets: the threads' peak within 64 MB of one thread's, their seconds at
# most 1.10 x one thread's, and no gap longer than 200 ms.
set -u
root=$(CDPATH= cd "$(dirname "$0")/.." && pwd)
build=$(realpath "${1:-$root/build-bench}")
rounds=${2:-3}
bin=$build/bin
small=${SMALL_TREE:-/tmp/tessumi-small}
die() { echo "many_hits: $*" >&2; exit 2; }
for f in big_file.exe Tessumi.dll; do [ -f "$bin/$f" ] || die "missing $bin/$f"; done
python3 "$root/bench/make_small_tree.py" "$small" 20000 || die "tree generation failed"

scratch=$(mktemp -d /tmp/tessumi-hits.XXXXXX) || die "no temporary folder"
# shellcheck source=../tools/wine-env.sh
. "$root/tools/wine-env.sh"
export WINEPREFIX="$build/wineprefix"
wine_prepare
trap 'rm -rf "$scratch"; wine_finish' EXIT
mkdir -p "$scratch/tree"

echo "many_hits: writing a 1 GiB log without hits and a file of 5,000,000 hits" >&2
python3 - "$scratch/tree" <<'PY' || die "writing failed"
import os, sys
folder = sys.argv[1]
block = "".join(f"2026-12-09 12:{i // 60 % 60:02d}:{i % 60:02d} INFO request {i * 7919 % 1000003} "
                f"served in {i % 97} ms\n" for i in range(20000)).encode()
with open(os.path.join(folder, "a-slow.log"), "wb") as f:
    for _ in range((1 << 30) // len(block)):
        f.write(block)
with open(os.path.join(folder, "b-hits.log"), "wb") as f:
    for start in range(0, 5000000, 100000):
        f.write("".join(f"NEEDLE {i}\n" for i in range(start, start + 100000)).encode())
PY

w() { winepath -w "$1" 2>/dev/null; }
first=$(wine cmd /c dir /b "$(w "$scratch/tree")" | tr -d '\r' | head -n1)
[ "$first" = a-slow.log ] || die "the slow file is not listed first (first: $first)"
field() { sed -n "s/^$1: //p" <<<"$2"; }

declare -A secs peak gap ratio last
run() {  # name folder pattern threads
  local results="$scratch/$1-$4.txt" out s
  out=$(wine "$bin/big_file.exe" "$(w "$2")" "$(w "$results")" "$3" -1 "$4" | tr -d '\r')
  [ "$(field result "$out")" = 1 ] || die "big_file.exe failed: $out"
  if [ "$4" = 1 ]; then
    mv "$results" "$scratch/$1-reference.txt"
  else
    cmp -s "$results" "$scratch/$1-reference.txt" || die "$1 on $4 threads: other results"
    rm -f "$results"
  fi
  s=$(field seconds "$out")
  secs[$1-$4]+="$s "
  [ "$4" = 1 ] && last[$1]=$s
  ratio[$1-$4]+="$(awk -v a="$s" -v b="${last[$1]}" 'BEGIN { printf "%.3f", a / b }') "
  peak[$1-$4]+="$(field peak_working_set_mb "$out") "
  gap[$1-$4]+="$(field longest_gap_ms "$out") "
}
median() { printf '%s\n' "$@" | sort -g | awk '{ t[NR] = $1 } END { print t[int((NR + 1) / 2)] }'; }
largest() { printf '%s\n' "$@" | sort -g | tail -n1; }
range() { printf '%s\n' "$@" | sort -g | awk 'NR == 1 { a = $1 } { b = $1 } END { print a "–" b }'; }

counts=(1 2 0)
for ((round = 1; round <= rounds; round++)); do
  echo "many_hits: round $round of $rounds" >&2
  order=("${counts[@]}")
  ((round % 2 == 0)) && order=(0 2 1)
  # One thread first in every round: the others compare with its results.
  run hits "$scratch/tree" NEEDLE 1
  run small "$small" "needle|図書館" 1
  for t in "${order[@]}"; do
    [ "$t" = 1 ] && continue
    run hits "$scratch/tree" NEEDLE "$t"
    run small "$small" "needle|図書館" "$t"
  done
done

echo "| case | threads | seconds (median, range) | × one thread (median of rounds) | peak working set MB | largest progress gap ms |"
echo "|---|---|---|---|---|---|"
for name in hits small; do
  for t in "${counts[@]}"; do
    # shellcheck disable=SC2086
    s=$(median ${secs[$name-$t]}) p=$(largest ${peak[$name-$t]}) g=$(largest ${gap[$name-$t]})
    label=$t; [ "$t" = 0 ] && label="default"
    # shellcheck disable=SC2086
    echo "| $name | $label | $s ($(range ${secs[$name-$t]})) | $(median ${ratio[$name-$t]}) | $p | $g |"
  done
done
# shellcheck disable=SC2086
p1=$(largest ${peak[hits-1]})
for t in 2 0; do
  # shellcheck disable=SC2086
  awk -v p="$(largest ${peak[hits-$t]})" -v o="$p1" -v r="$(median ${ratio[hits-$t]})" -v t="$t" \
    'BEGIN { d = p - o
             printf "hits, %s threads: peak %+.1f MB against one thread (target: at most 64) %s; %.2f x its seconds (target: at most 1.10) %s\n",
                    t == 0 ? "default" : t, d, d <= 64 ? "ok" : "MISSED", r, r <= 1.10 ? "ok" : "MISSED" }'
done
all_gaps=$(printf '%s ' "${gap[@]}")
# shellcheck disable=SC2086
g=$(largest $all_gaps)
awk -v g="$g" 'BEGIN { printf "largest progress gap of all runs: %.1f ms (target: at most 200) %s\n", g, g <= 200 ? "ok" : "MISSED" }'
