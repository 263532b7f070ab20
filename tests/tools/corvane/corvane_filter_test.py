"""The filters and summaries of count, dump and stats, checked against an independent reading of
the same logs (pyevt): the sample log, a wrapped live log, and a log of a simulated machine.
Native reading and reading through the service must print the same bytes."""
import collections
import datetime
import fnmatch
import json
import os
import shutil
import subprocess
import sys
import unittest

import pyevt

ROOT, BUILD, SHARED = sys.argv[1], sys.argv[2], sys.argv[3]
CORVANE = os.path.join(ROOT, "bin", "corvane")
SAMPLE = os.path.join(SHARED, "data", "AppEvent.Evt")
WORK = os.path.join(BUILD, "tests", "tools", "corvane", "filters")
WRAP_LOG = "CorvaneFilterWrap"
WRAP_FILE = os.path.join(WORK, "wrap.evt")
WRAP_KEY = r"HKLM\SYSTEM\CurrentControlSet\Services\EventLog" + "\\" + WRAP_LOG
NETWORK = os.path.join(WORK, "network")
ENV = dict(os.environ, BUILD=os.path.relpath(BUILD, ROOT) if BUILD.startswith(ROOT) else BUILD,
           CORVANE_LOCALE="en_US.UTF-8", TZ="UTC", CORVANE_NETWORK=NETWORK)
ENV.pop("CORVANE_PROGRESS", None)


def corvane(*args, native=True, check=True, **env):
    result = subprocess.run([CORVANE, *args], env=dict(ENV, CORVANE_NATIVE="1" if native else "0", **env),
                            capture_output=True, timeout=300)
    if check and result.returncode != 0:
        raise AssertionError(f"corvane {args} exited {result.returncode}: {result.stderr!r}")
    return result


def reading(path):
    """The log's records as pyevt reads them, oldest first, with their positions."""
    log = pyevt.file()
    log.open(path)
    records = sorted((dict(record=r.identifier, generated=r.get_creation_time_as_integer(),
                           event_id=r.event_identifier, type=r.event_type, category=r.event_category,
                           source=r.source_name, computer=r.computer_name, sid=r.user_security_identifier,
                           strings=list(r.strings)) for r in log.records), key=lambda r: r["record"])
    return [dict(r, position=i) for i, r in enumerate(records)]


def kept(*args, native=True, **env):
    out = corvane("dump", "--format", "jsonl", *args, native=native, **env).stdout
    return [(r["number"], r["record"]) for r in map(json.loads, out.splitlines())]


def expected(records, keep, newest=None):
    chosen = [(r["position"], r["record"]) for r in records if keep(r)]
    return chosen[-newest:] if newest else chosen


def utc(text):
    return int(datetime.datetime.fromisoformat(text.replace("Z", "+00:00")).timestamp())


def wildcard(pattern, key):
    return lambda r: fnmatch.fnmatchcase(r[key].lower(), pattern.lower())


def setUpModule():
    shutil.rmtree(WORK, ignore_errors=True)
    os.makedirs(WORK)
    wine = os.path.join(ROOT, "scripts", "wine-run")
    reg = lambda *a: subprocess.run([wine, "reg", "add", *a, "/f"], env=ENV, check=True, capture_output=True)
    reg(WRAP_KEY, "/v", "File", "/t", "REG_EXPAND_SZ", "/d", "Z:" + WRAP_FILE.replace("/", "\\"))
    reg(WRAP_KEY, "/v", "MaxSize", "/t", "REG_DWORD", "/d", "65536")
    for source in ("WrapAlpha", "WrapBeta"):
        reg(WRAP_KEY + "\\" + source)
    # Three runs of records, the first partly overwritten when the last wraps the log.
    corvane("write", "--source", "WrapAlpha", "--type", "error", "--id", "7", "--category", "2",
            "--repeat", "300", "--no-user", "alpha one")
    corvane("write", "--source", "WrapAlpha", "--repeat", "200", "--no-user", "gamma")
    corvane("write", "--source", "WrapBeta", "--type", "warning", "--id", "9", "--repeat", "150", "beta two")
    subprocess.run([os.path.join(BUILD, "native", "tests", "evtsvc", "network", "make_sample_network"), NETWORK],
                   check=True, capture_output=True)


def tearDownModule():
    subprocess.run([os.path.join(ROOT, "scripts", "wine-run"), "reg", "delete", WRAP_KEY, "/f"], env=ENV,
                   capture_output=True)


class SampleLog(unittest.TestCase):
    records = reading(SAMPLE)

    def check(self, cases):
        for args, keep in cases:
            newest = int(args[args.index("--newest") + 1]) if "--newest" in args else None
            with self.subTest(args=args):
                self.assertEqual(kept("--file", SAMPLE, *args), expected(self.records, keep, newest))

    def test_each_option(self):
        first_cab = utc("2020-04-26T06:15:28Z")
        self.check([
            (["--after", "2020-04-26T06:15:28Z"], lambda r: r["generated"] >= first_cab),
            (["--before", "2020-04-26T03:22:20Z"], lambda r: r["generated"] < utc("2020-04-26T03:22:20Z")),
            (["--type", "Warning,error"], lambda r: r["type"] in (1, 2)),
            (["--type", "audit-failure"], lambda r: False),
            (["--source", "CRYPT*"], wildcard("crypt*", "source")),
            (["--source", "?sent"], wildcard("?sent", "source")),
            (["--id", "1000"], lambda r: r["event_id"] & 0xFFFF == 1000),
            (["--id", "0x800015E3"], lambda r: r["event_id"] == 0x800015E3),
            (["--id", "1073742824"], lambda r: r["event_id"] == 1073742824),
            (["--category", "1,113"], lambda r: r["category"] in (1, 113)),
            (["--computer", "\\\\chenbin-*"], lambda r: True),
            (["--user", "S-1-5-18"], lambda r: r["sid"] == "S-1-5-18"),
            (["--match", "QOS"], lambda r: any("qos" in s.lower() for s in r["strings"])),
            (["--newest", "3", "--type", "error"], lambda r: r["type"] == 1),
        ])

    def test_combinations(self):
        self.check([
            (["--type", "information", "--source", "esent", "--after", "2020-04-29T00:00Z"],
             lambda r: r["type"] == 4 and r["source"] == "ESENT" and r["generated"] >= utc("2020-04-29T00:00Z")),
            (["--source", "LoadPerf", "--source", "msdtc"], lambda r: r["source"] in ("LoadPerf", "MSDTC")),
            (["--id", "3001,5-11", "--type", "error,warning", "--newest", "4"],
             lambda r: r["type"] in (1, 2) and (r["event_id"] & 0xFFFF == 3001 or 5 <= r["event_id"] & 0xFFFF <= 11)),
            (["--match", "rsvp", "--match", "MSDTC", "--category", "0"],
             lambda r: r["category"] == 0 and any("rsvp" in s.lower() or "msdtc" in s.lower() for s in r["strings"])),
        ])
        back = kept("--file", SAMPLE, "--type", "warning", "--backwards", "--newest", "2")
        self.assertEqual(back, expected(self.records, lambda r: r["type"] == 2, 2)[::-1])

    def test_time_zones(self):
        # One instant, 06:00 UTC on 26 April 2020, written four ways.
        want = expected(self.records, lambda r: r["generated"] >= utc("2020-04-26T06:00Z"))
        for time, zone in (("2020-04-26T06:00:00Z", "Asia/Tokyo"), ("2020-04-26T14:00+08:00", "UTC"),
                           ("2020-04-26T14:00", "Asia/Shanghai"), ("2020-04-26T02:00", "America/New_York")):
            for native in (True, False):
                with self.subTest(time=time, zone=zone, native=native):
                    self.assertEqual(kept("--file", SAMPLE, "--after", time, native=native, TZ=zone), want)

    def test_range_edges(self):
        at = utc("2020-04-26T06:15:28Z")  # three records were generated in this second
        self.check([
            (["--after", "2020-04-26T06:15:28Z", "--before", "2020-04-26T06:15:29Z"], lambda r: r["generated"] == at),
            (["--after", "2020-04-26T06:15:27.001Z"], lambda r: r["generated"] >= at),
            (["--before", "2020-04-26T06:15:28Z"], lambda r: r["generated"] < at),
            (["--after", "2020-04-27", "--before", "2020-04-29"],
             lambda r: utc("2020-04-27T00:00Z") <= r["generated"] < utc("2020-04-29T00:00Z")),
            (["--id", "100-102"], lambda r: 100 <= r["event_id"] & 0xFFFF <= 102),
            (["--id", "0x40000000-0x4000FFFF"], lambda r: 0x40000000 <= r["event_id"] <= 0x4000FFFF),
        ])

    def test_bad_values_are_usage_errors_naming_option_and_value(self):
        for args, named in ((["--after", "2020-02-30"], '--after "2020-02-30"'),
                            (["--before", "26/04/2020"], '--before "26/04/2020"'),
                            (["--after", "2020-04-27", "--before", "2020-04-27"], '--before "2020-04-27"'),
                            (["--type", "error,fatal"], '--type "fatal"'),
                            (["--id", "9-3"], '--id "9-3"'), (["--id", "7-0x10000"], '--id "7-0x10000"'),
                            (["--category", "70000"], '--category "70000"'), (["--user", "S-1-x"], '--user "S-1-x"'),
                            (["--source", ""], '--source ""')):
            for command in ("dump", "count", "stats"):
                with self.subTest(args=args, command=command):
                    result = corvane(command, "--file", SAMPLE, *args, check=False)
                    self.assertEqual(result.returncode, 2)
                    self.assertTrue(result.stderr.decode().startswith("corvane: " + named), result.stderr)

    def test_count_and_stats_agree_with_the_reading(self):
        errors = [r for r in self.records if r["type"] == 1]
        self.assertEqual(corvane("count", "--file", SAMPLE, "--type", "error").stdout, b"%d\n" % len(errors))
        self.assertEqual(corvane("count", "--file", SAMPLE, "--type", "error", "--newest", "5").stdout, b"5\n")
        rows = [json.loads(l) for l in corvane("stats", "--file", SAMPLE, "--by", "source",
                                               "--format", "jsonl").stdout.splitlines()]
        groups = collections.defaultdict(list)
        for r in self.records:
            groups[r["source"]].append(r["generated"])
        self.assertEqual({r["source"]: (r["count"], utc(r["first"]), utc(r["last"])) for r in rows},
                         {s: (len(t), min(t), max(t)) for s, t in groups.items()})
        self.assertEqual([r["count"] for r in rows], sorted((len(t) for t in groups.values()), reverse=True))

        nested = corvane("stats", "--file", SAMPLE, "--type", "error,information", "--by", "source,type",
                         "--top", "2", "--format", "csv").stdout.decode().splitlines()
        pairs = collections.Counter((r["source"], r["type"]) for r in self.records if r["type"] in (1, 4))
        self.assertEqual(nested, ["source,type,count,first,last"] + [
            f"crypt32,{name},{pairs['crypt32', value]}," + ",".join(self.span("crypt32", value))
            for name, value in (("information", 4), ("error", 1))] + [
            f"ESENT,information,{pairs['ESENT', 4]}," + ",".join(self.span("ESENT", 4))])

    def span(self, source, type_):
        times = [r["generated"] for r in self.records if r["source"] == source and r["type"] == type_]
        return [datetime.datetime.fromtimestamp(t, datetime.timezone.utc).strftime("%Y-%m-%dT%H:%M:%SZ")
                for t in (min(times), max(times))]

    def test_names_are_looked_up_by_the_windows_build(self):
        self.assertEqual(kept("--file", SAMPLE, "--user", "system"),
                         expected(self.records, lambda r: r["sid"] == "S-1-5-18"))
        unknown = corvane("count", "--file", SAMPLE, "--user", "no such account", check=False)
        self.assertEqual(unknown.returncode, 1)
        self.assertRegex(unknown.stderr.decode(), r'^corvane: --user "no such account": 1332: ')


class SameBytesBothWays(unittest.TestCase):
    """A filtered dump and a summary come out the same natively and through the service."""

    def test_sample_log_and_wrapped_live_log(self):
        for path, live, locale in ((SAMPLE, None, "zh_CN.UTF-8"), (WRAP_FILE, WRAP_LOG, "en_US.UTF-8")):
            for args in (["dump", "--type", "error,warning", "--source", "*a*", "--newest", "40"],
                         ["dump", "--format", "jsonl", "--match", "o", "--backwards", "--id", "7,9,1000-2000"],
                         ["dump", "--format", "csv", "--after", "2020-04-26T06:00Z", "--category", "0-1"],
                         ["stats", "--by", "type,id", "--format", "jsonl", "--source", "wrap*,crypt32"],
                         ["count", "--type", "information", "--newest", "100"]):
                native = corvane(*args, "--file", path).stdout
                with self.subTest(path=path, args=args):
                    self.assertEqual(corvane(*args, "--file", path, native=False, CORVANE_LOCALE=locale).stdout,
                                     native)
                    if live:
                        self.assertEqual(corvane(*args, "--log", live, native=False).stdout, native)


class WrappedLiveLog(unittest.TestCase):
    def test_filters_through_the_service_keep_what_the_reading_says(self):
        records = reading(WRAP_FILE)
        with open(WRAP_FILE, "rb") as f:
            self.assertTrue(int.from_bytes(f.read(48)[36:40], "little") & 2, "the log wrapped")
        middle = records[len(records) // 2]["generated"]
        time = datetime.datetime.fromtimestamp(middle, datetime.timezone.utc).strftime("%Y-%m-%dT%H:%M:%SZ")
        for args, keep in ((["--source", "wrapalpha", "--type", "error"], lambda r: r["type"] == 1),
                           (["--id", "9", "--newest", "7"], lambda r: r["event_id"] == 9),
                           (["--after", time, "--match", "GAMMA"], lambda r: r["generated"] >= middle and
                            r["strings"] == ["gamma"]),
                           (["--category", "2", "--before", time], lambda r: r["category"] == 2 and
                            r["generated"] < middle)):
            newest = 7 if "--newest" in args else None
            with self.subTest(args=args):
                self.assertEqual(kept("--log", WRAP_LOG, *args, native=False), expected(records, keep, newest))


class RemoteMachine(unittest.TestCase):
    def test_filters_on_a_simulated_machine_keep_what_the_reading_says(self):
        records = reading(os.path.join(NETWORK, "CORVSRV", "system32", "config", "AppEvent.Evt"))
        payroll = lambda r: r["source"] == "Payroll"
        for args, keep in ((["--source", "pay*"], payroll),
                           (["--type", "error,warning"], lambda r: r["type"] in (1, 2)),
                           (["--user", "CORVANE\\bob"], lambda r: r["sid"] == "S-1-5-21-1842300351-2297310785-"
                                                                            "3960137720-1001"),
                           (["--user", "svcweb", "--id", "100-101"], lambda r: r["event_id"] & 0xFFFF == 101 and
                            r["sid"] == "S-1-5-21-3405691582-1234567890-987654321-1000")):
            with self.subTest(args=args):
                self.assertEqual(kept("--log", "Application", "--machine", "CORVSRV", *args, native=False),
                                 expected(records, keep))
        stats = corvane("stats", "--log", "Application", "--machine", "CORVSRV", "--by", "source",
                        native=False).stdout.decode()
        self.assertRegex(stats, r"(?m)^Payroll +2  2026-01-05T08:00:00Z  2026-01-05T08:01:00Z$")


if __name__ == "__main__":
    unittest.main(argv=[sys.argv[0], "-v"])
