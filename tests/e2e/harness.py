"""Helpers for the end-to-end tests: tolvik.exe and the test tools under Wine.

The runner (run.py) prepares the Wine environment (WINEPREFIX, DISPLAY, ...)
and gives every test function a fresh Context: its own folder, its own store
file (TOLVIK_STORE) and its own recorder log, and no HKCU\\Software\\tolvik.

A test is a function named test_* in tests/e2e/test_*.py. It takes no argument
or one, the Context:

    import harness

    @harness.time_limit(90)           # default: 60 s
    def test_something(ctx):
        code = ctx.run(["--open", "b1"])
        ...
        raise harness.Skip("why")     # counted as skipped

Plain `assert` reports a failure.
"""

import json
import os
import re
import shutil
import signal
import subprocess
import tempfile
import time
from pathlib import Path

REPO = Path(__file__).resolve().parents[2]
# TOLVIK_WIN_BUILD points the tests at another build folder of the windows preset.
BUILD = Path(os.environ.get("TOLVIK_WIN_BUILD", REPO / "build" / "windows"))
TOLVIK_EXE = BUILD / "tolvik.exe"
TOOLS = BUILD / "tools"
PROBE_EXE = TOOLS / "probe.exe"
RECORDER_EXE = TOOLS / "recorder.exe"

DEFAULT_TIME_LIMIT = 60

# Lines Wine prints whatever WINEDEBUG says.
_NOISE = re.compile(
    r"wine32 is missing|multiarch needs to be enabled|dpkg --add-architecture i386|"
    r"apt-get install wine32|Read access denied for device|X connection to .* broken")


def versions():
    """The build's versions and where their programs and installers are, as CMake
    wrote them: "product" (tolvik.exe) and "next" (the next version, built for
    the update test), each {"version", "program", "setup"}."""
    return json.loads((BUILD / "versions.json").read_text(encoding="utf-8"))


class Skip(Exception):
    """Raised by a test that cannot run here; the runner counts it as skipped."""


def time_limit(seconds):
    """Decorator: the test's own time limit in seconds."""
    def mark(function):
        function.time_limit = seconds
        return function
    return mark


def one_worker(reason):
    """Decorator: the test uses something that parallel workers cannot each
    have of their own (a fixed port, say). Tests marked with the same reason
    run one after another in one worker. A module's ONE_WORKER = "reason"
    marks all of its tests."""
    def mark(function):
        function.one_worker = reason
        return function
    return mark


def strip_noise(text):
    return "".join(line for line in text.splitlines(keepends=True) if not _NOISE.search(line))


def prefix():
    value = os.environ.get("WINEPREFIX")
    if not value:
        raise RuntimeError("WINEPREFIX is not set: run the tests through `make test-e2e`")
    return Path(value)


def drive_c():
    return prefix() / "drive_c"


def run_captured(command, timeout=30.0, env=None, cwd=None):
    """Runs a command to its end; returns (exit code, stdout, stderr) as text.

    Output goes through temporary files, not pipes: the first Wine process of
    a session starts Wine's services, which inherit its output handles and
    would keep a pipe open, and a reader waiting for its end, for a minute.
    On overrun the process is killed by its PID and TimeoutError raised."""
    with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
        process = subprocess.Popen([str(c) for c in command], stdin=subprocess.DEVNULL,
                                   stdout=out, stderr=err, env=env, cwd=cwd)
        try:
            code = process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            process.kill()
            process.wait()
            raise TimeoutError("%s did not finish within %.1f s" % (command[0], timeout))
        out.seek(0)
        err.seek(0)
        return (code, out.read().decode("utf-8", "replace"),
                strip_noise(err.read().decode("utf-8", "replace")))


def wine_path(unix_path):
    """The Windows form of a Unix path (C:\\... inside the prefix, else Z:\\...)."""
    path = Path(unix_path).resolve()
    try:
        rest = path.relative_to(drive_c().resolve())
        return "C:\\" + "\\".join(rest.parts)
    except ValueError:
        pass
    code, out, err = run_captured(["winepath", "-w", path])
    if code != 0 or not out.strip():
        raise RuntimeError("winepath -w %s failed: %s" % (path, err))
    return out.strip().splitlines()[-1]


def unix_path(windows_path):
    """The Unix form of a Windows path."""
    code, out, err = run_captured(["winepath", "-u", windows_path])
    if code != 0 or not out.strip():
        raise RuntimeError("winepath -u %s failed: %s" % (windows_path, err))
    return Path(out.strip().splitlines()[-1])


def wait_for(condition, timeout=10.0, interval=0.1, what="condition"):
    """Calls condition() until it returns something true; returns that value.
    Raises TimeoutError after timeout seconds."""
    deadline = time.monotonic() + timeout
    while True:
        value = condition()
        if value:
            return value
        if time.monotonic() >= deadline:
            raise TimeoutError("timed out after %.1f s waiting for %s" % (timeout, what))
        time.sleep(interval)


def find_window(name="tolvik", timeout=10.0, visible=True):
    """X window id (decimal string) of the top-level window titled exactly name.
    Under Xvfb there is no window manager: no title bars, and the window's X
    window is its client area."""
    command = ["xdotool", "search"]
    if visible:
        command.append("--onlyvisible")
    command += ["--name", "^%s$" % re.escape(name)]

    def search():
        out = subprocess.run(command, capture_output=True, text=True, timeout=10)
        ids = out.stdout.split()
        return ids[0] if ids else None

    return wait_for(search, timeout, what="window %r" % name)


def shown_windows(name):
    """X window ids (decimal strings) of the visible top-level windows titled exactly name."""
    out = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^%s$" % re.escape(name)],
                         capture_output=True, text=True, timeout=10)
    return out.stdout.split()


def wait_window_gone(name, timeout=10.0):
    """Waits until no visible window is titled exactly name (a dialog closed,
    a window hidden)."""
    wait_for(lambda: not shown_windows(name), timeout, interval=0.05, what="window %r to go" % name)


def foreground(ctx):
    """(title, process id) of the window in front, as probe.exe reads it, or
    None when none is. Under Xvfb without a window manager the X keyboard
    focus stays on the pointer's root; Wine gives the keys to the focus of
    this window, so it is what takes what a user types."""
    seen = ctx.probe("foreground")
    if seen.code != 0 or "\t" not in seen.out:
        return None
    title, _, pid = seen.out.rstrip("\n").rpartition("\t")
    return title, pid


def wait_foreground(ctx, title, timeout=10.0):
    """Waits until the window in front is titled exactly title."""
    try:
        return wait_for(lambda: (lambda f: f if f and f[0] == title else None)(foreground(ctx)), timeout,
                        interval=0.05)
    except TimeoutError:
        raise TimeoutError("timed out after %.1f s waiting for %r in front (in front: %s)" % (
            timeout, title, foreground(ctx))) from None


def read_bytes(path):
    """A file's bytes, or None while it does not exist."""
    try:
        return Path(path).read_bytes()
    except FileNotFoundError:
        return None


def wait_file_change(path, before, timeout=10.0, what=None):
    """Waits until the file's bytes differ from before (None: it did not
    exist); returns them (None when it was removed)."""
    changed = []

    def differs():
        now = read_bytes(path)
        if now != before:
            changed.append(now)
            return True
        return False
    wait_for(differs, timeout, interval=0.05, what=what or "%s to change" % Path(path).name)
    return changed[-1]


def wine_processes(*names):
    """PIDs of the processes of this Wine prefix running one of the programs
    named (e.g. "recorder.exe"), as Linux sees them: Wine names each process
    after its program and puts the program's path first on its command line.
    A program merely named among the arguments (probe.exe hold ...tolvik.exe)
    does not count."""
    wanted = {n.lower().encode() for n in names}
    prefix_entry = ("WINEPREFIX=%s" % prefix()).encode()
    found = []
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            folder = Path("/proc", entry)
            comm = folder.joinpath("comm").read_bytes().strip().lower()
            first = folder.joinpath("cmdline").read_bytes().split(b"\0")[0].lower()
            environ = folder.joinpath("environ").read_bytes().split(b"\0")
        except OSError:
            continue  # ended meanwhile, or not ours to read
        program = re.split(rb"[\\/]", first)[-1]
        # The process name is cut to 15 bytes.
        if prefix_entry in environ and (program in wanted or any(comm == w[:15] for w in wanted)):
            found.append(int(entry))
    return found


def wait_no_process(*names, timeout=30.0):
    """Waits until no process of the prefix runs one of the programs named:
    everything a finished program started has ended (a recorder, once
    ended, has written its line)."""
    # A process can be unreadable in /proc for a moment (while it starts or
    # ends), and is then not listed: none is believed gone until two looks
    # in a row find none.
    empty_looks = [0]

    def none_left():
        empty_looks[0] = 0 if wine_processes(*names) else empty_looks[0] + 1
        return empty_looks[0] >= 2

    try:
        wait_for(none_left, timeout, interval=0.05)
    except TimeoutError:
        raise TimeoutError("timed out after %.1f s waiting for %s to end (still running: %s)" % (
            timeout, ", ".join(names), wine_processes(*names))) from None


def wait_recorded(ctx, count, timeout=15.0, what=None):
    """Waits until the recorder's log of the test holds at least count lines;
    returns them (as dicts)."""
    try:
        return wait_for(lambda: (lambda lines: lines if len(lines) >= count else None)(ctx.recorded()), timeout,
                        interval=0.05)
    except TimeoutError:
        raise TimeoutError("timed out after %.1f s waiting for %s; the log holds %s" % (
            timeout, what or "%d line(s) in the recorder's log" % count, ctx.recorded())) from None



def close_with_alt_f4(process=None, name="tolvik"):
    """Closes the window titled name as a user does, with Alt+F4, and returns
    the process's exit code when it is given."""
    window = find_window(name)
    xdotool("key", "--window", window, "alt+F4")
    if process is None:
        return None
    try:
        return process.popen.wait(timeout=30)
    except subprocess.TimeoutExpired:
        # Whether the key was lost or the program hangs on its way out: the
        # screen and the window's state say which.
        shot = REPO / "build" / "test-logs" / "e2e" / ("alt-f4-%d.png" % process.pid)
        try:
            screenshot("root", shot)
        except (OSError, subprocess.SubprocessError):
            pass
        shown = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^%s$" % re.escape(name)],
                               capture_output=True, text=True, timeout=10).stdout.split()
        process.kill()
        raise TimeoutError("%s did not exit within 30 s of Alt+F4; its window %s (screen in %s)" % (
            process.label, "was still shown" if window in shown else "was gone", shot))

def xdotool(*args):
    """Runs xdotool (keys and clicks sent to a window); raises on failure."""
    subprocess.run(["xdotool"] + [str(a) for a in args], check=True, capture_output=True, timeout=20)


def screenshot(window_id, path):
    """Photographs a window (or "root") into a PNG file. A frame presented
    before the window was mapped is lost under Wine: force a repaint first
    when the picture matters (e.g. resize the window with xdotool)."""
    Path(path).parent.mkdir(parents=True, exist_ok=True)
    subprocess.run(["import", "-window", str(window_id), str(path)], check=True,
                   capture_output=True, timeout=30)
    return Path(path)


def _wine(args, timeout=30.0, env=None):
    return run_captured(["wine"] + list(args), timeout=timeout, env=env)


def reg_add(subkey, value, kind, data):
    """Sets HKCU\\<subkey> <value>. kind: REG_SZ, REG_DWORD (int), REG_BINARY
    (bytes). Text passes through the command line, so Unicode is kept."""
    if kind == "REG_BINARY":
        data = bytes(data).hex()
    command = ["reg", "add", "HKCU\\" + subkey, "/v", value, "/t", kind, "/d", str(data), "/f"]
    code, _, err = _wine(command)
    if code != 0:
        # Wine's reg.exe now and then exits non-zero with nothing said while
        # the prefix's services are busy; a second try finds them settled.
        time.sleep(1)
        code, _, err = _wine(command)
    if code != 0:
        raise RuntimeError("reg add %s %s failed (exit %d): %s" % (subkey, value, code, err))


def reg_delete(subkey, value=None, env=None):
    """Deletes a key (or one value of it); a missing key is no error. env: the
    environment of another prefix than this process's."""
    args = ["reg", "delete", "HKCU\\" + subkey, "/f"]
    if value is not None:
        args[3:3] = ["/v", value]
    _wine(args, env=env)


def reg_query(subkey, value):
    """Text of HKCU\\<subkey> <value> as probe.exe prints it (REG_SZ: the text,
    REG_DWORD: decimal, REG_BINARY: "<size> <hex>"), or None when missing.
    Read through probe.exe: `wine reg query` loses non-ASCII text in a pipe."""
    code, out, _ = _wine([PROBE_EXE, "regread", subkey, value])
    if code != 0:
        return None
    return out[:-1] if out.endswith("\n") else out


def reg_dword(subkey, value):
    text = reg_query(subkey, value)
    return None if text is None else int(text)


def reg_binary(subkey, value):
    text = reg_query(subkey, value)
    if text is None:
        return None
    size, _, digits = text.partition(" ")
    data = bytes.fromhex(digits)
    assert len(data) == int(size), "probe printed %r" % text
    return data


class Completed:
    """What a finished program left: exit code and its output (UTF-8 text)."""

    def __init__(self, code, out, err):
        self.code = code
        self.out = out
        self.err = err

    def __repr__(self):
        return "Completed(code=%r, out=%r, err=%r)" % (self.code, self.out, self.err)


class WineProcess:
    """A program started in the background under Wine."""

    def __init__(self, popen, label, out_path, err_path):
        self.popen = popen
        self.pid = popen.pid
        self.label = label
        self._out_path = out_path
        self._err_path = err_path

    def running(self):
        return self.popen.poll() is None

    def wait(self, timeout=30.0):
        """Exit code; kills the process and raises TimeoutError on overrun."""
        try:
            return self.popen.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            self.kill()
            raise TimeoutError("%s did not exit within %.1f s" % (self.label, timeout))

    def kill(self):
        if self.popen.poll() is None:
            try:
                os.kill(self.pid, signal.SIGKILL)
            except ProcessLookupError:
                pass
            try:
                self.popen.wait(timeout=10)
            except subprocess.TimeoutExpired:
                pass

    def output(self):
        """stdout and stderr after the process ended (files, so never blocking)."""
        return self._read(self._out_path), strip_noise(self._read(self._err_path))

    @staticmethod
    def _read(path):
        try:
            return Path(path).read_bytes().decode("utf-8", "replace")
        except OSError:
            return ""


class Context:
    """One test's isolated setup; made by the runner."""

    def __init__(self, name, folder):
        self.name = name
        self.folder = Path(folder)                      # Unix path, inside drive_c
        self.folder_win = wine_path(self.folder)
        self.store = self.folder / "store" / "bundles.json"
        self.store_win = self.folder_win + "\\store\\bundles.json"
        self.recorder_log = self.folder / "recorder.log"
        self.recorder_log_win = self.folder_win + "\\recorder.log"
        self.env = {
            "TOLVIK_STORE": self.store_win,
            "TOLVIK_RECORDER_LOG": self.recorder_log_win,
        }
        self._processes = []
        self._count = 0

    def environment(self, extra=None):
        env = dict(os.environ)
        env.update(self.env)
        if extra:
            env.update({k: str(v) for k, v in extra.items()})
        return env

    def start(self, args=(), env=None, exe=TOLVIK_EXE, cwd=None):
        """Starts exe (tolvik.exe by default) with args in the background."""
        self._count += 1
        out = self.folder / ("process-%d.out" % self._count)
        err = self.folder / ("process-%d.err" % self._count)
        with open(out, "wb") as out_file, open(err, "wb") as err_file:
            popen = subprocess.Popen(["wine", str(exe)] + [str(a) for a in args],
                                     stdin=subprocess.DEVNULL, stdout=out_file, stderr=err_file,
                                     env=self.environment(env), cwd=cwd)
        label = " ".join([Path(exe).name] + [str(a) for a in args])
        process = WineProcess(popen, label, out, err)
        self._processes.append(process)
        return process

    def run_program(self, args=(), env=None, exe=TOLVIK_EXE, timeout=30.0, cwd=None):
        """Runs exe to its end; returns Completed. On overrun the process is
        killed by its PID and TimeoutError raised."""
        process = self.start(args, env=env, exe=exe, cwd=cwd)
        code = process.wait(timeout)
        out, err = process.output()
        return Completed(code, out, err)

    def run(self, args=(), env=None, timeout=30.0, exe=TOLVIK_EXE, cwd=None):
        """Runs tolvik.exe (or exe) with args and this test's environment to its
        end and returns the exit code."""
        return self.run_program(args, env=env, exe=exe, timeout=timeout, cwd=cwd).code

    def probe(self, *args, timeout=30.0):
        """Runs probe.exe; returns Completed (out: its UTF-8 output)."""
        return self.run_program(args, exe=PROBE_EXE, timeout=timeout)

    def recorded(self):
        """The lines recorder.exe wrote for this test, as dicts."""
        if not self.recorder_log.exists():
            return []
        text = self.recorder_log.read_text(encoding="utf-8")
        return [json.loads(line) for line in text.splitlines() if line.strip()]

    def started(self):
        """The recorder's start lines (no window or close events) in the order
        the programs were started: by the time the system created each
        process, since recorders started close together may write their lines
        in another order."""
        starts = [line for line in self.recorded() if "event" not in line]
        return sorted(starts, key=lambda line: line["created_us"])

    def close(self):
        for process in self._processes:
            process.kill()


def make_context(name, root):
    """A fresh folder for the test under root (inside the prefix's drive C)."""
    folder = Path(root) / name
    if folder.exists():
        shutil.rmtree(folder)
    (folder / "store").mkdir(parents=True)
    return Context(name, folder)
