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
  /usr/bin/time -o "$out/$name.stats" -f '%e %M' "$@" >/dev/null 2>"$out/$name.err" || {
    echo "$name failed:" >&2; cat "$out/$name.err" >&2; return 1; }
  printf '%-34s %8s s %10s KiB\n' "$name" $(cat "$out/$name.stats")
}

records=$("$here/bin/corvane" count --file "$big" 2>/dev/null || echo 0)
echo "log: $big ($(du -m "$big" | cut -f1) MB, $records records)"
measure evtexport evtexport "$big"
measure corvane-dump-text "$here/bin/corvane" dump --format text --file "$big"
measure read-16k "$here/scripts/wine-run" "$build/win/bench/read_bench.exe" "Z:$big"

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

python3 - "$out" "$records" <<'PY'
import sys, pathlib
out, records = pathlib.Path(sys.argv[1]), int(sys.argv[2] or 0)
stats = {p.stem: tuple(map(float, p.read_text().split())) for p in out.glob('*.stats')}
base = stats['evtexport'][0]
for name, (sec, kib) in sorted(stats.items()):
    rate = records / sec if sec else 0
    print(f"{name:34} {rate:12.0f} records/s  ratio to evtexport {sec / base:6.3f}  peak {kib / 1024:7.1f} MB")
PY
