"""For the tests of the source checks: runs a check script on a small tree of
files that a test makes, in a folder of its own."""

import subprocess
import sys
import tempfile
from pathlib import Path


def run_on_tree(script, files):
    """Writes files ({relative path: text}) into a new folder, runs
    `script --root FOLDER` on it and returns (exit code, output lines)."""
    with tempfile.TemporaryDirectory() as folder:
        root = Path(folder)
        for name, text in files.items():
            path = root / name
            path.parent.mkdir(parents=True, exist_ok=True)
            path.write_text(text, encoding="utf-8")
        done = subprocess.run([sys.executable, str(script), "--root", str(root)],
                              capture_output=True, text=True, encoding="utf-8")
        return done.returncode, done.stdout.splitlines()
