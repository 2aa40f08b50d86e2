#!/bin/sh
# Runs a command with the Wine prefix's screen DPI (HKCU\Control Panel\Desktop
# LogPixels) set first, as Windows' display scaling sets it (144 = 150 %).
# Usage: with-logpixels.sh DPI COMMAND [ARGS...]; run under a display, since
# the prefix's first program starts its desktop.
set -u
dpi=$1
shift
here=$(CDPATH= cd "$(dirname "$0")" && pwd)
sh "$here/../cmake/wine-run.sh" reg add "HKCU\\Control Panel\\Desktop" /v LogPixels /t REG_DWORD \
  /d "$dpi" /f >/dev/null 2>&1 || exit 1
exec "$@"
