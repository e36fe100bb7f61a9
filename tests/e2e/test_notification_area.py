"""Keeping tolvik running in the notification area: the setting in the ☰ menu,
the window hidden by Alt+F4, the icon's click and menu, its balloon, a second
start and --quit, the start at sign-in (hidden, with the marked bundles opening beside it).

With no system tray on the X display (Xvfb has none), Wine's explorer.exe
shows notification icons in a window of its own, "Wine System Tray", and its
balloons as small windows of explorer.exe beside it: the tests click the icon
there with the mouse, as a user would. The icon's menu belongs to tolvik's
hidden window, which does not hold the X focus, so its entries are clicked
too rather than chosen with keys. Wine cuts the balloon's title to its own
small box, so the balloon is checked by its window, not by its text."""

import json
import subprocess
import time

import harness
from test_menus import TOAST_BAR, choose, entry_states, menus, open_settings_menu, wait_menu
from test_startup import KEY, recorder_item, start_window, write_store
from test_window import HEIGHT, LIGHT, WIDTH, Geometry, Window, close_to, geometry_of

VALUE = "KeepInNotificationArea"


def visible(name):
    out = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", name],
                         capture_output=True, text=True, timeout=10).stdout
    return out.split()


def visible_windows():
    """tolvik's visible main window, as xdotool sees the X display."""
    return visible("^tolvik$")


def balloons():
    """Wine's balloons: explorer.exe's visible windows without a title, beside its tray."""
    found = []
    for window in visible("^$"):
        cls = subprocess.run(["xprop", "-id", window, "WM_CLASS"], capture_output=True, text=True,
                             timeout=10).stdout
        if '"explorer.exe"' in cls and geometry_of(window)[2] > 20:
            found.append(window)
    return found


def hide(ctx, process):
    """Alt+F4 on the window, which hides it with the setting on."""
    harness.xdotool("key", "--window", harness.find_window("tolvik"), "alt+F4")
    hidden_but_running(ctx, process)


def hidden_but_running(ctx, process):
    harness.wait_for(lambda: not visible_windows(), timeout=20, what="the window hidden")
    assert process.running()
    # The window is still there for Windows (and for a second start to find).
    assert ctx.probe("find", "tolvik.Main").code == 0


def click_icon(button):
    """Clicks tolvik's icon, the first in Wine's tray window: in its upper
    half, which a balloon hanging below the tray leaves free. The tests keep
    tolvik's window at the screen's corner, over the tray: the tray is raised
    first, as a taskbar stays over windows."""
    tray = harness.find_window("Wine System Tray", timeout=10)
    harness.xdotool("windowraise", tray)
    x, y = geometry_of(tray)[:2]
    harness.xdotool("mousemove", "--sync", x + 10, y + 6)
    harness.xdotool("click", button)


def entry_rows(ctx, menu):
    """The middle of each entry's text in the menu, from the top, separators left out."""
    from PIL import Image
    path = ctx.folder / "menu-rows.png"
    harness.screenshot(menu, path)
    image = Image.open(path).convert("L")
    width, height = image.size
    rows, top = [], None
    for y in range(height):
        inked = min(image.getpixel((x, y)) for x in range(4, width - 4)) < 220
        if inked and top is None:
            top = y
        elif not inked and top is not None:
            if y - top >= 4:  # text, not a border or the separator
                rows.append((top + y) // 2)
            top = None
    return rows


def click_entry(ctx, menu, row):
    """Clicks an entry of the icon's menu (see the module's note)."""
    x, y = geometry_of(menu)[:2]
    harness.xdotool("mousemove", "--sync", x + 24, y + entry_rows(ctx, menu)[row])
    harness.xdotool("click", 1)
    harness.wait_for(lambda: not menus(), what="the menu to close")


def icon_menu():
    click_icon(3)
    return wait_menu()[0]


def choose_in_icon_menu(ctx, row):
    """Opens the icon's menu with a right-click and clicks its entry `row` (-1: the last)."""
    click_entry(ctx, icon_menu(), row)


def turn_on(ctx, window):
    open_settings_menu(window)
    # Import…, Language, Automatic updates, Keep running in the notification area
    choose("Down", "Down", "Down", "Down", "Return")
    harness.wait_for(lambda: harness.reg_dword(KEY, VALUE) == 1, what="%s = 1" % VALUE)


def launched(ctx):
    return len([r for r in ctx.recorded() if r["argv"][1:2] == ["from-the-icon"] and "event" not in r])


def recorded_openings(ctx):
    """The bundles whose last opening is recorded: written as an opening ends."""
    path = ctx.store.parent / "opened.json"
    return json.loads(path.read_text(encoding="utf-8")) if path.exists() else {}


def two_bundles(ctx):
    write_store(ctx, [
        {"id": "m1", "name": "Morning", "items": [recorder_item(ctx, "from-the-icon")]},
        {"id": "r2", "name": "R&D review", "items": []},
    ])


def test_the_setting_keeps_tolvik_in_the_notification_area(ctx):
    two_bundles(ctx)
    process = start_window(ctx)
    window = Window(ctx, process)
    g = Geometry(WIDTH, HEIGHT, 96, bundles=2)

    # The check mark after "Automatic updates", off by default.
    assert harness.reg_dword(KEY, VALUE) is None
    turn_on(ctx, window)
    menu = open_settings_menu(window)[0]
    harness.screenshot(menu, ctx.folder / "settings-menu.png")
    choose("Escape")

    # Alt+F4 hides the window; tolvik goes on running.
    hide(ctx, process)

    # The icon's click shows the window again, in front.
    click_icon(1)
    harness.find_window("tolvik", timeout=10)
    front = ctx.probe("foreground")
    assert front.out.startswith("tolvik\t"), front

    # Hidden again: the icon's menu lists the bundles, "Show tolvik" and "Quit".
    hide(ctx, process)
    menu = icon_menu()
    harness.screenshot(menu, ctx.folder / "icon-menu.png")
    # Morning, R&D review, Show tolvik, Quit: four rows of text.
    assert entry_states(ctx, menu, 4) == [True, True, True, True]
    assert not balloons()
    # The first bundle opens as with its Open button; the window stays hidden,
    # and the opening's summary is the icon's balloon.
    click_entry(ctx, menu, 0)
    harness.wait_for(lambda: launched(ctx) == 1, timeout=20, what="the bundle's recorder started")
    harness.wait_for(lambda: "m1" in recorded_openings(ctx), timeout=20, what="the opening's end")
    balloon = harness.wait_for(balloons, timeout=10, what="the icon's balloon")[0]
    harness.screenshot(balloon, ctx.folder / "balloon.png")
    assert not visible_windows()
    # The window, shown at once, has no toast of it, which would stay on it for seconds.
    click_icon(1)
    # Window() waits for frames drawn after the pointer moved over the window:
    # by then tolvik has taken everything posted to it before, and a toast it
    # put up on showing the window is on the screen.
    shown = Window(ctx, process)
    assert close_to(shown.pixel(g.toast_probe()), LIGHT["background"], 6), "the summary was a toast"
    # With the window shown, the same choice raises the toast.
    choose_in_icon_menu(ctx, 0)
    harness.wait_for(lambda: launched(ctx) == 2, timeout=20, what="the second opening")
    shown.wait_pixel(g.toast_probe(), TOAST_BAR, "the opening's toast on the shown window")

    # "Show tolvik" (the third entry) shows a hidden window.
    hide(ctx, process)
    choose_in_icon_menu(ctx, 2)
    harness.find_window("tolvik", timeout=10)

    # A second start of tolvik.exe (no arguments) shows the hidden window.
    hide(ctx, process)
    assert ctx.run() == 0
    harness.find_window("tolvik", timeout=10)

    # tolvik.exe --quit ends the hidden tolvik, and its icon goes.
    hide(ctx, process)
    assert ctx.run(["--quit"]) == 0
    assert process.wait(20) == 0
    assert ctx.probe("find", "tolvik.Main").code == 1
    # With none running it just ends.
    assert ctx.run(["--quit"]) == 0


def test_quit_from_the_icon_menu_and_turning_the_setting_off(ctx):
    two_bundles(ctx)
    harness.reg_add(KEY, VALUE, "REG_DWORD", 1)
    process = start_window(ctx)
    window = Window(ctx, process)
    # Turned off: the value is 0, the icon goes, and Alt+F4 ends tolvik again.
    open_settings_menu(window)
    choose("Down", "Down", "Down", "Down", "Return")
    harness.wait_for(lambda: harness.reg_dword(KEY, VALUE) == 0, what="%s = 0" % VALUE)
    harness.wait_for(lambda: not visible("^Wine System Tray$"), what="the icon removed")
    harness.xdotool("key", "--window", harness.find_window("tolvik"), "alt+F4")
    assert process.wait(20) == 0

    # On again (read at start): "Quit" in the icon's menu ends it, hidden or not.
    harness.reg_add(KEY, VALUE, "REG_DWORD", 1)
    process = start_window(ctx)
    hide(ctx, process)
    choose_in_icon_menu(ctx, -1)
    assert process.wait(20) == 0


def test_the_start_at_sign_in(ctx):
    write_store(ctx, [
        {"id": "m1", "name": "Morning", "at_sign_in": True, "items": [recorder_item(ctx, "from-the-icon")]},
        {"id": "r2", "name": "R&D review", "items": []},
    ])
    # Without the setting the marked bundle opens without a window.
    assert ctx.run(["--sign-in"]) == 0
    harness.wait_for(lambda: launched(ctx) == 1, timeout=20, what="the marked bundle opened without a window")
    assert ctx.probe("find", "tolvik.Main").code == 1

    # With it, tolvik starts with only its icon, and the marked bundle still
    # opens beside the hidden window; the icon's click shows the window.
    harness.reg_add(KEY, VALUE, "REG_DWORD", 1)
    process = ctx.start(["--sign-in"])
    harness.wait_for(lambda: ctx.probe("find", "tolvik.Main").code == 0, timeout=30, what="the hidden window")
    harness.wait_for(lambda: launched(ctx) == 2, timeout=30, what="the marked bundle opened at sign-in")
    harness.find_window("Wine System Tray", timeout=10)
    # Nothing marks that tolvik has settled on showing no window: two seconds
    # after its start's work, a window it showed would be on the screen.
    time.sleep(2)
    assert not visible_windows()
    assert process.running()
    click_icon(1)
    harness.find_window("tolvik", timeout=10)
    assert ctx.run(["--quit"]) == 0
    assert process.wait(20) == 0
