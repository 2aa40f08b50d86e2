#!/bin/sh
# The portable zip checked as a user would: unpacked into an empty folder
# with no build tree beside it, lookfor.exe and Varnelo.exe run from there.
# Usage: package_test.sh WINE_RUN WITH_XVFB ZIP GUI_TEST_EXE GUI_WINEPREFIX
# The console steps run in the ordinary prefix; only the window step uses the
# window tests' prefix, whose desktop must be started with a display.
set -u
run=$1
xvfb=$2
zip=$3
gui=$4
guiprefix=$5
fail() { printf 'FAIL: %s\n' "$*"; exit 1; }

[ -f "$zip" ] || fail "no package at $zip"
dir=$(mktemp -d /tmp/varnelo-unpacked.XXXXXX)
trap 'rm -rf "$dir"' EXIT
unzip -q "$zip" -d "$dir" || fail "unzip"
top=$(find "$dir" -mindepth 1 -maxdepth 1 -type d | head -1)
for f in Varnelo.exe Tessumi.dll lookfor.exe README-ja.txt; do
  [ -f "$top/$f" ] || fail "$f missing from the zip"
done
extra=$(ls "$top" | grep -v -x -e Varnelo.exe -e Tessumi.dll -e lookfor.exe -e README-ja.txt)
[ -z "$extra" ] || fail "unexpected files in the zip: $extra"

mkdir -p "$dir/tree"
printf 'alpha\r\nbeta gamma\r\n' >"$dir/tree/a.txt"
start=$(winepath -w "$dir/tree" 2>/dev/null)
results=$(winepath -w "$dir/results.txt" 2>/dev/null)
(cd "$top" && "$run" ./lookfor.exe "$start" "$results" '' 'gamma' >"$dir/out" 2>&1) \
  || fail "lookfor from the unpacked folder: $(cat "$dir/out")"
got=$(iconv -f UTF-16 -t UTF-8 "$dir/results.txt")
want=$(printf '%s\\a.txt\r\n\t(2)===>beta gamma\r\n' "$start")
[ "$got" = "$want" ] || fail "lookfor results: [$got]"

VARNELO_EXE=$(winepath -w "$top/Varnelo.exe" 2>/dev/null)
export VARNELO_EXE
WINEPREFIX="$guiprefix" "$xvfb" "$run" "$gui" || fail "search through the unpacked program"
echo "package: ok"
