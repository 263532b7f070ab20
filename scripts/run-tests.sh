#!/usr/bin/env bash
# Runs the tests of both trees in one CTest call, so one summary line closes the run.
set -uo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build="$here/${BUILD:-build}"
source "$here/scripts/wine-session.sh"
cat > "$build/CTestTestfile.cmake" <<CT
subdirs("native")
subdirs("win")
CT
cd "$build" && ctest --output-on-failure -j "$(nproc)" ${CTEST_ARGS:-}
