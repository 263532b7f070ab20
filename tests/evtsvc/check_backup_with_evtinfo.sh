#!/bin/sh
# Checks a backup written by the multi-process test with libevt's evtinfo, an independent
# reader: it must count the expected records and not call the file corrupted. Removes the file.
file=$1
expected=$2
[ -f "$file" ] || { echo "no backup at $file"; exit 1; }
out=$(evtinfo "$file" 2>&1)
rc=$?
echo "$out"
rm -f "$file"
[ $rc -eq 0 ] || { echo "evtinfo failed ($rc)"; exit 1; }
if echo "$out" | grep -q "Is corrupted"; then echo "evtinfo calls the backup corrupted"; exit 1; fi
echo "$out" | grep -Eq "Number of records[[:space:]]*: $expected\$" || { echo "expected $expected records"; exit 1; }
echo "evtinfo: $expected records, not corrupted"
