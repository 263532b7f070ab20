#!/usr/bin/env bash
# make screenshots: every property page over a control bound to the bundled event-log service
# (seeing the sample network), in our frame and in the system's, under a display (a private Xvfb
# when none is set). The PNGs go to build/screenshots/.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build="$here/${BUILD:-build}"
win="$build/win"
out="$build/screenshots"
windows() { echo "Z:${1//\//\\}"; }

export WINEPREFIX="$build/wineprefix-gui"
# The first program of a Wine session decides whether it has a display: all run under one.
if [ -z "${CORVANE_SHOTS_DISPLAYED:-}" ]; then
  CORVANE_SHOTS_DISPLAYED=1 exec "$here/scripts/with-display" "$0" "$@"
fi
rm -rf "$out"
mkdir -p "$out"
"$here/scripts/wine-run" "$win/tests/evtsvc/network/make_sample_network.exe" "$(windows "$out/network")" >/dev/null
export CORVANE_NETWORK="$(windows "$out/network")"
export CORVANE_SYSTEM_LIBRARY="$(windows "$win/src/evtsvc/ntevtsvc.dll")"
export CORVANE_TYPELIB_DIR="$(windows "$win/bin")"
# A system frame that never shows would stay modal for ever: give up after two minutes.
timeout 120 "$here/scripts/wine-run" "$win/tools/pageshots/pageshots.exe" "$(windows "$out")"
rm -rf "$out/network"
ls "$out"/*.png
