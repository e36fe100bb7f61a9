"""Windows' text size (Settings › Accessibility › Text size) on the real
tolvik.exe: the value is written where Settings writes it
(HKCU\\Software\\Microsoft\\Accessibility TextScaleFactor) and announced the
way Windows does, WM_SETTINGCHANGE broadcast to every window (probe.exe
setting-changed); the text, the rows and the smallest window grow with it.

Under Xvfb there is no window manager: the X window is the client area, and
Wine takes any size xdotool asks for, below the window's minimum too (a window
manager would ask the program first). The minimum is read back the way the
program applies it: after a setting change a window smaller than its minimum
grows to it."""

import shutil

import harness
from test_startup import close_window, start_window
from test_window import LIGHT, Geometry, Window, close_to, geometry_of, runs_down, three_bundles, wait_until_still

ACCESSIBILITY = "Software\\Microsoft\\Accessibility"
TEXT_SCALE = "TextScaleFactor"


def with_text_scale(test):
    """Leaves the prefix without a text size, as it was, whatever the test did."""
    def run(ctx):
        harness.reg_delete(ACCESSIBILITY, TEXT_SCALE)
        try:
            test(ctx)
        finally:
            harness.reg_delete(ACCESSIBILITY, TEXT_SCALE)
    run.__name__ = test.__name__
    return run


def set_text_size(ctx, percent):
    harness.reg_add(ACCESSIBILITY, TEXT_SCALE, "REG_DWORD", percent)
    assert ctx.probe("setting-changed", "Accessibility").code == 0


def client_size(ctx):
    out = ctx.probe("client", "tolvik.Main").out.split()
    return int(out[2]), int(out[3])


def smallest_size(ctx, window):
    """Asks for a tiny window with xdotool and returns the client size the
    program keeps (Windows' own, read with probe.exe)."""
    harness.xdotool("windowsize", window.id, 200, 150)
    wait_until_still(window.id)
    return client_size(ctx)


def is_ink(pixel):
    """Dark text of the light theme."""
    return sum(pixel) < 3 * 110


def title_ink_height(window, image, width):
    """The height of the first dark text down the content column from the
    top: the start of the selected bundle's name, "Mon", which has no
    descenders (the product name is in the sidebar)."""
    left = int(Geometry(width, image.size[1], 96).X)
    rows = [y for y in range(0, image.size[1] // 2)
            if any(is_ink(image.getpixel((x, y))) for x in range(left, left + 40))]
    assert rows, "no title drawn"
    first = rows[0]
    end = first
    while end + 1 in rows:
        end += 1
    return end - first + 1


def item_row_heights(window, image, width):
    """Heights of the white item rows down the content column, 12 pixels
    inside their right end: past their rounded corners and their remove
    buttons' crosses, and right of the add buttons, which end earlier (the
    grey more button above them is no row)."""
    g = Geometry(width, image.size[1], 96)
    x = int(g.X + g.C) - 12
    runs = runs_down(window, image, x, 0, image.size[1] - 2, LIGHT["background"])
    return [length for start, length in runs
            if length > 40 and close_to(image.getpixel((x, start + length // 2)), LIGHT["surface_alt"])]


def wait_drawn(window, name, width, height):
    """A frame of the window's current size, its item rows drawn."""
    def drawn():
        image = window.shot(name)
        if image.size != (width, height):
            return None
        if not close_to(window.pixel((width - 10, height - 10), image), LIGHT["background"]):
            return None
        return image if item_row_heights(window, image, width) else None
    return harness.wait_for(drawn, timeout=15, interval=0.4, what="a frame at %dx%d" % (width, height))


@harness.time_limit(180)
@with_text_scale
def test_a_larger_text_size_makes_the_text_rows_and_smallest_window_grow(ctx):
    three_bundles(ctx)
    process = start_window(ctx)
    window = Window(ctx, process)
    width, height = geometry_of(window.id)[2:]
    plain = wait_drawn(window, "plain", width, height)
    plain_title = title_ink_height(window, plain, width)
    plain_row = item_row_heights(window, plain, width)[0]
    plain_least = smallest_size(ctx, window)
    assert plain_least[0] < width and plain_least[1] < height, plain_least

    # Settings' 175 %, announced while the window is at its smallest: it grows.
    set_text_size(ctx, 175)
    harness.wait_for(lambda: geometry_of(window.id)[2] > plain_least[0] and geometry_of(window.id)[3] > plain_least[1],
                     timeout=15, what="the window growing to its new minimum")
    grown = wait_until_still(window.id)[2:]
    assert smallest_size(ctx, window) == grown, grown
    assert grown[0] < 1280 and grown[1] < 800, "the smallest window at 175 %% fits the screen: %s" % (grown,)

    # In a roomy window the text and the rows are larger than before.
    harness.xdotool("windowsize", window.id, width, height)
    wait_until_still(window.id)
    large = wait_drawn(window, "large", width, height)
    large_title = title_ink_height(window, large, width)
    large_row = item_row_heights(window, large, width)[0]
    assert large_title >= 1.5 * plain_title, (plain_title, large_title)
    assert abs(large_row - 1.75 * plain_row) <= 2, (plain_row, large_row)

    # At the smallest size an item row still shows whole.
    least = smallest_size(ctx, window)
    harness.xdotool("windowsize", window.id, *least)
    wait_until_still(window.id)
    small = wait_drawn(window, "smallest-175", *least)
    assert large_row in item_row_heights(window, small, least[0]), item_row_heights(window, small, least[0])

    # A value Settings cannot write counts as no text size: back to the start.
    set_text_size(ctx, 400)
    harness.xdotool("windowsize", window.id, width, height)
    wait_until_still(window.id)
    harness.wait_for(lambda: item_row_heights(window, wait_drawn(window, "back", width, height), width)[0] == plain_row,
                     timeout=15, what="the rows at the system's size again")
    assert smallest_size(ctx, window) == plain_least
    assert close_window(ctx, process) == 0


@harness.time_limit(120)
@with_text_scale
def test_the_text_size_is_read_at_start(ctx):
    three_bundles(ctx)
    harness.reg_add(ACCESSIBILITY, TEXT_SCALE, "REG_DWORD", 150)
    process = start_window(ctx)
    window = Window(ctx, process)
    width, height = geometry_of(window.id)[2:]
    at_start = item_row_heights(window, wait_drawn(window, "at-start", width, height), width)[0]

    def row_height():
        return item_row_heights(window, wait_drawn(window, "text-size", width, height), width)[0]

    # Taken away in Settings: the rows are two thirds as high.
    harness.reg_delete(ACCESSIBILITY, TEXT_SCALE)
    assert ctx.probe("setting-changed", "Accessibility").code == 0
    harness.wait_for(lambda: abs(row_height() * 1.5 - at_start) <= 2, timeout=15, what="rows at 100 %")
    plain = row_height()
    # The README's picture is taken at 175 %.
    set_text_size(ctx, 175)
    harness.wait_for(lambda: abs(row_height() - 1.75 * plain) <= 2, timeout=15, what="rows at 175 %")
    kept = harness.REPO / "build" / "test-logs" / "e2e"
    kept.mkdir(parents=True, exist_ok=True)
    shutil.copy(ctx.folder / "text-size.png", kept / "text-size.png")
    assert close_window(ctx, process) == 0
