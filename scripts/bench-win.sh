#!/usr/bin/env bash
# Windows measurements under Wine, in an isolated prefix (build/wine/bench)
# with its own Xvfb:
#   1. paint_bench.exe: the cost of a frame for small and very large stores,
#      a search over them, missing targets and pointer moves;
#   2. the time from process start to the first frame on screen, tolvik.exe
#      (a store of 100 bundles) beside bare_window.exe (the same rendering
#      context, clearing its window and nothing else), and the peak private
#      bytes of each.
#
# Besides the tables, the results go to build/bench/ as JSON lines, one
# object per line (see README.md, "Measurements"):
#   paint.jsonl  {"bench":"paint","case":...,"frame_ms":...,"ratio":...,...}
#   start.jsonl  {"bench":"start","program":...,"first_frame_s":...,...}
#                and a last {"bench":"start_ratio",...} line with both ratios.
#
#   scripts/bench-win.sh [--frames N] [--starts N] [--skip-paint] [--skip-start]
#
# The first-frame time is read from the X server: the window's pixel at
# client (5, 300) is polled until it is no longer black. Wine loses a Present
# made before the window is mapped; if no frame shows within 5 s a pointer
# move over the window asks for a repaint and the time is then counted to
# that frame instead (reported as "after a nudge").
#
# Peak private bytes: the program's anonymous memory (resident plus swapped,
# /proc/<pid>/status RssAnon + VmSwap, which is what Wine reports as a
# process's private bytes), sampled while it starts and for a few seconds after
# its first frame (so that work done after the first frame is counted too); the
# largest sample of each start, the median over the starts.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$ROOT"

FRAMES=200
STARTS=11
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
RESULTS="$ROOT/build/bench"
mkdir -p "$RESULTS"
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
  rm -f "$RESULTS/paint.jsonl"
  wine "$BUILD/paint_bench.exe" "$FRAMES" "$(winepath -w "$RESULTS/paint.jsonl" 2>/dev/null)" 2>&1 | wine_env_filter
  echo "(JSON lines: $RESULTS/paint.jsonl)"
fi

if [ "$RUN_START" = 1 ]; then
  echo
  echo "== first frame and peak private bytes: tolvik.exe (100 bundles) and bare_window.exe, $STARTS starts each"
  work="$WINE_ENV_DIR/first-frame"
  rm -rf "$work"
  mkdir -p "$work"
  /usr/bin/python3 - "$work/bundles.json" <<'PY'
import json, sys
bundles = []
for b in range(100):
    items = [{"kind": "url", "target": "https://example.com/%d/%d" % (b, i)} for i in range(10)]
    bundles.append({"id": "b%05d" % b, "name": "Bundle %d" % (b + 1), "items": items})
with open(sys.argv[1], "w", encoding="utf-8") as f:
    json.dump({"version": 1, "bundles": bundles}, f, indent=2)
PY
  TOLVIK_STORE="$(winepath -w "$work/bundles.json" 2>/dev/null)" \
    /usr/bin/python3 - "$BUILD" "$STARTS" "$RESULTS/start.jsonl" <<'PY'
"""Starts each program, polls one pixel of its X window until a frame shows,
samples its private bytes until a while after that, closes it, and prints
the medians. X is read through libX11 with ctypes."""
import ctypes
import ctypes.util
import json
import os
import statistics
import subprocess
import sys
import time

build, starts, json_path = sys.argv[1], int(sys.argv[2]), sys.argv[3]
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
SETTLE = 3.0           # seconds of memory samples after the first frame

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


def private_bytes(pid):
    """RssAnon + VmSwap of a process in bytes; None once it is gone."""
    try:
        with open("/proc/%d/status" % pid) as status:
            fields = dict(line.split(":", 1) for line in status if ":" in line)
    except OSError:
        return None
    kib = 0
    for name in ("RssAnon", "VmSwap"):
        if name in fields:
            kib += int(fields[name].split()[0])
    return kib * 1024


def one_start(exe, x_name, win_class):
    """Seconds from the start of the process to its window being mapped and
    to its first non-black pixel; whether it needed a nudge; the colour; the
    largest private bytes seen until SETTLE seconds after the first frame.
    `wine` execs into the Windows process, so the child's pid is the program's."""
    x11.XSync(display, 0)
    start = time.monotonic()
    process = wine([exe])
    window, mapped, nudged, colour, shown = None, None, False, None, None
    peak = 0
    try:
        while time.monotonic() - start < GIVE_UP:
            now = time.monotonic()
            peak = max(peak, private_bytes(process.pid) or 0)
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
        settle_end = time.monotonic() + (SETTLE if shown is not None else 0)
        while time.monotonic() < settle_end:
            peak = max(peak, private_bytes(process.pid) or 0)
            time.sleep(0.02)
    finally:
        close(process, win_class)
    return mapped, shown, nudged, colour, peak


results = {name: [] for name, _, _, _ in PROGRAMS}
# One start of each first, not counted: it brings the files into the cache.
for round_ in range(starts + 1):
    for name, exe, x_name, win_class in PROGRAMS:
        mapped, shown, nudged, colour, peak = one_start(exe, x_name, win_class)
        label = "warm-up" if round_ == 0 else "start %d" % round_
        print("  %-16s %-8s mapped %s  first frame %s%s  pixel #%s  peak private %6.1f MiB" % (
            name, label,
            "%6.3f s" % mapped if mapped is not None else "   never",
            "%6.3f s" % shown if shown is not None else "   never",
            " (after a nudge)" if nudged and shown is not None else "",
            "%06X" % colour if colour is not None else "------", peak / 1048576.0), flush=True)
        if round_ > 0:
            results[name].append((mapped, shown, nudged, peak))

print()
print("%-16s %10s %14s %8s %18s" % ("program", "mapped", "first frame", "nudged", "peak private"))
medians, peaks, lines = {}, {}, []
for name, _, _, _ in PROGRAMS:
    runs = results[name]
    shown = [s for _, s, _, _ in runs if s is not None]
    mapped = [m for m, _, _, _ in runs if m is not None]
    peak = [p for _, _, _, p in runs if p]
    medians[name] = statistics.median(shown) if shown else None
    peaks[name] = statistics.median(peak) if peak else None
    nudges = sum(1 for _, _, n, _ in runs if n)
    print("%-16s %8.3f s %12.3f s %5d/%d %14.1f MiB" % (
        name, statistics.median(mapped) if mapped else float("nan"),
        medians[name] if shown else float("nan"), nudges, len(runs),
        peaks[name] / 1048576.0 if peaks[name] else float("nan")))
    lines.append({"bench": "start", "program": name, "starts": len(runs), "frames_shown": len(shown),
                  "nudged": nudges, "mapped_s": statistics.median(mapped) if mapped else None,
                  "first_frame_s": medians[name], "first_frame_all_s": shown,
                  "peak_private_bytes": peaks[name], "peak_private_all_bytes": peak})
tolvik, bare = medians["tolvik.exe"], medians["bare_window.exe"]
tolvik_peak, bare_peak = peaks["tolvik.exe"], peaks["bare_window.exe"]
frame_ratio = tolvik / bare if tolvik and bare else None
memory_ratio = tolvik_peak / bare_peak if tolvik_peak and bare_peak else None
lines.append({"bench": "start_ratio", "store_bundles": 100, "first_frame_ratio": frame_ratio,
              "peak_private_ratio": memory_ratio})
with open(json_path, "w") as out:
    for line in lines:
        out.write(json.dumps(line) + "\n")
if memory_ratio:
    print("peak private bytes, median: tolvik.exe %.1f MiB, bare_window.exe %.1f MiB, ratio %.2f" % (
        tolvik_peak / 1048576.0, bare_peak / 1048576.0, memory_ratio))
if frame_ratio:
    print("first frame, median: tolvik.exe %.3f s, bare_window.exe %.3f s, ratio %.2f" % (tolvik, bare, frame_ratio))
    print("(JSON lines: %s)" % json_path)
else:
    print("first frame: no median (a program never showed a frame)")
    sys.exit(1)
PY
fi
