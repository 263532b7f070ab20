#!/usr/bin/env bash
# Runs one test script through cscript as a script author would: Corvane.ocx registered with
# regsvr32 in the prefix, a log of the test's own whose source has our message module, the
# bundled event-log service and a simulated network. Passes on exit code 77 (cscript ends a
# failed script with 0).
# Arguments: script, Corvane.ocx, corvmsg.dll, ntevtsvc.dll, make_sample_network.exe, scratch folder.
set -u
here=$(cd "$(dirname "$0")/../.." && pwd)
run="$here/scripts/wine-run"
script=$1 ocx=$2 messages=$3 service=$4 make_network=$5 scratch=$6
name=$(basename "$script" | tr -c 'A-Za-z0-9\n' '_')
log="Corvane $name"
source_name="$log source"
key="HKLM\\SYSTEM\\CurrentControlSet\\Services\\EventLog\\$log"

rm -rf "$scratch" && mkdir -p "$scratch"
"$run" regsvr32 /s "Z:$ocx" || { echo "regsvr32 failed" >&2; exit 1; }
"$run" reg delete "$key" /f >/dev/null 2>&1
"$run" reg add "$key" /v File /t REG_EXPAND_SZ /d "Z:$scratch/$name.evt" /f >/dev/null &&
  "$run" reg add "$key" /v MaxSize /t REG_DWORD /d 4194304 /f >/dev/null &&
  "$run" reg add "$key\\$source_name" /v EventMessageFile /t REG_EXPAND_SZ /d "Z:$messages" \
    /f >/dev/null || { echo "cannot make the test's log" >&2; exit 1; }
"$run" "$make_network" "Z:$scratch/network" >/dev/null || { echo "no sample network" >&2; exit 1; }

CORVANE_SYSTEM_LIBRARY="Z:$service" CORVANE_NETWORK="Z:$scratch/network" \
  "$run" cscript //nologo "Z:$script" "$source_name" "$log" '\\CORVSRV' '事件'
status=$?
"$run" reg delete "$key" /f >/dev/null 2>&1
rm -rf "$scratch"
[ "$status" -eq 77 ] || { echo "script ended with $status, not 77" >&2; exit 1; }
