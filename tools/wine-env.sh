# Sourced by the scripts: the project's own Wine prefix, Japanese locale,
# no Mono or Gecko installer prompts, no menu entries made on the desktop.
root=${root:-$(CDPATH= cd "$(dirname "$0")/.." && pwd)}
export WINEPREFIX="$root/build/wineprefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export WINEARCH=win64
export LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8

# Creates the prefix once and keeps one wineserver alive for the whole run,
# so every test program starts quickly.
wine_prepare() {
  mkdir -p "$WINEPREFIX"
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    wineboot -i >/dev/null 2>&1
    wineserver -w
  fi
  wineserver -p 2>/dev/null || true
  # Start the prefix's services now, detached from any test's output pipes:
  # a service started by a test would inherit them and keep CTest waiting.
  wine cmd /c exit </dev/null >/dev/null 2>&1 || true
}

wine_finish() {
  wineserver -k 2>/dev/null || true
}
