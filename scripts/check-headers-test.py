#!/usr/bin/env python3
"""Tests of scripts/check-headers.py on small trees of its own making.

    scripts/check-headers-test.py
"""

import sys
import unittest
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
sys.dont_write_bytecode = True
from check_tree import run_on_tree  # noqa: E402

SCRIPT = Path(__file__).resolve().parent / "check-headers.py"


class CheckHeaders(unittest.TestCase):
    def run_on(self, files):
        return run_on_tree(SCRIPT, files)

    def test_headers_with_their_own_includes_pass(self):
        code, lines = self.run_on({
            "src/base/text.h": "#pragma once\n#include <string>\ninline std::string text() { return {}; }\n",
            # Another project header, found through src/ as the builds find it.
            "src/app/name.h": '#pragma once\n#include "base/text.h"\ninline std::string name() { return text(); }\n',
            "src/base/handle_win.h": "#pragma once\n#include <windows.h>\ninline HWND none() { return nullptr; }\n",
        })
        self.assertEqual(code, 0, lines)
        self.assertEqual(lines, ["check-headers: 3 headers compile on their own "
                                 "(2 with g++, 1 with x86_64-w64-mingw32-g++-posix)"])

    def test_a_header_that_leans_on_an_earlier_include_fails_by_name(self):
        code, lines = self.run_on({
            "src/base/good.h": "#pragma once\n#include <vector>\ninline std::vector<int> v() { return {}; }\n",
            "src/bundle/bad.h": "#pragma once\ninline std::string s() { return {}; }\n",
        })
        self.assertEqual(code, 1)
        self.assertEqual(lines[0], "src/bundle/bad.h: does not compile on its own")
        self.assertTrue(any("string" in line for line in lines[1:-1]), lines)
        self.assertEqual(lines[-1], "check-headers: 1 of 2 headers do not compile on their own "
                                    "(2 with g++, 0 with x86_64-w64-mingw32-g++-posix)")

    def test_a_windows_header_is_compiled_for_windows_with_the_builds_definitions(self):
        # UNICODE makes MessageBox the wide MessageBoxW; NOMINMAX leaves std::max alone.
        code, lines = self.run_on({
            "src/app/box_win.h": "#pragma once\n#include <windows.h>\n#include <algorithm>\n"
                                 "inline auto box = &MessageBoxW;\n"
                                 "static_assert(sizeof(TCHAR) == 2);\n"
                                 "inline int bigger(int a, int b) { return std::max(a, b); }\n",
        })
        self.assertEqual(code, 0, lines)

    def test_a_windows_header_without_windows_h_fails(self):
        code, lines = self.run_on({"src/gfx/surface_win.h": "#pragma once\ninline HWND window();\n"})
        self.assertEqual(code, 1)
        self.assertEqual(lines[0], "src/gfx/surface_win.h: does not compile on its own")

    def test_a_portable_header_is_not_given_windows_headers(self):
        # The host's g++ has no windows.h: a portable header may not use it.
        code, lines = self.run_on({"src/base/path.h": "#pragma once\n#include <windows.h>\n"})
        self.assertEqual(code, 1)
        self.assertEqual(lines[0], "src/base/path.h: does not compile on its own")

    def test_headers_outside_the_builds_folders_are_not_checked(self):
        code, lines = self.run_on({
            "src/base/ok.h": "#pragma once\n",
            "docs/sketch.h": "this is not C++\n",
        })
        self.assertEqual(code, 0, lines)
        self.assertIn("1 headers compile on their own", lines[-1])


if __name__ == "__main__":
    unittest.main()
