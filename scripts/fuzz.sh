#!/usr/bin/env bash
# Builds the event-log file fuzzer (libFuzzer with ASan and UBSan) into $BUILD/fuzz and runs it
# for the given number of seconds (default 60). The corpus lives on in $BUILD/fuzz/corpus; it is
# seeded with the sample log and the log files the native tests wrote. Findings go to
# $BUILD/fuzz/artifacts and make the script fail.
set -euo pipefail
cd "$(dirname "$0")/.."

BUILD=${BUILD:-build}
SECONDS_TO_RUN=${1:-60}
OUT=$BUILD/fuzz
mkdir -p "$OUT/corpus" "$OUT/artifacts" "$OUT/obj"

FLAGS=(-std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all
       -fno-omit-frame-pointer -Wall -Wextra -Isrc/evtsvc/format)
objects=()
for source in src/evtsvc/format/*.cpp tests/evtsvc/format/fuzz/EvtFileFuzz.cpp; do
  object=$OUT/obj/$(basename "${source%.cpp}").o
  if [[ ! -f $object || $source -nt $object || -n $(find src/evtsvc/format -name '*.h' -newer "$object") ]]; then
    echo "compiling $source"
    clang++ "${FLAGS[@]}" -c "$source" -o "$object"
  fi
  objects+=("$object")
done
clang++ "${FLAGS[@]}" "${objects[@]}" -o "$OUT/evtfile_fuzz"

cp -n ../shared/data/AppEvent.Evt "$OUT/corpus/" 2>/dev/null || true
if [[ -d $BUILD/native/evtformat-output ]]; then
  find "$BUILD/native/evtformat-output" -name '*.evt' -size -300k -exec cp -n {} "$OUT/corpus/" \;
fi

echo "fuzzing for ${SECONDS_TO_RUN}s with $(ls "$OUT/corpus" | wc -l) corpus files"
"$OUT/evtfile_fuzz" "$OUT/corpus" -max_total_time="$SECONDS_TO_RUN" -print_final_stats=1 \
  -artifact_prefix="$OUT/artifacts/" -rss_limit_mb=2048 -timeout=30 2>&1 | tee "$OUT/last-run.log" |
  grep -E '^#[0-9]+[[:space:]]+(INITED|DONE)|^stat::|ERROR|SUMMARY|Test unit written|deadly signal'
exit "${PIPESTATUS[0]}"
