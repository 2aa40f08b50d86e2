#!/bin/sh
# Starts Varnelo under a private Xvfb, waits for its window and saves a PNG
# of it. Usage: tools/screenshot.sh OUT.png [BUILD_DIR [DRIVER ARGS...]]
# (BUILD_DIR: build). With a DRIVER (a Windows program, e.g.
# BUILD_DIR/bin/screenshot_driver.exe), the picture is taken when the driver
# has brought the window where it wants it and ended with 0.
set -u
root=$(CDPATH= cd "$(dirname "$0")/.." && pwd)
if [ $# -lt 1 ]; then echo "usage: $0 OUT.png [BUILD_DIR [DRIVER ARGS...]]" >&2; exit 2; fi
out=$(realpath -m "$1")
build=$(realpath -m "${2:-$root/build}")
shift
[ $# -gt 0 ] && shift
exe="$build/bin/Varnelo.exe"
[ -f "$exe" ] || { echo "screenshot: $exe not built" >&2; exit 1; }

if [ "${VARNELO_SCREENSHOT_INNER:-}" != 1 ]; then
  VARNELO_SCREENSHOT_INNER=1 exec sh "$root/tests/with-xvfb.sh" sh "$0" "$out" "$build" "$@"
fi

# The GUI tests' own prefix: its wineserver's desktop is always one that a
# program with a display started (see docs/wine-notes.md). A Wine virtual
# desktop draws the window frame, which no window manager would draw here.
export WINEPREFIX="$build/wineprefix-gui"
sh "$root/cmake/wine-run.sh" explorer /desktop=varnelo,700x440 "$exe" >/dev/null 2>&1 &
pid=$!
trap 'kill $pid 2>/dev/null; wait $pid 2>/dev/null' EXIT INT TERM

# xwininfo's line for the window: ... ("varnelo.exe" ...)  WxH+x+y  +X+Y
geometry=""
i=0
while [ -z "$geometry" ] && [ $i -lt 300 ]; do
  sleep 0.2
  i=$((i + 1))
  geometry=$(xwininfo -root -tree 2>/dev/null |
             awk 'tolower($0) ~ /"varnelo.exe"/ && $(NF-1) ~ /^[0-9]+x[0-9]+[+-]/ {
                    split($(NF-1), g, /[+-]/); print g[1] $NF; exit }')
done
[ -n "$geometry" ] || { echo "screenshot: no Varnelo window appeared" >&2; exit 1; }
sleep 2
if [ $# -gt 0 ]; then
  # On the same Wine desktop as the program, or its windows are not found.
  # explorer returns at once: the driver writes its exit code into the file
  # VARNELO_SCREENSHOT_DONE names when it has ended.
  done_file="$build/screenshot-driver.done"
  rm -f "$done_file"
  VARNELO_SCREENSHOT_DONE=$(winepath -w "$done_file" 2>/dev/null)
  export VARNELO_SCREENSHOT_DONE
  sh "$root/cmake/wine-run.sh" explorer /desktop=varnelo,700x440 "$@" >"$build/screenshot-driver.log" 2>&1
  i=0
  while [ ! -s "$done_file" ] && [ $i -lt 600 ]; do sleep 0.2; i=$((i + 1)); done
  [ "$(cat "$done_file" 2>/dev/null)" = 0 ] || { echo "screenshot: the driver failed" >&2; exit 1; }
fi
import -window root -crop "$geometry" +repage "$out" || exit 1
echo "screenshot: $out ($geometry)"
