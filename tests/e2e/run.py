#!/usr/bin/python3
"""Runs the end-to-end tests: every test_* function of tests/e2e/test_*.py.

    run.py [-k TEXT] [-t SECONDS] [-v] [FILE ...]

-k runs only tests whose "file::function" contains TEXT; -t sets the default
time limit (60 s); -v prints the output of passing tests too.

Expects the Wine environment of scripts/wine-env.sh (`make test-e2e` sets it
up). Before each test the prefix's wineserver is restarted, which ends every
Windows process the previous test left, and HKCU\\Software\\tolvik and the
start at sign-in (the value "tolvik" of ...\\CurrentVersion\\Run and of
Explorer\\StartupApproved\\Run) are deleted.
Each test runs in a child process of its own session; on overrun that session
and the prefix's Windows processes are killed and the test fails.

Prints one line per test and closes with "e2e: N passed, N failed" (and
", N skipped" when any were skipped). Exit code 1 when any test failed.
"""

import argparse
import importlib.util
import inspect
import os
import shutil
import signal
import subprocess
import sys
import time
import traceback
from pathlib import Path

HERE = Path(__file__).resolve().parent
sys.path.insert(0, str(HERE))
# No __pycache__ folders in the source tree.
sys.dont_write_bytecode = True

import harness  # noqa: E402

SKIPPED_EXIT = 77
OUTPUT_TAIL = 80


def load_module(path):
    found = importlib.util.spec_from_file_location("e2e_" + path.stem, path)
    module = importlib.util.module_from_spec(found)
    found.loader.exec_module(module)
    return module


def discover(files, pattern, default_limit):
    """[(id, file, function name, time limit)] in file and source order, plus
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
        for function in functions:
            test_id = "%s::%s" % (path.name, function.__name__)
            if pattern and pattern not in test_id:
                continue
            tests.append((test_id, path, function.__name__,
                          getattr(function, "time_limit", module_limit)))
    return tests, broken


class WineSession:
    """The prefix's wineserver, restarted between tests."""

    def __init__(self):
        self.server = None

    def stop(self):
        # -k and -w talk to the server of $WINEPREFIX only.
        subprocess.run(["wineserver", "-k"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        try:
            subprocess.run(["wineserver", "-w"], stdout=subprocess.DEVNULL,
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
        self.server = subprocess.Popen(["wineserver", "-f", "-p60"], stdin=subprocess.DEVNULL,
                                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                                       start_new_session=True)
        # The first process starts Wine's services and desktop; they keep the
        # output handles they inherit, so give them none that anyone reads.
        subprocess.run(["wine", "cmd", "/c", "exit"], stdin=subprocess.DEVNULL,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=60)
        harness.reg_delete("Software\\tolvik")
        # The start at sign-in that a test's marks or settings left.
        harness.reg_delete("Software\\Microsoft\\Windows\\CurrentVersion\\Run", "tolvik")
        harness.reg_delete("Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\Run", "tolvik")


def run_one(test_id, path, function, limit, root, session, log_path):
    session.fresh()
    started = time.monotonic()
    with open(log_path, "wb") as log:
        child = subprocess.Popen(
            [sys.executable, str(Path(__file__).resolve()), "--child", str(path), function,
             str(root)],
            stdin=subprocess.DEVNULL, stdout=log, stderr=subprocess.STDOUT, start_new_session=True)
        try:
            code = child.wait(timeout=limit)
            timed_out = False
        except subprocess.TimeoutExpired:
            timed_out = True
            # The child leads its own session and process group: this ends it
            # and every Wine process it started that stayed in the group...
            try:
                os.killpg(child.pid, signal.SIGKILL)
            except ProcessLookupError:
                pass
            child.wait()
            code = None
    # ...and this the Windows processes that detached from it.
    session.stop()
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

    root = harness.drive_c() / "e2e"
    logs = harness.REPO / "build" / "test-logs" / "e2e"
    for folder in (root, logs):
        shutil.rmtree(folder, ignore_errors=True)
        folder.mkdir(parents=True)

    passed = failed = skipped = 0
    for name, trace in broken:
        failed += 1
        print("FAIL %s (import)" % name)
        print(indent(trace), end="")

    session = WineSession()
    try:
        for test_id, path, function, limit in tests:
            log_path = logs / (test_id.replace("::", ".") + ".log")
            verdict, elapsed, output = run_one(test_id, path, function, limit, root, session,
                                               log_path)
            line = "%s %s (%.1f s)" % (verdict, test_id, elapsed)
            if verdict == "SKIP":
                reason = output.strip().splitlines()[-1] if output.strip() else ""
                line += " " + reason
            print(line, flush=True)
            if verdict == "FAIL" or (options.verbose and output.strip()):
                print(indent(output), end="", flush=True)
            passed += verdict == "PASS"
            failed += verdict == "FAIL"
            skipped += verdict == "SKIP"
    finally:
        session.stop()

    summary = "e2e: %d passed, %d failed" % (passed, failed)
    if skipped:
        summary += ", %d skipped" % skipped
    print(summary, flush=True)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
