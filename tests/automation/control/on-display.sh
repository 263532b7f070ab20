#!/usr/bin/env bash
# on-display.sh PREFIX PROGRAM [ARGS...]
# Runs a Windows test program on a display of its own: an Xvfb server, and a Wine prefix of its
# own whose desktop starts on that display (the shared prefix's desktop has none). Both go away
# afterwards. Without Xvfb the program runs as it is and skips what needs a display.
set -u
here=$(cd "$(dirname "$0")/../../.." && pwd)
prefix=$1
shift
if ! command -v Xvfb >/dev/null 2>&1; then
  exec "$here/scripts/wine-run" "$@"
fi
display=
for n in $(seq 90 150); do
  if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then display=$n; break; fi
done
[ -n "$display" ] || { echo "no free display number" >&2; exit 1; }
Xvfb ":$display" -screen 0 640x480x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
export WINEPREFIX=$prefix DISPLAY=":$display"
trap 'wineserver -k >/dev/null 2>&1; kill "$xvfb" 2>/dev/null' EXIT
for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$display" ] && break; sleep 0.1; done
# No window manager: unmanaged windows avoid the driver's waits for one.
"$here/scripts/wine-run" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
"$here/scripts/wine-run" "$@"
status=$?
exit $status
