#!/usr/bin/env bash
# Benchmarks, reported and not asserted: each of our readers against evtexport on the same
# 100 MB log, in one run, with wall time, processor time (user + system, steadier than wall time
# on a loaded machine) and peak memory (maximum resident set size, which for our programs under
# Wine includes Wine's own share). Ratios are to evtexport in the same run.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build="$here/${BUILD:-build}"
source "$here/scripts/wine-session.sh"
export CORVANE_SYSTEM_LIBRARY="Z:$build/win/src/evtsvc/ntevtsvc.dll"
out="$build/bench"
mkdir -p "$out"
rm -f "$out"/*.stats
big="$out/big.evt"
[ -f "$big" ] || "$build/release/bench/make_big_log" "$here/../shared/data/AppEvent.Evt" "$big" 100

# measure NAME COMMAND...: one run; seconds, processor seconds, peak kilobytes. The output is
# discarded, or kept in NAME.out with KEEP=1.
measure() {
  local name=$1; shift
  local keep=/dev/null
  [ "${KEEP:-0}" = 1 ] && keep="$out/$name.out"
  /usr/bin/time -o "$out/$name.stats" -f '%e %U %S %M' "$@" >"$keep" 2>"$out/$name.err" || {
    echo "$name failed:" >&2; cat "$out/$name.err" >&2; return 1; }
}

records=$("$here/bin/corvane" count --file "$big")
echo "log: $big ($(( $(stat -c %s "$big") / 1048576 )) MB, $records records)"
component="$build/win/bench/component/component_read_bench.exe"
measure evtexport evtexport "$big"
measure corvane-dump-text "$here/bin/corvane" dump --format text --file "$big"
measure corvane-dump-jsonl "$here/bin/corvane" dump --format jsonl --file "$big"
measure corvane-count "$here/bin/corvane" count --file "$big"
CORVANE_NATIVE=0 measure wine-corvane-dump-text "$here/bin/corvane" dump --format text --file "$big"
measure wine-read-16k "$here/scripts/wine-run" "$build/win/bench/read_bench.exe" "Z:$big"
KEEP=1 measure wine-objects-forwards "$here/scripts/wine-run" "$component" "Z:$big" forwards
KEEP=1 measure wine-objects-backwards "$here/scripts/wine-run" "$component" "Z:$big" backwards
source "$here/bench/filters.sh"
"$here/bench/reads/server-calls.sh" "$build" "$big"

python3 - "$out" "$records" "$(stat -c %s "$big")" <<'PY'
import sys, pathlib
out, records, size = pathlib.Path(sys.argv[1]), int(sys.argv[2]), int(sys.argv[3])
stats = {p.stem: tuple(map(float, p.read_text().split())) for p in out.glob('*.stats')}
base_wall, base_user, base_sys, _ = stats['evtexport']
base_cpu = base_user + base_sys
print(f"{'':26} {'wall s':>7} {'cpu s':>7} {'x evtexport time':>17} {'x evtexport rate':>17} "
      f"{'peak MB':>8} {'x file':>6}")
for name in ['evtexport'] + sorted(n for n in stats if n != 'evtexport'):
    wall, user, sys_, kib = stats[name]
    cpu = user + sys_
    print(f"{name:26} {wall:7.2f} {cpu:7.2f}   wall {wall / base_wall:5.3f} cpu {cpu / base_cpu:5.3f}"
          f"   wall {base_wall / wall if wall else 0:5.2f} cpu {base_cpu / cpu if cpu else 0:5.2f}"
          f" {kib / 1024:8.1f} {kib * 1024 / size:6.2f}")
PY
python3 "$here/bench/filter_targets.py" "$out"
rm -f "$out"/*.stats
# The component's own timing, from opening the log to the last item (no process start-up).
sed 's/\r$//' "$out/wine-objects-forwards.out" "$out/wine-objects-backwards.out"

# Message texts: 100,000 events over 20 sources, each source with a message module of its own.
msgdir="$out/messages"
mkdir -p "$msgdir"
for n in $(seq -w 1 20); do cp "$build/win/bench/benchmsg.dll" "$msgdir/msg$n.dll"; done
python3 - "$msgdir" > "$msgdir/sources.reg" <<'PY'
import sys
folder = "Z:" + sys.argv[1].replace("/", "\\")
key = r"HKEY_LOCAL_MACHINE\SYSTEM\CurrentControlSet\Services\EventLog\CorvaneBench"
quote = lambda text: '"' + text.replace("\\", "\\\\") + '"'
print("REGEDIT4\n")
print(f"[{key}]\n\"File\"={quote(folder + chr(92) + 'bench.evt')}\n")
for n in range(1, 21):
    print(f"[{key}\\BenchSource{n:02}]\n\"EventMessageFile\"={quote(folder + chr(92) + f'msg{n:02}.dll')}\n")
PY
"$here/scripts/wine-run" regedit /S "Z:${msgdir//\//\\}\\sources.reg"
[ -f "$msgdir/bench.evt" ] ||
  "$here/scripts/wine-run" "$build/win/bench/make_message_log.exe" "Z:$msgdir/bench.evt" 100000 20
items=${ITEMS_COUNT:-5000}
"$here/scripts/wine-run" "$build/win/bench/message_bench.exe" CorvaneBench "$items"
measure corvane-dump-messages "$here/bin/corvane" dump --messages --format jsonl --log CorvaneBench
python3 - "$out/corvane-dump-messages.stats" <<'PY'
import sys
sec = float(open(sys.argv[1]).read().split()[0])
print(f"dump --messages: 100000 messages in {sec:.2f} s: {100000 / sec:.0f} messages/s")
PY
rm "$out/corvane-dump-messages.stats"

# An event's data bytes added one at a time, against std::vector (native, optimised).
"$build/release/bench/data_bytes_bench"
