#!/usr/bin/env bash
# Fuzzes the raw event-record decoder (and items loaded from it) with libFuzzer under ASan and
# UBSan. Usage: scripts/fuzz-records.sh [seconds]   (default 60). The corpus is seeded with
# records of the sample log and kept in <BUILD>/fuzz-records/corpus; crashes land beside it.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
out="$here/${BUILD:-build}/fuzz-records"
mkdir -p "$out/corpus" "$out/artifacts"

src="$here/src"
clang++ -std=c++20 -O1 -g -Wall -Wextra -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all \
  -I"$src" -I"$here/tests/core/records" \
  "$here/tests/core/records/fuzz/records_fuzz.cpp" "$src/core/RawRecord.cpp" "$src/core/EventItem.cpp" \
  "$src/core/PackedStrings.cpp" "$src/framework/ClassError.cpp" "$src/framework/Persistent.cpp" \
  "$src/framework/PropertyInfo.cpp" "$src/framework/StringList.cpp" \
  -o "$out/records_fuzz"

# Seeds: the records of the sample log, converted to 8-bit records by the seed writer.
if [ -z "$(ls -A "$out/corpus")" ]; then
  python3 "$here/tests/core/records/fuzz/make_seeds.py" "$here/../shared/data/AppEvent.Evt" "$out/corpus"
fi

cd "$out"
./records_fuzz -max_total_time="$seconds" -max_len=4096 -artifact_prefix="$out/artifacts/" \
  -print_final_stats=1 corpus 2>&1 | tee "$out/last-run.log" | grep -E "^(#[0-9]+ +DONE|stat::|==|SUMMARY|Done)" || true
if ls "$out/artifacts" | grep -q .; then
  echo "fuzz-records: findings in $out/artifacts" >&2
  exit 1
fi
