#!/usr/bin/env python3
"""Checks that the program's layers only include downwards.

The layers, lowest first, are those of CMakeLists.txt (TOLVIK_LAYERS). Each
is one CMake library that links only the layers before it, but all of them
include from the same roots (src/ and the top folder for lang/), so only this
check stops a file from including a header of a later layer. It also keeps the
Windows headers in the files that build only for Windows (*_win.cpp, *_win.h):
the file name chooses the build, never an #ifdef.

    scripts/check-layers.py [--root DIR]

Prints one line per offence (file:line, what it includes, the two layers) and
exits with status 1 when there is any.
"""

import argparse
import re
import sys
from pathlib import Path

# A layer's files are those of its folders, subfolders included; a folder
# listed inside another layer's folder (src/app/view inside src/app) belongs to
# its own layer. An include is ranked the same way: by the deepest listed
# folder its path lies in.
sys.path.insert(0, str(Path(__file__).resolve().parent))
from layers import read_layers  # noqa: E402


SOURCE_SUFFIXES = {".h", ".hpp", ".cpp", ".inc"}
INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]')

# Headers of the Windows SDK (and its C runtime's process.h).
WINDOWS_HEADER = re.compile(
    r"""^(?:windows|win[a-z0-9_]*|d2d1[a-z0-9_]*|d3d[a-z0-9_]*|dxgi[a-z0-9_]*|dwrite[a-z0-9_]*|dwmapi
        |sh[a-z0-9_]*|ole[a-z0-9_]*|objbase|objidl|combaseapi|unknwn|commctrl|commdlg|bcrypt|softpub
        |propkey|propvarutil|propsys|exdisp|knownfolders|mmsystem|ws2tcpip|process|wincodec|uxtheme
        |mscat|wininet|winhttp)\.h$""",
    re.IGNORECASE | re.VERBOSE,
)


def is_windows_header(name):
    return name.lower().startswith("wrl/") or WINDOWS_HEADER.match(name) is not None


def windows_only(path):
    """Whether the file name makes the file build for Windows alone."""
    return path.stem.endswith("_win")


def layer_files(root, layers):
    """(layer, path) of every source file; a folder listed inside another
    layer's folder is that layer's own."""
    owner = {}
    for name, folders in layers:
        for folder in folders:
            base = root / folder
            if not base.is_dir():
                continue
            for path in base.rglob("*"):
                if path.is_file() and path.suffix in SOURCE_SUFFIXES:
                    known = owner.get(path)
                    # The deepest listed folder wins.
                    if known is None or len(folder) > len(known[1]):
                        owner[path] = (name, folder)
    for path in sorted(owner):
        yield owner[path][0], path


def include_layer(included, folders):
    """The layer of an included path ("app/view/layout.h"), by the deepest
    listed folder it lies in; includes are written from src/ or from the top
    folder, so "src/app/view" is matched as "app/view". None when no layer's."""
    best = None
    for layer, folder in folders:
        for prefix in {folder, folder.removeprefix("src/")}:
            if included.startswith(prefix + "/") and (best is None or len(prefix) > len(best[1])):
                best = (layer, prefix)
    return best[0] if best else None


def check_file(root, rank, folders, layer, path):
    problems = []
    shown = path.relative_to(root).as_posix()
    with open(path, encoding="utf-8", errors="replace") as source:
        for number, line in enumerate(source, 1):
            match = INCLUDE.match(line)
            if not match:
                continue
            bracket, included = match.groups()
            if bracket == '"':
                target = include_layer(included, folders)
                if target is not None and rank[target] > rank[layer]:
                    problems.append(
                        f'{shown}:{number}: includes "{included}": layer {layer} must not include '
                        f"the later layer {target}")
            elif is_windows_header(included) and not windows_only(path):
                problems.append(
                    f"{shown}:{number}: includes <{included}> in a file that builds for both builds "
                    f"(layer {layer}); Windows headers belong in *_win.cpp and *_win.h files")
    return problems


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--root", type=Path, default=Path(__file__).resolve().parent.parent,
                        help="the tree to check (default: this repository)")
    options = parser.parse_args()
    root = options.root.resolve()

    layers = read_layers(root)
    rank = {name: position for position, (name, _) in enumerate(layers)}
    folders = [(name, folder) for name, listed in layers for folder in listed]
    problems = []
    count = 0
    for layer, path in layer_files(root, layers):
        count += 1
        problems += check_file(root, rank, folders, layer, path)
    for problem in problems:
        print(problem)
    order = " → ".join(name for name, _ in layers)
    if problems:
        print(f"check-layers: {len(problems)} problem(s) in {count} files ({order})")
        return 1
    print(f"check-layers: {count} files include only their own or earlier layers ({order})")
    return 0


if __name__ == "__main__":
    sys.exit(main())
