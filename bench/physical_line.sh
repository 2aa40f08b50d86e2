#!/bin/sh
# How long opening a hit near the end of a 1 GB file takes to find its line:
# a 1 GB ASCII file of short lines, a blank line after every
# tenth, is made once in /tmp/varnelo-line-bench; the last record's line is
# worked out three times by bench/physical_line.exe, and the lines around it
# read three times as the preview pane reads them.
#
# usage: bench/physical_line.sh [BUILD_DIR]
set -u
root=$(CDPATH= cd "$(dirname "$0")/.." && pwd)
build=$(realpath "${1:-$root/build}")
exe=$build/bin/physical_line.exe
[ -f "$exe" ] || { echo "missing $exe (cmake --build $build --target physical_line)" >&2; exit 2; }
. "$root/tools/wine-env.sh"
work=/tmp/varnelo-line-bench
file=$work/big.txt
mkdir -p "$work"
if [ ! -s "$file" ]; then
  python3 - "$file" <<'PY'
import sys
line = b"x" * 90 + b" the quick brown fox\r\n"
block = b"".join(line if i % 10 else b"\r\n" + line for i in range(1000))
with open(sys.argv[1], "wb") as f:
    while f.tell() < 1 << 30:
        f.write(block)
    f.write(b"last hit\r\n")
PY
fi
records=$(tr -s '\r\n' '\n' <"$file" | wc -l)
echo "file: $file ($(stat -c %s "$file") bytes), last record line $records"
wine "$exe" "$(winepath -w "$file")" "$records" | tr -d '\r'
