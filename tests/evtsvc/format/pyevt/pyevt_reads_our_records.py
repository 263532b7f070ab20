#!/usr/bin/python3
# An independent reader (Debian's pyevt) must see the records of a log we wrote as we wrote
# them: names, SID, strings and data bytes, whatever the lengths of the parts before them.
# Usage: pyevt_reads_our_records.py WRITER OUTPUT.evt
import subprocess
import sys

import pyevt

writer, path = sys.argv[1], sys.argv[2]
written = subprocess.run([writer, path], check=True, capture_output=True, text=True).stdout
expected = [line.split("\t") for line in written.splitlines()]

log = pyevt.file()
log.open(path)
faults = []
if log.number_of_records != len(expected):
    faults.append(f"{log.number_of_records} records read, {len(expected)} written")
for index, (source, sid, data, strings) in enumerate(expected):
    if index >= log.number_of_records:
        break
    record = log.get_record(index)
    got = (record.source_name, record.user_security_identifier or "-",
           (record.data or b"").hex(), "|".join(record.strings))
    if got != (source, sid, data, strings):
        faults.append(f"record {index + 1}: read {got}, wrote {(source, sid, data, strings)}")
log.close()
print("\n".join(faults) or f"pyevt reads all {len(expected)} records as written")
sys.exit(1 if faults else 0)
