"""High contrast on the real tolvik.exe: the view drawn with the system's colours.

Wine 8 always answers SPI_GETHIGHCONTRAST with "off", so these tests start
tolvik with TOLVIK_TEST_HIGH_CONTRAST=1, which makes the Windows platform
answer as if high contrast were on; the colours are still the real ones
GetSysColor gives, here a distinctive scheme written to HKCU\\Control Panel\\Colors
before the start (Wine reads it when a program starts)."""

import shutil

import harness
from test_startup import close_window, start_window
from test_window import HEIGHT, PERSONALIZE, WIDTH, WM_SETTINGCHANGE, Geometry, Window, close_to, three_bundles

COLOURS = "Control Panel\\Colors"
# Eight colours no theme uses together, so that each pixel tells its role.
SCHEME = {"Window": (0, 0, 0), "WindowText": (255, 255, 0), "Hilight": (0, 255, 255),
          "HilightText": (128, 0, 0), "ButtonFace": (0, 0, 128), "ButtonText": (255, 255, 255),
          "GrayText": (0, 255, 0), "HotTrackingColor": (255, 0, 255)}
SEAM = {"TOLVIK_TEST_HIGH_CONTRAST": "1"}
WM_SYSCOLORCHANGE = 0x0015


def with_scheme(test):
    """Writes the scheme for the test and puts back what the prefix had."""
    def run(ctx):
        before = {name: harness.reg_query(COLOURS, name) for name in SCHEME}
        try:
            for name, (r, g, b) in SCHEME.items():
                harness.reg_add(COLOURS, name, "REG_SZ", "%d %d %d" % (r, g, b))
            test(ctx)
        finally:
            for name, value in before.items():
                if value is None:
                    harness.reg_delete(COLOURS, name)
                else:
                    harness.reg_add(COLOURS, name, "REG_SZ", value)
    run.__name__ = test.__name__
    return run


def count_near(image, box, colour, tolerance=40):
    x0, y0, x1, y1 = (int(v) for v in box)
    return sum(1 for x in range(x0, x1) for y in range(y0, y1) if close_to(image.getpixel((x, y)), colour, tolerance))


@harness.time_limit(90)
@with_scheme
def test_the_view_draws_with_the_system_colours(ctx):
    three_bundles(ctx, missing=True)
    process = start_window(ctx, env=SEAM)
    window = Window(ctx, process)
    g = Geometry(WIDTH, HEIGHT, 96)
    content = (g.X + g.C / 2, g.H - 10)
    window.wait_pixel(content, SCHEME["Window"], "the content column in the window colour")
    window.wait_pixel(g.pill_probe(1), SCHEME["Window"], "the missing pill filled with the window colour")
    image = window.shot("high-contrast")
    # The sidebar, the rows and the items: the window colour, no tints.
    assert close_to(window.pixel((g.S - 6 * g.s, g.H - 10), image), SCHEME["Window"]), "sidebar"
    assert close_to(window.pixel(g.row_point(1), image), SCHEME["Window"]), "unselected row"
    assert close_to(window.pixel(g.item_point(0, dx=-4), image), SCHEME["Window"]), "item row"
    # Every Open button is the highlight colour, its label the highlight text.
    for i in range(3):
        assert close_to(window.pixel(g.row_open_probe(i), image), SCHEME["Hilight"]), "Open button %d" % i
    top, h = g.row(0)
    open_label = (g.S - 100 * g.s, top + 14 * g.s, g.S - 24 * g.s, top + h - 14 * g.s)
    assert count_near(image, open_label, SCHEME["HilightText"]) > 10, "the Open label in highlight text"
    # A row's name is window text on the window; nothing is drawn in the theme's colours.
    name = (g.row_point(1)[0], top + g.row_pitch + 8 * g.s, g.row_point(1)[0] + 120 * g.s, top + g.row_pitch + 30 * g.s)
    assert count_near(image, name, SCHEME["WindowText"]) > 10, "the second row's name in window text"
    # The missing pill: its outline and text in window text, no red anywhere.
    item_top, item_h = g.item(1)
    pill = (g.pill_probe(1)[0] - 90 * g.s, item_top + 4 * g.s, g.pill_probe(1)[0] + 6 * g.s, item_top + item_h - 4 * g.s)
    assert count_near(image, pill, SCHEME["WindowText"]) > 20, "the pill's outline and text"
    width, height = image.size
    assert count_near(image, (0, 0, width, height), (0xDC, 0x26, 0x26), tolerance=30) == 0, "red drawn"
    # A picture for the README.
    kept = harness.REPO / "build" / "test-logs" / "e2e"
    kept.mkdir(parents=True, exist_ok=True)
    shutil.copy(ctx.folder / "high-contrast.png", kept / "high-contrast.png")
    assert close_window(ctx, process) == 0


@harness.time_limit(90)
@with_scheme
def test_without_the_seam_the_theme_palette_stays(ctx):
    # Wine itself reports high contrast off: the same scheme leaves the light theme.
    three_bundles(ctx)
    process = start_window(ctx)
    window = Window(ctx, process)
    g = Geometry(WIDTH, HEIGHT, 96)
    window.wait_pixel((g.X + g.C / 2, g.H - 10), (0xF2, 0xF4, 0xF7), "the light content column")
    assert close_to(window.pixel(g.row_open_probe(0)), (0x16, 0xA3, 0x4A)), "the green Open button"
    assert close_window(ctx, process) == 0


@harness.time_limit(90)
@with_scheme
def test_a_theme_or_colour_change_keeps_the_system_colours(ctx):
    # Wine does not pass another program's SetSysColors on to a running one, so
    # the messages Windows would send are sent here with probe.exe.
    three_bundles(ctx)
    harness.reg_add(PERSONALIZE, "AppsUseLightTheme", "REG_DWORD", 1)
    try:
        process = start_window(ctx, env=SEAM)
        window = Window(ctx, process)
        g = Geometry(WIDTH, HEIGHT, 96)
        content = (g.X + g.C / 2, g.H - 10)
        window.wait_pixel(content, SCHEME["Window"], "the content column in the window colour")
        # The app theme turning dark does not win over high contrast.
        harness.reg_add(PERSONALIZE, "AppsUseLightTheme", "REG_DWORD", 0)
        assert ctx.probe("send", "tolvik.Main", str(WM_SETTINGCHANGE), "0", "0").code == 0
        assert ctx.probe("send", "tolvik.Main", str(WM_SYSCOLORCHANGE), "0", "0").code == 0
        window.click(g.row_point(1))
        window.wait_pixel(g.row_open_probe(1), SCHEME["Hilight"], "the Open button still in the highlight colour")
        image = window.shot("after-change")
        assert close_to(window.pixel(content, image), SCHEME["Window"]), "content column"
        assert close_to(window.pixel(g.row_point(0), image), SCHEME["Window"]), "the row, no tint"
        assert process.running()
        assert close_window(ctx, process) == 0
    finally:
        harness.reg_add(PERSONALIZE, "AppsUseLightTheme", "REG_DWORD", 1)


def dialog_background(ctx, env):
    """The Options dialog of an app item opened with the dark theme on: the
    colour of its lower left corner, clear of every control."""
    from test_item_options import APP_TITLE, open_options
    from test_startup import recorder_item, write_store
    app = dict(recorder_item(ctx, "one"), name="Recorder")
    write_store(ctx, [{"id": "b1", "name": "Work", "items": [app]}])
    process = start_window(ctx, env=env)
    window = Window(ctx, process)
    open_options(ctx, window, Geometry(WIDTH, HEIGHT, 96).item_point(0), APP_TITLE)
    dialog = harness.find_window(APP_TITLE)
    path = harness.screenshot(dialog, ctx.folder / "options-dialog.png")
    from PIL import Image
    image = Image.open(path).convert("RGB")
    corner = image.getpixel((3, image.size[1] - 4))
    harness.xdotool("key", "--window", dialog, "Escape")
    harness.wait_for(lambda: ctx.probe("controls", APP_TITLE, "0").code == 2, what="the dialog closed")
    assert close_window(ctx, process) == 0
    return corner


@harness.time_limit(150)
@with_scheme
def test_dialogs_leave_the_dark_colours_to_the_system_in_high_contrast(ctx):
    harness.reg_add(PERSONALIZE, "AppsUseLightTheme", "REG_DWORD", 0)
    try:
        dark = (0x22, 0x23, 0x27)
        # Without high contrast the dark theme colours the dialog.
        assert close_to(dialog_background(ctx, None), dark), "the dark dialog"
        # With it, Windows draws the dialog in the scheme's own colours.
        corner = dialog_background(ctx, SEAM)
        assert not close_to(corner, dark, 12), corner
        assert close_to(corner, SCHEME["ButtonFace"]) or close_to(corner, SCHEME["Window"]), corner
    finally:
        harness.reg_add(PERSONALIZE, "AppsUseLightTheme", "REG_DWORD", 1)
