"""The popup menus, the inline name field and the search box of tolvik.exe's
window, driven with the mouse and the keyboard like a user.

Popup menus are X windows of their own (tolvik.exe's, without a title): they
are found with xdotool, photographed, and driven with plain key presses, which
reach the menu that holds the keyboard. Native text fields are not drawn over
the view under Wine, so what is typed is checked through the store file and
through the view that it changes."""

import itertools
import subprocess
import time

import harness
from test_startup import KEY, export_file, recorded_args, recorder_item, start_window, write_store
from test_window import (HEIGHT, LIGHT, TOAST, WIDTH, Geometry, Window, blend, close_to, geometry_of, saved,
                         three_bundles)

# The settings button: a square of 36 px, 10 px from the right edge, centred in the top strip.
# Wine takes a second click on the same spot for a double click however late it
# comes, so each press of the button lands on another point of the square.
SETTINGS_POINTS = itertools.cycle([(WIDTH - 28 + dx, 26 + dy)
                                   for dx, dy in ((0, 0), (-8, 6), (8, -6), (-8, -6))])
WM_QUERYENDSESSION, WM_ENDSESSION = 0x0011, 0x0016
TOAST_BAR = blend(TOAST, 0.94, LIGHT["background"])


def menus():
    """X windows of the open popup menus: tolvik.exe's visible windows without a title."""
    out = subprocess.run(["xdotool", "search", "--onlyvisible", "--class", "^tolvik\\.exe$"],
                         capture_output=True, text=True, timeout=10).stdout.split()
    found = []
    for window in out:
        name = subprocess.run(["xdotool", "getwindowname", window], capture_output=True, text=True,
                              timeout=10)
        if name.returncode == 0 and not name.stdout.strip() and geometry_of(window)[2] > 20:
            found.append(window)
    return found


def wait_menu(count=1):
    return harness.wait_for(lambda: (lambda m: m if len(m) >= count else None)(menus()),
                            what="%d popup menu(s)" % count)


def keys(*names):
    for name in names:
        harness.xdotool("key", name)
        time.sleep(0.15)


def choose(*names):
    """Presses keys in the open menu; the last one (Return, Escape) closes it."""
    keys(*names)
    harness.wait_for(lambda: not menus(), what="the menu to close")


def entry_states(ctx, menu, count):
    """For each entry of a menu from top to bottom, separators left out: True
    when its text is drawn black (enabled), False when grey (greyed)."""
    from PIL import Image
    path = ctx.folder / "menu.png"
    states = []

    def rows():
        harness.screenshot(menu, path)
        image = Image.open(path).convert("L")
        width, height = image.size
        bands, band = [], None
        for y in range(height):
            darkest = min(image.getpixel((x, y)) for x in range(4, width - 4))
            if darkest < 220:
                band = [y, y, darkest] if band is None else [band[0], y, min(band[2], darkest)]
            elif band:
                bands.append(band)
                band = None
        # Text lines are several pixels high; borders and separators one or two.
        states[:] = [darkest < 60 for top, bottom, darkest in bands if bottom - top >= 4]
        return len(states) == count
    harness.wait_for(rows, timeout=10, interval=0.3, what="%d menu entries drawn" % count)
    return states


def open_settings_menu(window):
    window.click(next(SETTINGS_POINTS))
    return wait_menu()


def alt_f4(process):
    keys("alt+F4")
    return process.wait(20)


def names(ctx):
    return [b["name"] for b in saved(ctx)]


def test_inline_rename_commits_on_enter_tab_and_click_and_esc_keeps_the_old_name(ctx):
    three_bundles(ctx)
    process = start_window(ctx)
    window = Window(ctx, process)
    g = Geometry(WIDTH, HEIGHT, 96)

    def rename(text, *ending):
        window.key("F2")
        window.wait_field(g.name_box())
        harness.xdotool("type", "--delay", 40, text)
        keys(*ending)

    rename("Quarter end", "Return")
    harness.wait_for(lambda: names(ctx)[0] == "Quarter end", what="the name taken with Enter")
    before = ctx.store.read_bytes()
    rename("Not kept", "Escape")
    # The field goes once Escape is handled: a name taken by it would be saved by then.
    window.wait_field(g.name_box(), shown=False)
    assert ctx.store.read_bytes() == before and names(ctx)[0] == "Quarter end", names(ctx)
    rename("Tabbed", "Tab")
    harness.wait_for(lambda: names(ctx)[0] == "Tabbed", what="the name taken with Tab")
    rename("Clicked away")
    window.click((g.X + g.C / 2, g.H - 30))  # an empty part of the content column
    harness.wait_for(lambda: names(ctx)[0] == "Clicked away", what="the name taken on a click elsewhere")
    assert names(ctx) == ["Clicked away", "Design review", "Morning"]
    assert alt_f4(process) == 0


def test_signing_out_keeps_a_running_rename_and_the_window_placement(ctx):
    three_bundles(ctx)
    harness.reg_delete(KEY, "Placement")
    process = start_window(ctx)
    window = Window(ctx, process)
    window.key("F2")
    window.wait_field(Geometry(WIDTH, HEIGHT, 96).name_box())
    harness.xdotool("type", "--delay", 40, "Signed out")
    # The typed keys wait in tolvik's input queue, and the messages sent below
    # go before them; under Wine nothing shows the field's text to wait for.
    time.sleep(0.5)
    # At sign-out or shut-down Windows asks every window whether the session
    # may end, then tells it that it ends. Wine's `wineboot --end-session`
    # sends the same two messages, but waits for every window of the process,
    # and Wine's Direct3D keeps a hidden window on a thread of its own that
    # never answers; so they are sent to tolvik's window here, in that order.
    asked = ctx.probe("send", "tolvik.Main", str(WM_QUERYENDSESSION), "0", "0")
    assert asked.code == 0 and asked.out.strip() == "1", asked
    ended = ctx.probe("send", "tolvik.Main", str(WM_ENDSESSION), "1", "0")
    assert ended.code == 0, ended
    harness.wait_for(lambda: names(ctx)[0] == "Signed out", what="the rename kept at the end of the session")
    assert names(ctx) == ["Signed out", "Design review", "Morning"]
    placement = harness.reg_binary(KEY, "Placement")
    assert placement is not None and len(placement) == 44
    if process.running():
        assert alt_f4(process) == 0


def test_search_filters_the_sidebar_moves_the_selection_and_esc_shows_all_again(ctx):
    write_store(ctx, [{"id": "b1", "name": "Alpha report", "items": []},
                      {"id": "b2", "name": "Beta", "items": []},
                      {"id": "b3", "name": "Gamma REPORT", "items": [recorder_item(ctx, "gamma")]},
                      {"id": "b4", "name": "Delta", "items": []}])
    harness.reg_add(KEY, "Selected", "REG_SZ", "b2")
    process = start_window(ctx)
    window = Window(ctx, process)

    def rows_drawn(g):
        image = window.shot("sidebar")
        return [close_to(window.pixel(g.row_open_probe(i), image), LIGHT["accent"]) for i in range(4)]

    normal = Geometry(WIDTH, HEIGHT, 96, bundles=4)
    searching = Geometry(WIDTH, HEIGHT, 96, bundles=4, search=True)
    harness.wait_for(lambda: rows_drawn(normal) == [True] * 4, timeout=10, what="all bundles drawn")
    window.key("ctrl+f")
    # The search box pushes the rows down: all four drawn where they are while it shows.
    harness.wait_for(lambda: rows_drawn(searching) == [True] * 4, timeout=10, what="the search box shown")
    harness.xdotool("type", "--delay", 40, "rep")
    # The selected bundle no longer shows: the first match is selected.
    harness.wait_for(lambda: harness.reg_query(KEY, "Selected") == "b1", what="the first match selected")
    harness.wait_for(lambda: rows_drawn(searching) == [True, True, False, False], timeout=10,
                     what="only the two matches in the sidebar")
    # Down in the box moves to the next match and gives the keyboard back to the view.
    keys("Down")
    harness.wait_for(lambda: harness.reg_query(KEY, "Selected") == "b3", what="the next match selected")
    keys("Return")
    assert recorded_args(ctx, 1) == ["gamma"]
    window.key("ctrl+f")  # the box still shows: this gives it the keyboard, before the Escape that follows
    keys("Escape")
    harness.wait_for(lambda: rows_drawn(normal) == [True] * 4, timeout=10, what="all bundles drawn again")
    assert harness.reg_query(KEY, "Selected") == "b3"
    assert alt_f4(process) == 0


def test_settings_menu_language_automatic_updates_and_about(ctx):
    three_bundles(ctx)
    process = start_window(ctx)
    window = Window(ctx, process)
    g = Geometry(WIDTH, HEIGHT, 96)

    open_settings_menu(window)
    keys("Down", "Down", "Right")  # Import…, Language ▸
    wait_menu(2)
    # Follow Windows, then English, 한국어, 日本語, 简体中文, 繁體中文, Español, Français, Deutsch.
    choose(*(["Down"] * 8 + ["Return"]))
    harness.wait_for(lambda: harness.reg_query(KEY, "Language") == "de", what="Language = de")
    window.wait_pixel(g.toast_probe(), TOAST_BAR, "the toast about the next start")

    for expected in (0, 1):
        open_settings_menu(window)
        choose("Down", "Down", "Down", "Return")  # Import…, Language, Automatic updates
        harness.wait_for(lambda: harness.reg_dword(KEY, "AutoUpdate") == expected,
                         what="AutoUpdate = %d" % expected)

    open_settings_menu(window)
    choose("Up", "Return")  # the last entry
    about = ctx.probe("msgbox", "About tolvik", "20000", timeout=40)
    assert about.code == 0, about
    version = harness.versions()["product"]["version"]
    assert about.out.startswith("tolvik %s\n\nA free app that opens" % version), about.out
    assert "(%APPDATA%\\tolvik)" in about.out, about.out
    assert harness.reg_query(KEY, "Language") == "de"
    assert alt_f4(process) == 0


def test_item_menu_greys_what_a_web_address_lacks_sets_arguments_and_removes(ctx):
    three_bundles(ctx)  # an app (arguments "one"), win.ini, a web address
    process = start_window(ctx)
    window = Window(ctx, process)
    g = Geometry(WIDTH, HEIGHT, 96)
    before = saved(ctx)

    # Open just this, Open file location, Rename, Arguments…, Options…, Remove from bundle (Del).
    window.click(g.item_point(2), button=3)
    assert entry_states(ctx, wait_menu()[0], 6) == [True, False, True, False, True, True]
    # Return on the greyed "Arguments…" opens no field: what is typed next goes nowhere.
    keys("Down", "Down", "Down", "Down", "Return")
    # A greyed entry leaves the menu open (Escape closes it); had Return closed it, Escape goes to the view.
    choose("Escape")
    harness.xdotool("type", "--delay", 40, "zzz")
    keys("Tab")

    window.click(g.item_point(0), button=3)
    assert entry_states(ctx, wait_menu()[0], 6) == [True] * 6
    choose("Down", "Down", "Down", "Down", "Return")
    window.wait_field(g.item_box(0))
    harness.xdotool("type", "--delay", 40, "--", "-v two")
    keys("Return")
    harness.wait_for(lambda: saved(ctx)[0]["items"][0].get("args") == "-v two", what="the new arguments")
    # The typing after the greyed entry went nowhere: the store changed by the new arguments alone.
    before[0]["items"][0]["args"] = "-v two"
    assert saved(ctx) == before

    window.click(g.item_point(1), button=3)
    wait_menu()
    choose("Up", "Return")
    harness.wait_for(lambda: len(saved(ctx)[0]["items"]) == 2, what="the removal")
    assert [i["target"].split("\\")[-1] for i in saved(ctx)[0]["items"]] == [
        "recorder.exe", "https://a.example/"]
    assert alt_f4(process) == 0


def test_bundle_menu_from_a_right_click_and_from_the_menu_key(ctx):
    three_bundles(ctx)  # Month-end closing, Design review (empty), Morning
    process = start_window(ctx)
    window = Window(ctx, process)
    g = Geometry(WIDTH, HEIGHT, 96)

    window.click(g.row_point(1), button=3)
    harness.wait_for(lambda: harness.reg_query(KEY, "Selected") == "b2", what="the row selected")
    # Open and Close (greyed: no items), Rename, Duplicate, Hotkey…, shortcut, Explorer folders, Open when
    # I sign in, Export, Delete.
    assert entry_states(ctx, wait_menu()[0], 10) == [False, False] + [True] * 8
    choose("Down", "Down", "Down", "Down", "Return")
    harness.wait_for(lambda: names(ctx) == ["Month-end closing", "Design review", "Design review copy",
                                            "Morning"], what="the copy after its bundle")

    # The menu key with no item selected: the selected bundle's menu.
    window.click(g.row_point(3))
    harness.wait_for(lambda: harness.reg_query(KEY, "Selected") == "b3", what="Morning selected")
    window.key("Menu")
    wait_menu()
    choose("Up", "Return")  # Delete bundle
    harness.wait_for(lambda: names(ctx) == ["Month-end closing", "Design review", "Design review copy"],
                     what="the deleted bundle gone")

    # With an item selected the menu key opens that item's menu.
    window.click(g.row_point(0))
    window.click(g.item_point(1))
    window.key("Menu")
    wait_menu()
    choose("Up", "Return")  # Remove from bundle (Del)
    harness.wait_for(lambda: len(saved(ctx)[0]["items"]) == 2, what="the item removed")
    assert saved(ctx)[0]["items"][1]["target"] == "https://a.example/"
    assert alt_f4(process) == 0


@harness.time_limit(90)
def test_work_that_finishes_under_an_open_menu_is_not_lost(ctx):
    many = [recorder_item(ctx, "r%d" % i) for i in range(8)]
    # A pause before the third item keeps the opening going while the menu opens.
    many[2]["delay"] = 2
    write_store(ctx, [{"id": "b1", "name": "Many", "items": many},
                      {"id": "b2", "name": "Other", "items": []}])
    process = start_window(ctx)
    window = Window(ctx, process)
    g = Geometry(WIDTH, HEIGHT, 96)

    # Open the bundle and at once right-click an item: the opening ends under the menu.
    window.click(g.row_open_probe(0))
    window.click(g.item_point(1), button=3)
    wait_menu()
    assert len(ctx.recorded()) < len(many), "the opening was over before the menu opened"
    harness.wait_for(lambda: len(ctx.recorded()) == len(many), timeout=20, what="every item started")
    # The summary toast is drawn under the menu once the window has taken the opening's end.
    window.wait_pixel(g.toast_probe(), TOAST_BAR, "the summary toast")
    assert menus(), "the menu closed by itself"
    choose("Escape")
    # The bundle is no longer shown as opening: opening it again starts everything again
    # (a few pixels off the first press, which Wine would pair into a double click).
    x, y = g.row_open_probe(0)
    window.click((x - 6, y + 8))
    assert recorded_args(ctx, 2 * len(many))[len(many):] == ["r%d" % i for i in range(len(many))]

    # A second start hands over a bundle file while the settings menu is open.
    handed = export_file(ctx, "handed.tolvik", {"id": "x", "name": "Handed over", "items": []})
    open_settings_menu(window)
    second = ctx.run_program([harness.wine_path(handed)], timeout=30)
    assert second.code == 0, second
    assert menus(), "the hand-over closed the menu"
    choose("Escape")
    harness.wait_for(lambda: names(ctx) == ["Many", "Other", "Handed over"], what="the handed-over bundle")
    assert alt_f4(process) == 0
