#!/bin/sh
# Starts Varnelo under a private Xvfb, waits for its window and saves a PNG
# of it. Usage: tools/screenshot.sh OUT.png [BUILD_DIR] [SCENE]
#   BUILD_DIR: build (default)
#   SCENE: empty (the window as it starts), "results" (a search of a small
#   Japanese tree, its records shown), "menu" (the same with a record's
#   context menu open), "editor" (the same with the editor dialog open),
#   "progress" (a long search running, the records of a quick one shown) or
#   "dialog" (the results, then the search dialog open again);
#   bin/screenshot_scene.exe sets these up by real input.
# Environment: VARNELO_SCREENSHOT_DPI (96 by default; 144 = 150 %) and
# VARNELO_SCREENSHOT_DESKTOP (the virtual desktop's size, 700x440 by default).
set -u
root=$(CDPATH= cd "$(dirname "$0")/.." && pwd)
if [ $# -lt 1 ]; then echo "usage: $0 OUT.png [BUILD_DIR] [SCENE]" >&2; exit 2; fi
out=$(realpath -m "$1")
build=$(realpath -m "${2:-$root/build}")
scene=${3:-}
exe="$build/bin/Varnelo.exe"
[ -f "$exe" ] || { echo "screenshot: $exe not built" >&2; exit 1; }
if [ -n "$scene" ] && [ ! -f "$build/bin/screenshot_scene.exe" ]; then
  echo "screenshot: $build/bin/screenshot_scene.exe not built" >&2; exit 1
fi

if [ "${VARNELO_SCREENSHOT_INNER:-}" != 1 ]; then
  VARNELO_SCREENSHOT_INNER=1 exec sh "$root/tests/with-xvfb.sh" sh "$0" "$out" "$build" "$scene"
fi

# The GUI tests' own prefix: its wineserver's desktop is always one that a
# program with a display started (see docs/wine-notes.md). A Wine virtual
# desktop draws the window frame, which no window manager would draw here.
dpi=${VARNELO_SCREENSHOT_DPI:-96}
export WINEPREFIX="$build/wineprefix-gui"
[ "$dpi" = 96 ] || WINEPREFIX="$build/wineprefix-gui-$dpi"
sh "$root/tests/with-logpixels.sh" "$dpi" true || { echo "screenshot: no DPI $dpi" >&2; exit 1; }
desktop=varnelo,${VARNELO_SCREENSHOT_DESKTOP:-700x440}
sh "$root/cmake/wine-run.sh" explorer /desktop=$desktop "$exe" >/dev/null 2>&1 &
pid=$!
done_file=$(mktemp -u /tmp/varnelo-scene.XXXXXX)
trap 'kill $pid 2>/dev/null; wait $pid 2>/dev/null; rm -f "$done_file"' EXIT INT TERM

# xwininfo's line for the window: ... ("varnelo.exe" ...)  WxH+x+y  +X+Y
window_geometry() {
  xwininfo -root -tree 2>/dev/null |
    awk 'tolower($0) ~ /"varnelo.exe"/ && $(NF-1) ~ /^[0-9]+x[0-9]+[+-]/ && $(NF-1) !~ /^1x1[+-]/ {
           split($(NF-1), g, /[+-]/); print g[1] $NF; exit }'
}
geometry=""
i=0
while [ -z "$geometry" ] && [ $i -lt 300 ]; do
  sleep 0.2
  i=$((i + 1))
  geometry=$(window_geometry)
done
[ -n "$geometry" ] || { echo "screenshot: no Varnelo window appeared" >&2; exit 1; }

if [ -n "$scene" ]; then
  # Started into the same virtual desktop, so its input reaches Varnelo.
  sh "$root/cmake/wine-run.sh" explorer /desktop=$desktop "$build/bin/screenshot_scene.exe" \
    "$scene" "Z:$done_file" >/dev/null 2>&1 &
  i=0
  while [ ! -f "$done_file" ] && [ $i -lt 300 ]; do sleep 0.2; i=$((i + 1)); done
  [ -f "$done_file" ] || { echo "screenshot: scene \"$scene\" was not set up" >&2; exit 1; }
fi
sleep 2
# Read again: the window may have been made at one size and then placed.
geometry=$(window_geometry)
import -window root -crop "$geometry" +repage "$out" || exit 1
echo "screenshot: $out ($geometry)"
