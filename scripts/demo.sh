#!/usr/bin/env bash
# The main job: the library's start under Wine, bound to the bundled event-log service.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build="$here/${BUILD:-build}"
source "$here/scripts/wine-session.sh"
export CORVANE_SYSTEM_LIBRARY="Z:$build/win/src/evtsvc/ntevtsvc.dll"

echo "== Corvane demo =="
echo "-- system function tables, bound through CORVANE_SYSTEM_LIBRARY:"
"$here/bin/corvane" tables
