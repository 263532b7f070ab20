#!/usr/bin/env bash
# Runs every fuzzer of the fuzz tree (<BUILD>/fuzz, built by `make fuzz`) in turn, for the given
# number of seconds apiece (default 60), and prints one line of figures for each. The fuzzers and
# their seeds are listed in <BUILD>/fuzz/fuzzers.list; each one's corpus lives on in
# <BUILD>/fuzz/runs/NAME/corpus (seeded with its seeds and the findings kept under tests/), its
# whole output in .../last-run.log, and what it finds in .../artifacts. Every fuzzer runs even
# when one before it found something; any finding makes the script fail at the end.
# Usage: scripts/fuzz.sh [seconds]
set -uo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
tree="$here/${BUILD:-build}/fuzz"
list="$tree/fuzzers.list"
[ -f "$list" ] || { echo "fuzz: $list is missing; build the fuzz tree with make fuzz" >&2; exit 1; }

# Copies the files of a seed (a file, or a folder's files) into a corpus; seeds over 300 KB are
# left out, as they would slow every mutation of them.
seed() {
  local from=$1 corpus=$2
  [ -e "$from" ] || return 0
  find "$from" -maxdepth 1 -type f -size -300k -exec cp -n {} "$corpus/" \;
}

found=0
printf '%-22s %12s %10s %8s %8s %8s  %s\n' fuzzer executions exec/s cov ft corpus findings
while IFS='|' read -r name binary seeds findings dict max_len; do
  [ -n "$name" ] || continue
  run="$tree/runs/$name"
  mkdir -p "$run/corpus" "$run/artifacts"
  IFS=, read -r -a seed_paths <<<"$seeds"
  for path in "${seed_paths[@]}" "$findings"; do seed "$path" "$run/corpus"; done
  options=(-max_total_time="$seconds" -print_final_stats=1 -artifact_prefix="$run/artifacts/"
           -rss_limit_mb=2048 -timeout=30)
  [ -n "$dict" ] && options+=(-dict="$dict")
  [ -n "$max_len" ] && options+=(-max_len="$max_len")
  before=$(find "$run/artifacts" -type f | wc -l)
  (cd "$run" && "$binary" "${options[@]}" corpus >last-run.log 2>&1)
  status=$?
  after=$(find "$run/artifacts" -type f | wc -l)
  # The last status line holds the coverage; the final statistics the executions and speed.
  last=$(grep -E '^#[0-9]+' "$run/last-run.log" | tail -n 1)
  final_stat() { grep -E "^stat::$1:" "$run/last-run.log" | awk '{print $2}'; }
  field() { sed -nE "s/.* $1: ([0-9]+(\/[0-9]+[a-zA-Z]*)?).*/\1/p" <<<"$last"; }
  printf '%-22s %12s %10s %8s %8s %8s  %s\n' "$name" "$(final_stat number_of_executed_units)" \
    "$(final_stat average_exec_per_sec)" "$(field cov)" "$(field ft)" "$(field corp)" "$((after - before))"
  if [ "$status" -ne 0 ] || [ "$after" -gt "$before" ]; then
    found=1
    grep -E '^(==[0-9]+==ERROR|SUMMARY|artifact_prefix|Test unit written)' "$run/last-run.log" | sed 's/^/    /'
  fi
done <"$list"
if [ "$found" -ne 0 ]; then
  echo "fuzz: findings above (inputs in $tree/runs/*/artifacts); mend them and keep each input" \
       "under the fuzzer's tests/.../fuzz/findings/NAME/" >&2
  exit 1
fi
