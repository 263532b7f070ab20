#!/usr/bin/env bash
# The component's read benchmark, reported and not asserted: every record of the 100 MB replayed
# log read through Objects, forwards and backwards, side by side with evtexport on the same file
# in one run: wall time, records per second and peak memory (maximum resident set size, which
# for our programs includes Wine's own share).
set -euo pipefail
here=$(cd "$(dirname "$0")/../.." && pwd)
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
records=$(evtinfo "$big" 2>/dev/null | sed -n 's/.*Number of records[^0-9]*\([0-9]*\).*/\1/p' | head -1)
echo "log: $big ($(du -m "$big" | cut -f1) MB, ${records:-?} records)"

declare -A seconds peak
run() {
  local name=$1; shift
  /usr/bin/time -o "$out/$name.time" -f '%e %M' "$@" > "$out/$name.out" 2>/dev/null
  read -r seconds[$name] peak[$name] < <(tail -1 "$out/$name.time")
}
run evtexport evtexport "$big"
run component-forwards "$here/scripts/wine-run" "$build/win/bench/component/component_read_bench.exe" "Z:$big" forwards
run component-backwards "$here/scripts/wine-run" "$build/win/bench/component/component_read_bench.exe" "Z:$big" backwards

size_kib=$(( $(stat -c %s "$big") / 1024 ))
for name in evtexport component-forwards component-backwards; do
  python3 - "$name" "${seconds[$name]}" "${peak[$name]}" "${records:-0}" "${seconds[evtexport]}" "$size_kib" <<'PY'
import sys
name, sec, kib, records, base, size = sys.argv[1], float(sys.argv[2]), float(sys.argv[3]), int(sys.argv[4]), float(sys.argv[5]), int(sys.argv[6])
rate = records / sec if sec else 0
base_rate = records / base if base else 0
print(f"{name:22} {sec:8.2f} s {rate:11.0f} records/s  x{rate / base_rate if base_rate else 0:5.2f} evtexport's rate"
      f"  peak {kib / 1024:7.1f} MB ({kib / size:4.2f} x file)")
PY
done
for name in component-forwards component-backwards; do sed 's/\r$//' "$out/$name.out"; done
