#!/bin/sh
# lookfor.exe from a shell script under Wine, with a Japanese pattern; its
# output, redirected with no console, is in the ANSI code page, 932.
# Usage: lookfor_test.sh WINE_RUN LOOKFOR_EXE
set -u
run=$1
exe=$2
dir=$(mktemp -d)
# A drive letter of the test's prefix, mapped to an empty folder below.
drive=${WINEPREFIX:-$(dirname "$run")/../build/wineprefix}/dosdevices/q:
made_drive=
trap 'rm -rf "$dir"; [ -z "$made_drive" ] || rm -f "$drive"' EXIT
fail() { printf 'FAIL: %s\n' "$*"; exit 1; }

mkdir -p "$dir/tree/sub"
printf 'line one\r\n' >"$dir/tree/a.txt"
# Shift_JIS: 「東京の天気」 on line 2
printf 'x\r\n\223\214\213\236\202\314\223\126\213\103\r\n' >"$dir/tree/sub/b.txt"
# The same search over files in the other encodings users have.
printf '\357\273\277メモ\r\n大阪の天気\r\n' >"$dir/tree/sub/bom.txt"  # UTF-8, as Notepad saves it
printf '京都の天気\n' >"$dir/tree/utf8.txt"
# EUC-JP: 「東京の天気は晴れです。」
printf '\305\354\265\376\244\316\305\267\265\244\244\317\300\262\244\354\244\307\244\271\241\243\n' >"$dir/tree/euc.txt"
# ISO-2022-JP: 「明日の天気」
printf '\033$BL@F|$NE75$\033(B\r\n' >"$dir/tree/jis.txt"
printf '\376\377\131\051\154\027' >"$dir/tree/be.txt"  # UTF-16BE: 「天気」
start=$(winepath -w "$dir/tree" 2>/dev/null)
results=$(winepath -w "$dir/results.txt" 2>/dev/null)
[ -n "$start" ] || fail "winepath"

# Line ends are CR LF; compare the lines without the CR.
"$run" "$exe" --time "$start" "$results" '\.txt$' '天気' >"$dir/out" 2>"$dir/err"
rc=$?
# Progress goes only to a console: redirected, stderr stays empty.
[ ! -s "$dir/err" ] || fail "stderr not empty: $(cat "$dir/err")"
out=$(iconv -f CP932 -t UTF-8 "$dir/out" | tr -d '\r')
[ $rc -eq 0 ] || fail "exit code $rc, output: $out"
[ "$(printf '%s\n' "$out" | head -1)" = '正常です' ] || fail "status: $out"
printf '%s\n' "$out" | grep -q '^seconds: [0-9]' || fail "no time: $out"
# One record a line, in sorted order: the walk's order is the platform's.
got=$(iconv -f UTF-16 -t UTF-8 "$dir/results.txt" | tr -d '\r' | paste - - | sort)
want=$(printf '%s\\%s\n\t%s\n' \
  "$start" 'sub\b.txt' '(2)===>東京の天気' \
  "$start" 'sub\bom.txt' '(2)===>大阪の天気' \
  "$start" 'utf8.txt' '(1)===>京都の天気' \
  "$start" 'euc.txt' '(1)===>東京の天気は晴れです。' \
  "$start" 'jis.txt' '(1)===>明日の天気' \
  "$start" 'be.txt' '(1)===>天気' | paste - - | sort)
[ "$got" = "$want" ] || fail "results: [$got] want [$want]"

# Exit statuses as grep's: found, nothing found, failure (text on stderr),
# wrong usage; each row: expected status, then the arguments.
while IFS='|' read -r want a1 a2 a3 a4 a5; do
  "$run" "$exe" $a1 "$a2" "$results" "$a3" "$a4" >"$dir/out" 2>"$dir/err"
  rc=$?
  [ $rc -eq "$want" ] || fail "exit code $rc, want $want for [$a1 $a2 $a3 $a4]"
done <<ROWS
0|-i|$start|\\.txt\$|LINE ONE
1|--mask|$start|*.md|天気
2|--kana|$start\\missing||
0|-i -j 8|$start|\\.txt\$|LINE ONE
0|-i --documents --archives|$start|\\.txt\$|LINE ONE
2|-j 17|$start||
2|--nonsense|$start||
ROWS
iconv -f CP932 -t UTF-8 "$dir/err" | grep -q '知らないオプション' || fail "usage text: $(cat "$dir/err")"
"$run" "$exe" "$start\\missing" "$results" '' '' >"$dir/out" 2>"$dir/err"
iconv -f CP932 -t UTF-8 "$dir/err" | grep -q 'を検索することができません' ||
  fail "missing folder text: $(cat "$dir/err")"
"$run" "$exe" --help >"$dir/out" 2>&1 || fail "--help"
iconv -f CP932 -t UTF-8 "$dir/out" | grep -q '^使い方' || fail "help: $(cat "$dir/out")"

# Links are passed by: top/sub/up points at its own parent and top/sub/side
# at a sibling folder, yet each hit is found once. A start folder that is a
# link is searched.
mkdir -p "$dir/links/top/sub" "$dir/links/top/sibling"
printf 'hit a\r\n' >"$dir/links/top/a.txt"
printf 'hit b\r\n' >"$dir/links/top/sub/b.txt"
printf 'hit c\r\n' >"$dir/links/top/sibling/c.txt"
ln -s .. "$dir/links/top/sub/up"
ln -s ../sibling "$dir/links/top/sub/side"
top=$(winepath -w "$dir/links/top" 2>/dev/null)
"$run" "$exe" "$top" "$results" '' 'hit' >"$dir/out" 2>/dev/null || fail "links: $(cat "$dir/out")"
got=$(iconv -f UTF-16 -t UTF-8 "$dir/results.txt" | tr -d '\r' | paste - - | sort)
want=$(printf '%s\\%s\n\t(1)===>%s\n' "$top" 'a.txt' 'hit a' "$top" 'sub\b.txt' 'hit b' \
  "$top" 'sibling\c.txt' 'hit c' | paste - - | sort)
[ "$got" = "$want" ] || fail "links: [$got] want [$want]"
"$run" "$exe" "$top\\sub\\side" "$results" '' 'hit' >"$dir/out" 2>/dev/null || fail "link as start"
got=$(iconv -f UTF-16 -t UTF-8 "$dir/results.txt" | tr -d '\r' | paste - -)
[ "$got" = "$(printf '%s\\sub\\side\\c.txt\t\t(1)===>hit c' "$top")" ] || fail "link as start: [$got]"

# The root of an empty drive (a new USB stick) lists nothing, not even "."
# and "..": it is searched, and nothing is found.
mkdir "$dir/stick"
[ ! -e "$drive" ] || fail "drive Q: is in use"
ln -s "$dir/stick" "$drive" && made_drive=1
"$run" "$exe" 'Q:\' "$results" '' '' >"$dir/out" 2>&1
rc=$?
[ $rc -eq 1 ] && [ "$(iconv -f CP932 -t UTF-8 "$dir/out" | tr -d '\r')" = '正常です' ] ||
  fail "empty drive: exit code $rc, $(iconv -f CP932 -t UTF-8 "$dir/out")"
[ "$(wc -c <"$dir/results.txt")" -eq 2 ] || fail "empty drive: results not just the mark"

# grep's order by mistake: TODO names no folder, so notes.txt stays as it was.
printf 'TODO: call back\r\n' >"$dir/notes.txt"
cp "$dir/notes.txt" "$dir/notes.before"
(cd "$dir" && "$run" "$exe" TODO notes.txt "" "" >/dev/null 2>&1)
[ $? -eq 2 ] || fail "TODO notes.txt: exit code"
cmp -s "$dir/notes.txt" "$dir/notes.before" || fail "TODO notes.txt: notes.txt was changed"
echo "lookfor: ok"
