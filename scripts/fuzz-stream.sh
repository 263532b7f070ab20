#!/usr/bin/env bash
# Fuzzes the reader of a component's saved state with libFuzzer under ASan and UBSan.
# Usage: scripts/fuzz-stream.sh [seconds]   (default 60). The corpus is seeded with saved states
# written by the library itself and kept in <BUILD>/fuzz-stream/corpus; findings land in
# <BUILD>/fuzz-stream/artifacts and fail the run.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
out="$here/${BUILD:-build}/fuzz-stream"
mkdir -p "$out/corpus" "$out/artifacts"

src="$here/src"
library=("$src/framework/PropertyStream.cpp" "$src/framework/PropertyInfo.cpp"
         "$src/framework/Persistent.cpp" "$src/framework/Component.cpp"
         "$src/framework/ClassError.cpp")
flags=(-std=c++20 -O1 -g -Wall -Wextra -fno-sanitize-recover=all -I"$src" -I"$here/tests/framework")
clang++ "${flags[@]}" -fsanitize=fuzzer,address,undefined \
  "$here/tests/framework/fuzz/property_stream_fuzz.cpp" "${library[@]}" -o "$out/property_stream_fuzz"

if [ -z "$(ls -A "$out/corpus")" ]; then
  clang++ "${flags[@]}" -fsanitize=address,undefined "$here/tests/framework/fuzz/make_seed.cpp" \
    "${library[@]}" -o "$out/make_seed"
  "$out/make_seed" "$out/corpus"
fi

cd "$out"
./property_stream_fuzz -max_total_time="$seconds" -max_len=4096 -artifact_prefix="$out/artifacts/" \
  -print_final_stats=1 corpus 2>&1 | tee "$out/last-run.log" |
  grep -E "^(#[0-9]+ +DONE|stat::|==|SUMMARY)" || true
if ls "$out/artifacts" | grep -q .; then
  echo "fuzz-stream: findings in $out/artifacts" >&2
  exit 1
fi
