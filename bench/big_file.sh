#!/bin/bash
# Huge logs searched in bounded memory: a tree holding one ASCII log and one
# UTF-8 Japanese log of SIZE_GB each (real lines, hits on the first line, in
# the middle and on the last line), searched by one run of bench/big_file.exe
# beside an empty run's and beside the raw floor (read only); then a stop
# asked for in the middle of a 1 GB log. Then lookfor.exe against rg.exe
# (ripgrep, $ANCHOR_DIR/rg.exe, default /tmp/anchors/rg.exe) on a 1 GiB ASCII
# log and a 1 GiB UTF-8 Japanese log, and a 1.5 GB file without a line
# break: a stop asked for while it is read, and the memory. The files are
# made in a temporary folder and deleted at the end.
#
# usage: bench/big_file.sh [BUILD_DIR] [SIZE_GB]
#   BUILD_DIR  a Release build holding bin/big_file.exe, bin/floor.exe,
#              bin/lookfor.exe and bin/Tessumi.dll (default: build-bench)
#   SIZE_GB    each log's size (default 3)
# BIG_ROUNDS   rounds of the rows against rg.exe (default 7)
set -u
root=$(CDPATH= cd "$(dirname "$0")/.." && pwd)
build=$(realpath "${1:-$root/build-bench}")
size_gb=${2:-3}
bin=$build/bin
die() { echo "big_file: $*" >&2; exit 2; }
for f in big_file.exe floor.exe Tessumi.dll; do
  [ -f "$bin/$f" ] || die "missing $bin/$f"
done

scratch=$(mktemp -d /tmp/tessumi-big.XXXXXX) || die "no temporary folder"
trap 'rm -rf "$scratch"' EXIT
need_kb=$(( (2 * size_gb + 6) * 1024 * 1024 ))
free_kb=$(df -Pk "$scratch" | awk 'NR == 2 { print $4 }')
[ "$free_kb" -gt "$need_kb" ] || die "$((need_kb / 1024 / 1024)) GB free needed in $scratch"

# shellcheck source=../tools/wine-env.sh
. "$root/tools/wine-env.sh"
export WINEPREFIX="$build/wineprefix"
wine_prepare
trap 'rm -rf "$scratch"; wine_finish' EXIT
mkdir -p "$scratch/empty" "$scratch/tree" "$scratch/stop" "$scratch/rg-ascii" "$scratch/rg-utf8" \
  "$scratch/nobreak"

# Writes a log of about SIZE bytes: a block of varied lines written over and
# over, the hits on line 1, at the start of the middle block and on the last
# line (no break after it); prints the three line numbers.
make_log() {  # path size kind
  python3 - "$@" <<'PY'
import sys
path, size, kind = sys.argv[1], int(sys.argv[2]), sys.argv[3]
def line(i, hit):
    if kind == "ascii":
        mark = " NEEDLE" if hit else ""
        return (f"2026-12-09 12:{i // 60 % 60:02d}:{i % 60:02d}.{i * 7 % 1000:03d} INFO "
                f"[worker-{i % 16}] request {i * 7919 % 1000003} served in {i % 97} ms{mark}\n")
    mark = "東京から" if hit else ""
    return (f"2026-12-09 12:{i // 60 % 60:02d}:{i % 60:02d} 情報 ワーカー{i % 16} "
            f"{mark}要求{i * 7919 % 1000003}を{i % 97}ミリ秒で処理しました\n")
lines = [line(i, False) for i in range(40000)]
block = "".join(lines).encode("utf-8")
first = (line(0, True) + "".join(lines[1:])).encode("utf-8")
count = max(3, size // len(block))
middle = count // 2
with open(path, "wb") as f:
    for b in range(count):
        f.write(first if b in (0, middle) else block)
    f.write(line(count, True).rstrip("\n").encode("utf-8"))
n = len(lines)
print(1, middle * n + 1, count * n + 1)
PY
}

echo "big_file: writing two logs of $size_gb GB and one of 1 GB" >&2
gb=$((1024 * 1024 * 1024))
ascii_hits=$(make_log "$scratch/tree/ascii.log" $((size_gb * gb)) ascii) || die "writing failed"
utf8_hits=$(make_log "$scratch/tree/utf8.log" $((size_gb * gb)) utf8) || die "writing failed"
make_log "$scratch/stop/one.log" "$gb" ascii >/dev/null || die "writing failed"
# The rows against rg.exe: each 1 GiB log alone in a folder.
if [ "$size_gb" = 1 ]; then
  ln "$scratch/tree/ascii.log" "$scratch/rg-ascii/ascii.log"
  ln "$scratch/tree/utf8.log" "$scratch/rg-utf8/utf8.log"
else
  make_log "$scratch/rg-ascii/ascii.log" "$gb" ascii >/dev/null || die "writing failed"
  make_log "$scratch/rg-utf8/utf8.log" "$gb" utf8 >/dev/null || die "writing failed"
fi
# 1.5 GB of printable 7-bit bytes without CR or LF (a dump, a minified
# bundle): one line beyond the line bound, and no NUL to pass it by as binary.
python3 - "$scratch/nobreak/dump.txt" <<'PY' || die "writing failed"
import random, sys
random.seed(31)
piece = bytes(random.randrange(32, 127) for _ in range(1 << 20))
with open(sys.argv[1], "wb") as f:
    for _ in range(1500 * 1000 * 1000 // len(piece)):
        f.write(piece)
PY

w() { winepath -w "$1" 2>/dev/null; }
results=$(w "$scratch/results.txt")
run() {  # folder pattern [stop-after]
  local out
  out=$(wine "$bin/big_file.exe" "$(w "$1")" "$results" "$2" ${3:+"$3"} | tr -d '\r')
  grep -q '^seconds: ' <<<"$out" || die "big_file.exe failed on $1"
  printf '%s\n' "$out"
}
field() { sed -n "s/^$1: //p" <<<"$2"; }

# The records against the hits written: file, line number and line.
check_records() {
  python3 - "$scratch/results.txt" "$ascii_hits" "$utf8_hits" <<'PY'
import re, sys
text = open(sys.argv[1], "rb").read().decode("utf-16")
found = re.findall(r"\\(ascii|utf8)\.log\r\n\t\((\d+)\)===>([^\r\n]*)", text)
want = [("ascii", n) for n in sys.argv[2].split()] + [("utf8", n) for n in sys.argv[3].split()]
got = [(f, n) for f, n, line in found if ("NEEDLE" in line) == (f == "ascii")]
print("records ok" if sorted(got) == sorted(want) and len(found) == 6 else
      f"records WRONG: {found} against {want}")
PY
}

echo "big_file: warming, then the runs" >&2
wine "$bin/floor.exe" --raw "$(w "$scratch/tree")" >/dev/null
empty=$(run "$scratch/empty" "NEEDLE|東京") || exit 2
tree=$(run "$scratch/tree" "NEEDLE|東京") || exit 2
records=$(check_records)
floor=$(wine "$bin/floor.exe" --raw "$(w "$scratch/tree")" | tr -d '\r')
tree2=$(run "$scratch/tree" "NEEDLE|東京")
floor2=$(wine "$bin/floor.exe" --raw "$(w "$scratch/tree")" | tr -d '\r')
stop_literal=$(run "$scratch/stop" "NEEDLE" 0.15)
stop_regex=$(run "$scratch/stop" "in \\d+ ms$" 1.0)
stop_regex2=$(run "$scratch/stop" "in \\d+ ms$" 2.5)
stop_literal2=$(run "$scratch/stop" "NEEDLE" 0.3)

# Wine counts no mapped memory in PeakPagefileUsage (a run that holds a 1 GB
# file reports 3 MB there), so the bound is checked on the peak working set.
e=$(field peak_working_set_mb "$empty")
echo "| run | result | seconds | peak private MB | peak working set MB |"
echo "|---|---|---|---|---|"
for name in empty tree tree2; do
  out=${!name}
  echo "| $name | $(field result "$out") | $(field seconds "$out") | $(field peak_private_mb "$out") | $(field peak_working_set_mb "$out") |"
done
echo
echo "raw floor: $(field seconds "$floor") s and $(field seconds "$floor2") s; $records"
for name in tree tree2; do
  out=${!name}
  awk -v p="$(field peak_working_set_mb "$out")" -v e="$e" -v n="$name" \
    'BEGIN { d = p - e; printf "%s: peak working set %.1f MB above the empty run (target: at most 64) %s\n", n, d, d <= 64 ? "ok" : "MISSED" }'
done
for name in stop_literal stop_literal2 stop_regex stop_regex2; do
  out=${!name}
  echo "$name: asked at $(field stop_asked_at "$out") s, seen by the run's callback $(field stop_seen_after_ms "$out") ms later, the run returned $(field stop_latency_ms "$out") ms later (target: 100), result $(field result "$out"), longest gap between two callbacks $(field longest_gap_ms "$out") ms"
done

# The file without a line break: a stop asked for at 0.1 s, while the line is
# passed over, and the whole run (which refuses the line: result 0).
nobreak_stop=$(run "$scratch/nobreak" "NEEDLE" 0.1)
nobreak_all=$(run "$scratch/nobreak" "NEEDLE")
echo
echo "| 1.5 GB without a line break | result | seconds | peak working set MB | above the empty run | stop returned after ms |"
echo "|---|---|---|---|---|---|"
for name in nobreak_stop nobreak_all; do
  out=${!name}
  echo "| $name | $(field result "$out") | $(field seconds "$out") | $(field peak_working_set_mb "$out") | $(awk -v p="$(field peak_working_set_mb "$out")" -v e="$e" 'BEGIN { printf "%.1f", p - e }') | $(field stop_latency_ms "$out") |"
done
echo "targets: a stop within 100 ms, at most 64 MB above the empty run"

# lookfor.exe against rg.exe: whole processes under the same Wine, Wine's
# start included, each with its default threads and with one; the order
# turns round from one round to the next; a row's ratios are the medians of
# its rounds' ratios.
rg_exe=${ANCHOR_DIR:-/tmp/anchors}/rg.exe
if [ ! -f "$rg_exe" ] || [ ! -f "$bin/lookfor.exe" ]; then
  echo "big_file: no $rg_exe or $bin/lookfor.exe, so no rows against rg.exe" >&2
  exit 0
fi
rounds=${BIG_ROUNDS:-7}
now_ns() { date +%s%N; }
timed() {  # command...: sets "sec"
  local t0 t1
  t0=$(now_ns)
  "$@" >"$scratch/out.txt" 2>/dev/null
  t1=$(now_ns)
  sec=$(awk -v a="$t0" -v b="$t1" 'BEGIN { printf "%.3f", (b - a) / 1e9 }')
}
median() { printf '%s\n' "$@" | sort -g | awk '{ t[NR] = $1 } END { printf "%.3f", NR % 2 ? t[(NR + 1) / 2] : (t[NR / 2] + t[NR / 2 + 1]) / 2 }'; }
rows=("ascii"$'\x1f'"NEEDLE" "ascii"$'\x1f'"in \\d+ ms NEEDLE$"
      "utf8"$'\x1f'"東京から" "utf8"$'\x1f'"東京から要求\\d+を")
declare -A lt lt1 rt rt1 x x1 hits
echo "big_file: lookfor against rg.exe, $rounds rounds" >&2
for ((round = 0; round <= rounds; round++)); do  # round 0 warms
  for i in "${!rows[@]}"; do
    IFS=$'\x1f' read -r log pattern <<<"${rows[$i]}"
    folder=$(w "$scratch/rg-$log")
    order=(lookfor lookfor1 rg1 rg)
    ((round % 2 == 0)) && order=(rg rg1 lookfor1 lookfor)
    for who in "${order[@]}"; do
      case $who in
        lookfor) timed wine "$bin/lookfor.exe" "$folder" "$results" "" "$pattern"; l=$sec ;;
        lookfor1) timed wine "$bin/lookfor.exe" -j 1 "$folder" "$results" "" "$pattern"; l1=$sec ;;
        rg1) timed wine "$rg_exe" -n -j1 -e "$pattern" "$folder"; r1=$sec ;;
        rg) timed wine "$rg_exe" -n -e "$pattern" "$folder"; r=$sec; found=$(wc -l <"$scratch/out.txt") ;;
      esac
    done
    hits[$i]="$found / $(python3 -c 'import sys; print(open(sys.argv[1], "rb").read().count("\n\t(".encode("utf-16-le")))' "$scratch/results.txt")"
    ((round == 0)) && continue
    lt[$i]+="$l " lt1[$i]+="$l1 " rt[$i]+="$r " rt1[$i]+="$r1 "
    x[$i]+="$(awk -v a="$l" -v b="$r" 'BEGIN { print a / b }') "
    x1[$i]+="$(awk -v a="$l1" -v b="$r1" 'BEGIN { print a / b }') "
  done
done
echo
echo "| log (1 GiB) | pattern 2 | lookfor s | rg s | lookfor ÷ rg | lookfor -j 1 s | rg -j1 s | ÷ rg -j1 | hits rg / lookfor |"
echo "|---|---|---:|---:|---:|---:|---:|---:|---|"
ok=1
for i in "${!rows[@]}"; do
  IFS=$'\x1f' read -r log pattern <<<"${rows[$i]}"
  # shellcheck disable=SC2086  # the figures are one word each
  ratio=$(median ${x[$i]})
  awk -v r="$ratio" 'BEGIN { exit !(r > 1.0) }' && ok=0
  # shellcheck disable=SC2086
  echo "| $log | \`$pattern\` | $(median ${lt[$i]}) | $(median ${rt[$i]}) | $ratio | $(median ${lt1[$i]}) | $(median ${rt1[$i]}) | $(median ${x1[$i]}) | ${hits[$i]} |"
done
echo "target: lookfor at most 1.0 x rg, both with their default threads: $([ $ok = 1 ] && echo hold || echo MISSED)"
