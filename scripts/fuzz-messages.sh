#!/usr/bin/env bash
# Fuzzes the message-table check and the message-module reader with libFuzzer under ASan and
# UBSan, each for the given time. Usage: scripts/fuzz-messages.sh [seconds]   (default 60). The
# corpora are seeded with the tables the message compiler wrote for the Windows tree and with
# the message modules built there, and kept in <BUILD>/fuzz-messages/corpus and .../modules.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
build="$here/${BUILD:-build}"
out="$build/fuzz-messages"
mkdir -p "$out/corpus" "$out/artifacts"

src="$here/src"
clang++ -std=c++20 -O1 -g -Wall -Wextra -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all \
  -I"$src" "$here/tests/core/messages/fuzz/message_table_fuzz.cpp" "$src/core/MessageTable.cpp" \
  -o "$out/message_table_fuzz"
clang++ -std=c++20 -O1 -g -Wall -Wextra -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all \
  -I"$src" "$here/tests/core/messages/fuzz/message_module_fuzz.cpp" "$src/core/MessageModule.cpp" \
  "$src/core/MessageTable.cpp" -o "$out/message_module_fuzz"

find "$build/win" -path '*_mc/*.bin' -exec cp -n {} "$out/corpus/" \; 2>/dev/null || true
# The modules: the message modules built here.
mkdir -p "$out/modules"
find "$build/win" -maxdepth 3 -name '*msg*.dll' -exec cp -n {} "$out/modules/" \; 2>/dev/null || true

run() {
  local fuzzer=$1 corpus=$2 max=$3
  cd "$out"
  ./"$fuzzer" -max_total_time="$seconds" -max_len="$max" -artifact_prefix="$out/artifacts/" \
    -print_final_stats=1 "$corpus" 2>&1 | tee "$out/$fuzzer.log" |
    grep -E "^(#[0-9]+ +DONE|stat::|==|SUMMARY|Done)" || true
}
run message_table_fuzz corpus 8192
run message_module_fuzz modules 262144
if ls "$out/artifacts" | grep -q .; then
  echo "fuzz-messages: findings in $out/artifacts" >&2
  exit 1
fi
