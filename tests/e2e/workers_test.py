"""Tests of the end-to-end runner's own parts that need no Wine: how tests are
split among workers, what the runner reads of a test file, and the copy of a
prepared prefix. Run in `make test`'s checks:

    python3 -m unittest discover -s tests/e2e -p '*_test.py'
"""

import os
import sys
import tempfile
import textwrap
import threading
import unittest
from pathlib import Path

HERE = Path(__file__).resolve().parent
sys.path.insert(0, str(HERE))
sys.dont_write_bytecode = True

import run  # noqa: E402
import workers  # noqa: E402


def test(name, limit=60, reason=None):
    return ("t.py::" + name, Path("t.py"), name, limit, reason)


class Plan(unittest.TestCase):
    def test_longest_first_and_equal_ones_in_file_order(self):
        units = workers.plan([test("a", 60), test("b", 300), test("c", 60), test("d", 120)])
        self.assertEqual([u.ids() for u in units],
                         [["t.py::b"], ["t.py::d"], ["t.py::a"], ["t.py::c"]])

    def test_an_earlier_runs_durations_come_before_the_limits(self):
        units = workers.plan([test("a", 60), test("b", 300)], {"t.py::b": 5.0})
        self.assertEqual([u.ids() for u in units], [["t.py::a"], ["t.py::b"]])

    def test_tests_of_one_reason_are_one_unit_in_file_order(self):
        tests = [test("a", 60, "port 8080"), test("b", 60), test("c", 60, "port 8080"),
                 test("d", 60, "other port")]
        units = workers.plan(tests)
        self.assertEqual(sorted(u.ids() for u in units),
                         [["t.py::a", "t.py::c"], ["t.py::b"], ["t.py::d"]])
        self.assertEqual(units[0].ids(), ["t.py::a", "t.py::c"])  # 120 s, the longest
        self.assertEqual(units[0].estimate, 120)

    def test_every_unit_is_taken_once_however_many_workers_take(self):
        queue = workers.Queue(workers.plan([test("t%d" % n) for n in range(500)]))
        taken = []
        lock = threading.Lock()

        def take_all():
            while True:
                unit = queue.take()
                if unit is None:
                    return
                with lock:
                    taken.extend(unit.ids())
        threads = [threading.Thread(target=take_all) for _ in range(4)]
        for thread in threads:
            thread.start()
        for thread in threads:
            thread.join()
        self.assertEqual(sorted(taken), sorted("t.py::t%d" % n for n in range(500)))

    def test_worker_folders_are_named_after_the_first(self):
        self.assertEqual(workers.worker_names("/r/build/wine/test", 3),
                         [Path("/r/build/wine/test"), Path("/r/build/wine/test-w2"),
                          Path("/r/build/wine/test-w3")])

    def test_durations_of_a_missing_or_broken_file_are_none(self):
        with tempfile.TemporaryDirectory() as folder:
            path = Path(folder) / "d.json"
            self.assertEqual(workers.read_durations(path), {})
            path.write_text("{not json", encoding="utf-8")
            self.assertEqual(workers.read_durations(path), {})
            workers.write_durations(path, {"t.py::a": 12.5})
            self.assertEqual(workers.read_durations(path), {"t.py::a": 12.5})


class Discover(unittest.TestCase):
    def test_reads_limits_and_one_worker_reasons_of_functions_and_modules(self):
        with tempfile.TemporaryDirectory() as folder:
            marked = Path(folder) / "test_marked.py"
            marked.write_text(textwrap.dedent('''\
                import harness

                @harness.time_limit(90)
                @harness.one_worker("port 5000")
                def test_first(ctx):
                    pass

                def test_second():
                    pass
                '''), encoding="utf-8")
            whole = Path(folder) / "test_whole.py"
            whole.write_text('ONE_WORKER = "the shared printer"\nTIME_LIMIT = 30\n'
                             'def test_only():\n    pass\n', encoding="utf-8")
            tests, broken = run.discover([marked, whole], "", 60)
        self.assertEqual(broken, [])
        self.assertEqual([(t[0], t[3], t[4]) for t in tests], [
            ("test_marked.py::test_first", 90, "port 5000"),
            ("test_marked.py::test_second", 60, None),
            ("test_whole.py::test_only", 30, "the shared printer"),
        ])


class ClonePrefix(unittest.TestCase):
    def test_the_copy_links_into_its_own_home_and_keeps_other_links(self):
        with tempfile.TemporaryDirectory() as folder:
            source, target = Path(folder) / "test", Path(folder) / "test-w2"
            user = source / "prefix" / "drive_c" / "users" / "root"
            user.mkdir(parents=True)
            (source / "home" / "Desktop").mkdir(parents=True)
            (source / "prefix" / "system.reg").write_text("WINE REGISTRY", encoding="utf-8")
            os.symlink(str(source / "home" / "Desktop"), user / "Desktop")
            os.symlink(str(source / "home"), user / "Documents")
            os.symlink("/", source / "prefix" / "z:")
            os.symlink("../drive_c", source / "prefix" / "c:")

            self.assertTrue(workers.clone_prefix(source, target))

            copy = target / "prefix"
            self.assertEqual((copy / "system.reg").read_text(encoding="utf-8"), "WINE REGISTRY")
            copied_user = copy / "drive_c" / "users" / "root"
            self.assertEqual(os.readlink(copied_user / "Desktop"), str(target / "home" / "Desktop"))
            self.assertEqual(os.readlink(copied_user / "Documents"), str(target / "home"))
            self.assertEqual(os.readlink(copy / "z:"), "/")
            self.assertEqual(os.readlink(copy / "c:"), "../drive_c")
            # The source is untouched.
            self.assertEqual(os.readlink(user / "Desktop"), str(source / "home" / "Desktop"))
            self.assertFalse((target / "prefix.partial").exists())

    def test_a_prepared_prefix_is_kept(self):
        with tempfile.TemporaryDirectory() as folder:
            source, target = Path(folder) / "test", Path(folder) / "test-w2"
            (source / "prefix").mkdir(parents=True)
            (source / "prefix" / "system.reg").write_text("new", encoding="utf-8")
            (target / "prefix").mkdir(parents=True)
            (target / "prefix" / "system.reg").write_text("kept", encoding="utf-8")
            self.assertFalse(workers.clone_prefix(source, target))
            self.assertEqual((target / "prefix" / "system.reg").read_text(encoding="utf-8"), "kept")

    def test_a_copy_left_half_done_is_made_again(self):
        with tempfile.TemporaryDirectory() as folder:
            source, target = Path(folder) / "test", Path(folder) / "test-w2"
            (source / "prefix").mkdir(parents=True)
            (source / "prefix" / "system.reg").write_text("whole", encoding="utf-8")
            (target / "prefix" / "drive_c").mkdir(parents=True)  # no system.reg: broken off
            self.assertTrue(workers.clone_prefix(source, target))
            self.assertEqual((target / "prefix" / "system.reg").read_text(encoding="utf-8"), "whole")
            self.assertFalse((target / "prefix" / "drive_c").exists())


if __name__ == "__main__":
    unittest.main()
