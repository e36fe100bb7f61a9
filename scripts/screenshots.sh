#!/usr/bin/env bash
# `make screenshots`: photographs tolvik.exe under Wine for the README.
#
#   scripts/screenshots.sh [NAME ...]    NAME: light, dark, korean, missing, undo, search, menu, text-size,
#                                        focus-light, focus-dark, focus-high-contrast (default: all)
#   scripts/screenshots.sh focus-checks  the focus ring in English and German at the window's
#                                        first and smallest size, into build/screenshots/layout/
#   scripts/screenshots.sh layout        the view in German, French, Russian and English at the
#                                        window's first and smallest size, into build/screenshots/layout/
#   scripts/screenshots.sh text-sizes    the smallest window at Windows' text size 100, 175 and 225 %,
#                                        in German, Russian and English, light and dark, into
#                                        build/screenshots/text-size/
#
# Builds tolvik.exe and the test tools, then runs scripts/screenshots.py in a
# Wine prefix of its own (build/wine/screenshots) on a private Xvfb. The PNGs
# go to docs/screenshots/.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$ROOT"
# shellcheck source=scripts/wine-env.sh
source "$ROOT/scripts/wine-env.sh"

./scripts/install-deps.sh
cmake --preset windows >/dev/null
# recorder.exe stands in for a program that the opened bundle starts.
cmake --build build/windows --target tolvik recorder probe -j2

# An English Wine and UTF-8 command lines, as in the tests.
export LANG=C.UTF-8 LC_ALL=C.UTF-8
unset LANGUAGE

wine_env_init screenshots own
trap 'wine_env_stop' EXIT
/usr/bin/python3 "$ROOT/scripts/screenshots.py" "$@"
