#!/bin/bash
# Two builds of lookfor side by side in one run: on the benchmark corpus
# (bench/run.sh's pattern sets, lookfor's own --time seconds) and on the
# headers tree of the rows against rg.exe (bench/against_rg.sh's patterns,
# wall-clock seconds with Wine's start, as those rows take them). Each round
# runs both builds back to back, the order turning round from one round to
# the next; a row's ratio is the median of its rounds' ratios new / old, and
# the two results files must be the same byte for byte.
#
# usage: bench/before_after.sh OLD_BIN NEW_BIN [ROUNDS]
#   OLD_BIN, NEW_BIN  folders holding lookfor.exe and Tessumi.dll
set -u
root=$(CDPATH= cd "$(dirname "$0")/.." && pwd)
old=$(realpath "$1") new=$(realpath "$2")
rounds=${3:-5}
# What is compared: "seconds" (as above, the default) or "cpu_seconds"
# (lookfor's processor time on both trees, steadier on a busy machine).
measure=${BENCH_MEASURE:-seconds}
corpus=${CORPUS_DIR:-/tmp/tessumi-corpus}
headers=${HEADERS_TREE:-/tmp/tessumi-headers}
die() { echo "before_after: $*" >&2; exit 2; }
for b in "$old" "$new"; do
  [ -f "$b/lookfor.exe" ] && [ -f "$b/Tessumi.dll" ] || die "no lookfor.exe and Tessumi.dll in $b"
done
python3 "$root/bench/make_corpus.py" "$corpus" >&2 || die "corpus generation failed"
python3 "$root/bench/make_headers_tree.py" "$headers" >&2 || die "headers tree generation failed"
# shellcheck source=../tools/wine-env.sh
. "$root/tools/wine-env.sh"
export WINEPREFIX="$new/../wineprefix"
wine_prepare
scratch=$(mktemp -d /tmp/tessumi-ba.XXXXXX) || die "no scratch folder"
trap 'rm -rf "$scratch"; wine_finish' EXIT
w() { winepath -w "$1" 2>/dev/null; }

# Tree, pattern 1 and pattern 2, split on \x1f.
rows=(
  "corpus"$'\x1f\x1f'"memcpy"
  "corpus"$'\x1f\x1f'"qzxvjwk"
  "corpus"$'\x1f'"\\.(c|h|txt)$"$'\x1f'"[A-Z]+_[A-Z]+\\("
  "corpus"$'\x1f\x1f'"foo|bar|baz"
  "corpus"$'\x1f\x1f'"図書館"
  "corpus"$'\x1f\x1f'"^\\s*#\\s*define\\s+\\w+\\s+\\d+"
  "headers"$'\x1f\x1f'"PM_RESUME"
  "headers"$'\x1f\x1f'"#define"
  "headers"$'\x1f\x1f'"[A-Z]+_SUSPEND"
  "headers"$'\x1f\x1f'"foo|bar|baz"
  "headers"$'\x1f\x1f'"^\\s*#\\s*define\\s+[A-Z_]+\\s+0x"
  "headers"$'\x1f\x1f'"ファイル"
)

one() {  # build tree p1 p2 results: sets sec
  local tree=$1 t0 t1 out
  [ "$2" = corpus ] && tree=$corpus || tree=$headers
  t0=$(date +%s%N)
  out=$(wine "$1/lookfor.exe" --time "$(w "$tree")" "$(w "$5")" "$3" "$4" | tr -d '\r')
  t1=$(date +%s%N)
  if [ "$measure" = cpu_seconds ]; then
    sec=$(sed -n 's/^cpu_seconds: //p' <<<"$out")
  elif [ "$2" = corpus ]; then
    sec=$(sed -n 's/^seconds: //p' <<<"$out")
  else
    sec=$(awk -v a="$t0" -v b="$t1" 'BEGIN { printf "%.3f", (b - a) / 1e9 }')
  fi
  [ -n "$sec" ] || die "lookfor failed in $1 for [$4]: $(iconv -f cp932 -t utf-8 <<<"$out" 2>/dev/null)"
}

declare -A so sn ratio same
one "$new" corpus "" memcpy "$scratch/warm.txt"
one "$new" headers "" PM_RESUME "$scratch/warm.txt"
for ((round = 1; round <= rounds; round++)); do
  echo "before_after: round $round of $rounds" >&2
  for i in "${!rows[@]}"; do
    IFS=$'\x1f' read -r tree p1 p2 <<<"${rows[$i]}"
    if ((round % 2)); then
      one "$old" "$tree" "$p1" "$p2" "$scratch/old.txt"; o=$sec
      one "$new" "$tree" "$p1" "$p2" "$scratch/new.txt"; n=$sec
    else
      one "$new" "$tree" "$p1" "$p2" "$scratch/new.txt"; n=$sec
      one "$old" "$tree" "$p1" "$p2" "$scratch/old.txt"; o=$sec
    fi
    so[$i]+="$o " sn[$i]+="$n "
    ratio[$i]+="$(awk -v a="$n" -v b="$o" 'BEGIN { print a / b }') "
    cmp -s "$scratch/old.txt" "$scratch/new.txt" || same[$i]=no
  done
done

median() { printf '%s\n' "$@" | sort -g | awk '{ t[NR] = $1 } END { printf "%.3f", NR % 2 ? t[(NR + 1) / 2] : (t[NR / 2] + t[NR / 2 + 1]) / 2 }'; }
echo "| tree | pattern 2 | old s | new s | new / old | same results |"
echo "|---|---|---|---|---|---|"
for i in "${!rows[@]}"; do
  IFS=$'\x1f' read -r tree p1 p2 <<<"${rows[$i]}"
  # shellcheck disable=SC2086  # one word each
  echo "| $tree | \`$p2\` | $(median ${so[$i]}) | $(median ${sn[$i]}) | $(median ${ratio[$i]}) | ${same[$i]:-yes} |"
done
