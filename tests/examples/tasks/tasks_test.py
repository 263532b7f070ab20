"""The task scripts of examples/tasks run through cscript as an administrator runs them, their
output checked: export-csv field by field against pyevt on the sample log under code page 936,
recent-errors and backup-and-clear on logs of the test's own, machines-summary on the simulated
network, watch while events arrive and the log is cleared.

    tasks_test.py ROOT BUILD SHARED CORVANE_OCX NTEVTSVC MAKE_SAMPLE_NETWORK SCRATCH
"""
import collections
import csv
import datetime
import io
import os
import pathlib
import shutil
import subprocess
import sys
import time
import types
import unittest

import pyevt

ROOT, BUILD, SHARED, OCX, SERVICE, MAKE_NETWORK, SCRATCH = map(pathlib.Path, sys.argv[1:8])
TASKS = ROOT / "examples" / "tasks"
WINE_RUN = str(ROOT / "scripts" / "wine-run")
LOGS_KEY = "HKLM\\SYSTEM\\CurrentControlSet\\Services\\EventLog\\"
TYPES = {0: "success", 1: "error", 2: "warning", 4: "information", 8: "audit success", 16: "audit failure"}


def windows(path):
    return "Z:" + str(path).replace("/", "\\")


ENV = dict(os.environ, CORVANE_SYSTEM_LIBRARY=windows(SERVICE), CORVANE_NETWORK=windows(SCRATCH / "network"),
           BUILD=str(BUILD), TZ="UTC")


def wine(*args, check=True):
    result = subprocess.run([WINE_RUN, *args], env=ENV, stdin=subprocess.DEVNULL, capture_output=True, timeout=300)
    if check and result.returncode != 0:
        raise AssertionError(f"{args} exited {result.returncode}: {result.stdout!r} {result.stderr!r}")
    return result


def task(script, *args, locale="en_US.UTF-8", zone="UTC"):
    """Exit code and output (LF line ends) of one task script."""
    result = subprocess.run([WINE_RUN, "cscript", "//nologo", windows(TASKS / script), *args],
                            env=dict(ENV, CORVANE_LOCALE=locale, TZ=zone), stdin=subprocess.DEVNULL, capture_output=True, timeout=300)
    return result.returncode, result.stdout.decode("cp1252" if locale.startswith("en") else "gbk").replace("\r\n", "\n")


def corvane(*args):
    return subprocess.run([str(ROOT / "bin" / "corvane"), *args], env=ENV, stdin=subprocess.DEVNULL, capture_output=True,
                          check=True, timeout=300).stdout.decode()


LOGS = ("CorvaneTaskCsv", "CorvaneTaskRecent", "CorvaneTaskClear", "CorvaneTaskWatch")


def make_logs():
    """The test's own logs, each with a source of its name, in one registry import."""
    lines = ["Windows Registry Editor Version 5.00", ""]
    for name in LOGS:
        key = "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\EventLog\\" + name
        lines += [key + "]", '"File"="' + windows(SCRATCH / f"{name}.evt").replace("\\", "\\\\") + '"', "",
                  key + "\\" + name + "]", ""]
    (SCRATCH / "logs.reg").write_text("\r\n".join(lines), encoding="utf-16")
    wine("regedit", "/s", windows(SCRATCH / "logs.reg"))


def write(log, kind, *strings):
    corvane("write", "--source", log, "--type", kind, *strings)


def records(path):
    """pyevt's reading of a log file, oldest first (read while the file is open)."""
    reader = pyevt.file()
    reader.open(str(path))
    read = [types.SimpleNamespace(identifier=r.identifier, generated=r.get_creation_time_as_integer(),
                                  event_type=r.event_type, event_identifier=r.event_identifier,
                                  event_category=r.event_category, source_name=r.source_name,
                                  computer_name=r.computer_name, sid=r.user_security_identifier,
                                  strings=list(r.strings)) for r in reader.records]
    reader.close()
    return sorted(read, key=lambda r: r.identifier)


def replacement(event_id, source, strings):
    return (f"The description for Event ID ( {event_id & 0xFFFF} ) in Source ( {source} ) could not be found. "
            "It contains the following insertion string(s): ." + "".join("\r\n" + s for s in strings))


def setUpModule():
    shutil.rmtree(SCRATCH, ignore_errors=True)
    SCRATCH.mkdir(parents=True)
    wine("regsvr32", "/s", windows(OCX))
    wine(str(MAKE_NETWORK), windows(SCRATCH / "network"))
    # The old records of the sample log come first in one of them.
    shutil.copyfile(SHARED / "data" / "AppEvent.Evt", SCRATCH / "CorvaneTaskRecent.evt")
    make_logs()


def tearDownModule():
    for name in LOGS:
        wine("reg", "delete", LOGS_KEY + name, "/f", check=False)
    shutil.rmtree(SCRATCH, ignore_errors=True)


class ExportCsv(unittest.TestCase):
    def test_the_sample_log_under_code_page_936_equals_pyevt_field_by_field(self):
        out = SCRATCH / "sample.csv"
        code, text = task("export-csv.vbs", windows(SHARED / "data" / "AppEvent.Evt"), windows(out),
                          locale="zh_CN.UTF-8")
        self.assertEqual(code, 0, text)
        raw = out.read_bytes()
        self.assertEqual(raw.count(b"\n"), raw.count(b"\r\n"), "every line ends with CR LF")
        rows = list(csv.reader(io.StringIO(raw.decode("gbk"), newline="")))
        self.assertEqual(rows[0], "Number,TimeGenerated,Type,EventId,InstanceId,Category,Source,Computer,User,"
                                  "Message".split(","))
        expected = records(SHARED / "data" / "AppEvent.Evt")
        self.assertEqual(len(rows) - 1, len(expected))
        for number, (row, r) in enumerate(zip(rows[1:], expected)):
            generated = datetime.datetime.fromtimestamp(r.generated, datetime.timezone.utc)
            strings = r.strings
            self.assertEqual(row[:8], [str(number), generated.strftime("%Y-%m-%dT%H:%M:%SZ"),
                                       TYPES[r.event_type], str(r.event_identifier & 0xFFFF),
                                       str(r.event_identifier), str(r.event_category), r.source_name,
                                       r.computer_name], f"record {number}")
            sid = r.sid
            if sid == "S-1-5-18":
                self.assertTrue(row[8].endswith("\\SYSTEM"), row[8])
            else:
                self.assertEqual(row[8], "N/A", f"record {number}, SID {sid}")
            self.assertEqual(row[9], replacement(r.event_identifier, r.source_name, strings), f"record {number}")

    def test_a_live_log_by_name_with_quotes_and_commas_and_bad_arguments(self):
        write("CorvaneTaskCsv", "warning", 'say "hi", then go')
        out = SCRATCH / "live.csv"
        code, text = task("export-csv.vbs", "CorvaneTaskCsv", windows(out))
        self.assertEqual((code, text), (0, f"export-csv: 1 records written to {windows(out)}\n"))
        rows = list(csv.reader(io.StringIO(out.read_bytes().decode("cp1252"), newline="")))
        self.assertEqual(rows[1][2], "warning")
        self.assertEqual(rows[1][9], replacement(0, "CorvaneTaskCsv", ['say "hi", then go']))
        code, text = task("export-csv.vbs", windows(SCRATCH / "missing.evt"), windows(out))
        self.assertEqual(code, 2, text)
        self.assertIn("usage: cscript //nologo export-csv.vbs SOURCE OUT", text)


class RecentErrors(unittest.TestCase):
    def test_lists_the_new_errors_and_warnings_newest_first_and_stops_at_the_first_older_record(self):
        # The sample log's records are from 2020; three new ones follow them.
        write("CorvaneTaskRecent", "error", "disk full", "D:")
        write("CorvaneTaskRecent", "information", "all well")
        write("CorvaneTaskRecent", "warning", "disk almost full")
        # Eight hours ahead of UTC: the period is measured in UTC, as records are.
        code, text = task("recent-errors.vbs", "CorvaneTaskRecent", "1", zone="Asia/Shanghai")
        self.assertEqual(code, 0, text)
        lines = text.splitlines()
        self.assertRegex(lines[0], r"^\S+Z  warning  CorvaneTaskRecent  id 0  #123$")
        self.assertEqual(lines[2], "    disk almost full")
        self.assertRegex(lines[3], r"^\S+Z  error  CorvaneTaskRecent  id 0  #121$")
        self.assertEqual(lines[5:7], ["    disk full", "    D:"])
        self.assertEqual(lines[-1], "recent-errors: 2 errors and warnings in the last 1 hours of CorvaneTaskRecent "
                                    "(4 records read)")

    def test_another_machine_and_bad_arguments(self):
        code, text = task("recent-errors.vbs", "Application", "100000", "\\\\CORVSRV")
        self.assertEqual(code, 0, text)
        self.assertEqual([line.split("  ")[1:3] for line in text.splitlines() if line.endswith(("#1", "#2"))],
                         [["warning", "Corvane Demo"], ["error", "Payroll"]])
        code, text = task("recent-errors.vbs", "Application", "-3")
        self.assertEqual(code, 2, text)
        self.assertIn("usage:", text)


class BackupAndClear(unittest.TestCase):
    def test_backs_up_checks_and_clears_and_clears_nothing_when_the_folder_is_missing(self):
        corvane("write", "--source", "CorvaneTaskClear", "--repeat", "5", "entry")
        code, text = task("backup-and-clear.vbs", "CorvaneTaskClear", windows(SCRATCH / "no-such-folder"))
        self.assertEqual(code, 2, text)
        self.assertEqual(corvane("count", "--log", "CorvaneTaskClear").strip(), "5")

        folder = SCRATCH / "backups"
        folder.mkdir()
        code, text = task("backup-and-clear.vbs", "CorvaneTaskClear", windows(folder))
        self.assertEqual(code, 0, text)
        backups = list(folder.glob("CorvaneTaskClear-*.evt"))
        self.assertEqual(len(backups), 1)
        self.assertRegex(backups[0].name, r"^CorvaneTaskClear-\d{8}-\d{6}\.evt$")
        self.assertIn(f"5 records of CorvaneTaskClear backed up to {windows(backups[0])} and cleared", text)
        self.assertEqual([r.strings for r in records(backups[0])], [["entry"]] * 5)
        self.assertEqual(corvane("count", "--log", "CorvaneTaskClear").strip(), "0")


class MachinesSummary(unittest.TestCase):
    def test_counts_errors_per_source_and_reports_an_unreachable_machine_on_its_line(self):
        listing = SCRATCH / "machines.txt"
        listing.write_text("CORVSRV\r\n# the controller\r\n\\\\CORVDC\r\n\r\nNOSUCH\r\nCORVWKS\r\n")
        code, text = task("machines-summary.vbs", windows(listing))
        self.assertEqual(code, 1, text)

        def summary(machine, log):
            errors = collections.Counter(r.source_name for r in records(
                SCRATCH / "network" / machine / "system32" / "config" / f"{log}.Evt") if r.event_type == 1)
            return f"{sum(errors.values())} errors" + "".join(
                (": " if i == 0 else ", ") + f"{source} {n}" for i, (source, n) in enumerate(errors.items()))

        lines = text.splitlines()
        self.assertEqual(len(lines), 4, text)
        for line, machine in zip(lines, ("CORVSRV", "CORVDC", None, "CORVWKS")):
            if machine is None:
                self.assertTrue(line.startswith("\\\\NOSUCH  cannot be read: 1722: "), line)
            else:
                self.assertEqual(line, f"\\\\{machine}  System {summary(machine, 'SysEvent')}; "
                                       f"Application {summary(machine, 'AppEvent')}")
        self.assertEqual(task("machines-summary.vbs")[0], 2)


class Watch(unittest.TestCase):
    def test_prints_new_records_as_they_arrive_and_goes_on_after_a_clear(self):
        write("CorvaneTaskWatch", "information", "before the watch")
        output = SCRATCH / "watch.txt"
        with open(output, "wb") as sink:
            # Nothing of the test's own output goes to the watcher: the waits it leaves behind when
            # it is stopped must not hold the test runner's pipes.
            watcher = subprocess.Popen([WINE_RUN, "cscript", "//nologo", windows(TASKS / "watch.vbs"),
                                        "CorvaneTaskWatch", "1", "40"], env=ENV, stdin=subprocess.DEVNULL,
                                       stdout=sink, stderr=subprocess.DEVNULL)

        def seen(text, timeout=30):
            deadline = time.time() + timeout
            while time.time() < deadline:
                if text in output.read_bytes().decode("cp1252"):
                    return True
                time.sleep(0.2)
            return False

        try:
            self.assertTrue(seen("CorvaneTaskWatch holds 1 records"))
            write("CorvaneTaskWatch", "error", "first new")
            self.assertTrue(seen("first new"))
            corvane("clear", "--log", "CorvaneTaskWatch")
            write("CorvaneTaskWatch", "warning", "after the clear")
            self.assertTrue(seen("after the clear"))
        finally:
            watcher.kill()
            watcher.wait()
        lines = output.read_bytes().decode("cp1252").replace("\r\n", "\n").splitlines()
        self.assertNotIn("before the watch", "\n".join(lines))
        self.assertRegex(lines[1], r"^\S+Z  error  CorvaneTaskWatch  id 0$")
        self.assertEqual(lines[3], "    first new")
        self.assertIn("watch: CorvaneTaskWatch was cleared", lines)
        self.assertEqual(lines[-1], "    after the clear")
        self.assertEqual(task("watch.vbs", "CorvaneTaskWatch", "soon")[0], 2)


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1], verbosity=2)
