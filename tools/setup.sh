#!/bin/sh
# Installs what the build and the tests need on Debian 12, idempotently.
set -eu
need=""
for p in cmake ninja-build g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 wine wine64 \
         locales xvfb xauth fonts-noto-cjk googletest zip unzip imagemagick x11-apps x11-utils ripgrep grep time python3 libz-mingw-w64-dev; do
  dpkg -s "$p" >/dev/null 2>&1 || need="$need $p"
done
if [ -n "$need" ]; then
  if [ "$(id -u)" != 0 ]; then echo "setup: missing packages:$need (run as root)" >&2; exit 1; fi
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends $need
fi
if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf8$'; then
  if [ "$(id -u)" != 0 ]; then echo "setup: locale ja_JP.UTF-8 missing (run as root)" >&2; exit 1; fi
  sed -i 's/^# *\(ja_JP.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen || echo 'ja_JP.UTF-8 UTF-8' >> /etc/locale.gen
  locale-gen >/dev/null
fi
