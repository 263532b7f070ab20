#!/usr/bin/env bash
# The main job: the Rendal control registered with regsvr32 and driven by a VBScript and a JScript
# through cscript, then the corvane command, all under Wine and bound to the bundled event-log
# service. Writes events to the local Application log with a source whose message module we
# ship, reads them back with their message texts, reads a machine of the simulated network, and
# dumps the sample log.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build="$here/${BUILD:-build}"
source "$here/scripts/wine-session.sh"
export CORVANE_SYSTEM_LIBRARY="Z:$build/win/src/evtsvc/ntevtsvc.dll"
corvane="$here/bin/corvane"
source_name="Corvane Demo"

step() { printf '\n== %s\n' "$*"; }

step "Registering the event source \"$source_name\" with its message module"
"$here/scripts/wine-run" reg add \
  "HKLM\\SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\$source_name" \
  /v EventMessageFile /t REG_EXPAND_SZ /d "Z:$build/win/tools/corvmsg.dll" /f >/dev/null

step "Registering the Rendal control, 64-bit and 32-bit (each regsvr32 with its Corvane.ocx)"
"$corvane" register

network="$build/demo-network"
rm -rf "$network"
"$build/native/tests/evtsvc/network/make_sample_network" "$network" >/dev/null
# Each example through both script hosts: the 64-bit cscript with the 64-bit Corvane.ocx and
# service, and the 32-bit one (syswow64\cscript.exe, as 32-bit installers and schedulers start it)
# with the 32-bit ones from build/win32.
for bits in 64 32; do
  tree=win; host='64-bit cscript (system32)'
  [ "$bits" = 32 ] && tree=win32 host='32-bit cscript (syswow64)'
  for script in rendal-tour.vbs rendal-tour.js for-each.vbs for-each.js; do
    step "examples/$script through the $host: CreateObject(\"Corvane.Rendal\")"
    backup="C:\\windows\\temp\\demo-$bits-$script.evt"
    "$here/scripts/wine-run" cmd /c del "$backup" >/dev/null 2>&1 || true
    status=0
    CORVANE_BITS=$bits CORVANE_SYSTEM_LIBRARY="Z:$build/$tree/src/evtsvc/ntevtsvc.dll" \
      CORVANE_NETWORK="Z:$network" "$here/scripts/wine-run" cscript //nologo \
      "Z:$here/examples/$script" "$source_name" "$backup" '\\CORVSRV' | tr -d '\r' || status=$?
    [ "$status" -eq 77 ] || { echo "demo: $script stopped before its end in the $host (exit $status)" >&2; exit 1; }
  done
done

step "System function tables, bound through CORVANE_SYSTEM_LIBRARY"
"$corvane" tables

step "Writing three events to the Application log"
user=$(id -un)
"$corvane" write --source "$source_name" --type information --id 1073742824 "$(hostname)" "$user"
"$corvane" write --source "$source_name" --type warning --id 2147484649 --no-user C: 312
"$corvane" write --source "$source_name" --type error --id 3221226474 --data 0d0a0000 \
  Application 'C:\backup\app.evt'
echo "Application now holds $("$corvane" count --log Application) records"

step "The three newest records of the Application log, with their messages"
"$corvane" dump --log Application --newest 3 --messages

step "The same as JSON lines"
"$corvane" dump --log Application --newest 3 --format jsonl --messages

step "A machine of the simulated network: the Application log of \\\\CORVSRV"
export CORVANE_NETWORK="Z:$network"
"$corvane" count --log Application --machine CORVSRV
"$corvane" dump --log Application --machine '\\CORVSRV' --format jsonl
unset CORVANE_NETWORK

step "The sample log ($(basename "$here/../shared/data/AppEvent.Evt")), Chinese strings under code page 936"
CORVANE_LOCALE=zh_CN.UTF-8 "$corvane" dump --file "$here/../shared/data/AppEvent.Evt"
