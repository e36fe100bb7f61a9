"""The drawn window: its regions seen in screenshots, and driven like a user.

Probe points are computed here from the view's layout rules (sidebar width,
row pitch, button places), independently of the program's own layout code.
"""

import json
import subprocess
import time

import harness
from test_startup import KEY, close_window, recorded_args, recorder_item, start_window, write_store

WIDTH, HEIGHT = 1040, 700
PERSONALIZE = "Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize"
LIGHT = {"background": (0xF2, 0xF4, 0xF7), "surface": (0xFF, 0xFF, 0xFF), "surface_alt": (0xFF, 0xFF, 0xFF),
         "accent": (0x16, 0xA3, 0x4A)}
DARK = {"background": (0x17, 0x18, 0x1B), "surface": (0x22, 0x23, 0x27), "surface_alt": (0x1F, 0x21, 0x25),
        "accent": (0x22, 0xC5, 0x5E)}
RED = (0xDC, 0x26, 0x26)
TOAST = (0x11, 0x12, 0x14)


def rnd(v):
    return int(v + 0.5) if v >= 0 else -int(-v + 0.5)


class Geometry:
    """The view's places for a client size and DPI (lengths are DIPs × s)."""

    def __init__(self, width, height, dpi, bundles=3, search=False):
        s = self.s = dpi / 96
        self.W, self.H = width, height
        self.S = rnd(min(340 * s, max(250 * s, 0.32 * width)))
        self.X = rnd(self.S + 28 * s)
        self.C = max(100, min(900 * s, width - (self.S + 28 * s) - 28 * s))
        self.T = rnd(52 * s)
        compact = bundles >= 6 or search
        self.L = self.T + 12 * s + rnd(38 * s) + (8 * s + rnd(34 * s) if compact else 0) + 12 * s
        self.row_pitch = rnd(62 * s) + rnd(6 * s)
        self.V = self.T + 92 * s + rnd(34 * s) + 18 * s
        self.item_pitch = rnd(56 * s) + rnd(6 * s)

    def new_bundle(self):
        return (self.S / 2, self.T + 12 * self.s + rnd(38 * self.s) / 2)

    def row(self, i):
        """(top, height) of sidebar row i."""
        return (self.L + i * self.row_pitch, rnd(62 * self.s))

    def row_point(self, i, dx=None, dy=None):
        top, h = self.row(i)
        return (12 * self.s + (dx if dx is not None else 6 * self.s), top + (dy if dy is not None else h / 2))

    def row_open_probe(self, i):
        """Inside the row's Open button, 8 DIPs from its right edge, clear of the label."""
        top, h = self.row(i)
        right = 12 * self.s + (self.S - 24 * self.s) - 12 * self.s
        return (right - 8 * self.s, top + h / 2 - rnd(32 * self.s) / 2 + 6 * self.s)

    def item(self, i):
        return (self.V + i * self.item_pitch, rnd(56 * self.s))

    def item_point(self, i, dx=None):
        top, h = self.item(i)
        return (self.X + (dx if dx is not None else 200 * self.s), top + h / 2)

    def remove_button(self, i):
        top, h = self.item(i)
        side = rnd(32 * self.s)
        return (self.X + self.C - 10 * self.s - side / 2, top + h / 2)

    def pill_probe(self, i):
        """Inside the "Not found" pill, 4 DIPs from its right end, on its centre line."""
        top, h = self.item(i)
        right = self.X + self.C - 10 * self.s - rnd(32 * self.s) - 8 * self.s
        return (right - 4 * self.s, top + h / 2)

    def name_box(self):
        """The header's title line, where the bundle's name field opens (the Open button left out)."""
        return (self.X - 12 * self.s, self.T + 10 * self.s, self.X + self.C - 160 * self.s, self.T + 66 * self.s)

    def item_box(self, i):
        """Item row i right of its icon, where its arguments field opens."""
        top, h = self.item(i)
        return (self.X + 40 * self.s, top, self.X + self.C - 50 * self.s, top + h)

    def toast_probe(self):
        """The toast bar's top edge, at the window's centre (clear of the text)."""
        return (self.W / 2, self.H - 66 * self.s + 3 * self.s)


def blend(top, alpha, under):
    return tuple(round(t * alpha + u * (1 - alpha)) for t, u in zip(top, under))


def close_to(actual, expected, tolerance=6):
    return all(abs(a - e) <= tolerance for a, e in zip(actual, expected))


def geometry_of(window_id):
    """(x, y, width, height) of an X window."""
    out = subprocess.run(["xdotool", "getwindowgeometry", "--shell", str(window_id)], capture_output=True,
                         text=True, timeout=10).stdout
    values = dict(line.split("=", 1) for line in out.split() if "=" in line)
    return tuple(int(values.get(k, -1)) for k in ("X", "Y", "WIDTH", "HEIGHT"))


def wait_until_still(window_id, seconds=1.0, timeout=15):
    """Waits until the window has kept one geometry for `seconds`; returns it."""
    deadline = time.monotonic() + timeout
    last, since = geometry_of(window_id), time.monotonic()
    while time.monotonic() < deadline:
        time.sleep(0.25)
        now = geometry_of(window_id)
        if now != last:
            last, since = now, time.monotonic()
        elif time.monotonic() - since >= seconds:
            return now
    raise TimeoutError("window %s kept moving: %s" % (window_id, last))


class Window:
    def __init__(self, ctx, process, width=WIDTH, height=HEIGHT):
        self.ctx, self.process = ctx, process
        self.id = harness.find_window("tolvik")
        # Start-up places the window itself, and Wine may apply that placement
        # to the X window late: a resize sent before it would be undone. Resize
        # once the X window is where tolvik's window is, and again if it snaps back.
        wanted = (0, 0, width, height)
        for _ in range(3):
            self._wait_placed()
            harness.xdotool("windowmove", "--sync", self.id, 0, 0)
            harness.xdotool("windowsize", "--sync", self.id, width, height)
            if self._wait_placed() == wanted:
                break
        assert geometry_of(self.id) == wanted, geometry_of(self.id)
        # A frame presented while Wine was still moving the window can be
        # lost: a hover change over the settings button draws it again. Not
        # waited for by its pixels: another program's window may cover the
        # button, and in some themes its hover changes nothing there.
        harness.xdotool("mousemove", "--sync", "--window", self.id, width - 28, 26)
        time.sleep(0.3)
        harness.xdotool("mousemove", "--sync", "--window", self.id, 1, 1)
        time.sleep(0.5)

    def client_rect(self):
        """(x, y, width, height) of tolvik's client area on the screen, as Windows (Wine) has it."""
        seen = self.ctx.probe("client", "tolvik.Main")
        return tuple(int(v) for v in seen.out.split()[:4]) if seen.code == 0 else None

    def _wait_placed(self, timeout=15):
        """Waits until the X window and tolvik's client area agree (under Xvfb
        without a window manager the X window is the client area): Wine has
        carried out the last move or size of either side. Returns the rectangle."""
        seen = []

        def agree():
            seen[:] = [geometry_of(self.id), self.client_rect()]
            return seen[0] if seen[0] == seen[1] else None
        try:
            return harness.wait_for(agree, timeout=timeout, interval=0.05)
        except TimeoutError:
            raise TimeoutError("the X window %s and tolvik's client area %s did not come to agree within %d s"
                               % (seen[0], seen[1], timeout)) from None

    def field_ink(self, box, image=None):
        """How many pixels of box (left, top, right, bottom) are in an accent
        colour: tolvik draws its text fields (the name, the arguments) with an
        accent border, which a closed field leaves nothing of."""
        image = (image or self.shot("field")).crop(tuple(int(v) for v in box))
        return sum(1 for p in image.getdata() if close_to(p, LIGHT["accent"], 30) or close_to(p, DARK["accent"], 30))

    def wait_field(self, box, shown=True):
        """Waits until a text field in box opened (shown) or closed."""
        harness.wait_for(lambda: (self.field_ink(box) > 300) == shown, timeout=10, interval=0.05,
                         what="the text field in %s %s" % (box, "shown" if shown else "closed"))

    def shot(self, name="shot"):
        from PIL import Image
        path = self.ctx.folder / (name + ".png")
        harness.screenshot(self.id, path)
        return Image.open(path).convert("RGB")

    def pixel(self, point, image=None):
        image = image or self.shot()
        return image.getpixel((int(point[0]), int(point[1])))

    def wait_pixel(self, point, expected, what, tolerance=6):
        seen = []

        def check():
            seen[:] = [self.pixel(point)]
            return close_to(seen[0], expected, tolerance)
        try:
            return harness.wait_for(check, timeout=10, interval=0.4, what=what)
        except TimeoutError:
            # The whole window beside the log tells more than one pixel.
            kept = harness.REPO / "build" / "test-logs" / "e2e" / ("%s-failed.png" % self.ctx.name)
            harness.screenshot(self.id, kept)
            raise AssertionError("%s: expected %s near %s, saw %s (window in %s)" % (what, expected, point, seen, kept))

    def click(self, point, button=1, repeat=1):
        harness.xdotool("mousemove", "--window", self.id, int(point[0]), int(point[1]))
        args = ["click", "--window", self.id]
        if repeat > 1:
            args += ["--repeat", repeat, "--delay", 80]
        harness.xdotool(*(args + [button]))

    def key(self, name):
        harness.xdotool("key", "--window", self.id, name)


def three_bundles(ctx, missing=False):
    first_items = [recorder_item(ctx, "one"), {"kind": "file", "target": "C:\\windows\\win.ini"},
                   {"kind": "url", "target": "https://a.example/"}]
    if missing:
        first_items.insert(1, {"kind": "file", "target": "C:\\no\\such\\report.xlsx"})
    write_store(ctx, [{"id": "b1", "name": "Month-end closing", "items": first_items},
                      {"id": "b2", "name": "Design review", "items": []},
                      {"id": "b3", "name": "Morning", "items": [{"kind": "url", "target": "https://b.example"}]}])


def saved(ctx):
    return json.loads(ctx.store.read_text(encoding="utf-8"))["bundles"]


def probe_regions(window, geometry, palette):
    image = window.shot("regions")
    g = geometry
    # The sidebar and the content column.
    assert close_to(window.pixel((g.S - 6 * g.s, g.H - 10), image), palette["surface"]), "sidebar"
    assert close_to(window.pixel((g.X + g.C / 2, g.H - 10), image), palette["background"]), "content"
    # The selected row (the first) has the accent tint, the second none.
    tint = blend(palette["accent"], 0.10 if palette is LIGHT else 0.16, palette["surface_alt"])
    assert close_to(window.pixel(g.row_point(0), image), tint), window.pixel(g.row_point(0), image)
    assert close_to(window.pixel(g.row_point(1), image), palette["surface_alt"]), "unselected row"
    # Every row's Open button is filled with the accent colour.
    for i in range(3):
        assert close_to(window.pixel(g.row_open_probe(i), image), palette["accent"]), "Open button %d" % i
    # The missing item's red pill.
    pill = blend(RED, 0.12, palette["surface_alt"])
    assert close_to(window.pixel(g.pill_probe(1), image), pill), window.pixel(g.pill_probe(1), image)
    # The present items have no pill there.
    assert close_to(window.pixel(g.pill_probe(0), image), palette["surface_alt"]), "no pill"


def test_light_theme_regions_at_96_dpi(ctx):
    three_bundles(ctx, missing=True)
    process = start_window(ctx)
    window = Window(ctx, process)
    geometry = Geometry(WIDTH, HEIGHT, 96)
    window.wait_pixel(geometry.pill_probe(1), blend(RED, 0.12, LIGHT["surface_alt"]), "the missing pill")
    probe_regions(window, geometry, LIGHT)
    assert close_window(ctx, process) == 0


def test_dark_theme_regions(ctx):
    harness.reg_add(PERSONALIZE, "AppsUseLightTheme", "REG_DWORD", 0)
    try:
        three_bundles(ctx, missing=True)
        process = start_window(ctx)
        window = Window(ctx, process)
        geometry = Geometry(WIDTH, HEIGHT, 96)
        window.wait_pixel(geometry.pill_probe(1), blend(RED, 0.12, DARK["surface_alt"]), "the missing pill")
        probe_regions(window, geometry, DARK)
        assert close_window(ctx, process) == 0
    finally:
        harness.reg_add(PERSONALIZE, "AppsUseLightTheme", "REG_DWORD", 1)


def test_regions_at_144_dpi(ctx):
    harness.reg_add("Control Panel\\Desktop", "LogPixels", "REG_DWORD", 144)
    try:
        three_bundles(ctx, missing=True)
        process = start_window(ctx)
        # Wide enough for the four add buttons to share one row at 1.5 × (the
        # probes below expect the list right under it).
        window = Window(ctx, process, 1280, 760)
        geometry = Geometry(1280, 760, 144)
        window.wait_pixel(geometry.pill_probe(1), blend(RED, 0.12, LIGHT["surface_alt"]), "the missing pill")
        probe_regions(window, geometry, LIGHT)
        assert close_window(ctx, process) == 0
    finally:
        harness.reg_delete("Control Panel\\Desktop", "LogPixels")


def test_new_bundle_button_adds_a_bundle(ctx):
    three_bundles(ctx)
    process = start_window(ctx)
    window = Window(ctx, process)
    window.click(Geometry(WIDTH, HEIGHT, 96).new_bundle())
    harness.wait_for(lambda: len(saved(ctx)) == 4, what="the new bundle")
    assert saved(ctx)[3]["name"] == "New bundle"
    assert close_window(ctx, process) == 0


def test_click_selects_and_double_click_opens(ctx):
    three_bundles(ctx)
    process = start_window(ctx)
    window = Window(ctx, process)
    g = Geometry(WIDTH, HEIGHT, 96)
    window.click(g.row_point(2))
    harness.wait_for(lambda: harness.reg_query(KEY, "Selected") == "b3", what="the click's selection")
    window.click(g.row_point(0), repeat=2)
    assert recorded_args(ctx, 1) == ["one"]
    assert harness.reg_query(KEY, "Selected") == "b1"
    # win.ini opens in Notepad, which comes to the front and would take the
    # Alt+F4 meant for tolvik: as a user would, close it and click tolvik's
    # window (below the bundles, where a click does nothing) first.
    harness.wait_for(lambda: ctx.probe("find", "Notepad").code == 0, timeout=20, what="win.ini in Notepad")
    assert ctx.probe("close", "Notepad").code == 0
    harness.wait_for(lambda: ctx.probe("find", "Notepad").code != 0, timeout=20, what="Notepad closed")

    def in_front():
        shown = ctx.probe("foreground")
        return shown.code == 0 and shown.out.strip().split("\t")[0] == "tolvik"
    # The key goes to the window in front, so it must be tolvik's, as the
    # user sees it before pressing Alt+F4.
    window.click((g.S / 2, g.H - 10))
    harness.wait_for(in_front, timeout=10, what="tolvik in front after the click")
    assert close_window(ctx, process) == 0


def test_dragging_an_item_reorders_the_bundle(ctx):
    three_bundles(ctx)
    process = start_window(ctx)
    window = Window(ctx, process)
    g = Geometry(WIDTH, HEIGHT, 96)
    x, y = g.item_point(0)
    harness.xdotool("mousemove", "--window", window.id, int(x), int(y))
    harness.xdotool("mousedown", "--window", window.id, 1)
    for step in range(1, 8):
        harness.xdotool("mousemove", "--window", window.id, int(x), int(y + step * 25))
    harness.xdotool("mousemove", "--window", window.id, int(x), int(g.item(2)[0] + 40))
    harness.xdotool("mouseup", "--window", window.id, 1)
    harness.wait_for(lambda: saved(ctx)[0]["items"][2]["target"].endswith("recorder.exe"),
                     what="the dragged item at the end")
    assert [i["target"].split("\\")[-1] for i in saved(ctx)[0]["items"]] == [
        "win.ini", "https://a.example/", "recorder.exe"]
    assert close_window(ctx, process) == 0


def test_delete_shows_an_undo_toast_and_ctrl_z_restores(ctx):
    three_bundles(ctx)
    process = start_window(ctx)
    window = Window(ctx, process)
    g = Geometry(WIDTH, HEIGHT, 96)
    before = saved(ctx) if ctx.store.exists() else None
    window.click(g.item_point(1))
    window.key("Delete")
    harness.wait_for(lambda: len(saved(ctx)[0]["items"]) == 2, what="the removal")
    bar = blend(TOAST, 0.94, LIGHT["background"])
    window.wait_pixel(g.toast_probe(), bar, "the toast bar")
    window.key("ctrl+z")
    harness.wait_for(lambda: len(saved(ctx)[0]["items"]) == 3, what="the undo")
    assert saved(ctx)[0]["items"][1]["target"] == "C:\\windows\\win.ini"
    assert before is None or saved(ctx) == before
    assert close_window(ctx, process) == 0


def test_the_wheel_scrolls_the_item_list(ctx):
    items = [{"kind": "url", "target": "https://e%d.example" % i} for i in range(20)]
    write_store(ctx, [{"id": "b1", "name": "Long", "items": items}])
    process = start_window(ctx)
    window = Window(ctx, process)
    g = Geometry(WIDTH, HEIGHT, 96)
    gap = (g.X + g.C / 2, g.item(0)[0] + g.item(0)[1] + 3)  # between the first two rows
    window.wait_pixel(gap, LIGHT["background"], "the gap between rows")
    harness.xdotool("mousemove", "--window", window.id, int(gap[0]), int(gap[1]))
    harness.xdotool("click", "--window", window.id, 5)  # one notch down: 100 DIPs
    window.wait_pixel(gap, LIGHT["surface_alt"], "a row where the gap was")
    assert close_window(ctx, process) == 0


WM_SETTINGCHANGE = 0x001A
WM_COPYDATA = 0x004A


def test_the_palette_follows_a_theme_change_at_once(ctx):
    three_bundles(ctx)
    harness.reg_add(PERSONALIZE, "AppsUseLightTheme", "REG_DWORD", 1)
    try:
        process = start_window(ctx)
        window = Window(ctx, process)
        g = Geometry(WIDTH, HEIGHT, 96)
        content = (g.X + g.C / 2, g.H - 10)
        window.wait_pixel(content, LIGHT["background"], "the light content column")
        harness.reg_add(PERSONALIZE, "AppsUseLightTheme", "REG_DWORD", 0)
        assert ctx.probe("send", "tolvik.Main", str(WM_SETTINGCHANGE), "0", "0").code == 0
        window.wait_pixel(content, DARK["background"], "the dark content column")
        assert close_window(ctx, process) == 0
    finally:
        harness.reg_add(PERSONALIZE, "AppsUseLightTheme", "REG_DWORD", 1)


def test_copy_data_with_another_marker_is_answered_and_ignored(ctx):
    three_bundles(ctx)
    exported = ctx.folder / "x.tolvik"
    exported.write_text(json.dumps({"format": "tolvik", "version": 1,
                                    "bundle": {"id": "x", "name": "X", "items": []}}), encoding="utf-8")
    process = start_window(ctx)
    before = ctx.store.read_text(encoding="utf-8")
    answer = ctx.probe("copydata", "tolvik.Main", "0x7B", harness.wine_path(exported))
    assert answer.code == 0 and answer.out.strip() == "1", answer
    assert ctx.store.read_text(encoding="utf-8") == before
    answer = ctx.probe("copydata", "tolvik.Main", "0x7A", harness.wine_path(exported))
    assert answer.out.strip() == "1", answer
    # The answer says the window has the path; the import is saved once its
    # state is free, a moment later.
    harness.wait_for(lambda: [b["name"] for b in saved(ctx)][-1] == "X", what="the handed-over import")
    assert close_window(ctx, process) == 0


def test_the_toast_undo_button_restores_a_removed_item(ctx):
    three_bundles(ctx)
    process = start_window(ctx)
    window = Window(ctx, process)
    g = Geometry(WIDTH, HEIGHT, 96)
    window.click(g.remove_button(0))
    harness.wait_for(lambda: len(saved(ctx)[0]["items"]) == 2, what="the removal")
    window.wait_pixel(g.toast_probe(), blend(TOAST, 0.94, LIGHT["background"]), "the toast bar")
    # The Undo button is the bar's right end: find its label's green among the bar's pixels.
    image = window.shot("toast")
    y = int(g.H - 66 * g.s + 20 * g.s)
    greens = [x for x in range(int(g.W / 2), int(g.W - 16 * g.s))
              if close_to(image.getpixel((x, y)), (0x86, 0xEF, 0xAC), 40)]
    assert greens, "no Undo label found on the toast"
    window.click((sum(greens) / len(greens), y))
    harness.wait_for(lambda: len(saved(ctx)[0]["items"]) == 3, what="the undo")
    assert saved(ctx)[0]["items"][0]["target"].endswith("recorder.exe")
    assert close_window(ctx, process) == 0


def runs_down(window, image, x, top, bottom, colour):
    """(start, length) of each run of pixels down column x that are not `colour`."""
    runs, start = [], None
    for y in range(top, bottom):
        plain = close_to(window.pixel((x, y), image), colour)
        if not plain and start is None:
            start = y
        elif plain and start is not None:
            runs.append((start, y - start))
            start = None
    return runs


def test_add_buttons_stay_inside_the_content_column_in_long_languages(ctx):
    # The window's first size and its smallest, in the languages with the
    # longest labels: the add buttons share rows that end at the column's
    # margin, so the 28 pixels right of the column stay plain background
    # wherever the buttons can be, and the item list starts below the last row.
    cases = [("de", 1024, 689), ("fr", 1024, 689), ("ru", 1024, 689),
             ("de", 820, 480), ("fr", 820, 480), ("ru", 820, 480), ("en", 820, 480)]
    for language, width, height in cases:
        harness.reg_add(KEY, "Language", "REG_SZ", language)
        three_bundles(ctx)
        process = start_window(ctx)
        window = Window(ctx, process, width, height)
        g = Geometry(width, height, 96)
        top = int(g.T + 92)
        # Down the column's left end (past the rounding): the buttons' rows,
        # 34 high, then the item rows, 56 high.
        def drawn():
            image = window.shot("add-bar-%s-%d" % (language, width))
            # A frame of the size asked for: Wine may still show one of the first size.
            if not close_to(window.pixel((width - 10, height - 10), image), LIGHT["background"]):
                return None
            runs = runs_down(window, image, int(g.X + 6), top - 2, height - 4, LIGHT["background"])
            return (image, runs) if any(length > 45 for _, length in runs) else None
        image, runs = harness.wait_for(drawn, timeout=15, interval=0.4, what="the item rows")
        stray = [(x, y) for x in range(int(g.X + g.C) + 2, width - 2) for y in range(top, top + 4 * 42, 2)
                 if not close_to(window.pixel((x, y), image), LIGHT["background"])]
        assert not stray, "%s at %d px: the add bar reaches into the margin at %s" % (language, width, stray[:3])
        first_item = next(i for i, (_, length) in enumerate(runs) if length > 45)
        buttons = runs[:first_item]
        assert buttons and all(abs(length - 34) <= 2 for _, length in buttons), (language, width, runs)
        assert buttons[0][0] in range(top - 1, top + 2), (language, width, runs)
        last_end = buttons[-1][0] + buttons[-1][1]
        assert abs(runs[first_item][0] - (last_end + 18)) <= 2, (language, width, runs)
        if width == 820:
            assert len(buttons) >= 2, "%s at the smallest size: one row of buttons %s" % (language, runs)
        assert close_window(ctx, process) == 0
