#!/usr/bin/env bash
# bin/corvane register and unregister with both widths, in a prefix of the test's own: each width
# registers into its own view, and removing one leaves the other working.
# Argument: the build folder holding win and win32.
set -u
here=$(cd "$(dirname "$0")/../.." && pwd)
build=$1
export WINEPREFIX="$build/wineprefix-bits" BUILD="$build"
trap 'wineserver -k >/dev/null 2>&1' EXIT
probe="Z:$here/tests/bits/probe.vbs"
failures=0

# creates WIDTH yes|no: whether that width's script host creates and drives the control.
creates() {
  CORVANE_BITS=$1 "$here/scripts/wine-run" cscript //nologo "$probe" >/dev/null 2>&1
  local status=$?
  local got=no
  [ $status -eq 77 ] && got=yes
  if [ "$got" != "$2" ]; then
    echo "FAILED: $3: the $1-bit host creating the control: expected $2, got $got (exit $status)"
    failures=$((failures + 1))
  fi
}
corvane() { "$here/bin/corvane" "$@" >/dev/null || { echo "FAILED: corvane $*"; failures=$((failures + 1)); }; }

"$here/scripts/wine-run" cmd /c exit >/dev/null 2>&1
wineserver -p >/dev/null 2>&1
"$here/bin/corvane" unregister >/dev/null 2>&1  # what an earlier run may have left
creates 64 no "before registration"
creates 32 no "before registration"
corvane register
creates 64 yes "both registered"
creates 32 yes "both registered"
corvane unregister 32
creates 64 yes "the 32-bit one unregistered"
creates 32 no "the 32-bit one unregistered"
corvane register 32
corvane unregister 64
creates 32 yes "the 64-bit one unregistered"
creates 64 no "the 64-bit one unregistered"
corvane unregister 32
"$here/scripts/wine-run" reg query 'HKCR\Corvane.Rendal' >/dev/null 2>&1 &&
  { echo "FAILED: the program identifier outlived both registrations"; failures=$((failures + 1)); }
[ $failures -eq 0 ] && echo "registration of both widths: passed"
exit $((failures > 0))
