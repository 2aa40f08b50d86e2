# Sourced by bench/run.sh: whole-process times of lookfor.exe against a
# Windows build of ripgrep (rg.exe) under the same Wine, on a tree of C
# headers and Japanese manual pages (bench/make_headers_tree.py). Uses run.sh's
# bin, scratch, runs, die, now_ns and median.
#
# Every round runs, for each pattern, lookfor with its default threads,
# lookfor -j 1, rg.exe -j1 and rg.exe with its default threads back to back
# (the order turns round from one round to the next), each timed by the
# shell around the whole wine command, Wine's start included; a pattern's
# ratios (lookfor -j 1 to rg -j1, lookfor to rg) are the medians of its
# rounds' ratios.

rg_exe=${ANCHOR_DIR:-/tmp/anchors}/rg.exe
headers_tree=${HEADERS_TREE:-/tmp/tessumi-headers}

# Pattern, then extra rg arguments, split on \x1f. rg reads the Shift_JIS
# pages only when told their encoding; files with a byte-order mark it
# recognises by itself.
rg_sets=(
  $'PM_RESUME\x1f'
  $'#define\x1f'
  $'[A-Z]+_SUSPEND\x1f'
  $'foo|bar|baz\x1f'
  $'^\\s*#\\s*define\\s+[A-Z_]+\\s+0x\x1f'
  $'ファイル\x1f-E shift_jis'
)

rg_wall() {  # out-file command...: sets "sec"
  local out=$1 t0 t1 rc
  shift
  t0=$(now_ns)
  "$@" >"$out" 2>/dev/null
  rc=$?
  t1=$(now_ns)
  sec=$(awk -v a="$t0" -v b="$t1" 'BEGIN { printf "%.3f", (b - a) / 1e9 }')
  return $rc
}

run_rg_lookfor() {  # pattern [lookfor's thread arguments]
  rg_wall "$scratch/lookfor.out" wine "$bin/lookfor.exe" "${@:2}" "$win_tree" "$win_results" "" "$1" ||
    die "lookfor failed on the headers tree for [$1]"
  # One record per hit: the line never holds LF, so "LF TAB (" opens each.
  hits_lookfor=$(python3 -c 'import sys; print(open(sys.argv[1], "rb").read().count("\n\t(".encode("utf-16-le")))' \
    "$scratch/results.txt")
}

run_rg() {  # threads pattern extra...
  local threads=$1 pattern=$2 rc
  shift 2
  # shellcheck disable=SC2086  # the extra arguments are words
  rg_wall "$scratch/rg.out" wine "$rg_exe" -n $threads "$@" -e "$pattern" "$win_tree"
  rc=$?
  [ $rc -le 1 ] || die "rg.exe failed (exit $rc) for [$pattern]"
  hits_rg=$(wc -l <"$scratch/rg.out")
}

rg_section() {
  [ -f "$rg_exe" ] || { echo "bench: no $rg_exe, so no rows for rg.exe" >&2; return 0; }
  python3 "$root/bench/make_headers_tree.py" "$headers_tree" >&2 ||
    die "headers tree generation failed"
  win_tree=$(winepath -w "$headers_tree" 2>/dev/null) || die "winepath failed"
  local tree_files tree_mib
  tree_files=$(find "$headers_tree" -type f | wc -l)
  tree_mib=$(du -sm --apparent-size "$headers_tree" | cut -f1)

  declare -A rt rt1 rr1 rrn hl hr ratio1 ration
  echo "bench: warming the headers tree" >&2
  run_rg_lookfor "PM_RESUME"
  for ((round = 1; round <= runs; round++)); do
    echo "bench: rg.exe round $round of $runs" >&2
    for i in "${!rg_sets[@]}"; do
      IFS=$'\x1f' read -r pattern extra <<<"${rg_sets[$i]}"
      local order=(lookfor lookfor1 rg1 rg)
      ((round % 2 == 0)) && order=(rg rg1 lookfor1 lookfor)
      local l=0 l1=0 one=0 many=0
      for who in "${order[@]}"; do
        # shellcheck disable=SC2086  # the extra arguments are words
        case $who in
          lookfor) run_rg_lookfor "$pattern"; l=$sec; hl[$i]=$hits_lookfor ;;
          lookfor1) run_rg_lookfor "$pattern" -j 1; l1=$sec
            [ "$hits_lookfor" = "${hl[$i]:-$hits_lookfor}" ] || die "lookfor -j 1 found other hits for [$pattern]" ;;
          rg1) run_rg -j1 "$pattern" $extra; one=$sec; hr[$i]=$hits_rg ;;
          rg) run_rg "" "$pattern" $extra; many=$sec ;;
        esac
      done
      rt[$i]+="$l " rt1[$i]+="$l1 " rr1[$i]+="$one " rrn[$i]+="$many "
      ratio1[$i]+="$(awk -v a="$l1" -v b="$one" 'BEGIN { print a / b }') "
      ration[$i]+="$(awk -v a="$l" -v b="$many" 'BEGIN { print a / b }') "
    done
  done

  printf '\nlookfor against rg.exe (ripgrep %s) under the same Wine, whole processes, Wine'"'"'s start included.\n' \
    "$(wine "$rg_exe" --version 2>/dev/null | head -n1 | awk '{ print $2 }')"
  printf 'Tree: %s (%s files, %s MiB: the C headers of %s and Japanese manual pages); median of %d rounds.\n\n' \
    "$headers_tree" "$tree_files" "$tree_mib" "/usr/include" "$runs"
  printf '| %-34s | %8s | %11s | %8s | %12s | %8s | %16s | %13s |\n' "pattern" "lookfor" \
    "lookfor -j1" "rg -j1" "rg (threads)" "hits" "-j1 ÷ rg -j1" "lookfor ÷ rg"
  printf '|%s|%s:|%s:|%s:|%s:|%s:|%s:|%s:|\n' "------------------------------------" "---------" \
    "------------" "---------" "-------------" "---------" "-----------------" "--------------"
  local ok1=1 okn=1
  for i in "${!rg_sets[@]}"; do
    IFS=$'\x1f' read -r pattern extra <<<"${rg_sets[$i]}"
    # shellcheck disable=SC2086  # the times are one word each
    local x1 xn hits
    x1=$(median ${ratio1[$i]} | awk '{ printf "%.2f", $1 }')
    xn=$(median ${ration[$i]} | awk '{ printf "%.2f", $1 }')
    hits=${hl[$i]}
    [ "${hl[$i]}" = "${hr[$i]}" ] || hits="${hl[$i]} (rg ${hr[$i]})"
    printf '| %-34s | %8s | %11s | %8s | %12s | %8s | %16s | %13s |\n' "\`${pattern//|/\\|}\`${extra:+ (rg $extra)}" \
      "$(median ${rt[$i]})" "$(median ${rt1[$i]})" "$(median ${rr1[$i]})" "$(median ${rrn[$i]})" \
      "$hits" "$x1" "$xn"
    awk -v x="$x1" 'BEGIN { exit !(x > 0.8) }' && ok1=0
    awk -v x="$xn" 'BEGIN { exit !(x > 1) }' && okn=0
  done
  printf '\nTargets: lookfor -j 1 <= 0.8 x rg -j1: %s; lookfor <= 1.0 x rg, both with their default threads: %s\n' \
    "$([ $ok1 = 1 ] && echo hold || echo MISSED)" "$([ $okn = 1 ] && echo hold || echo MISSED)"
}
