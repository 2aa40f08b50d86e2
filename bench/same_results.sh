#!/bin/bash
# Checks that two builds of lookfor.exe write byte-for-byte the same results
# file for a set of pattern pairs over the benchmark corpus: the check that
# a change made for speed changed no answer.
#
# usage: bench/same_results.sh REFERENCE_BIN NEW_BIN [CORPUS_DIR]
#   REFERENCE_BIN, NEW_BIN  folders holding lookfor.exe and Tessumi.dll
#   CORPUS_DIR              the corpus (default: /tmp/tessumi-corpus, made
#                           by bench/make_corpus.py if missing)
#
# NEW_BIN runs every pattern pair on each thread count of SAME_THREADS
# (default "1 2 8 0"; 0 is lookfor's default, -j left out), and each of its
# results files is compared with REFERENCE_BIN's (run with its defaults).
#
# Prints one line per pattern pair and thread count; exits 1 when any
# results file differs, 2 when the harness itself fails.
set -u
root=$(CDPATH= cd "$(dirname "$0")/.." && pwd)
[ $# -ge 2 ] || { echo "usage: $0 REFERENCE_BIN NEW_BIN [CORPUS_DIR]" >&2; exit 2; }
ref=$(realpath "$1")
new=$(realpath "$2")
corpus=${3:-/tmp/tessumi-corpus}

for b in "$ref" "$new"; do
  [ -f "$b/lookfor.exe" ] && [ -f "$b/Tessumi.dll" ] || { echo "missing lookfor.exe or Tessumi.dll in $b" >&2; exit 2; }
done
python3 "$root/bench/make_corpus.py" "$corpus" >/dev/null || { echo "corpus generation failed" >&2; exit 2; }

# shellcheck source=../tools/wine-env.sh
. "$root/tools/wine-env.sh"
scratch=$(mktemp -d /tmp/tessumi-same.XXXXXX) || exit 2
trap 'rm -rf "$scratch"' EXIT
win_corpus=$(winepath -w "$corpus" 2>/dev/null)

# Pattern 1, pattern 2, split on \x1f: the benchmark's sets and forms that
# take every path of the pattern test (literals, the automaton's classes,
# anchors, word boundaries, ".", counted repeats, the library's matcher).
sets=(
  $'\x1fmemcpy'
  $'\x1fqzxvjwk'
  $'\\.(c|h|txt)$\x1f[A-Z]+_[A-Z]+\\('
  $'\x1ffoo|bar|baz'
  $'\x1f図書館'
  $'\x1f^\\s*#\\s*define\\s+\\w+\\s+\\d+'
  $'\\.txt$\x1f\\bfoo\\b'
  $'\x1f^[a-z]+$'
  $'\x1f[[:upper:]][^ ]*[0-9]$'
  $'\x1f(?:ab|cd)+e'
  $'\x1fx.y'
  $'\x1f^$'
  $'\x1f[^\\x00-\\x7f]{5}'
  $'\\.md$\x1f館.*で\\W'
  $'\x1f^\\s*$'
  $'\\.ini$\x1f(\\w)\\1'
)

search() {  # side bin thread-arguments...
  local side=$1 bin=$2 out text
  shift 2
  out=$(winepath -w "$scratch/$side.txt" 2>/dev/null)
  text=$(wine "$bin/lookfor.exe" "$@" "$win_corpus" "$out" "$p1" "$p2" | iconv -f CP932 -t UTF-8 | tr -d '\r')
  printf '%s\n' "$text" >"$scratch/$side.status"
}

status=0
for i in "${!sets[@]}"; do
  IFS=$'\x1f' read -r p1 p2 <<<"${sets[$i]}"
  search ref "$ref"
  for j in ${SAME_THREADS:-1 2 8 0}; do
    if [ "$j" = 0 ]; then search new "$new"; else search new "$new" -j "$j"; fi
    if cmp -s "$scratch/ref.txt" "$scratch/new.txt" && cmp -s "$scratch/ref.status" "$scratch/new.status"; then
      printf 'same     %10s bytes  -j %-2s [%s] [%s]\n' "$(stat -c %s "$scratch/new.txt")" "$j" "$p1" "$p2"
    else
      printf 'DIFFERS                     -j %-2s [%s] [%s]\n' "$j" "$p1" "$p2"
      status=1
    fi
  done
done
exit $status
