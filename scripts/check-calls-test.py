#!/usr/bin/env python3
"""Tests of scripts/check-calls.py on small libraries it builds with g++.

    scripts/check-calls-test.py
"""

import subprocess
import sys
import tempfile
import unittest
from pathlib import Path

SCRIPT = Path(__file__).resolve().parent / "check-calls.py"

CMAKE = """\
set(TOLVIK_LAYERS base state window)
set(TOLVIK_LAYER_base_DIRS src/base)
set(TOLVIK_LAYER_state_DIRS src/app/state)
set(TOLVIK_LAYER_window_DIRS src/app/window)
"""


def run_on_libraries(sources):
    """Builds libtolvik_<layer>.a from {layer: C++ source} and runs the check."""
    with tempfile.TemporaryDirectory() as folder:
        root = Path(folder)
        (root / "CMakeLists.txt").write_text(CMAKE)
        for layer, text in sources.items():
            (root / f"{layer}.cpp").write_text(text)
            subprocess.run(["g++", "-c", "-O0", f"{layer}.cpp", "-o", f"{layer}.o"], cwd=root, check=True)
            subprocess.run(["ar", "rcs", f"libtolvik_{layer}.a", f"{layer}.o"], cwd=root, check=True)
        done = subprocess.run([sys.executable, str(SCRIPT), str(root), "--root", str(root)],
                              capture_output=True, text=True)
        return done.returncode, done.stdout.splitlines()


class CheckCalls(unittest.TestCase):
    def test_calls_downwards_pass(self):
        code, lines = run_on_libraries({
            "base": "int twice(int x) { return 2 * x; }\n",
            "state": "int twice(int);\nint saved() { return twice(2); }\n",
            "window": "int saved();\nint twice(int);\nint paint() { return saved() + twice(1); }\n",
        })
        self.assertEqual(code, 0, lines)

    def test_a_call_into_a_later_layer_is_named_with_both_layers(self):
        # What an include check cannot see: the declaration is the layer's
        # own, the definition is above it.
        code, lines = run_on_libraries({
            "base": "int twice(int x) { return 2 * x; }\n",
            "state": "namespace app { void sync_hotkeys(); }\nvoid save() { app::sync_hotkeys(); }\n",
            "window": "namespace app { void sync_hotkeys() {} }\n",
        })
        self.assertEqual(code, 1)
        self.assertEqual(lines[0], "layer state calls app::sync_hotkeys(), which the later layer window defines")


if __name__ == "__main__":
    result = unittest.main(exit=False, verbosity=0).result
    failed = len(result.failures) + len(result.errors)
    print(f"check-calls-test: {result.testsRun - failed} passed, {failed} failed")
    sys.exit(1 if failed else 0)
