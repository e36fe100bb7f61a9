#!/usr/bin/env bash
# Windows measurements under Wine, in an isolated prefix (build/wine/bench)
# with its own Xvfb:
#   1. paint_bench.exe: the cost of a frame for small and very large stores;
#   2. the time from process start to the first frame on screen, tolvik.exe
#      (a store of 10 bundles) beside bare_window.exe (the same rendering
#      context, clearing its window and nothing else).
#
#   scripts/bench-win.sh [--frames N] [--starts N] [--skip-paint] [--skip-start]
#
# The first-frame time is read from the X server: the window's pixel at
# client (5, 300) is polled until it is no longer black. Wine loses a Present
# made before the window is mapped; if no frame shows within 5 s a pointer
# move over the window asks for a repaint and the time is then counted to
# that frame instead (reported as "after a nudge").
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$ROOT"

FRAMES=200
STARTS=7
RUN_PAINT=1
RUN_START=1
while [ $# -gt 0 ]; do
  case "$1" in
    --frames) FRAMES="$2"; shift 2 ;;
    --starts) STARTS="$2"; shift 2 ;;
    --skip-paint) RUN_PAINT=0; shift ;;
    --skip-start) RUN_START=0; shift ;;
    *) echo "usage: $0 [--frames N] [--starts N] [--skip-paint] [--skip-start]" >&2; exit 64 ;;
  esac
done

BUILD="$ROOT/build/windows"
if [ ! -f "$BUILD/build.ninja" ] && [ ! -f "$BUILD/Makefile" ]; then
  cmake --preset windows >/dev/null
fi
cmake --build "$BUILD" --target tolvik paint_bench bare_window probe -j2

# shellcheck source=scripts/wine-env.sh
source "$ROOT/scripts/wine-env.sh"
wine_env_init bench own
trap 'wine_env_stop' EXIT

if [ "$RUN_PAINT" = 1 ]; then
  echo
  echo "== frame cost: paint_bench.exe $FRAMES"
  wine "$BUILD/paint_bench.exe" "$FRAMES" 2>&1 | wine_env_filter
fi

if [ "$RUN_START" = 1 ]; then
  echo
  echo "== first frame: tolvik.exe (10 bundles) and bare_window.exe, $STARTS starts each"
  work="$WINE_ENV_DIR/first-frame"
  rm -rf "$work"
  mkdir -p "$work"
  /usr/bin/python3 - "$work/bundles.json" <<'PY'
import json, sys
bundles = []
for b in range(10):
    items = [{"kind": "url", "target": "https://example.com/%d/%d" % (b, i)} for i in range(10)]
    bundles.append({"id": "b%05d" % b, "name": "Bundle %d" % (b + 1), "items": items})
with open(sys.argv[1], "w", encoding="utf-8") as f:
    json.dump({"version": 1, "bundles": bundles}, f, indent=2)
PY
  TOLVIK_STORE="$(winepath -w "$work/bundles.json" 2>/dev/null)" \
    /usr/bin/python3 - "$BUILD" "$STARTS" <<'PY'
"""Starts each program, polls one pixel of its X window until a frame shows,
closes it, and prints the medians. X is read through libX11 with ctypes."""
import ctypes
import ctypes.util
import os
import statistics
import subprocess
import sys
import time

build, starts = sys.argv[1], int(sys.argv[2])
PROBE = os.path.join(build, "tools", "probe.exe")
PROGRAMS = [
    # name shown, exe, X window name, Win32 class (for closing it)
    ("tolvik.exe", os.path.join(build, "tolvik.exe"), b"tolvik", "tolvik.Main"),
    ("bare_window.exe", os.path.join(build, "tools", "bare_window.exe"), b"tolvikbare", "tolvik.Bare"),
]
# Client coordinates (the X window is the client area): left of the sidebar's
# rows in tolvik.exe (#FFFFFF in the light theme), #F2F4F7 in bare_window.exe.
PIXEL = (5, 300)
FRAME_WAIT = 5.0       # seconds before the window is nudged
GIVE_UP = 30.0

x11 = ctypes.CDLL(ctypes.util.find_library("X11"))
Window = ctypes.c_ulong
x11.XOpenDisplay.restype = ctypes.c_void_p
x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
x11.XDefaultRootWindow.restype = Window
x11.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
x11.XQueryTree.argtypes = [ctypes.c_void_p, Window, ctypes.POINTER(Window), ctypes.POINTER(Window),
                           ctypes.POINTER(ctypes.POINTER(Window)), ctypes.POINTER(ctypes.c_uint)]
x11.XFetchName.argtypes = [ctypes.c_void_p, Window, ctypes.POINTER(ctypes.c_char_p)]
x11.XFree.argtypes = [ctypes.c_void_p]
x11.XGetImage.restype = ctypes.c_void_p
x11.XGetImage.argtypes = [ctypes.c_void_p, Window, ctypes.c_int, ctypes.c_int, ctypes.c_uint, ctypes.c_uint,
                          ctypes.c_ulong, ctypes.c_int]
x11.XGetPixel.restype = ctypes.c_ulong
x11.XGetPixel.argtypes = [ctypes.c_void_p, ctypes.c_int, ctypes.c_int]
x11.XDestroyImage.argtypes = [ctypes.c_void_p]
x11.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]


class XWindowAttributes(ctypes.Structure):
    _fields_ = [("x", ctypes.c_int), ("y", ctypes.c_int), ("width", ctypes.c_int), ("height", ctypes.c_int),
                ("border_width", ctypes.c_int), ("depth", ctypes.c_int), ("visual", ctypes.c_void_p),
                ("root", Window), ("class_", ctypes.c_int), ("bit_gravity", ctypes.c_int),
                ("win_gravity", ctypes.c_int), ("backing_store", ctypes.c_int),
                ("backing_planes", ctypes.c_ulong), ("backing_pixel", ctypes.c_ulong),
                ("save_under", ctypes.c_int), ("colormap", ctypes.c_ulong),
                ("map_installed", ctypes.c_int), ("map_state", ctypes.c_int),
                ("all_event_masks", ctypes.c_long), ("your_event_mask", ctypes.c_long),
                ("do_not_propagate_mask", ctypes.c_long), ("override_redirect", ctypes.c_int),
                ("screen", ctypes.c_void_p)]


x11.XGetWindowAttributes.argtypes = [ctypes.c_void_p, Window, ctypes.POINTER(XWindowAttributes)]
IS_VIEWABLE = 2
ZPIXMAP = 2
ALL_PLANES = 0xFFFFFFFF

# A window may go away between two requests: errors are ignored, not fatal.
ERROR_HANDLER = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p, ctypes.c_void_p)
x11.XSetErrorHandler.argtypes = [ERROR_HANDLER]
_ignore_errors = ERROR_HANDLER(lambda display, event: 0)
x11.XSetErrorHandler(_ignore_errors)

display = x11.XOpenDisplay(None)
if not display:
    sys.exit("bench-win: cannot open display %s" % os.environ.get("DISPLAY"))
root = x11.XDefaultRootWindow(display)


def children(window):
    root_ret, parent = Window(), Window()
    kids = ctypes.POINTER(Window)()
    count = ctypes.c_uint()
    if not x11.XQueryTree(display, window, ctypes.byref(root_ret), ctypes.byref(parent), ctypes.byref(kids),
                          ctypes.byref(count)):
        return []
    out = [kids[i] for i in range(count.value)]
    if kids:
        x11.XFree(kids)
    return out


def find_window(name):
    stack = [root]
    while stack:
        window = stack.pop()
        text = ctypes.c_char_p()
        if x11.XFetchName(display, window, ctypes.byref(text)) and text.value is not None:
            found = text.value == name
            x11.XFree(text)
            if found:
                return window
        stack.extend(children(window))
    return None


def viewable(window):
    attrs = XWindowAttributes()
    if not x11.XGetWindowAttributes(display, window, ctypes.byref(attrs)):
        return False
    return attrs.map_state == IS_VIEWABLE and attrs.width > PIXEL[0] and attrs.height > PIXEL[1]


def pixel(window):
    image = x11.XGetImage(display, window, PIXEL[0], PIXEL[1], 1, 1, ALL_PLANES, ZPIXMAP)
    if not image:
        return None
    value = x11.XGetPixel(image, 0, 0) & 0xFFFFFF
    x11.XDestroyImage(image)
    return value


def wine(args, **kw):
    return subprocess.Popen(["wine"] + args, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                            stderr=subprocess.DEVNULL, **kw)


def close(process, win_class):
    subprocess.run(["wine", PROBE, "close", win_class], stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL, timeout=30)
    try:
        process.wait(timeout=15)
    except subprocess.TimeoutExpired:
        process.kill()  # our own child, by its handle
        process.wait()


def one_start(exe, x_name, win_class):
    """Seconds from the start of the process to its window being mapped and
    to its first non-black pixel; whether it needed a nudge; the colour."""
    x11.XSync(display, 0)
    start = time.monotonic()
    process = wine([exe])
    window, mapped, nudged, colour, shown = None, None, False, None, None
    try:
        while time.monotonic() - start < GIVE_UP:
            now = time.monotonic()
            if window is None:
                window = find_window(x_name)
            if window is not None and viewable(window):
                if mapped is None:
                    mapped = now - start
                value = pixel(window)
                if value is not None and value != 0:
                    shown, colour = now - start, value
                    break
                if not nudged and now - start > mapped + FRAME_WAIT:
                    subprocess.run(["xdotool", "mousemove", "--window", str(window), "200", "320"],
                                   stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
                    subprocess.run(["xdotool", "mousemove", "--window", str(window), "210", "330"],
                                   stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
                    nudged = True
            time.sleep(0.004)
    finally:
        close(process, win_class)
    return mapped, shown, nudged, colour


results = {name: [] for name, _, _, _ in PROGRAMS}
# One start of each first, not counted: it brings the files into the cache.
for round_ in range(starts + 1):
    for name, exe, x_name, win_class in PROGRAMS:
        mapped, shown, nudged, colour = one_start(exe, x_name, win_class)
        label = "warm-up" if round_ == 0 else "start %d" % round_
        print("  %-16s %-8s mapped %s  first frame %s%s  pixel #%s" % (
            name, label,
            "%6.3f s" % mapped if mapped is not None else "   never",
            "%6.3f s" % shown if shown is not None else "   never",
            " (after a nudge)" if nudged and shown is not None else "",
            "%06X" % colour if colour is not None else "------"), flush=True)
        if round_ > 0:
            results[name].append((mapped, shown, nudged))

print()
print("%-16s %10s %14s %8s" % ("program", "mapped", "first frame", "nudged"))
medians = {}
for name, _, _, _ in PROGRAMS:
    runs = results[name]
    shown = [s for _, s, _ in runs if s is not None]
    mapped = [m for m, _, _ in runs if m is not None]
    medians[name] = statistics.median(shown) if shown else None
    print("%-16s %8.3f s %12.3f s %5d/%d" % (
        name, statistics.median(mapped) if mapped else float("nan"),
        medians[name] if shown else float("nan"), sum(1 for _, _, n in runs if n), len(runs)))
tolvik, bare = medians["tolvik.exe"], medians["bare_window.exe"]
if tolvik and bare:
    print("first frame, median: tolvik.exe %.3f s, bare_window.exe %.3f s, ratio %.2f" % (tolvik, bare, tolvik / bare))
else:
    print("first frame: no median (a program never showed a frame)")
    sys.exit(1)
PY
fi
