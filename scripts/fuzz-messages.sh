#!/usr/bin/env bash
# Fuzzes the message-table check with libFuzzer under ASan and UBSan. Usage:
# scripts/fuzz-messages.sh [seconds]   (default 60). The corpus is seeded with the tables the
# message compiler wrote for the Windows tree and kept in <BUILD>/fuzz-messages/corpus.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
build="$here/${BUILD:-build}"
out="$build/fuzz-messages"
mkdir -p "$out/corpus" "$out/artifacts"

src="$here/src"
clang++ -std=c++20 -O1 -g -Wall -Wextra -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all \
  -I"$src" "$here/tests/messages/fuzz/message_table_fuzz.cpp" "$src/core/MessageTable.cpp" \
  -o "$out/message_table_fuzz"

find "$build/win" -path '*_mc/*.bin' -exec cp -n {} "$out/corpus/" \; 2>/dev/null || true

cd "$out"
./message_table_fuzz -max_total_time="$seconds" -max_len=8192 -artifact_prefix="$out/artifacts/" \
  -print_final_stats=1 corpus 2>&1 | tee "$out/last-run.log" | grep -E "^(#[0-9]+ +DONE|stat::|==|SUMMARY|Done)" || true
if ls "$out/artifacts" | grep -q .; then
  echo "fuzz-messages: findings in $out/artifacts" >&2
  exit 1
fi
