#!/usr/bin/env bash
# Runs the tests of the native and 64-bit trees in one CTest call, then those of the 32-bit tree
# (build/win32, when built) under Wine's 32-bit loader, in the same prefix.
set -uo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build="$here/${BUILD:-build}"
source "$here/scripts/wine-session.sh"
cat > "$build/CTestTestfile.cmake" <<CT
subdirs("native")
subdirs("win")
CT
(cd "$build" && ctest --output-on-failure -j "$(nproc)" ${CTEST_ARGS:-})
status=$?
if [ -f "$build/win32/CTestTestfile.cmake" ]; then
  echo "== The 32-bit tree (build/win32), under the 32-bit loader"
  (cd "$build/win32" && CORVANE_BITS=32 ctest --output-on-failure -j "$(nproc)" ${CTEST_ARGS:-})
  status=$(( status | $? ))
fi
exit $status
