#!/bin/bash
# Benchmark of the search options: the same rows without options on a
# build from before them (BASE) and on this one (NEW), and the folded
# literal searches of NEW against its own unfolded search of the same
# literal; interleaved rounds, median of BENCH_RUNS (default 5) each.
#
# usage: bench/options.sh BASE_BUILD NEW_BUILD [CORPUS_DIR]
#   *_BUILD    Release builds holding bin/lookfor.exe (and Tessumi.dll)
#   CORPUS_DIR where bench/make_corpus.py makes the corpus (default
#              /tmp/tessumi-corpus)
# Targets: each unfolded row of NEW within 1.05 x BASE; each folded row
# within 1.5 x NEW's unfolded search of the same literal.
set -u
root=$(CDPATH= cd "$(dirname "$0")/.." && pwd)
base=$(realpath "$1")/bin
new=$(realpath "$2")/bin
corpus=${3:-/tmp/tessumi-corpus}
runs=${BENCH_RUNS:-5}
# What is compared: "seconds" (wall time inside lookfor, the default) or
# "cpu_seconds" (its processor time, steadier on a busy machine; both builds
# must print it).
measure=${BENCH_MEASURE:-seconds}
die() { echo "bench: $*" >&2; exit 2; }
for b in "$base" "$new"; do [ -f "$b/lookfor.exe" ] || die "missing $b/lookfor.exe"; done
python3 "$root/bench/make_corpus.py" "$corpus" || die "corpus generation failed"
# shellcheck source=../tools/wine-env.sh
. "$root/tools/wine-env.sh"
export WINEPREFIX=${BENCH_WINEPREFIX:-$WINEPREFIX}  # a prefix of the caller's choosing
wine_prepare
scratch=$(mktemp -d /tmp/tessumi-options.XXXXXX) || die "no scratch folder"
trap 'rm -rf "$scratch"' EXIT
win_corpus=$(winepath -w "$corpus" 2>/dev/null) || die "winepath failed"
win_results=$(winepath -w "$scratch/results.txt" 2>/dev/null) || die "winepath failed"

# Rows: name, flags, pattern 1, pattern 2, split on \x1f. Unfolded rows run
# on both builds; a folded row names the unfolded row it is held against.
plain=(
  $'literal found\x1f\x1f\x1fmemcpy'
  $'literal never\x1f\x1f\x1fqzxvjwk'
  $'path regex + macro call\x1f\x1f\\.(c|h|txt)$\x1f[A-Z]+_[A-Z]+\\('
  $'alternation\x1f\x1f\x1ffoo|bar|baz'
  $'kanji literal\x1f\x1f\x1f図書館'
  $'#define regex\x1f\x1f\x1f^\\s*#\\s*define\\s+\\w+\\s+\\d+'
)
folded=(  # name, flags, pattern 2, index of the unfolded row
  $'literal found -i\x1f-i\x1fmemcpy\x1f0'
  $'literal found --width\x1f--width\x1fmemcpy\x1f0'
  $'literal found -i --width --kana\x1f-i --width --kana\x1fmemcpy\x1f0'
  $'literal never -i\x1f-i\x1fqzxvjwk\x1f1'
  $'literal never --width\x1f--width\x1fqzxvjwk\x1f1'
  $'kanji literal --width\x1f--width\x1f図書館\x1f4'
  $'kanji literal -i --width --kana\x1f-i --width --kana\x1f図書館\x1f4'
)

run() {  # bin flags pattern1 pattern2; sets sec
  local out rc
  # shellcheck disable=SC2086  # flags split into words
  out=$(wine "$1/lookfor.exe" --time $2 -- "$win_corpus" "$win_results" "$3" "$4" 2>&1 |
        iconv -f CP932 -t UTF-8 | tr -d '\r'; exit "${PIPESTATUS[0]}")
  rc=$?
  [ $rc -le 1 ] || { printf '%s\n' "$out" >&2; die "lookfor failed (exit $rc): $2 [$3] [$4]"; }
  sec=$(sed -n "s/^$measure: //p" <<<"$out")
  [ -n "$sec" ] || die "no timing: $out"
}
# The build before the options knows neither flags nor "--".
run_base() { local out; out=$(wine "$base/lookfor.exe" --time "$win_corpus" "$win_results" "$1" "$2" |
  iconv -f CP932 -t UTF-8 | tr -d '\r'); sec=$(sed -n "s/^$measure: //p" <<<"$out");
  [ -n "$sec" ] || die "base: no timing: $out"; }

median() { printf '%s\n' "$@" | sort -g | awk '{ t[NR] = $1 }
  END { printf "%.3f", NR % 2 ? t[(NR + 1) / 2] : (t[NR / 2] + t[NR / 2 + 1]) / 2 }'; }

declare -A times
run_base "" memcpy  # warms the tree
for ((round = 1; round <= runs; round++)); do
  echo "bench: round $round of $runs" >&2
  for i in "${!plain[@]}"; do
    IFS=$'\x1f' read -r name flags p1 p2 <<<"${plain[$i]}"
    run_base "$p1" "$p2"; times[base:$i]+="$sec "
    run "$new" "" "$p1" "$p2"; times[new:$i]+="$sec "
  done
  for i in "${!folded[@]}"; do
    IFS=$'\x1f' read -r name flags p2 against <<<"${folded[$i]}"
    run "$new" "$flags" "" "$p2"; times[fold:$i]+="$sec "
  done
done

held=yes
printf '| row | before (s) | now (s) | now ÷ before | target |\n|---|---:|---:|---:|---|\n'
for i in "${!plain[@]}"; do
  IFS=$'\x1f' read -r name flags p1 p2 <<<"${plain[$i]}"
  b=$(median ${times[base:$i]}); n=$(median ${times[new:$i]})
  r=$(awk -v n="$n" -v b="$b" 'BEGIN { printf "%.3f", n / b }')
  ok=$(awk -v r="$r" 'BEGIN { print (r <= 1.05) ? "holds" : "MISSED" }')
  [ "$ok" = holds ] || held=no
  printf '| %s | %s | %s | %s | ≤ 1.05: %s |\n' "$name" "$b" "$n" "$r" "$ok"
done
printf '\n| folded row | unfolded (s) | folded (s) | folded ÷ unfolded | target |\n|---|---:|---:|---:|---|\n'
for i in "${!folded[@]}"; do
  IFS=$'\x1f' read -r name flags p2 against <<<"${folded[$i]}"
  u=$(median ${times[new:$against]}); f=$(median ${times[fold:$i]})
  r=$(awk -v f="$f" -v u="$u" 'BEGIN { printf "%.3f", f / u }')
  ok=$(awk -v r="$r" 'BEGIN { print (r <= 1.5) ? "holds" : "MISSED" }')
  [ "$ok" = holds ] || held=no
  printf '| %s | %s | %s | %s | ≤ 1.5: %s |\n' "$name" "$u" "$f" "$r" "$ok"
done
echo
echo "targets held: $held"
