#!/usr/bin/python3
"""Sums the fixed sleeps of the end-to-end tests: every `time.sleep(...)` in
tests/e2e/test_*.py and harness.py, read from the source.

    count_sleeps.py [-v] [FILE ...]

How a sleep is counted:
  * `time.sleep(N)` with a number: N seconds, once per place in the source;
    inside `for ... in range(K)` or a literal tuple or list of K entries it
    counts K times (nested loops multiply).
  * inside a `for` over anything else (a helper's keys, the arguments it was
    given): N once, marked "per iteration" (the real cost grows with use).
  * inside a `while` loop: a polling interval of a wait on an event, not a
    fixed sleep; listed with -v, not summed. So is the interval of
    harness.wait_for.
  * an expression (such as the rest of a time since a press): its largest
    number, as an upper bound, marked "computed".
A sleep in a helper function counts once, however many tests call it: the
sum is of places in the source, not of seconds spent in a run.

Prints one line per counted sleep with -v, then "fixed sleeps: N places, S s".
"""

import ast
import sys
from pathlib import Path

HERE = Path(__file__).resolve().parent


def _numbers(node):
    return [n.value for n in ast.walk(node) if isinstance(n, ast.Constant) and isinstance(n.value, (int, float))
            and not isinstance(n.value, bool)]


def _fixed_count(loop):
    """K when the for loop runs a fixed K times, else None."""
    it = loop.iter
    if isinstance(it, (ast.Tuple, ast.List)) and not any(isinstance(e, ast.Starred) for e in it.elts):
        return len(it.elts)
    if isinstance(it, ast.Call) and isinstance(it.func, ast.Name) and it.func.id == "range":
        try:
            bounds = [ast.literal_eval(a) for a in it.args]
        except ValueError:
            return None
        return len(range(*bounds))
    return None


def _is_sleep(call):
    f = call.func
    return (isinstance(f, ast.Attribute) and f.attr == "sleep" and isinstance(f.value, ast.Name)
            and f.value.id == "time")


def sleeps(path):
    """[(line, seconds, factor, kind, function)] of one file; kind is "fixed",
    "per iteration", "computed" or "polling"."""
    tree = ast.parse(Path(path).read_text(encoding="utf-8"), str(path))
    found = []

    def visit(node, loops, function):
        if isinstance(node, (ast.FunctionDef, ast.AsyncFunctionDef, ast.Lambda)):
            # A function's body runs when it is called, not in the loop around its definition.
            name = getattr(node, "name", "<lambda>")
            for child in ast.iter_child_nodes(node):
                visit(child, [], name)
            return
        if isinstance(node, ast.Call) and _is_sleep(node) and node.args:
            arg = node.args[0]
            numbers = _numbers(arg)
            seconds = max(numbers) if numbers else 0.0
            kind = "fixed" if isinstance(arg, ast.Constant) else "computed"
            factor = 1
            for loop in loops:
                if isinstance(loop, ast.While):
                    kind = "polling"
                    break
                count = _fixed_count(loop)
                if count is None:
                    kind = "per iteration"
                else:
                    factor *= count
            found.append((node.lineno, float(seconds), factor, kind, function))
        for child in ast.iter_child_nodes(node):
            visit(child, loops + [node] if isinstance(node, (ast.For, ast.While)) and child in
                  node.body + node.orelse else loops, function)

    visit(tree, [], "<module>")
    return sorted(found)


def count(files):
    """(places, seconds, rows) over the files, polling left out."""
    rows, places, total = [], 0, 0.0
    for path in files:
        for line, seconds, factor, kind, function in sleeps(path):
            rows.append((Path(path).name, line, seconds, factor, kind, function))
            if kind != "polling":
                places += 1
                total += seconds * factor
    return places, total, rows


def main(argv):
    verbose = "-v" in argv
    files = [Path(a) for a in argv[1:] if a != "-v"] or (sorted(HERE.glob("test_*.py")) + [HERE / "harness.py"])
    places, total, rows = count(files)
    if verbose:
        for name, line, seconds, factor, kind, function in rows:
            times = " x%d" % factor if factor != 1 else ""
            print("%s:%d %g s%s %s (%s)" % (name, line, seconds, times, kind, function))
    print("fixed sleeps: %d places, %g s" % (places, round(total, 2)))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
