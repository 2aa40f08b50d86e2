#!/bin/bash
# A document's text against the floor: reading the text of a 20 MB .xlsx of
# 200,000 cells and of a 10 MB .docx (made by bench/make_documents.py),
# against zlib inflating their XML parts and nothing else, side by side in
# each round (each run the shortest of three in one process); and the memory
# of reading the text against a run that reads nothing. Then the same
# documents searched as a user searches them, by lookfor --documents on a
# folder holding one of them (lookfor's own --time seconds, its peak working
# set). Targets: at most 2 x the floor, at most 64 MB above the empty run.
#
# usage: bench/documents.sh [BUILD_DIR] [ROUNDS]
#   BUILD_DIR  a Release build holding bin/document_text.exe (default: build-bench)
#   ROUNDS     rounds of interleaved runs (default 7)
set -u
root=$(CDPATH= cd "$(dirname "$0")/.." && pwd)
build=$(realpath "${1:-$root/build-bench}")
rounds=${2:-7}
exe=$build/bin/document_text.exe
[ -f "$exe" ] || { echo "documents: missing $exe" >&2; exit 2; }
docs=/tmp/tessumi-documents
if [ ! -f "$docs/big.docx" ] || [ "$root/bench/make_documents.py" -nt "$docs/big.docx" ]; then
  python3 "$root/bench/make_documents.py" "$docs" || exit 2
fi

# shellcheck source=../tools/wine-env.sh
. "$root/tools/wine-env.sh"
export WINEPREFIX="$build/wineprefix"
wine_prepare
trap wine_finish EXIT
win_docs=$(winepath -w "$docs" 2>/dev/null) || { echo "documents: winepath failed" >&2; exit 2; }

# One run: "seconds cpu count peak-working-set peak-private".
run() { wine "$exe" "$@" | tr -d '\r'; }
median() { printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

# A folder for each document alone, for lookfor to search.
for doc in big.xlsx big.docx; do
  mkdir -p "$docs/alone-$doc" && ln -f "$docs/$doc" "$docs/alone-$doc/$doc"
done
search() {  # doc: "seconds peak" of lookfor --documents searching its folder alone
  wine "$build/bin/lookfor.exe" --time --documents "$win_docs\\alone-$1" "$win_docs\\results.txt" "" "東京支社" |
    tr -d '\r' | awk '/^seconds:/ { s = $2 } /^peak_working_set_mb:/ { p = $2 } END { print s, p }'
}

declare -A wall cpu peak ratio_wall ratio_cpu count found found_peak ratio_found
empty=()
for ((r = 1; r <= rounds; r++)); do
  empty+=("$(run empty | awk '{ print $4 }')")
  for doc in big.xlsx big.docx; do
    f=$(run floor "$win_docs\\$doc" 3) || { echo "documents: floor failed on $doc" >&2; exit 1; }
    t=$(run text "$win_docs\\$doc" 3) || { echo "documents: text failed on $doc" >&2; exit 1; }
    read -r fw fc _ _ _ <<<"$f"
    read -r tw tc lines tp _ <<<"$t"
    wall[$doc.floor]+=" $fw"; cpu[$doc.floor]+=" $fc"
    wall[$doc.text]+=" $tw"; cpu[$doc.text]+=" $tc"; peak[$doc]+=" $tp"
    ratio_wall[$doc]+=" $(awk -v a="$tw" -v b="$fw" 'BEGIN { printf "%.3f", a / b }')"
    ratio_cpu[$doc]+=" $(awk -v a="$tc" -v b="$fc" 'BEGIN { printf "%.3f", a / b }')"
    count[$doc]=$lines
    read -r sw sp <<<"$(search "$doc")"
    found[$doc]+=" $sw"; found_peak[$doc]+=" $sp"
    ratio_found[$doc]+=" $(awk -v a="$sw" -v b="$fw" 'BEGIN { printf "%.3f", a / b }')"
  done
done

base=$(median "${empty[@]}")
printf 'Median of %d rounds; an empty run peaks at %.1f MiB.\n\n' "$rounds" "$base"
printf '| document | floor s (cpu) | text s (cpu) | text / floor, wall | cpu | lines | peak above empty |\n'
printf '|---|---|---|---|---|---|---|\n'
for doc in big.xlsx big.docx; do
  size=$(stat -c %s "$docs/$doc")
  printf '| %s (%.1f MB) | %.3f (%.3f) | %.3f (%.3f) | %.2f | %.2f | %s | %.1f MiB |\n' "$doc" \
    "$(awk -v s="$size" 'BEGIN { print s / 1e6 }')" \
    "$(median ${wall[$doc.floor]})" "$(median ${cpu[$doc.floor]})" \
    "$(median ${wall[$doc.text]})" "$(median ${cpu[$doc.text]})" \
    "$(median ${ratio_wall[$doc]})" "$(median ${ratio_cpu[$doc]})" "${count[$doc]}" \
    "$(awk -v p="$(median ${peak[$doc]})" -v b="$base" 'BEGIN { print p - b }')"
done

printf '\nSearched by lookfor --documents (its own seconds and peak working set):\n\n'
printf '| document | search s | search / floor, wall | peak MiB |\n|---|---|---|---|\n'
for doc in big.xlsx big.docx; do
  printf '| %s | %.3f | %.2f | %.1f |\n' "$doc" "$(median ${found[$doc]})" \
    "$(median ${ratio_found[$doc]})" "$(median ${found_peak[$doc]})"
done
