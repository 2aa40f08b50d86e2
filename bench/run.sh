#!/bin/bash
# Benchmark of the search run: the floor, lookfor.exe over six pattern sets,
# and GNU grep and ripgrep natively on the same warm tree, median of 7 each;
# then, when a Windows rg.exe is at hand (ANCHOR_DIR, see bench/against_rg.sh),
# lookfor against it under the same Wine on a tree of C headers.
#
# usage: bench/run.sh [BUILD_DIR] [CORPUS_DIR]
#   BUILD_DIR  a Release build holding bin/lookfor.exe and bin/floor.exe
#              (default: build-bench)
#   CORPUS_DIR where the corpus is made (default: /tmp/tessumi-corpus)
#
# Prints a Markdown table and a line saying which targets hold. Exits non-zero
# only when the harness itself fails (a program missing, a run that fails).
set -u
root=$(CDPATH= cd "$(dirname "$0")/.." && pwd)
build=$(realpath "${1:-$root/build-bench}")
corpus=${2:-/tmp/tessumi-corpus}
bin=$build/bin
runs=${BENCH_RUNS:-7}  # BENCH_RUNS=1 for a quick look
parts=${BENCH_PARTS:-"floor rg"}  # BENCH_PARTS=rg: only the rows against rg.exe

die() { echo "bench: $*" >&2; exit 2; }

for f in lookfor.exe Tessumi.dll floor.exe; do
  [ -f "$bin/$f" ] || die "missing $bin/$f (build with -DCMAKE_BUILD_TYPE=Release first)"
done
for t in python3 grep rg /usr/bin/time wine winepath; do
  command -v "$t" >/dev/null || die "missing $t (run tools/setup.sh)"
done

python3 "$root/bench/make_corpus.py" "$corpus" || die "corpus generation failed"

# shellcheck source=../tools/wine-env.sh
. "$root/tools/wine-env.sh"

scratch=$(mktemp -d /tmp/tessumi-bench.XXXXXX) || die "no scratch folder"
trap 'rm -rf "$scratch"' EXIT
win_corpus=$(winepath -w "$corpus" 2>/dev/null) || die "winepath failed"
win_results=$(winepath -w "$scratch/results.txt" 2>/dev/null) || die "winepath failed"

# The pattern sets: name, pattern 1, pattern 2 and the kind of target, split
# on \x1f. A literal pattern 2 must stay within 1.15 x floor, a regular
# expression within 1.5 x floor.
sets=(
  $'literal found\x1f\x1fmemcpy\x1fliteral'
  $'literal never\x1f\x1fqzxvjwk\x1fliteral'
  $'path regex + macro call\x1f\\.(c|h|txt)$\x1f[A-Z]+_[A-Z]+\\(\x1fregex'
  $'alternation\x1f\x1ffoo|bar|baz\x1fregex'
  $'kanji literal\x1f\x1f図書館\x1fliteral'
  $'#define regex\x1f\x1f^\\s*#\\s*define\\s+\\w+\\s+\\d+\x1fregex'
)

# The native equivalent of pattern set $1 for grep (in the C locale) or rg
# ($2); sets the array "args". The kanji is searched for as its Shift_JIS,
# UTF-16LE and UTF-8 bytes, since neither tool reads code page 932.
native_args() {
  local sjis=$'\x90\x7d\x8f\x91\x8a\xd9' utf16=$'\xf3\x56\xf8\x66\x28\x99'
  case $2:$1 in
    grep:0) args=(-E 'memcpy') ;;
    grep:1) args=(-E 'qzxvjwk') ;;
    grep:2) args=(-E --include='*.c' --include='*.h' --include='*.txt' '[A-Z]+_[A-Z]+\(') ;;
    grep:3) args=(-E 'foo|bar|baz') ;;
    grep:4) args=(-F -e "$sjis" -e "$utf16" -e '図書館') ;;
    grep:5) args=(-E '^\s*#\s*define\s+\w+\s+[0-9]+') ;;
    rg:0) args=('memcpy') ;;
    rg:1) args=('qzxvjwk') ;;
    rg:2) args=(-g '*.{c,h,txt}' '[A-Z]+_[A-Z]+\(') ;;
    rg:3) args=('foo|bar|baz') ;;
    rg:4) args=('(?-u:\x90\x7d\x8f\x91\x8a\xd9)|図書館') ;;
    rg:5) args=('^\s*#\s*define\s+\w+\s+\d+') ;;
    *) die "no native pattern for set $1" ;;
  esac
}

now_ns() { date +%s%N; }

# --- one timed run of each kind; each sets "sec" and "peak" ---------------

run_floor() {  # [--raw]
  local out
  out=$(wine "$bin/floor.exe" "$@" "$win_corpus" | tr -d '\r'; exit "${PIPESTATUS[0]}") ||
    die "floor failed"
  sec=$(sed -n 's/^seconds: //p' <<<"$out")
  peak=$(sed -n 's/^peak_working_set_mb: //p' <<<"$out")
  largest=$(sed -n 's/^largest: //p' <<<"$out")
  files=$(sed -n 's/^files: //p' <<<"$out")
  bytes=$(sed -n 's/^bytes: //p' <<<"$out")
  [ -n "$sec" ] && [ -n "$peak" ] || die "floor printed no timing"
}

run_lookfor() {  # pattern1 pattern2
  local out rc
  # Redirected, lookfor writes in the ANSI code page (932 here).
  out=$(wine "$bin/lookfor.exe" --time "$win_corpus" "$win_results" "$1" "$2" |
        iconv -f CP932 -t UTF-8 | tr -d '\r'; exit "${PIPESTATUS[0]}")
  rc=$?
  # 0: found, 1: nothing found (grep's convention).
  if [ $rc -gt 1 ] || [ "$(head -n1 <<<"$out")" != "正常です" ]; then
    printf '%s\n' "$out" >&2
    die "lookfor failed (exit $rc) for pattern 1 [$1] pattern 2 [$2]"
  fi
  sec=$(sed -n 's/^seconds: //p' <<<"$out")
  peak=$(sed -n 's/^peak_working_set_mb: //p' <<<"$out")
  [ -n "$sec" ] && [ -n "$peak" ] || die "lookfor printed no timing"
}

run_native() {  # command...
  local t0 t1 rc
  t0=$(now_ns)
  /usr/bin/time -f %M -o "$scratch/time.txt" "$@" >"$scratch/native.txt" 2>/dev/null
  rc=$?
  t1=$(now_ns)
  # 0: found, 1: nothing found; anything else is a failure of the tool.
  [ $rc -le 1 ] || die "$1 failed (exit $rc)"
  sec=$(awk -v a="$t0" -v b="$t1" 'BEGIN { printf "%.3f", (b - a) / 1e9 }')
  # time writes a line of its own before the figure when the exit code is not 0.
  peak=$(tail -n1 "$scratch/time.txt" | awk '{ printf "%.1f", $1 / 1024 }')
}

# --- the run ---------------------------------------------------------------

# Every row is run once per round and the rounds are interleaved, so that a
# busy spell of the machine falls on all rows alike; a row keeps the median
# of its times, which one lucky or unlucky run does not move, and its
# largest peak. The floor runs again just before every lookfor row, and a
# lookfor row's ratio to the floor is the median of its ratios to those
# runs: the machine's pace drifts over minutes, and a pair taken seconds
# apart shares it.
declare -A times top ratios
measure() {  # key command...
  local key=$1
  shift
  "$@"
  times[$key]+="$sec "
  if [ -z "${top[$key]+set}" ]; then
    top[$key]=$peak
    return
  fi
  top[$key]=$(awk -v a="${top[$key]}" -v b="$peak" 'BEGIN { print ((b + 0 > a + 0) ? b : a) }')
}

median() {  # times...
  printf '%s\n' "$@" | sort -g | awk '{ t[NR] = $1 }
    END { printf "%.3f", NR % 2 ? t[(NR + 1) / 2] : (t[NR / 2] + t[NR / 2 + 1]) / 2 }'
}

# shellcheck source=against_rg.sh
. "$root/bench/against_rg.sh"
if [[ " $parts " != *" floor "* ]]; then
  rg_section
  exit 0
fi

echo "bench: warming the tree with one floor run" >&2
run_floor
for ((round = 1; round <= runs; round++)); do
  echo "bench: round $round of $runs" >&2
  measure rawfloor run_floor --raw
  for i in "${!sets[@]}"; do
    IFS=$'\x1f' read -r name p1 p2 kind <<<"${sets[$i]}"
    measure floor run_floor
    floor_now=$sec
    measure "lookfor:$i" run_lookfor "$p1" "$p2"
    ratios[$i]+="$(awk -v s="$sec" -v f="$floor_now" 'BEGIN { print s / f }') "
    native_args "$i" grep
    measure "grep:$i" run_native env LC_ALL=C grep -rn "${args[@]}" "$corpus"
    native_args "$i" rg
    measure "rg1:$i" run_native rg -n -j1 "${args[@]}" "$corpus"
    measure "rg:$i" run_native rg -n "${args[@]}" "$corpus"
  done
done

declare -A middle spread
# shellcheck disable=SC2086  # the times are one word each
for key in "${!times[@]}"; do
  middle[$key]=$(median ${times[$key]})
  spread[$key]=$(printf '%s\n' ${times[$key]} | sort -g | sed -n '1p;$p' | paste -sd- -)
done

floor_sec=${middle[floor]}
rows=()  # name \x1f seconds \x1f range \x1f x floor \x1f grep seconds \x1f peak \x1f target kind
add_row() {  # name key x-floor grep-seconds kind
  local xf=${3:-$(awk -v s="${middle[$2]}" -v f="$floor_sec" 'BEGIN { printf "%.2f", s / f }')}
  rows+=("$1"$'\x1f'"${middle[$2]}"$'\x1f'"${spread[$2]}"$'\x1f'"$xf"$'\x1f'"$4"$'\x1f'"${top[$2]}"$'\x1f'"$5")
}
add_row "floor (walk, open, size, read, convert)" floor "" "" floor
add_row "raw floor (walk, open, size, read)" rawfloor "" "" floor
for i in "${!sets[@]}"; do
  IFS=$'\x1f' read -r name p1 p2 kind <<<"${sets[$i]}"
  g=${middle[grep:$i]}
  # shellcheck disable=SC2086  # the ratios are one word each
  paired=$(median ${ratios[$i]} | awk '{ printf "%.2f", $1 }')
  add_row "lookfor: $name" "lookfor:$i" "$paired" "$g" "$kind"
  add_row "grep -rn: $name" "grep:$i" "" "$g" native
  add_row "rg -n -j1: $name" "rg1:$i" "" "$g" native
  add_row "rg -n: $name" "rg:$i" "" "$g" native
done

# --- the table and the targets ---------------------------------------------

limit_mb=$(awk -v l="$largest" 'BEGIN { printf "%.1f", 3 * l / 1048576 + 32 }')
printf '\nMachine: %s CPUs (%s), %s MB memory; lookfor from %s.\n' "$(nproc)" \
  "$(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -n1)" \
  "$(awk '/^MemTotal/ { printf "%d", $2 / 1024 }' /proc/meminfo)" "$bin"
printf 'Corpus: %s files, %.1f MiB, largest file %.1f MiB; median of %d runs.\n\n' \
  "$files" "$(awk -v b="$bytes" 'BEGIN { print b / 1048576 }')" \
  "$(awk -v b="$largest" 'BEGIN { print b / 1048576 }')" "$runs"
printf '| %-44s | %8s | %13s | %8s | %8s | %8s |\n' "name" "seconds" "runs (s)" "x floor" \
  "x grep" "peak MB"
printf '|%s|%s:|%s:|%s:|%s:|%s:|\n' "----------------------------------------------" \
  "---------" "--------------" "---------" "---------" "---------"
lit_ok=1 re_ok=1 mem_ok=1 lit_worst="" re_worst="" mem_worst=""
for r in "${rows[@]}"; do
  IFS=$'\x1f' read -r name sec range xf gsec peak kind <<<"$r"
  xg=$([ -n "$gsec" ] && awk -v s="$sec" -v g="$gsec" 'BEGIN { printf "%.2f", s / g }' || echo "-")
  printf '| %-44s | %8s | %13s | %8s | %8s | %8s |\n' "$name" "$sec" "$range" "$xf" "$xg" "$peak"
  case $kind in
    literal|regex)
      cap=$([ "$kind" = literal ] && echo 1.15 || echo 1.5)
      if awk -v x="$xf" -v c="$cap" 'BEGIN { exit !(x > c) }'; then
        if [ "$kind" = literal ]; then lit_ok=0; lit_worst+=", ${name#lookfor: } ${xf}x"
        else re_ok=0; re_worst+=", ${name#lookfor: } ${xf}x"; fi
      fi
      if awk -v p="$peak" -v l="$limit_mb" 'BEGIN { exit !(p > l) }'; then
        mem_ok=0; mem_worst+=", ${name#lookfor: } ${peak} MB"
      fi ;;
  esac
done
verdict() { [ "$1" = 1 ] && echo "hold" || echo "MISSED (${2#, })"; }
printf '\nTargets: literal rows <= 1.15 x floor: %s; regex rows <= 1.5 x floor: %s; ' \
  "$(verdict $lit_ok "$lit_worst")" "$(verdict $re_ok "$re_worst")"
printf 'peak memory <= 3 x largest file + 32 MB (%s MB): %s\n' "$limit_mb" \
  "$(verdict $mem_ok "$mem_worst")"
[[ " $parts " == *" rg "* ]] && rg_section
exit 0
