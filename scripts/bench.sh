#!/usr/bin/env bash
# Benchmarks, reported and not asserted: each of our readers against evtexport on the same
# 100 MB log, in one run, with wall time and peak memory (maximum resident set size).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build="$here/${BUILD:-build}"
source "$here/scripts/wine-session.sh"
export CORVANE_SYSTEM_LIBRARY="Z:$build/win/src/evtsvc/ntevtsvc.dll"
out="$build/bench"
mkdir -p "$out"
big="$out/big.evt"
if [ ! -f "$big" ]; then
  "$here/scripts/wine-run" "$build/win/bench/make_big_log.exe" \
    "Z:$here/../shared/data/AppEvent.Evt" "Z:$big" 100
fi

# measure NAME COMMAND...: prints seconds and peak kilobytes of one run, output discarded.
measure() {
  local name=$1; shift
  local stats
  stats=$( { /usr/bin/time -f '%e %M' "$@" >/dev/null 2>/dev/null; } 2>&1 | tail -1)
  printf '%-34s %8s s %10s KiB\n' "$name" ${stats}
  echo "$stats" > "$out/$name.stats"
}

records=$("$here/bin/corvane" count --file "$big" 2>/dev/null || echo 0)
echo "log: $big ($(du -m "$big" | cut -f1) MB, $records records)"
measure evtexport evtexport "$big"
measure corvane-dump-text "$here/bin/corvane" dump --format text --file "$big"
measure read-16k "$here/scripts/wine-run" "$build/win/bench/read_bench.exe" "Z:$big"

python3 - "$out" "$records" <<'PY'
import sys, pathlib
out, records = pathlib.Path(sys.argv[1]), int(sys.argv[2] or 0)
stats = {p.stem: tuple(map(float, p.read_text().split())) for p in out.glob('*.stats')}
base = stats['evtexport'][0]
for name, (sec, kib) in sorted(stats.items()):
    rate = records / sec if sec else 0
    print(f"{name:34} {rate:12.0f} records/s  ratio to evtexport {sec / base:6.3f}  peak {kib / 1024:7.1f} MB")
PY
