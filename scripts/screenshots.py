#!/usr/bin/python3
"""Photographs tolvik.exe under Wine for the README: docs/screenshots/*.png.

    screenshots.py [NAME ...]     NAME: light, dark, korean, missing, undo, search, menu, text-size,
                                  focus-light, focus-dark, focus-high-contrast (default: all)

Expects the Wine environment of scripts/wine-env.sh; `make screenshots`
(scripts/screenshots.sh) sets one up in build/wine/screenshots. Every shot
starts tolvik.exe afresh with a store of its own and its own settings, places
the window at 0,0 with a 1040 × 700 client area at 96 DPI, does what the shot
shows, waits until two pictures in a row are the same and keeps the last one.
"""

import json
import os
import shutil
import subprocess
import sys
import time
from pathlib import Path

REPO = Path(__file__).resolve().parents[1]
sys.path.insert(0, str(REPO / "tests" / "e2e"))
sys.dont_write_bytecode = True

import harness  # noqa: E402

from PIL import Image, ImageChops  # noqa: E402

OUT = REPO / "docs" / "screenshots"
WIDTH, HEIGHT = 1040, 700
KEY = "Software\\tolvik"
PERSONALIZE = "Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize"
ACCESSIBILITY = "Software\\Microsoft\\Accessibility"

# The toast bar (#111214 at alpha 0.94) at the window's centre, 3 pixels below
# its top edge: y = H − 66 + 3 at 96 DPI.
TOAST_POINT = (WIDTH // 2, HEIGHT - 63)
TOAST_COLOUR = (0x11, 0x12, 0x14)

# Bundle ids in the program's own form: "b", microseconds, counter, process id.
MONTH_END, DESIGN, MORNING, QUARTERLY, ONBOARDING = (
    "b6148a2f3c91e00000a4c", "b6148a2f3c9a100001a4c", "b6148a31d72b400002a4c",
    "b6148a35e0c5700003a4c", "b6148a3a91f0200004a4c")


def file_item(target, name=""):
    item = {"kind": "file", "target": target}
    if name:
        item["name"] = name
    return item


def folder_item(target):
    return {"kind": "folder", "target": target}


def url_item(target):
    return {"kind": "url", "target": target}


def app_item(target, args=""):
    item = {"kind": "app", "target": target}
    if args:
        item["args"] = args
    return item


NOTEPAD = "C:\\windows\\notepad.exe"
# A copy of the test tool recorder.exe: it starts, writes one log line and
# ends, without a window.
TIMESHEET = "C:\\Tools\\Timesheet\\timesheet.exe"


def english_bundles():
    return [
        {"id": MONTH_END, "name": "Month-end closing", "items": [
            folder_item("C:\\Finance\\Month-end 2026-03"),
            file_item("C:\\Finance\\ledger-2026.xlsx"),
            file_item("C:\\Finance\\bank-statement-2026-03.pdf"),
            url_item("https://books.example.com/close/2026-03"),
            app_item(NOTEPAD, "C:\\Finance\\closing-checklist.txt"),
        ]},
        {"id": DESIGN, "name": "Design review", "items": [
            folder_item("C:\\Design\\Homepage v3"),
            file_item("C:\\Design\\Homepage v3\\hero-mockup.png"),
            file_item("C:\\Design\\review-notes.docx"),
            url_item("https://design.example.com/review/homepage-v3"),
        ]},
        {"id": MORNING, "name": "Morning routine", "items": [
            url_item("https://mail.example.com/"),
            url_item("https://calendar.example.com/today"),
            app_item(NOTEPAD, "C:\\Notes\\today.txt"),
        ]},
        {"id": QUARTERLY, "name": "Quarterly report", "items": [
            app_item(TIMESHEET, "--export q1"),
            file_item("C:\\Finance\\Archive\\q4-2025-summary.xlsx"),
            url_item("https://reports.example.com/q1-2026"),
        ]},
        {"id": ONBOARDING, "name": "Client onboarding", "items": [
            folder_item("C:\\Clients\\Northwind"),
            file_item("C:\\Clients\\Northwind\\welcome-pack.pdf"),
            url_item("https://crm.example.com/clients/northwind"),
        ]},
    ]


def extra_bundles():
    """Enough further bundles for the sidebar to offer its search box."""
    names = ["Tax return", "Weekly review", "Press kit"]
    return [{"id": "b6148a40c%02d0005a4c" % i, "name": name, "items": []}
            for i, name in enumerate(names)]


def korean_bundles():
    return [
        {"id": MONTH_END, "name": "월말 정산", "items": [
            folder_item("C:\\재무\\3월 마감"),
            file_item("C:\\재무\\원장-2026.xlsx"),
            file_item("C:\\재무\\은행 거래내역-2026-03.pdf"),
            url_item("https://books.example.com/close/2026-03"),
            app_item(NOTEPAD, "C:\\재무\\마감 체크리스트.txt"),
        ]},
        {"id": DESIGN, "name": "디자인 검토", "items": [
            folder_item("C:\\디자인\\홈페이지 v3"),
            file_item("C:\\디자인\\검토 메모.docx"),
            url_item("https://design.example.com/review/homepage-v3"),
        ]},
        {"id": MORNING, "name": "아침 루틴", "items": [
            url_item("https://mail.example.com/"),
            url_item("https://calendar.example.com/today"),
            app_item(NOTEPAD, "C:\\메모\\오늘.txt"),
        ]},
        {"id": QUARTERLY, "name": "분기 보고서", "items": [
            app_item(TIMESHEET, "--export q1"),
            file_item("C:\\재무\\보관\\2025-4분기 요약.xlsx"),
            url_item("https://reports.example.com/q1-2026"),
        ]},
        {"id": ONBOARDING, "name": "신규 고객 맞이", "items": [
            folder_item("C:\\고객\\노스윈드"),
            file_item("C:\\고객\\노스윈드\\환영 안내서.pdf"),
            url_item("https://crm.example.com/clients/northwind"),
        ]},
    ]


# Everything the stores point at, except the one missing file of
# "Quarterly report", exists in the prefix.
FOLDERS = [
    "Finance\\Month-end 2026-03", "Design\\Homepage v3", "Clients\\Northwind", "Notes",
    "재무\\3월 마감", "디자인\\홈페이지 v3", "고객\\노스윈드", "메모", "Tools\\Timesheet",
]
FILES = {
    "Finance\\ledger-2026.xlsx": b"PK\x03\x04",
    "Finance\\bank-statement-2026-03.pdf": b"%PDF-1.7\n",
    "Finance\\closing-checklist.txt": "Month-end closing\r\n- Reconcile bank accounts\r\n"
                                      "- Post accruals\r\n- Lock the period\r\n".encode(),
    "Design\\Homepage v3\\hero-mockup.png": b"\x89PNG\r\n\x1a\n",
    "Design\\review-notes.docx": b"PK\x03\x04",
    "Clients\\Northwind\\welcome-pack.pdf": b"%PDF-1.7\n",
    "Notes\\today.txt": b"Today\r\n",
    "재무\\원장-2026.xlsx": b"PK\x03\x04",
    "재무\\은행 거래내역-2026-03.pdf": b"%PDF-1.7\n",
    "재무\\마감 체크리스트.txt": "월말 정산\r\n".encode(),
    "디자인\\검토 메모.docx": b"PK\x03\x04",
    "고객\\노스윈드\\환영 안내서.pdf": b"%PDF-1.7\n",
    "메모\\오늘.txt": "오늘\r\n".encode(),
}


def unix(windows_relative):
    return harness.drive_c().joinpath(*windows_relative.split("\\"))


def make_files():
    for folder in FOLDERS:
        unix(folder).mkdir(parents=True, exist_ok=True)
    for name, data in FILES.items():
        unix(name).write_bytes(data)
    shutil.copyfile(harness.RECORDER_EXE, unix(TIMESHEET[3:]))
    missing = unix("Finance\\Archive\\q4-2025-summary.xlsx")
    if missing.exists():
        missing.unlink()


class Shot:
    """One start of tolvik.exe with its own store, settings and window."""

    def __init__(self, name, bundles, selected, language="en", dark=False, size=None, text_scale=None,
                 extra_env=None):
        """size: the client area's (width, height), the README's by default,
        or "smallest" for the least the window takes; text_scale: Windows'
        text size in percent (none: never set); extra_env: more environment
        for tolvik.exe."""
        self.name = name
        self.out_dir = OUT
        self.work = harness.drive_c() / "tolvik-screenshots" / name
        if self.work.exists():
            shutil.rmtree(self.work)
        self.work.mkdir(parents=True)
        self.work_win = harness.wine_path(self.work)
        (self.work / "bundles.json").write_text(
            json.dumps({"version": 1, "bundles": bundles}, indent=2, ensure_ascii=False),
            encoding="utf-8")
        self.recorder_log = self.work / "recorder.log"

        harness.reg_delete(KEY)
        harness.reg_add(KEY, "Language", "REG_SZ", language)
        harness.reg_add(KEY, "Selected", "REG_SZ", selected)
        # No update check: it would reach for the network and could raise a toast.
        harness.reg_add(KEY, "AutoUpdate", "REG_DWORD", 0)
        harness.reg_add(PERSONALIZE, "AppsUseLightTheme", "REG_DWORD", 0 if dark else 1)
        if text_scale is None:
            harness.reg_delete(ACCESSIBILITY, "TextScaleFactor")
        else:
            harness.reg_add(ACCESSIBILITY, "TextScaleFactor", "REG_DWORD", text_scale)

        env = dict(os.environ)
        env["TOLVIK_STORE"] = self.work_win + "\\bundles.json"
        env["TOLVIK_RECORDER_LOG"] = self.work_win + "\\recorder.log"
        env.update(extra_env or {})
        self.out = open(self.work / "tolvik.out", "wb")
        self.err = open(self.work / "tolvik.err", "wb")
        self.process = subprocess.Popen(["wine", str(harness.TOLVIK_EXE)], stdin=subprocess.DEVNULL,
                                        stdout=self.out, stderr=self.err, env=env)
        self.id = harness.find_window("tolvik", timeout=30)
        if size == "smallest":
            # Asked for less, the window keeps its minimum size; without a
            # window manager only the program's side knows it, not the X window.
            time.sleep(1.0)
            harness.xdotool("windowsize", self.id, 100, 100)
            time.sleep(1.5)
            _, out, _ = harness.run_captured(["wine", str(harness.PROBE_EXE), "client", "tolvik.Main"])
            size = tuple(int(v) for v in out.split()[2:4])
        self.size = size or (WIDTH, HEIGHT)
        self.place()

    def place(self):
        # Start-up places the window itself; a move sent before Wine has
        # applied that placement would be undone by it. Wine has also been
        # seen to put the window back a second or two after the first move,
        # so the size has to hold for a while before it counts.
        time.sleep(1.0)
        wanted = (0, 0) + tuple(self.size)
        for _ in range(5):
            harness.xdotool("windowmove", self.id, 0, 0)
            harness.xdotool("windowsize", self.id, *self.size)
            try:
                harness.wait_for(lambda: self.geometry() == wanted, timeout=5, interval=0.2)
            except TimeoutError:
                continue
            try:
                harness.wait_for(lambda: self.geometry() != wanted, timeout=3, interval=0.2)
            except TimeoutError:
                break  # it held
        else:
            raise RuntimeError("the window does not keep its place and size")
        # A frame presented while Wine was still moving the window can be
        # lost: a hover change over the settings button draws it again.
        self.pointer(self.size[0] - 28, 26)
        time.sleep(0.3)
        self.pointer_away()
        time.sleep(0.5)

    def geometry(self):
        """(x, y, width, height) of the window's client area on the screen."""
        out = subprocess.run(["xdotool", "getwindowgeometry", "--shell", self.id],
                             capture_output=True, text=True, timeout=10).stdout
        values = dict(line.split("=", 1) for line in out.split() if "=" in line)
        try:
            return tuple(int(values[k]) for k in ("X", "Y", "WIDTH", "HEIGHT"))
        except (KeyError, ValueError):
            return None

    def picture(self):
        path = self.work / "current.png"
        harness.screenshot(self.id, path)
        with Image.open(path) as image:
            return image.convert("RGB")

    def pointer(self, x, y):
        harness.xdotool("mousemove", "--window", self.id, int(x), int(y))

    def pointer_away(self):
        # The top strip's left end: no hover region there.
        self.pointer(150, 8)

    def click(self, x, y):
        self.pointer(x, y)
        harness.xdotool("click", "--window", self.id, 1)

    def key(self, name):
        harness.xdotool("key", "--window", self.id, name)

    def steady(self, check=None, timeout=10.0):
        """A picture that is the same as the one taken just before it (and
        passes check); nothing is half-drawn or still changing then."""
        last = [None]

        def same():
            image = self.picture()
            previous, last[0] = last[0], image
            if image.size != tuple(self.size) or (check is not None and not check(image)):
                last[0] = None
                return None
            if previous is None or ImageChops.difference(previous, image).getbbox() is not None:
                return None
            return image
        return harness.wait_for(same, timeout=timeout, interval=0.4,
                                what="a steady picture of %s" % self.name)

    def save(self, image):
        self.out_dir.mkdir(parents=True, exist_ok=True)
        path = self.out_dir / (self.name + ".png")
        image.save(path, optimize=True)
        print("screenshots: %s" % path.relative_to(REPO), flush=True)

    def close(self):
        if self.process.poll() is None:
            harness.close_with_alt_f4()
            try:
                self.process.wait(timeout=30)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()
        self.out.close()
        self.err.close()


def close_to(actual, expected, tolerance=8):
    return all(abs(a - e) <= tolerance for a, e in zip(actual, expected))


def toast_check(before):
    """A check that a picture shows the toast bar, which is #111214 at alpha
    0.94 over what `before` shows at that place."""
    under = before.getpixel(TOAST_POINT)
    bar = tuple(round(t * 0.94 + u * 0.06) for t, u in zip(TOAST_COLOUR, under))
    return lambda image: close_to(image.getpixel(TOAST_POINT), bar, 4)


def shoot_toast(shot, act):
    """Does `act` and keeps a steady picture of the toast it raises (a plain
    toast stays about 4 s)."""
    check = toast_check(shot.steady())
    act()
    harness.wait_for(lambda: check(shot.picture()), timeout=15, interval=0.1, what="the toast")
    return shot.steady(check, timeout=3)


# Item row i of the content column at 96 DPI: V = T + 92 + 34 + 18, pitch 62.
def item_centre(i):
    return (620, 52 + 92 + 34 + 18 + i * 62 + 28)


def shoot_plain(name, bundles, language="en", dark=False):
    shot = Shot(name, bundles, MONTH_END, language=language, dark=dark)
    try:
        # The missing-target check and the shell icons arrive after the first frame.
        time.sleep(1.5)
        shot.save(shot.steady())
    finally:
        shot.close()


def shoot_missing():
    shot = Shot("missing", english_bundles(), QUARTERLY)
    try:
        time.sleep(1.5)
        image = shoot_toast(shot, lambda: shot.key("Return"))
        harness.wait_for(lambda: shot.recorder_log.exists(), timeout=10,
                         what="the timesheet app's start")
        shot.save(image)
    finally:
        shot.close()


def shoot_undo():
    shot = Shot("undo", english_bundles(), DESIGN)
    try:
        time.sleep(1.5)

        def remove():
            shot.click(*item_centre(2))
            time.sleep(0.3)
            shot.key("Delete")
            shot.pointer_away()
        shot.save(shoot_toast(shot, remove))
    finally:
        shot.close()


def shoot_search():
    shot = Shot("search", english_bundles() + extra_bundles(), MONTH_END)
    try:
        time.sleep(1.5)
        shot.key("ctrl+f")
        time.sleep(0.3)
        harness.xdotool("type", "--delay", "80", "re")
        shot.pointer_away()
        time.sleep(0.5)
        shot.save(shot.steady())
    finally:
        shot.close()


def shoot_menu():
    """The item menu of an app item: a native popup menu, photographed from
    the screen since it is a window of its own."""
    shot = Shot("menu", english_bundles(), MONTH_END)
    try:
        time.sleep(1.5)
        x, y = item_centre(4)
        shot.click(x, y)
        shot.pointer(x, y)
        harness.xdotool("click", "--window", shot.id, 3)
        time.sleep(1.0)

        left, top, _, _ = shot.geometry()

        def screen():
            path = shot.work / "screen.png"
            harness.screenshot("root", path)
            with Image.open(path) as image:
                return image.convert("RGB").crop((left, top, left + WIDTH, top + HEIGHT))
        last = [None]

        def same():
            image, previous = screen(), last[0]
            last[0] = image
            if previous is None or ImageChops.difference(previous, image).getbbox() is not None:
                return None
            return image
        shot.save(harness.wait_for(same, timeout=10, interval=0.4, what="a steady menu"))
        shot.key("Escape")
    finally:
        shot.close()


# The view's rows in the languages with the longest labels, at the client
# area of the first window (1040 x 720 less Windows' 8-pixel borders and
# 31-pixel title bar) and at the narrowest client area Wine's thinner frame
# leaves the smallest window (820 x 480); not for the README, into build/.
# The high-contrast scheme of the README's picture (black, yellow and cyan),
# and the test switch that makes tolvik act as if high contrast were on:
# Wine always reports it off.
COLOURS = "Control Panel\\Colors"
HIGH_CONTRAST_SCHEME = {"Window": "0 0 0", "WindowText": "255 255 0", "Hilight": "0 255 255",
                        "HilightText": "0 0 0", "ButtonFace": "0 0 0", "ButtonText": "255 255 255",
                        "GrayText": "0 255 0", "HotTrackingColor": "0 255 255"}


def shoot_focus_ring(name, dark=False, high_contrast=False, language="en", size=None, out_dir=None):
    """The focus ring round the second item row, reached from the bundle list
    with Tab (the name, Open, the add buttons, the items) and Down."""
    before = {value: harness.reg_query(COLOURS, value) for value in HIGH_CONTRAST_SCHEME}
    if high_contrast:
        for value, colour in HIGH_CONTRAST_SCHEME.items():
            harness.reg_add(COLOURS, value, "REG_SZ", colour)
    try:
        shot = Shot(name, english_bundles(), MONTH_END, language=language, dark=dark, size=size,
                    extra_env={"TOLVIK_TEST_HIGH_CONTRAST": "1"} if high_contrast else None)
        if out_dir:
            shot.out_dir = out_dir
        try:
            time.sleep(1.5)
            for key in ("Tab", "Tab", "Tab", "Tab", "Down"):
                shot.key(key)
                time.sleep(0.15)
            shot.pointer_away()
            time.sleep(0.5)
            shot.save(shot.steady())
        finally:
            shot.close()
    finally:
        if high_contrast:
            for value, colour in before.items():
                if colour is None:
                    harness.reg_delete(COLOURS, value)
                else:
                    harness.reg_add(COLOURS, value, "REG_SZ", colour)


def shoot_focus_checks():
    """The ring at the smallest window and in German, for a look, not for the README."""
    for language in ("en", "de"):
        for size in ("first", "smallest"):
            shoot_focus_ring("focus-%s-%s" % (language, size), language=language, size=LAYOUT_SIZES[size],
                             out_dir=LAYOUT_OUT)


LAYOUT_SIZES = {"first": (1024, 681), "smallest": (812, 460)}
LAYOUT_OUT = REPO / "build" / "screenshots" / "layout"


def empty_bundle():
    return {"id": "b6148a40c9990005a4c", "name": "Tax return", "items": []}


def shoot_layout():
    for language in ("de", "fr", "ru", "en"):
        for size in ("first", "smallest"):
            for dark in (False, True):
                name = "%s-%s-%s" % (language, size, "dark" if dark else "light")
                shot = Shot(name, english_bundles(), MONTH_END, language=language, dark=dark,
                            size=LAYOUT_SIZES[size])
                shot.out_dir = LAYOUT_OUT
                try:
                    time.sleep(1.5)
                    shot.save(shot.steady())
                    if dark:
                        continue
                    # The toast and its Undo: an item removed with Delete. Below
                    # the add buttons, however many rows they take, y = 370 is on
                    # an item row at both sizes.
                    width, height = shot.size

                    def remove():
                        shot.click(width - 200, 370)
                        time.sleep(0.3)
                        shot.key("Delete")
                        shot.pointer_away()
                    # The dark bar over the light view, whatever moved under it.
                    point = (width // 2, height - 63)

                    def toast(image):
                        # 21 dark pixels in a line: no text makes that.
                        return all(c < 60 for dx in range(-10, 11)
                                   for c in image.getpixel((point[0] + dx, point[1])))
                    shot.steady()
                    remove()
                    harness.wait_for(lambda: toast(shot.picture()), timeout=15, interval=0.1, what="the toast")
                    shot.name = name + "-toast"
                    shot.save(shot.steady(toast, timeout=3))
                finally:
                    shot.close()
                if dark:
                    continue
                # A bundle without items, and the view without bundles.
                for extra, bundles, selected in (("empty", [empty_bundle()], empty_bundle()["id"]),
                                                 ("welcome", [], "")):
                    shot = Shot("%s-%s" % (name, extra), bundles, selected, language=language,
                                size=LAYOUT_SIZES[size])
                    shot.out_dir = LAYOUT_OUT
                    try:
                        time.sleep(1.0)
                        shot.save(shot.steady())
                    finally:
                        shot.close()


def shoot_text_size():
    """The README's picture of Windows' text size at 175 %."""
    shot = Shot("text-size", english_bundles(), MONTH_END, text_scale=175)
    try:
        time.sleep(1.5)
        shot.save(shot.steady())
    finally:
        shot.close()


TEXT_SCALE_OUT = REPO / "build" / "screenshots" / "text-size"


def shoot_text_sizes():
    """The smallest window at 100, 175 and 225 %, in the languages with the
    longest words, light and dark, with the toast of a removed item."""
    for percent in (100, 175, 225):
        for language in ("de", "ru", "en"):
            for dark in (False, True):
                name = "%d-%s-%s" % (percent, language, "dark" if dark else "light")
                shot = Shot(name, english_bundles(), MONTH_END, language=language, dark=dark, size="smallest",
                            text_scale=percent)
                shot.out_dir = TEXT_SCALE_OUT
                try:
                    time.sleep(1.5)
                    image = shot.steady()
                    shot.save(image)
                    if dark:
                        continue
                    # An item removed with Delete, for the toast and its Undo:
                    # the first white item row down the column's right end.
                    width, height = shot.size
                    x = width - 30
                    row = next(y for y in range(height // 3, height - 20)
                               if all(close_to(image.getpixel((x, y + d)), (255, 255, 255)) for d in range(0, 30, 3)))
                    shot.click(x - 150, row + 15)
                    time.sleep(0.3)
                    shot.key("Delete")
                    shot.pointer_away()
                    time.sleep(0.8)
                    shot.name = name + "-toast"
                    shot.save(shot.picture())
                finally:
                    shot.close()
    harness.reg_delete(ACCESSIBILITY, "TextScaleFactor")


SHOTS = {
    "light": lambda: shoot_plain("light", english_bundles()),
    "dark": lambda: shoot_plain("dark", english_bundles(), dark=True),
    "korean": lambda: shoot_plain("korean", korean_bundles(), language="ko"),
    "missing": shoot_missing,
    "undo": shoot_undo,
    "search": shoot_search,
    "menu": shoot_menu,
    "text-size": shoot_text_size,
    "focus-light": lambda: shoot_focus_ring("focus-light"),
    "focus-dark": lambda: shoot_focus_ring("focus-dark", dark=True),
    "focus-high-contrast": lambda: shoot_focus_ring("focus-high-contrast", high_contrast=True),
}
# Asked for by name only: `scripts/screenshots.sh layout`, `focus-checks`, `text-sizes`.
EXTRA_SHOTS = {"layout": shoot_layout, "focus-checks": shoot_focus_checks, "text-sizes": shoot_text_sizes}


def main(argv):
    names = argv[1:] or list(SHOTS)
    unknown = [n for n in names if n not in SHOTS and n not in EXTRA_SHOTS]
    if unknown:
        print("screenshots: unknown shot %s (%s)" % (", ".join(unknown), ", ".join(SHOTS)),
              file=sys.stderr)
        return 2
    make_files()
    # 96 DPI: the prefix's default, unless someone set another.
    harness.reg_delete("Control Panel\\Desktop", "LogPixels")
    try:
        for name in names:
            (SHOTS.get(name) or EXTRA_SHOTS[name])()
    finally:
        harness.reg_delete(KEY)
        harness.reg_add(PERSONALIZE, "AppsUseLightTheme", "REG_DWORD", 1)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
