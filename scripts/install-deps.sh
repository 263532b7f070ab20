#!/usr/bin/env bash
# Installs what the build, the tests and the demo need on Debian 12. Idempotent and quiet:
# apt is asked only for packages that are missing, and locales are generated once.
set -euo pipefail

packages=(
  build-essential cmake make git python3 locales time
  mingw-w64 mingw-w64-tools g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix
  wine wine64 wine32:i386 libwine-dev
  googletest
  clang
  xvfb imagemagick
  libevt-utils python3-libevt
  python3-markdown
  strace
  wixl msitools osslsigncode
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

SUDO=""
[ "$(id -u)" = 0 ] || SUDO=sudo
# The 32-bit loader comes from the i386 architecture, which a fresh machine does not list yet.
if [ ${#missing[@]} -gt 0 ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
  $SUDO dpkg --add-architecture i386
fi
if [ ${#missing[@]} -gt 0 ]; then
  echo "install-deps: installing ${missing[*]}" >&2
  $SUDO apt-get update -qq >/dev/null
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${missing[@]}" >/dev/null
fi

# Wine takes its ANSI code page from the Unix locale, which must exist: en_US gives 1252, zh_CN 936.
need_gen=0
for loc in en_US.UTF-8 zh_CN.UTF-8; do
  locale -a 2>/dev/null | grep -qi "^${loc%%.*}\.utf-\?8$" || need_gen=1
done
if [ $need_gen = 1 ]; then
  for loc in "en_US.UTF-8 UTF-8" "zh_CN.UTF-8 UTF-8"; do
    grep -q "^$loc" /etc/locale.gen 2>/dev/null || echo "$loc" | $SUDO tee -a /etc/locale.gen >/dev/null
  done
  $SUDO locale-gen >/dev/null
fi
