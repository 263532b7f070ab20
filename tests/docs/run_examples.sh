#!/usr/bin/env bash
# Runs every example of the reference as a script author would: each fenced vbscript or
# javascript block of docs/ as a program of its own through cscript of this tree's width, against
# the control registered with regsvr32, the bundled event-log service and the simulated network.
# Examples run a few at a time; each passes on the exit marker the extraction appends.
# Arguments: docs folder, Corvane.ocx, ntevtsvc.dll, make_sample_network.exe, scratch folder.
set -u
here=$(cd "$(dirname "$0")/../.." && pwd)
run="$here/scripts/wine-run"
docs=$1 ocx=$2 service=$3 make_network=$4 scratch=$5
parallel=${CORVANE_EXAMPLE_JOBS:-3}

rm -rf "$scratch" && mkdir -p "$scratch/examples" "$scratch/out"
python3 "$here/tests/docs/extract_examples.py" "$scratch/examples" "$docs"/*.md || exit 1
"$run" regsvr32 /s "Z:$ocx" || { echo "regsvr32 failed" >&2; exit 1; }
"$run" "$make_network" "Z:$scratch/network" >/dev/null || { echo "no sample network" >&2; exit 1; }

export CORVANE_SYSTEM_LIBRARY="Z:$service" CORVANE_NETWORK="Z:$scratch/network" run scratch
one() {
  local name=$1
  "$run" cscript //nologo "Z:$scratch/examples/$name" > "$scratch/out/$name.txt" 2>&1
  echo "$? $name"
}
export -f one
start=$(date +%s.%N)
(cd "$scratch/examples" && ls) | xargs -P "$parallel" -I{} bash -c 'one "$@"' _ {} > "$scratch/results"
seconds=$(awk -v a="$start" -v b="$(date +%s.%N)" 'BEGIN { printf "%.1f", b - a }')

failed=0
while read -r code name; do
  [ "$code" = 77 ] && continue
  failed=$((failed + 1))
  page=${name%-*} line=${name##*-}
  echo "FAILED ${page}.md line $((10#${line%%.*})) ($name): exit $code"
  tr -d '\r' < "$scratch/out/$name.txt" | tail -15 | sed 's/^/    /'
done < "$scratch/results"
echo "$(wc -l < "$scratch/results") examples in $seconds s; $failed failed"
[ "$failed" -eq 0 ] && rm -rf "$scratch"
[ "$failed" -eq 0 ]
