"""The end-to-end runner's workers: how the tests are split among them, and
the Wine environment (virtual display and prefix) each worker has alone.

A worker takes the next unit from one shared queue when it is free. A unit is
one test, or the tests that must not run beside each other: those that say
`harness.one_worker("why")` with the same reason (a fixed port, say) run one
after another in one worker, in file order. Units start longest first, so
that a long test does not begin last and keep the others waiting.
"""

import json
import os
import shutil
import subprocess
import threading
from pathlib import Path

WINE_ENV = Path(__file__).resolve().parents[2] / "scripts" / "wine-env.sh"


class Unit:
    """Tests that one worker runs one after another: [(id, file, function, limit, reason)]."""

    def __init__(self, tests, estimate):
        self.tests = tests
        self.estimate = estimate

    def ids(self):
        return [t[0] for t in self.tests]


def plan(tests, durations=None):
    """The units of work for the queue, in the order workers take them.

    tests: [(id, file, function, limit, one_worker reason or None)] in file
    order. durations: {id: seconds} of an earlier run; a test without one is
    taken to last its time limit, which only orders the queue."""
    durations = durations or {}
    grouped = {}
    units = []
    for test in tests:
        reason = test[4]
        if reason:
            if reason not in grouped:
                grouped[reason] = []
                units.append(grouped[reason])
            grouped[reason].append(test)
        else:
            units.append([test])

    def estimate(unit):
        return sum(durations.get(t[0], t[3]) for t in unit)

    made = [Unit(unit, estimate(unit)) for unit in units]
    # sorted() is stable: equal estimates keep file order.
    return sorted(made, key=lambda u: -u.estimate)


class Queue:
    """The units not yet taken, shared by the workers' threads."""

    def __init__(self, units):
        self._units = list(units)
        self._lock = threading.Lock()

    def take(self):
        with self._lock:
            return self._units.pop(0) if self._units else None


def read_durations(path):
    try:
        data = json.loads(Path(path).read_text(encoding="utf-8"))
    except (OSError, ValueError):
        return {}
    return {k: float(v) for k, v in data.items() if isinstance(v, (int, float))}


def write_durations(path, durations):
    Path(path).parent.mkdir(parents=True, exist_ok=True)
    Path(path).write_text(json.dumps(durations, indent=1, sort_keys=True) + "\n", encoding="utf-8")


def worker_names(base_dir, count):
    """Environment folders of the workers: the first is the environment the
    runner was started in, the others are named after it (test -> test-w2)."""
    base = Path(base_dir)
    return [base] + [base.with_name("%s-w%d" % (base.name, n)) for n in range(2, count + 1)]


def clone_prefix(source_env, target_env):
    """Copies the prepared prefix of source_env into target_env, unless the
    target has one. A new prefix takes Wine a minute or two to make; a copy
    a few seconds. The prefix links the user's folders (Desktop, Documents,
    ...) into its environment's HOME: those links are pointed at the target's."""
    source, target = Path(source_env), Path(target_env)
    prefix = target / "prefix"
    if (prefix / "system.reg").exists():
        return False
    if prefix.exists():
        shutil.rmtree(prefix)
    target.mkdir(parents=True, exist_ok=True)
    partial = target / "prefix.partial"
    shutil.rmtree(partial, ignore_errors=True)
    subprocess.run(["cp", "-a", str(source / "prefix"), str(partial)], check=True)
    relink(partial, source, target)
    partial.rename(prefix)
    return True


def relink(folder, source, target):
    """Points every symbolic link under folder whose target lies inside
    source at the same place inside target."""
    source = str(source).rstrip("/") + "/"
    for root, dirs, files in os.walk(folder):
        for name in dirs + files:
            path = os.path.join(root, name)
            if not os.path.islink(path):
                continue
            aim = os.readlink(path)
            if aim.startswith(source) or aim + "/" == source:
                os.unlink(path)
                os.symlink(str(target) + "/" + aim[len(source):], path)


class Environment:
    """A worker's virtual display and Wine prefix (scripts/wine-env.sh)."""

    def __init__(self, folder, variables=None):
        self.folder = Path(folder)
        self.name = self.folder.name
        # Set for the environment the runner was started in; made by start() otherwise.
        self.variables = variables
        self.owned = variables is None

    def start(self):
        """Starts the display and the prefix's server; raises RuntimeError."""
        self.folder.mkdir(parents=True, exist_ok=True)
        script = 'source "$1" && wine_env_init "$2" own >&2 && env -0'
        done = subprocess.run(["bash", "-c", script, "bash", str(WINE_ENV), self.name],
                              stdin=subprocess.DEVNULL, capture_output=True, timeout=600)
        if done.returncode != 0:
            raise RuntimeError("setting up %s failed: %s" % (
                self.folder, done.stderr.decode("utf-8", "replace").strip()))
        pairs = [entry.split("=", 1) for entry in done.stdout.decode("utf-8", "replace").split("\0")
                 if "=" in entry]
        self.variables = dict(pairs)

    def stop(self):
        """Ends the display and server that start() began (never those of the
        environment the runner was given)."""
        if not self.owned:
            return
        # A start that failed part-way may have left its display running:
        # wine_env_stop finds it through the environment folder.
        env = self.variables or dict(os.environ, WINE_ENV_DIR=str(self.folder),
                                     WINEPREFIX=str(self.folder / "prefix"))
        script = 'source "$1" && wine_env_stop --all'
        subprocess.run(["bash", "-c", script, "bash", str(WINE_ENV)], env=env,
                       stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, timeout=120)
