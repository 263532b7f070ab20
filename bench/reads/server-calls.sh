#!/usr/bin/env bash
# Round trips to Wine's server during a forwards read of a log, reported and not asserted.
# Every request of a Wine process to its server is a write (or writev) of the request and a read
# of the reply, so `strace -c -f` of the read benchmark reading the whole log, and of the same
# program stopping before its first read, tell what the reads themselves cost: the difference
# in requests over the number of ReadEventLogA calls made. Run by scripts/bench.sh, whose
# environment (WINEPREFIX, CORVANE_SYSTEM_LIBRARY, a running server) it uses.
#
# Usage: bench/reads/server-calls.sh BUILD-FOLDER LOG.evt
set -euo pipefail
here=$(cd "$(dirname "$0")/../.." && pwd)
build=$1
log=$2
command -v strace >/dev/null || { echo "server-calls: strace is missing (apt-get install strace)" >&2; exit 1; }
out="$build/bench"

# requests LIMIT: the program's calls to the server, reading at most LIMIT times.
requests() {
  strace -c -f -o "$out/strace-$1.txt" "$here/scripts/wine-run" "$build/win/bench/read_bench.exe" "Z:$log" "$1" \
    > "$out/strace-$1.out"
  awk '$NF == "write" || $NF == "writev" { n += $4 } END { print n + 0 }' "$out/strace-$1.txt"
}
without=$(requests 0)
with=$(requests 18446744073709551615)
calls=$(sed -n 's/.* \([0-9]*\) calls in .*/\1/p' "$out/strace-18446744073709551615.out" | tr -d '\r')
python3 - "$with" "$without" "$calls" <<'PY'
import sys
with_, without, calls = map(int, sys.argv[1:])
print(f"server requests of a forwards read: {with_} reading the whole log in {calls} ReadEventLogA calls, "
      f"{without} opening and closing it: {(with_ - without) / max(calls, 1):.3f} per read")
PY
