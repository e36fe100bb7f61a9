#!/usr/bin/python3
"""Runs the end-to-end tests: every test_* function of tests/e2e/test_*.py.

    run.py [-k TEXT] [-t SECONDS] [-j WORKERS] [-v] [FILE ...]

-k runs only tests whose "file::function" contains TEXT; -t sets the default
time limit (60 s); -j runs the tests in that many workers at once (default 1,
or $TOLVIK_E2E_WORKERS); -v prints the output of passing tests too.

Expects the Wine environment of scripts/wine-env.sh (`make test-e2e` sets it
up): the first worker uses it, each other worker gets a display and a prefix
of its own beside it (build/wine/test-w2, ...: a copy of the first prefix).
Which worker runs which test is in workers.py.
Before each test the worker's wineserver is restarted, which ends every
Windows process the previous test left, and HKCU\\Software\\tolvik and the
start at sign-in (the value "tolvik" of ...\\CurrentVersion\\Run and of
Explorer\\StartupApproved\\Run) are deleted.
Each test runs in a child process of its own session; on overrun that session
and the prefix's Windows processes are killed and the test fails.

Prints one line per test as it ends (with its worker), then the failed tests
with their log, their worker and a picture of the worker's screen taken when
the test failed, and closes with "e2e: N passed, N failed" (and ", N skipped"
when any were skipped). Exit code 1 when any test failed.
"""

import argparse
import importlib.util
import inspect
import os
import shutil
import signal
import subprocess
import sys
import threading
import time
import traceback
from pathlib import Path

HERE = Path(__file__).resolve().parent
sys.path.insert(0, str(HERE))
# No __pycache__ folders in the source tree.
sys.dont_write_bytecode = True

import harness  # noqa: E402
import workers  # noqa: E402

SKIPPED_EXIT = 77
OUTPUT_TAIL = 80


def load_module(path):
    found = importlib.util.spec_from_file_location("e2e_" + path.stem, path)
    module = importlib.util.module_from_spec(found)
    found.loader.exec_module(module)
    return module


def discover(files, pattern, default_limit):
    """[(id, file, function name, time limit, one-worker reason or None)] in
    file and source order, plus
    the ids of files that failed to import, with their tracebacks."""
    tests, broken = [], []
    for path in files:
        try:
            module = load_module(path)
        except Exception:
            broken.append((path.name, traceback.format_exc()))
            continue
        functions = [
            f for name, f in vars(module).items()
            if name.startswith("test_") and inspect.isfunction(f) and f.__module__ == module.__name__
        ]
        functions.sort(key=lambda f: f.__code__.co_firstlineno)
        module_limit = getattr(module, "TIME_LIMIT", default_limit)
        module_reason = getattr(module, "ONE_WORKER", None)
        for function in functions:
            test_id = "%s::%s" % (path.name, function.__name__)
            if pattern and pattern not in test_id:
                continue
            tests.append((test_id, path, function.__name__,
                          getattr(function, "time_limit", module_limit),
                          getattr(function, "one_worker", module_reason)))
    return tests, broken


class WineSession:
    """A worker prefix's wineserver, restarted between tests."""

    def __init__(self, env):
        self.env = env
        self.server = None

    def stop(self):
        # -k and -w talk to the server of $WINEPREFIX only.
        subprocess.run(["wineserver", "-k"], env=self.env, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL)
        try:
            subprocess.run(["wineserver", "-w"], env=self.env, stdout=subprocess.DEVNULL,
                           stderr=subprocess.DEVNULL, timeout=30)
        except subprocess.TimeoutExpired:
            pass
        if self.server is not None:
            if self.server.poll() is None:
                self.server.kill()
            self.server.wait()
            self.server = None

    def fresh(self):
        self.stop()
        # Kept warm: each short Wine process then starts in a twentieth of a second.
        self.server = subprocess.Popen(["wineserver", "-f", "-p60"], env=self.env,
                                       stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                       stderr=subprocess.DEVNULL, start_new_session=True)
        # The first process starts Wine's services and desktop; they keep the
        # output handles they inherit, so give them none that anyone reads.
        # That process is regedit, which also deletes what tolvik keeps in
        # HKCU and the start at sign-in that a test's marks or settings left
        # (one Wine process for all of it: each costs a fraction of a second).
        subprocess.run(["wine", "regedit", "/S", self._reset_file()], env=self.env,
                       stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, timeout=60)

    def _reset_file(self):
        """The .reg file of what each test starts without, as a Windows path."""
        path = Path(self.env["WINEPREFIX"]) / "drive_c" / "e2e-reset.reg"
        lines = ["REGEDIT4", ""]
        for key, value in RESET_KEYS:
            if value is None:
                lines += ["[-HKEY_CURRENT_USER\\%s]" % key, ""]
            else:
                lines += ["[HKEY_CURRENT_USER\\%s]" % key, '"%s"=-' % value, ""]
        path.write_text("\r\n".join(lines) + "\r\n", encoding="ascii")
        return "C:\\e2e-reset.reg"


# Deleted before each test: a key (value None) or one value of a key, in HKCU.
RESET_KEYS = [
    ("Software\\tolvik", None),
    ("Software\\Microsoft\\Windows\\CurrentVersion\\Run", "tolvik"),
    ("Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\Run", "tolvik"),
]


def run_one(test, worker, log_path):
    """Runs one test in the worker's environment: (verdict, seconds, output)."""
    _, path, function, limit, _ = test
    worker.session.fresh()
    started = time.monotonic()
    screen = log_path.with_suffix(".png")
    env = dict(worker.env, TOLVIK_E2E_SCREEN=str(screen))
    with open(log_path, "wb") as log:
        child = subprocess.Popen(
            [sys.executable, str(Path(__file__).resolve()), "--child", str(path), function,
             str(worker.root)],
            env=env, stdin=subprocess.DEVNULL, stdout=log, stderr=subprocess.STDOUT,
            start_new_session=True)
        try:
            code = child.wait(timeout=limit)
            timed_out = False
        except subprocess.TimeoutExpired:
            timed_out = True
            # What the worker's screen showed, before the test's windows go.
            keep_screen(screen, env)
            # The child leads its own session and process group: this ends it
            # and every Wine process it started that stayed in the group...
            try:
                os.killpg(child.pid, signal.SIGKILL)
            except ProcessLookupError:
                pass
            child.wait()
            code = None
    # ...and this the Windows processes that detached from it.
    worker.session.stop()
    elapsed = time.monotonic() - started
    output = harness.strip_noise(Path(log_path).read_bytes().decode("utf-8", "replace"))
    if output and not output.endswith("\n"):
        output += "\n"
    if timed_out:
        return "FAIL", elapsed, output + "time limit of %s s exceeded\n" % limit
    if code == 0:
        return "PASS", elapsed, output
    if code == SKIPPED_EXIT:
        return "SKIP", elapsed, output
    return "FAIL", elapsed, output + ("exit code %d\n" % code if code != 1 else "")


def keep_screen(path, env=None):
    """A picture of the whole display of env (default: this process's)."""
    try:
        subprocess.run(["import", "-window", "root", str(path)], env=env,
                       capture_output=True, timeout=30)
    except (OSError, subprocess.SubprocessError):
        pass


class Worker:
    """One environment's tests: its display and prefix, the wineserver that
    is restarted between tests, and the folder under its drive C."""

    def __init__(self, number, environment):
        self.label = "w%d" % number
        self.environment = environment
        self.env = None
        self.session = None
        self.root = None

    def start(self):
        if self.environment.variables is None:
            self.environment.start()
        self.env = dict(self.environment.variables)
        self.session = WineSession(self.env)
        self.root = Path(self.env["WINEPREFIX"]) / "drive_c" / "e2e"
        shutil.rmtree(self.root, ignore_errors=True)
        self.root.mkdir(parents=True)

    def stop(self):
        if self.session is not None:
            self.session.stop()
        self.environment.stop()


def indent(text, lines=OUTPUT_TAIL):
    rows = text.rstrip("\n").splitlines()
    if len(rows) > lines:
        rows = ["... (%d lines before)" % (len(rows) - lines)] + rows[-lines:]
    return "".join("    %s\n" % row for row in rows)


def child_main(path, function_name, root):
    """Runs one test function in this process; the exit code tells the result."""
    module = load_module(Path(path))
    function = getattr(module, function_name)
    context = harness.make_context(Path(path).stem + "." + function_name, root)
    try:
        if inspect.signature(function).parameters:
            function(context)
        else:
            function()
    except harness.Skip as skip:
        print("skipped: %s" % skip, flush=True)
        return SKIPPED_EXIT
    except BaseException:
        traceback.print_exc()
        sys.stdout.flush()
        # The screen as the failure left it, before the test's programs end.
        if os.environ.get("TOLVIK_E2E_SCREEN"):
            keep_screen(os.environ["TOLVIK_E2E_SCREEN"])
        return 1
    finally:
        context.close()
    return 0


def main(argv):
    if len(argv) == 5 and argv[1] == "--child":
        return child_main(argv[2], argv[3], argv[4])

    parser = argparse.ArgumentParser(description="tolvik end-to-end tests")
    parser.add_argument("-k", dest="pattern", default="", help="only tests whose id contains this")
    parser.add_argument("-t", dest="limit", type=float, default=harness.DEFAULT_TIME_LIMIT,
                        help="default time limit per test, seconds")
    parser.add_argument("-j", dest="workers", type=int,
                        default=int(os.environ.get("TOLVIK_E2E_WORKERS") or 1),
                        help="run the tests in this many workers, each with its own display and prefix")
    parser.add_argument("-v", dest="verbose", action="store_true", help="show all output")
    parser.add_argument("files", nargs="*", help="test files (default: all test_*.py)")
    options = parser.parse_args(argv[1:])

    for variable in ("WINEPREFIX", "DISPLAY"):
        if not os.environ.get(variable):
            print("e2e: %s is not set; run the tests with `make test-e2e`" % variable,
                  file=sys.stderr)
            print("e2e: 0 passed, 1 failed")
            return 1

    files = [Path(f).resolve() for f in options.files] or sorted(HERE.glob("test_*.py"))
    tests, broken = discover(files, options.pattern, options.limit)

    logs = harness.REPO / "build" / "test-logs" / "e2e"
    shutil.rmtree(logs, ignore_errors=True)
    logs.mkdir(parents=True)
    durations_file = harness.REPO / "build" / "test-logs" / "e2e-durations.json"
    durations = workers.read_durations(durations_file)
    units = workers.plan(tests, durations)
    queue = workers.Queue(units)

    # More workers than units would only set up environments that stay idle.
    count = max(1, min(options.workers, len(units)))
    base = os.environ.get("WINE_ENV_DIR")
    if count > 1 and not base:
        print("e2e: WINE_ENV_DIR is not set (no scripts/wine-env.sh environment): one worker",
              file=sys.stderr)
        count = 1
    if count > 1:
        folders = workers.worker_names(base, count)
        environments = [workers.Environment(folders[0], dict(os.environ))]
        for folder in folders[1:]:
            # Before any test runs: the copy must not catch the prefix mid-test.
            workers.clone_prefix(folders[0], folder)
            environments.append(workers.Environment(folder))
    else:
        environments = [workers.Environment(base or os.environ["WINEPREFIX"], dict(os.environ))]
    team = [Worker(n + 1, environment) for n, environment in enumerate(environments)]

    counts = {"PASS": 0, "FAIL": 0, "SKIP": 0}
    failures = []
    lock = threading.Lock()

    def report(test_id, worker, verdict, elapsed, output, log_path):
        line = "%s %s (%.1f s, %s)" % (verdict, test_id, elapsed, worker.label)
        if verdict == "SKIP":
            reason = output.strip().splitlines()[-1] if output.strip() else ""
            line += " " + reason
        with lock:
            counts[verdict] += 1
            durations[test_id] = round(elapsed, 1)
            print(line, flush=True)
            if verdict == "FAIL" or (options.verbose and output.strip()):
                print(indent(output), end="", flush=True)
            if verdict == "FAIL":
                failures.append((test_id, worker.label, log_path))

    def work(worker):
        try:
            worker.start()
        except (RuntimeError, OSError, subprocess.SubprocessError) as error:
            with lock:
                print("e2e: worker %s could not start: %s" % (worker.label, error), flush=True)
            worker.stop()
            return
        try:
            while True:
                unit = queue.take()
                if unit is None:
                    return
                for test in unit.tests:
                    log_path = logs / (test[0].replace("::", ".") + ".log")
                    verdict, elapsed, output = run_one(test, worker, log_path)
                    report(test[0], worker, verdict, elapsed, output, log_path)
        finally:
            worker.stop()

    for name, trace in broken:
        counts["FAIL"] += 1
        failures.append((name + " (import)", "-", None))
        print("FAIL %s (import)" % name)
        print(indent(trace), end="")

    threads = [threading.Thread(target=work, args=(worker,), daemon=True) for worker in team]
    for thread in threads:
        thread.start()
    for thread in threads:
        thread.join()

    # Tests no worker could take, when every worker failed to start.
    while True:
        unit = queue.take()
        if unit is None:
            break
        for test in unit.tests:
            counts["FAIL"] += 1
            failures.append((test[0], "-", None))
            print("FAIL %s (no worker ran it)" % test[0], flush=True)

    workers.write_durations(durations_file, durations)
    if failures:
        print("failed:")
        for test_id, label, log_path in failures:
            where = ""
            if log_path is not None:
                where = "; log %s" % log_path.relative_to(harness.REPO)
                screen = log_path.with_suffix(".png")
                if screen.exists():
                    where += "; screen %s" % screen.relative_to(harness.REPO)
            print("  %s (worker %s%s)" % (test_id, label, where))
    summary = "e2e: %d passed, %d failed" % (counts["PASS"], counts["FAIL"])
    if counts["SKIP"]:
        summary += ", %d skipped" % counts["SKIP"]
    print(summary, flush=True)
    return 1 if counts["FAIL"] else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
