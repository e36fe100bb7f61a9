#!/usr/bin/env python3
"""Checks that every header compiles on its own.

A source file that includes a header after other headers, or after the
precompiled Windows headers the MinGW build puts in front of every *_win.cpp,
can hide a missing #include in that header. Here each header is compiled
alone, as the only line of an otherwise empty file: *_win.h with the MinGW
compiler and the Windows build's definitions, every other header with the
host's g++. Only the syntax is checked (-fsyntax-only), in parallel.

    scripts/check-headers.py [--root DIR] [-j JOBS]

Prints each header that does not compile with the compiler's first lines, and
a last line with the counts; exits with status 1 when any header failed.
"""

import argparse
import os
import subprocess
import sys
import tempfile
from concurrent.futures import ThreadPoolExecutor
from pathlib import Path

# The folders whose headers the builds include.
HEADER_FOLDERS = ["src", "lang", "tests/host", "tests/windows", "fuzz", "bench"]

HOST_COMPILER = "g++"
WINDOWS_COMPILER = "x86_64-w64-mingw32-g++-posix"
COMMON_FLAGS = ["-std=c++20", "-fsyntax-only", "-Wall", "-Wextra", "-Wpedantic",
                "-Wno-missing-field-initializers"]
# What CMakeLists.txt defines for every Windows target (tolvik_base's definitions).
WINDOWS_DEFINES = ["-DUNICODE", "-D_UNICODE", "-DWIN32_LEAN_AND_MEAN", "-DNOMINMAX",
                   "-D_WIN32_WINNT=0x0A00", "-DWINVER=0x0A00"]
# GoogleTest's headers for the MinGW build come from its sources, as in CMakeLists.txt.
WINDOWS_GTEST_INCLUDE = "/usr/src/googletest/googletest/include"


def windows_only(path):
    """Whether the file name makes the header build for Windows alone."""
    return path.stem.endswith("_win")


def find_headers(root):
    headers = []
    for folder in HEADER_FOLDERS:
        base = root / folder
        if base.is_dir():
            headers.extend(p for p in base.rglob("*.h") if p.is_file())
    return sorted(headers)


def command(root, header, third_party):
    """The compiler command for one header; its input, on stdin, includes it."""
    includes = [f"-I{root / 'src'}", f"-I{root}", f"-I{root / 'tests'}"]
    if windows_only(header):
        # Header-only libraries through a folder of their own, never the
        # host's /usr/include (as the MinGW build does).
        return ([WINDOWS_COMPILER, *COMMON_FLAGS, *WINDOWS_DEFINES, *includes,
                 "-isystem", str(third_party), "-isystem", WINDOWS_GTEST_INCLUDE, "-x", "c++", "-"])
    return [HOST_COMPILER, *COMMON_FLAGS, *includes, "-x", "c++", "-"]


def check(root, header, third_party):
    """(header, None) when it compiles alone, else (header, compiler output)."""
    source = f'#include "{header.resolve()}"\n'
    done = subprocess.run(command(root, header, third_party), input=source, capture_output=True,
                          text=True, encoding="utf-8", errors="replace", cwd=root)
    if done.returncode == 0:
        return header, None
    return header, (done.stdout + done.stderr).strip() or f"exit code {done.returncode}"


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--root", type=Path, default=Path(__file__).resolve().parent.parent)
    parser.add_argument("-j", "--jobs", type=int, default=min(2, os.cpu_count() or 1))
    args = parser.parse_args()
    root = args.root.resolve()

    headers = find_headers(root)
    if not headers:
        raise SystemExit(f"check-headers: no headers under {root}")
    with tempfile.TemporaryDirectory() as folder:
        third_party = Path(folder)
        if Path("/usr/include/nlohmann").is_dir():
            (third_party / "nlohmann").symlink_to("/usr/include/nlohmann")
        with ThreadPoolExecutor(max_workers=max(1, args.jobs)) as pool:
            results = list(pool.map(lambda h: check(root, h, third_party), headers))

    failed = [(h, out) for h, out in results if out is not None]
    for header, output in failed:
        print(f"{header.relative_to(root)}: does not compile on its own")
        for line in output.splitlines()[:12]:
            print(f"    {line}")
    windows = sum(1 for h in headers if windows_only(h))
    counts = f"{len(headers) - windows} with {HOST_COMPILER}, {windows} with {WINDOWS_COMPILER}"
    if failed:
        print(f"check-headers: {len(failed)} of {len(headers)} headers do not compile on their own ({counts})")
        return 1
    print(f"check-headers: {len(headers)} headers compile on their own ({counts})")
    return 0


if __name__ == "__main__":
    sys.exit(main())
