#!/usr/bin/env python3
"""Checks that no layer calls into a later one, on the built libraries.

Each layer is a static library (libtolvik_<layer>.a). An include check cannot
see a call made through a header of the same layer that is implemented above
it, and a static link only fails on such a call when nothing else pulled the
later object in. This reads each library's symbols with nm: every symbol a
layer uses and does not define itself or below must not be one that a later
layer defines.

    scripts/check-calls.py BUILD_DIR [--nm NM] [--stamp FILE]

Prints one line per offence (the layer, the symbol demangled, the later layer
that defines it) and exits with 1 when there is any. With --stamp the file is
touched on success, for the build step that runs it.
"""

import argparse
import subprocess
import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
from layers import read_layers  # noqa: E402


def symbols(nm, archive):
    """(defined, undefined) external symbol names of a static library."""
    out = subprocess.run([nm, "--no-sort", "--extern-only", str(archive)], capture_output=True, text=True,
                         check=True).stdout
    defined, undefined = set(), set()
    for line in out.splitlines():
        parts = line.split()
        if len(parts) == 2 and parts[0] == "U":
            undefined.add(parts[1])
        elif len(parts) == 3 and parts[1] not in ("U", "w", "v"):
            defined.add(parts[2])
    return defined, undefined - defined


def demangle(nm, names):
    tool = nm[:-2] + "c++filt" if nm.endswith("nm") else "c++filt"
    try:
        out = subprocess.run([tool], input="\n".join(names), capture_output=True, text=True, check=True).stdout
        return out.splitlines()
    except (OSError, subprocess.CalledProcessError):
        return list(names)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("build", type=Path)
    parser.add_argument("--nm", default="nm")
    parser.add_argument("--stamp", type=Path)
    parser.add_argument("--root", type=Path, default=Path(__file__).resolve().parent.parent)
    options = parser.parse_args()

    layers = [name for name, _ in read_layers(options.root.resolve())]
    built = []
    for name in layers:
        archive = options.build / f"libtolvik_{name}.a"
        # A layer with nothing to build here (Windows-only code on the host) has no library.
        if archive.exists():
            built.append((name, *symbols(options.nm, archive)))
    problems = []
    for position, (name, _, undefined) in enumerate(built):
        below = set().union(*(defined for _, defined, _ in built[:position + 1]))
        for later, defined, _ in built[position + 1:]:
            for symbol in sorted((undefined & defined) - below):
                problems.append((name, symbol, later))
    shown = demangle(options.nm, [symbol for _, symbol, _ in problems])
    for (name, _, later), symbol in zip(problems, shown):
        print(f"layer {name} calls {symbol}, which the later layer {later} defines")
    order = " → ".join(name for name, _, _ in built)
    if problems:
        print(f"check-calls: {len(problems)} call(s) into later layers ({order})")
        return 1
    print(f"check-calls: {len(built)} layer libraries call only their own or earlier layers ({order})")
    if options.stamp:
        options.stamp.touch()
    return 0


if __name__ == "__main__":
    sys.exit(main())
