"""The corvane command end to end, under Wine, against the bundled event-log service."""
import csv
import io
import json
import os
import re
import shutil
import signal
import subprocess
import sys
import time
import unittest

ROOT, BUILD, SHARED = sys.argv[1], sys.argv[2], sys.argv[3]
CORVANE = os.path.join(ROOT, "bin", "corvane")
SAMPLE = os.path.join(SHARED, "data", "AppEvent.Evt")
REFERENCE = os.path.join(SHARED, "data", "AppEvent.reference.jsonl")
WORK = os.path.join(BUILD, "tests", "tools", "corvane", "work")
LOG = "CorvaneCliTest"
SOURCE = "CorvaneCliSource"
KEY = r"HKLM\SYSTEM\CurrentControlSet\Services\EventLog" + "\\" + LOG
WRAP_LOG, WRAP_SOURCE = "CorvaneCliWrap", "CorvaneCliWrapSource"
WRAP_KEY = KEY[:-len(LOG)] + WRAP_LOG
ENV = dict(os.environ, BUILD=os.path.relpath(BUILD, ROOT) if BUILD.startswith(ROOT) else BUILD)
ENV.pop("CORVANE_PROGRESS", None)
# The tests fix their locale (code page 1252 unless a test asks for another), whatever the caller's.
ENV["CORVANE_LOCALE"] = "en_US.UTF-8"


def corvane(*args, locale=None, check=True, native=True):
    env = dict(ENV)
    if locale:
        env["CORVANE_LOCALE"] = locale
    if not native:
        env["CORVANE_NATIVE"] = "0"
    result = subprocess.run([CORVANE, *args], env=env, capture_output=True, timeout=300)
    if check and result.returncode != 0:
        raise AssertionError(f"corvane {args} exited {result.returncode}: {result.stderr!r}")
    return result


def wine(*args):
    subprocess.run([os.path.join(ROOT, "scripts", "wine-run"), *args], env=ENV, check=True,
                   capture_output=True, timeout=120)


def windows_path(path):
    return "Z:" + path.replace("/", "\\")


def setUpModule():
    os.makedirs(WORK, exist_ok=True)
    for name in os.listdir(WORK):
        path = os.path.join(WORK, name)
        shutil.rmtree(path) if os.path.isdir(path) else os.remove(path)
    wine("reg", "add", KEY, "/v", "File", "/t", "REG_EXPAND_SZ", "/d",
         windows_path(os.path.join(WORK, "clitest.evt")), "/f")
    wine("reg", "add", KEY + "\\" + SOURCE, "/f")
    wine("reg", "add", WRAP_KEY, "/v", "File", "/t", "REG_EXPAND_SZ", "/d",
         windows_path(os.path.join(WORK, "wrap.evt")), "/f")
    for name in ("MaxSize", "Retention"):
        wine("reg", "add", WRAP_KEY, "/v", name, "/t", "REG_DWORD", "/d",
             "65536" if name == "MaxSize" else "0", "/f")
    wine("reg", "add", WRAP_KEY + "\\" + WRAP_SOURCE, "/f")


def tearDownModule():
    wine("reg", "delete", KEY, "/f")
    wine("reg", "delete", WRAP_KEY, "/f")


class SampleLog(unittest.TestCase):
    def test_jsonl_under_code_page_936_equals_the_reference(self):
        out = corvane("dump", "--format", "jsonl", "--file", SAMPLE, locale="zh_CN.UTF-8").stdout
        lines = out.decode("utf-8").splitlines()
        with open(REFERENCE, encoding="utf-8") as f:
            reference = f.read().splitlines()
        self.assertEqual(len(lines), 121)
        for number, (line, expected) in enumerate(zip(lines, reference)):
            prefix = '{"number": %d, ' % number
            self.assertTrue(line.startswith(prefix), line)
            self.assertEqual("{" + line[len(prefix):], expected)

    def test_count_newest_and_backwards(self):
        self.assertEqual(corvane("count", "--file", SAMPLE).stdout.strip(), b"121")
        newest = [json.loads(l) for l in corvane("dump", "--format", "jsonl", "--newest", "3",
                                                  "--file", SAMPLE).stdout.splitlines()]
        self.assertEqual([(r["number"], r["record"]) for r in newest], [(118, 119), (119, 120), (120, 121)])
        back = [json.loads(l) for l in corvane("dump", "--format", "jsonl", "--backwards", "--newest",
                                                "2", "--file", SAMPLE).stdout.splitlines()]
        self.assertEqual([(r["number"], r["record"]) for r in back], [(120, 121), (119, 120)])

    def test_csv_has_a_header_and_one_row_of_twelve_fields_per_record(self):
        out = corvane("dump", "--format", "csv", "--file", SAMPLE, locale="zh_CN.UTF-8").stdout
        rows = list(csv.reader(io.StringIO(out.decode("utf-8"), newline="")))
        self.assertEqual(rows[0][:3], ["number", "record", "generated"])
        self.assertEqual(len(rows), 122)
        self.assertTrue(all(len(r) == 12 for r in rows))
        with open(REFERENCE, encoding="utf-8") as f:
            reference = [json.loads(l) for l in f]
        for row, ref in zip(rows[1:], reference):
            self.assertEqual(json.loads(row[10]), ref["strings"])
            self.assertEqual(row[11], ref["data"])

    def test_the_callers_utf8_locale_is_used_without_corvane_locale(self):
        env = {k: v for k, v in ENV.items() if k not in ("CORVANE_LOCALE", "LC_ALL", "LC_CTYPE")}
        env["LANG"] = "zh_CN.UTF-8"
        # Through Wine: the native reader writes UTF-8 whatever the locale.
        env["CORVANE_NATIVE"] = "0"
        args = [CORVANE, "dump", "--format", "jsonl", "--file", SAMPLE]
        callers = subprocess.run(args, env=env, capture_output=True, timeout=300).stdout
        chinese = corvane(*args[1:], locale="zh_CN.UTF-8", native=False).stdout
        self.assertNotEqual(corvane(*args[1:], native=False).stdout, chinese,
                            "the sample holds text 1252 lacks")
        self.assertEqual(callers, chinese)

    def test_text_names_the_type_and_source(self):
        out = corvane("dump", "--newest", "1", "--file", SAMPLE).stdout.decode()
        self.assertRegex(out, r"^#120  record 121  2020-04-30T06:51:16Z  information  ESENT")


class NativeFileReading(unittest.TestCase):
    """bin/corvane reads saved files without Wine; the Windows build reads them through the service."""

    def assert_same_as_service(self, path, locale=None):
        for args in (["--format", "text"], ["--format", "jsonl", "--backwards"],
                     ["--format", "csv", "--newest", "7"]):
            native = corvane("dump", *args, "--file", path).stdout
            self.assertEqual(native, corvane("dump", *args, "--file", path, locale=locale,
                                             native=False).stdout, args)
        self.assertEqual(corvane("count", "--file", path).stdout,
                         corvane("count", "--file", path, native=False).stdout)

    def test_sample_log_reads_as_through_the_service_and_keeps_chinese_in_any_locale(self):
        self.assert_same_as_service(SAMPLE, locale="zh_CN.UTF-8")
        # Code page 1252 cannot hold the Chinese strings; the native reader needs no code page.
        self.assertEqual(corvane("dump", "--format", "jsonl", "--file", SAMPLE).stdout,
                         corvane("dump", "--format", "jsonl", "--file", SAMPLE,
                                 locale="zh_CN.UTF-8", native=False).stdout)

    def test_failures_read_as_through_the_service(self):
        junk = os.path.join(WORK, "junk.evt")
        with open(junk, "wb") as f:
            f.write(b"not an event log" * 64)
        for path in (junk, os.path.join(WORK, "none.evt"), os.path.join(WORK, "none", "x.evt")):
            native = corvane("dump", "--file", path, check=False)
            service = corvane("dump", "--file", path, check=False, native=False)
            # The Windows build's standard error is in text mode: its lines end in CR LF.
            self.assertEqual((native.returncode, native.stderr),
                             (1, service.stderr.replace(b"\r\n", b"\n")), path)

    def test_a_damaged_record_is_left_out_by_both_builds(self):
        with open(SAMPLE, "rb") as f:
            sample = f.read()
        at = 48
        for _ in range(60):
            at += int.from_bytes(sample[at:at + 4], "little")
        for word in (at + 4, at):  # the 61st record's signature, then its length
            damaged = bytearray(sample)
            damaged[word + 1] ^= 0x40
            path = os.path.join(WORK, "damaged.evt")
            with open(path, "wb") as f:
                f.write(damaged)
            self.assertEqual(corvane("count", "--file", path).stdout.strip(), b"120")
            records = [json.loads(l)["record"] for l in
                       corvane("dump", "--format", "jsonl", "--file", path).stdout.splitlines()]
            self.assertEqual(records, [n for n in range(1, 122) if n != 61])
            self.assert_same_as_service(path, locale="zh_CN.UTF-8")
            with open(path, "rb") as f:
                self.assertEqual(f.read(), damaged, "the file is only read")

    def test_wrapped_log_reads_as_through_the_service(self):
        corvane("write", "--source", WRAP_SOURCE, "--repeat", "700", "--no-user",
                "wrapped record, caf\u00e9")
        path = os.path.join(WORK, "wrap.evt")
        with open(path, "rb") as f:
            flags = int.from_bytes(f.read(48)[36:40], "little")
        self.assertTrue(flags & 2, "the log wrapped")
        self.assert_same_as_service(path)


class About(unittest.TestCase):
    def test_both_builds_print_the_version_of_the_tree(self):
        with open(os.path.join(ROOT, "VERSION")) as file:
            expected = f"corvane {file.read().strip()}\n".encode()
        self.assertEqual(corvane("--version").stdout, expected)
        native = os.path.join(BUILD, "release", "tools", "corvane", "corvane")
        if os.path.exists(native):
            self.assertEqual(subprocess.run([native, "--version"], capture_output=True).stdout, expected)


class Errors(unittest.TestCase):
    def test_usage_errors_exit_2(self):
        for args in (["dump"], ["dump", "--log", "A", "--file", "B"], ["frobnicate"],
                     ["dump", "--file", SAMPLE, "--format", "xml"], ["write"],
                     ["count", "--file", SAMPLE, "--bogus"], ["write", "--source", "S", "--data", "1"],
                     ["backup", "--log", LOG, ""], ["clear", "--log", LOG, "--backup", ""]):
            result = corvane(*args, check=False)
            self.assertEqual(result.returncode, 2, args)
            self.assertTrue(result.stderr.startswith(b"corvane: "), result.stderr)

    def test_a_command_line_too_long_for_windows_is_refused_by_the_wrapper(self):
        result = corvane("write", "--source", SOURCE, "--no-user", "a" * 33000, check=False)
        self.assertEqual(result.returncode, 2)
        self.assertRegex(result.stderr.decode(), r"^corvane: the command line has \d+ characters, more than "
                                                 r"the 32767 a Windows program accepts\n$")

    def test_failures_exit_1_with_one_line(self):
        result = corvane("count", "--file", "/nonexistent/none.evt", check=False)
        self.assertEqual(result.returncode, 1)
        self.assertRegex(result.stderr.decode(), r"^corvane: \d+: .+\n$")
        result = corvane("count", "--log", "System", "--machine", "NOSUCHHOST", check=False)
        self.assertEqual(result.returncode, 1)
        self.assertIn(b"1722", result.stderr)


    def test_text_the_code_page_cannot_hold_is_refused_naming_the_argument(self):
        before = corvane("count", "--log", "Application").stdout
        result = corvane("write", "--source", "事件源", "--no-user", "x", check=False)
        self.assertEqual(result.returncode, 1)
        self.assertEqual(result.stderr.decode("utf-8").rstrip(),
                         'corvane: argument 3 ("事件源") has characters that code page 1252 cannot hold')
        self.assertEqual(corvane("count", "--log", "Application").stdout, before)

    def test_a_damaged_message_module_gives_the_replacement_text(self):
        # The test module with its third message block pointing a megabyte past its table.
        messages = os.path.join(BUILD, "win", "tests", "core", "messages")
        with open(os.path.join(messages, "testmsg_mc", "testmsg_MSG00409.bin"), "rb") as f:
            table = f.read()
        with open(os.path.join(messages, "testmsg.dll"), "rb") as f:
            module = bytearray(f.read())
        at = module.find(table)
        self.assertGreater(at, 0)
        module[at + 4 + 2 * 12 + 8:at + 4 + 2 * 12 + 12] = (0x00100000).to_bytes(4, "little")
        damaged = os.path.join(WORK, "damaged.dll")
        with open(damaged, "wb") as f:
            f.write(module)
        source = "CorvaneDamagedModule"
        wine("reg", "add", KEY + "\\" + source, "/v", "EventMessageFile", "/d", windows_path(damaged), "/f")
        try:
            corvane("write", "--source", source, "--id", str(0xC0000002), "--no-user", "kept")
            result = corvane("dump", "--log", LOG, "--newest", "1", "--messages", "--format", "jsonl",
                             check=False)
        finally:
            wine("reg", "delete", KEY + "\\" + source, "/f")
        self.assertEqual(result.returncode, 0, result.stderr)
        record = json.loads(result.stdout)
        self.assertEqual(record["message"], "The description for Event ID ( 2 ) in Source ( %s ) could "
                         "not be found. It contains the following insertion string(s): .\r\nkept" % source)

    def test_a_broken_simulated_machine_is_named_and_hides_no_other(self):
        network = os.path.join(WORK, "network")
        for machine in ("GOOD", "EMPTY"):
            os.makedirs(os.path.join(network, machine), exist_ok=True)
        with open(os.path.join(network, "GOOD", "accounts.txt"), "w") as f:
            f.write("sid S-1-5-21-5\nrole server\n")
        env = dict(ENV, CORVANE_NETWORK=network)  # a Linux path
        good = subprocess.run([CORVANE, "count", "--log", "Application", "--machine", "GOOD"], env=env,
                              capture_output=True, timeout=300)
        self.assertEqual((good.returncode, good.stdout.strip()), (0, b"0"), good.stderr)
        empty = subprocess.run([CORVANE, "count", "--log", "Application", "--machine", "EMPTY"], env=env,
                               capture_output=True, timeout=300)
        self.assertEqual(empty.returncode, 1)
        self.assertRegex(empty.stderr.decode(), r"EMPTY.accounts\.txt")


class WritingAndClearing(unittest.TestCase):
    def dump(self):
        out = corvane("dump", "--format", "jsonl", "--log", LOG).stdout
        return [json.loads(l) for l in out.splitlines()]

    def test_write_dump_backup_and_clear(self):
        corvane("clear", "--log", LOG)
        corvane("write", "--source", SOURCE, "--type", "warning", "--id", "7", "--category", "3",
                "--data", "0a0B", "--no-user", "first", "", "third")
        corvane("write", "--source", SOURCE, "--repeat", "3", "again")
        records = self.dump()
        self.assertEqual(len(records), 4)
        first = records[0]
        self.assertEqual((first["type"], first["event_id"], first["category"]), (2, 7, 3))
        self.assertEqual(first["strings"], ["first", "", "third"])
        self.assertEqual(first["data"], "0a0b")
        self.assertIsNone(first["sid"])
        self.assertEqual(first["source"], SOURCE)
        self.assertEqual([r["strings"] for r in records[1:]], [["again"]] * 3)
        self.assertEqual(records[1]["type"], 4)

        backup = os.path.join(WORK, "backup.evt")
        corvane("backup", "--log", LOG, backup)
        self.assertEqual(corvane("count", "--file", backup).stdout.strip(), b"4")
        again = corvane("backup", "--log", LOG, backup, check=False)
        self.assertEqual(again.returncode, 1, "an existing backup file is refused")

        cleared = os.path.join(WORK, "cleared.evt")
        corvane("clear", "--log", LOG, "--backup", cleared)
        self.assertEqual(corvane("count", "--log", LOG).stdout.strip(), b"0")
        self.assertEqual(corvane("count", "--file", cleared).stdout.strip(), b"4")

    def test_a_log_name_not_registered_is_refused_and_nothing_is_touched(self):
        corvane("write", "--source", SOURCE, "--no-user", "kept")
        before = corvane("count", "--log", LOG).stdout
        backup = os.path.join(WORK, "refused.evt")
        for args in (["clear", "--log", "Sytem"], ["count", "--log", "Sytem"],
                     ["dump", "--log", "Parameters"], ["backup", "--log", "Sytem", backup],
                     ["watch", "--log", "sytem"], ["clear", "--log", LOG + "\\" + SOURCE]):
            result = corvane(*args, check=False)
            self.assertEqual(result.returncode, 1, args)
            self.assertEqual(result.stderr.decode().rstrip(),
                             "corvane: no event log named %s on this machine" % args[2])
            self.assertEqual(result.stdout, b"")
        self.assertFalse(os.path.exists(backup))
        self.assertEqual(corvane("count", "--log", LOG.lower()).stdout, before)
        self.assertEqual(corvane("count", "--log", "security").returncode, 0)

    def test_logs_lists_logs_then_sources(self):
        names = corvane("logs").stdout.decode().splitlines()
        self.assertNotIn("Parameters", names, "the service's own settings are no log")
        self.assertIn(LOG, names)
        self.assertIn(SOURCE, names)
        self.assertLess(names.index(LOG), names.index(SOURCE))
        self.assertLess(names.index("Application"), names.index(LOG))

    def test_watch_prints_what_another_process_writes(self):
        env = dict(ENV)
        watcher = subprocess.Popen([CORVANE, "watch", "--log", LOG, "--format", "jsonl"], env=env,
                                   stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                                   start_new_session=True)
        try:
            time.sleep(3)
            corvane("write", "--source", SOURCE, "--no-user", "watched one")
            corvane("write", "--source", SOURCE, "--no-user", "watched two")
            seen = b""
            os.set_blocking(watcher.stdout.fileno(), False)

            def wait_for(count):
                nonlocal seen
                deadline = time.time() + 30
                while time.time() < deadline and seen.count(b"watched") < count:
                    chunk = watcher.stdout.read()
                    if chunk:
                        seen += chunk
                    time.sleep(0.2)
            wait_for(2)
            # A clear does not end the watch: what is written after it follows.
            corvane("clear", "--log", LOG)
            corvane("write", "--source", SOURCE, "--no-user", "watched three")
            wait_for(3)
            self.assertIsNone(watcher.poll(), watcher.stderr.read() if watcher.poll() else "")
        finally:
            os.killpg(watcher.pid, signal.SIGTERM)
            watcher.wait(timeout=30)
        lines = [json.loads(l) for l in seen.splitlines()]
        self.assertEqual([l["strings"] for l in lines],
                         [["watched one"], ["watched two"], ["watched three"]])
        self.assertEqual(lines[2]["number"], 0)


if __name__ == "__main__":
    unittest.main(argv=[sys.argv[0], "-v"])
