#!/usr/bin/env bash
# Fuzzes the registry export parser (and the accounts file parser on the same inputs) of the
# simulated network with libFuzzer under ASan and UBSan. Usage: scripts/fuzz-network.sh [seconds]
# (default 60). The corpus starts from tests/evtsvc/network/fuzz/seeds and lives on in
# <BUILD>/fuzz-network/corpus; findings land in <BUILD>/fuzz-network/artifacts and fail the run.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
out="$here/${BUILD:-build}/fuzz-network"
mkdir -p "$out/corpus" "$out/artifacts"

net="$here/src/evtsvc/network"
clang++ -std=c++20 -O1 -g -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all \
  -I"$here/src" "$here/tests/evtsvc/network/fuzz/reg_file_fuzz.cpp" \
  "$net/Accounts.cpp" "$net/NameText.cpp" "$net/RegFile.cpp" "$net/RegistryTree.cpp" "$net/Sid.cpp" \
  -o "$out/reg_file_fuzz"

cp -n "$here"/tests/evtsvc/network/fuzz/seeds/* "$out/corpus/"
cd "$out"
./reg_file_fuzz -max_total_time="$seconds" -max_len=16384 -artifact_prefix="$out/artifacts/" \
  -dict="$here/tests/evtsvc/network/fuzz/reg.dict" -print_final_stats=1 corpus 2>&1 |
  tee "$out/last-run.log" | grep -E "^(#[0-9]+ +DONE|stat::|==|SUMMARY)" || true
if ls "$out/artifacts" | grep -q .; then
  echo "fuzz-network: findings in $out/artifacts" >&2
  exit 1
fi
