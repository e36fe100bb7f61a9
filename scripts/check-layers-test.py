#!/usr/bin/env python3
"""Tests of scripts/check-layers.py on small trees of its own making.

    scripts/check-layers-test.py
"""

import sys
import unittest
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
sys.dont_write_bytecode = True
from check_tree import run_on_tree  # noqa: E402

SCRIPT = Path(__file__).resolve().parent / "check-layers.py"

CMAKE = """\
set(TOLVIK_LAYERS base lang app)
set(TOLVIK_LAYER_base_DIRS src/base)
set(TOLVIK_LAYER_lang_DIRS lang)
set(TOLVIK_LAYER_app_DIRS src/app src/app/act)
"""


class CheckLayers(unittest.TestCase):
    def run_on(self, files):
        return run_on_tree(SCRIPT, dict(files, **{"CMakeLists.txt": CMAKE}))

    def test_includes_of_the_same_and_earlier_layers_pass(self):
        code, lines = self.run_on({
            "src/base/utf.h": "#pragma once\n",
            "lang/lang.cpp": '#include "lang/lang.h"\n#include "base/utf.h"\n',
            "src/app/act/open.cpp": '#include "app/state.h"\n#include "lang/lang.h"\n#include <vector>\n',
            "src/app/window_win.cpp": "#include <windows.h>\n#include <wrl/client.h>\n",
            "src/base/handle_win.h": "#include <windows.h>\n",
        })
        self.assertEqual(code, 0, lines)
        self.assertEqual(lines, ["check-layers: 5 files include only their own or earlier layers "
                                 "(base → lang → app)"])

    def test_an_include_of_a_later_layer_names_file_line_and_both_layers(self):
        code, lines = self.run_on({
            "lang/source_win.cpp": '#include <windows.h>\n\n#include "app/settings_win.h"\n',
            "src/base/text.h": '#pragma once\n  #  include "lang/lang.h"\n',
        })
        self.assertEqual(code, 1)
        self.assertEqual(lines[:2], [
            'lang/source_win.cpp:3: includes "app/settings_win.h": layer lang must not include the later layer app',
            'src/base/text.h:2: includes "lang/lang.h": layer base must not include the later layer lang',
        ])

    def test_a_subfolder_belongs_to_its_layer(self):
        code, lines = self.run_on({"src/app/act/open.cpp": '#include "app/state.h"\n'})
        self.assertEqual(code, 0, lines)

    def test_folders_inside_a_layer_folder_are_layers_of_their_own(self):
        # The application's folders are layers listed inside src/app's tree:
        # both the including file and the included path are ranked by the
        # deepest listed folder, so a later folder's header is refused.
        cmake = ("set(TOLVIK_LAYERS base state bundles window)\n"
                 "set(TOLVIK_LAYER_base_DIRS src/base)\n"
                 "set(TOLVIK_LAYER_state_DIRS src/app/state)\n"
                 "set(TOLVIK_LAYER_bundles_DIRS src/app/bundles)\n"
                 "set(TOLVIK_LAYER_window_DIRS src/app/window src/app/window/dialogs)\n")
        code, lines = run_on_tree(SCRIPT, {
            "CMakeLists.txt": cmake,
            "src/app/bundles/x.cpp": '#include "app/state/app_state.h"\n#include "app/window/y.h"\n',
            "src/app/window/dialogs/d_win.cpp": '#include "app/bundles/x.h"\n#include "app/window/y.h"\n',
            "src/app/state/app_state.h": '#include "app/window/dialogs/d.h"\n',
        })
        self.assertEqual(code, 1)
        self.assertEqual(lines[:2], [
            'src/app/bundles/x.cpp:2: includes "app/window/y.h": layer bundles must not include the later layer window',
            'src/app/state/app_state.h:1: includes "app/window/dialogs/d.h": '
            'layer state must not include the later layer window',
        ])

    def test_windows_headers_only_in_files_that_build_for_windows_alone(self):
        code, lines = self.run_on({
            "src/base/cmdline.cpp": "#ifdef _WIN32\n#include <windows.h>\n#endif\n",
            "src/app/paint.h": "#include <d2d1_1.h>\n",
            "src/app/clock_posix.cpp": "#include <shlobj.h>\n",
        })
        self.assertEqual(code, 1)
        self.assertEqual([line.split(": ", 1)[0] for line in lines[:-1]],
                         ["src/app/clock_posix.cpp:1", "src/app/paint.h:1", "src/base/cmdline.cpp:2"])


if __name__ == "__main__":
    result = unittest.main(exit=False, verbosity=0).result
    failed = len(result.failures) + len(result.errors)
    print(f"check-layers-test: {result.testsRun - failed} passed, {failed} failed")
    sys.exit(1 if failed else 0)
