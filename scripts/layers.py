"""The program's layers as CMakeLists.txt lists them, for the checks that keep
each layer to the ones before it (check-layers.py: includes; check-calls.py:
calls)."""

import re

# The layers and their folders have one home, CMakeLists.txt:
#   set(TOLVIK_LAYERS base lang ...)                 lowest first
#   set(TOLVIK_LAYER_state_DIRS src/app/state ...)   a layer's folders
LAYER_ORDER = re.compile(r"^\s*set\(\s*TOLVIK_LAYERS\s+([^)]*)\)", re.MULTILINE)
LAYER_DIRS = re.compile(r"^\s*set\(\s*TOLVIK_LAYER_(\w+)_DIRS\s+([^)]*)\)", re.MULTILINE)


def read_layers(root):
    """[(layer, [folder, ...]), ...] lowest first, from the tree's CMakeLists.txt."""
    text = (root / "CMakeLists.txt").read_text(encoding="utf-8")
    order = LAYER_ORDER.search(text)
    if not order:
        raise SystemExit("no set(TOLVIK_LAYERS ...) in CMakeLists.txt")
    folders = {name: dirs.split() for name, dirs in LAYER_DIRS.findall(text)}
    layers = []
    for name in order.group(1).split():
        if name not in folders:
            raise SystemExit(f"no set(TOLVIK_LAYER_{name}_DIRS ...) in CMakeLists.txt")
        layers.append((name, folders[name]))
    return layers
