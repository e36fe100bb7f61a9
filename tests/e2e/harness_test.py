#!/usr/bin/python3
"""Tests of the end-to-end harness's waits (harness.py), without Wine or X:
they end as soon as what they wait for happens, and say what they waited for
when it does not. Run by the checks of `make test`."""

import os
import subprocess
import sys
import tempfile
import threading
import time
import types
import unittest
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
sys.dont_write_bytecode = True

import harness  # noqa: E402

# Generous: the machine may be busy. A wait that ignored its event would raise
# TimeoutError after this long; no test measures how soon a wait returned.
LONG = 8.0


def later(seconds, action):
    """Runs action on another thread after seconds."""
    timer = threading.Timer(seconds, action)
    timer.start()
    return timer


class WaitFor(unittest.TestCase):
    def test_returns_the_true_value_at_once(self):
        self.assertEqual(harness.wait_for(lambda: "here", timeout=LONG), "here")

    def test_returns_once_the_condition_holds(self):
        flag = []
        later(0.2, lambda: flag.append(1))
        harness.wait_for(lambda: flag, timeout=LONG, interval=0.05)

    def test_raises_timeout_error_naming_what_it_waited_for(self):
        started = time.monotonic()
        with self.assertRaises(TimeoutError) as raised:
            harness.wait_for(lambda: False, timeout=0.3, interval=0.05, what="the sky to fall")
        self.assertGreaterEqual(time.monotonic() - started, 0.3)
        self.assertIn("the sky to fall", str(raised.exception))
        self.assertIn("0.3 s", str(raised.exception))


class FileChange(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.TemporaryDirectory()
        self.path = Path(self.folder.name) / "bundles.json"

    def tearDown(self):
        self.folder.cleanup()

    def test_sees_a_rewrite_of_the_same_length(self):
        self.path.write_bytes(b'{"a": 1}')
        before = harness.read_bytes(self.path)
        later(0.2, lambda: self.path.write_bytes(b'{"a": 2}'))
        self.assertEqual(harness.wait_file_change(self.path, before, timeout=LONG), b'{"a": 2}')

    def test_sees_the_file_made_and_removed(self):
        self.assertIsNone(harness.read_bytes(self.path))
        later(0.1, lambda: self.path.write_bytes(b"x"))
        self.assertEqual(harness.wait_file_change(self.path, None, timeout=LONG), b"x")
        later(0.1, self.path.unlink)
        self.assertIsNone(harness.wait_file_change(self.path, b"x", timeout=LONG))

    def test_an_unchanged_file_times_out_naming_it(self):
        self.path.write_bytes(b"same")
        # Written again, unchanged, and at once (as tolvik saves): a
        # truncate-then-write could be read half-way as a change.
        again = self.path.with_suffix(".tmp")

        def rewrite():
            again.write_bytes(b"same")
            os.replace(again, self.path)
        later(0.1, rewrite)
        with self.assertRaises(TimeoutError) as raised:
            harness.wait_file_change(self.path, b"same", timeout=0.4)
        self.assertIn("bundles.json", str(raised.exception))


class Recorded(unittest.TestCase):
    def test_waits_for_the_count_of_lines_and_returns_them(self):
        with tempfile.TemporaryDirectory() as folder:
            ctx = types.SimpleNamespace(recorder_log=Path(folder) / "recorder.log")
            ctx.recorded = lambda: harness.Context.recorded(ctx)

            def append(line):
                with open(ctx.recorder_log, "a", encoding="utf-8") as log:
                    log.write(line + "\n")
            append('{"argv": ["r", "one"]}')
            later(0.2, lambda: append('{"argv": ["r", "two"]}'))
            lines = harness.wait_recorded(ctx, 2, timeout=LONG)
            self.assertEqual([line["argv"][1] for line in lines], ["one", "two"])
            with self.assertRaises(TimeoutError) as raised:
                harness.wait_recorded(ctx, 3, timeout=0.3)
            self.assertIn("3 line(s)", str(raised.exception))
            self.assertIn("two", str(raised.exception))


class Processes(unittest.TestCase):
    """Plain Linux processes stand in for a prefix's Windows programs: what
    counts is the WINEPREFIX in their environment and the program's name in
    their command line."""

    def setUp(self):
        self.folder = tempfile.TemporaryDirectory()
        self.saved = os.environ.get("WINEPREFIX")
        os.environ["WINEPREFIX"] = self.folder.name

    def tearDown(self):
        if self.saved is None:
            del os.environ["WINEPREFIX"]
        else:
            os.environ["WINEPREFIX"] = self.saved
        self.folder.cleanup()

    def start(self, seconds, program, prefix=None, argument=""):
        """A process whose command line begins with the program's path, as Wine's do."""
        env = dict(os.environ, WINEPREFIX=prefix or self.folder.name)
        return subprocess.Popen(["C:\\tools\\" + program, "-c", "import time; time.sleep(%s)" % seconds,
                                 argument], executable=sys.executable, env=env)

    def test_finds_the_prefix_programs_by_name_and_waits_for_their_end(self):
        started = time.monotonic()
        mine = self.start(0.4, "recorder.exe")
        other = self.start(LONG, "recorder.exe", prefix=self.folder.name + "-other")
        try:
            self.assertEqual(harness.wine_processes("recorder.exe"), [mine.pid])
            self.assertEqual(harness.wine_processes("tolvik.exe"), [])
            harness.wait_no_process("tolvik.exe", "recorder.exe", timeout=LONG)
            # It waited for this prefix's recorder to end (its 0.4 s are over;
            # it may not be reaped yet), and not for the other prefix's, which
            # runs on.
            self.assertGreaterEqual(time.monotonic() - started, 0.4)
            mine.wait()
            self.assertIsNone(other.poll())
        finally:
            other.kill()
            other.wait()

    def test_a_program_named_among_the_arguments_does_not_count(self):
        holder = self.start(LONG, "probe.exe", argument="C:\\Programs\\tolvik\\tolvik.exe")
        try:
            self.assertEqual(harness.wine_processes("tolvik.exe"), [])
            self.assertEqual(harness.wine_processes("probe.exe"), [holder.pid])
        finally:
            holder.kill()
            holder.wait()

    def test_a_program_that_runs_on_times_out_naming_it(self):
        mine = self.start(LONG, "recorder.exe")
        try:
            with self.assertRaises(TimeoutError) as raised:
                harness.wait_no_process("recorder.exe", timeout=0.3)
            self.assertIn("recorder.exe", str(raised.exception))
            self.assertIn(str(mine.pid), str(raised.exception))
        finally:
            mine.kill()
            mine.wait()


class WithFakeLookUps(unittest.TestCase):
    """The X and probe look-ups replaced by answers the test plays out."""

    def setUp(self):
        self.saved = harness.shown_windows

    def tearDown(self):
        harness.shown_windows = self.saved

    def test_window_gone_waits_until_the_search_finds_none(self):
        answers = [["41"], ["41"], ["41"], []]
        harness.shown_windows = lambda name: answers.pop(0) if len(answers) > 1 else answers[0]
        harness.wait_window_gone("Export bundle", timeout=LONG)
        self.assertEqual(answers, [[]])

    def test_window_gone_times_out_naming_the_window(self):
        harness.shown_windows = lambda name: ["41"]
        with self.assertRaises(TimeoutError) as raised:
            harness.wait_window_gone("Export bundle", timeout=0.3)
        self.assertIn("Export bundle", str(raised.exception))

    def test_foreground_waits_for_that_title_and_says_what_is_in_front(self):
        answers = ["tolvik\t32", "tolvik\t32", "Export bundle\t32"]
        ctx = types.SimpleNamespace(probe=lambda *args: harness.Completed(
            0, (answers.pop(0) if len(answers) > 1 else answers[0]) + "\n", ""))
        self.assertEqual(harness.wait_foreground(ctx, "Export bundle", timeout=LONG), ("Export bundle", "32"))
        ctx.probe = lambda *args: harness.Completed(0, "tolvik\t32\n", "")
        with self.assertRaises(TimeoutError) as raised:
            harness.wait_foreground(ctx, "Export bundle", timeout=0.3)
        self.assertIn("'Export bundle' in front", str(raised.exception))
        self.assertIn("('tolvik', '32')", str(raised.exception))
        ctx.probe = lambda *args: harness.Completed(1, "", "")
        self.assertIsNone(harness.foreground(ctx))


if __name__ == "__main__":
    result = unittest.main(exit=False, verbosity=0).result
    failed = len(result.failures) + len(result.errors)
    print(f"harness-test: {result.testsRun - failed} passed, {failed} failed")
    sys.exit(1 if failed else 0)
