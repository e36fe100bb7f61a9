"""The item "Options…" dialog of tolvik.exe, driven like a user: the item
menu by right-click and arrows, the dialog by its access keys, Tab and Enter.
probe.exe reads the dialog's controls (class, enabled, check state, text);
what OK keeps is read from the store file."""

import harness
from test_menus import choose, keys, menus, wait_menu
from test_startup import recorder_item, start_window, write_store
from test_window import HEIGHT, WIDTH, Geometry, Window, saved

APP_TITLE = "Options for “Recorder”"
SITE_TITLE = "Options for “Site”"
OPTIONS_DOWN = ["Down"] * 5  # Open just this, Open file location, Rename, Arguments…, Options…


def controls(ctx, title, timeout_ms=10000):
    """The dialog's controls by id: (class, enabled, check, focused, text); None when it is not open."""
    result = ctx.probe("controls", title, str(timeout_ms))
    if result.code == 2:
        return None
    assert result.code == 0, result
    found = {}
    for line in result.out.splitlines():
        kind, enabled, check, ident, text = (line.split("\t") + [""])[:5]
        found[int(ident.rstrip("*"))] = (kind, enabled == "on", check, ident.endswith("*"), text)
    return found


def dialog_ready(ctx, title, timeout=20):
    """Waits for the dialog, then until it is in front with a control of it
    focused: what is typed from then on reaches that control. Returns its
    controls (see controls())."""
    harness.wait_foreground(ctx, title, timeout=timeout)
    return harness.wait_for(lambda: (lambda c: c if c and any(f[3] for f in c.values()) else None)(
        controls(ctx, title)), timeout=timeout, interval=0.05, what="a focused control in the dialog %r" % title)


def open_options(ctx, window, point, title):
    window.click(point, button=3)
    wait_menu()
    choose(*OPTIONS_DOWN, "Return")
    return dialog_ready(ctx, title, timeout=30)


def closed(ctx, title):
    return controls(ctx, title, 0) is None  # one look: the callers poll


# Control ids of the dialog, in tab order.
DELAY, WAIT, WAIT_SECONDS, RUNNING, WINDOW, ADMIN, DIR, BROWSE, KEEP, OK = (
    1002, 1004, 1006, 1009, 1011, 1012, 1014, 1015, 1016, 1)


def test_options_are_chosen_by_keyboard_kept_in_the_store_and_undone(ctx):
    app = dict(recorder_item(ctx, "one"), name="Recorder")
    site = {"kind": "url", "target": "https://a.example/", "name": "Site"}
    write_store(ctx, [{"id": "b1", "name": "Work", "items": [app, site]}])
    process = start_window(ctx)
    window = Window(ctx, process)
    g = Geometry(WIDTH, HEIGHT, 96)

    shown = open_options(ctx, window, g.item_point(0), APP_TITLE)
    assert shown[DELAY][4] == "0" and shown[DELAY][3], "the delay field has the focus"
    assert shown[WAIT][2] == "0" and not shown[WAIT_SECONDS][1]
    assert (shown[RUNNING][4], shown[WINDOW][4]) == ("Start another", "Normal")
    # An app takes every option; the wait's seconds (label, field, unit) wait for its box.
    assert [i for i, c in shown.items() if not c[1]] == [WAIT_SECONDS - 1, WAIT_SECONDS, WAIT_SECONDS + 1], shown

    harness.xdotool("type", "--delay", 40, "2.5")
    keys("alt+r")  # the wait: ticking it offers 30 seconds
    wait_seconds = controls(ctx, APP_TITLE)[WAIT_SECONDS]
    assert wait_seconds[1] and wait_seconds[4] == "30", wait_seconds
    keys("alt+a", "Down", "Down", "alt+w", "Down", "alt+s")
    harness.xdotool("type", "--delay", 40, "C:\\windows")
    shown = controls(ctx, APP_TITLE)
    assert (shown[RUNNING][4], shown[WINDOW][4], shown[DIR][4]) == ("Skip it", "Minimized", "C:\\windows")
    keys("Return")
    expected = dict(app, delay=2.5, wait=30, if_running="skip", window="minimized", dir="C:\\windows")
    harness.wait_for(lambda: saved(ctx)[0]["items"][0] == expected, what="the options in the store")
    assert closed(ctx, APP_TITLE)

    # Opened again it shows them; Esc leaves the store as it is.
    shown = open_options(ctx, window, g.item_point(0), APP_TITLE)
    assert (shown[DELAY][4], shown[WAIT][2], shown[WAIT_SECONDS][4]) == ("2.5", "1", "30")
    assert (shown[RUNNING][4], shown[WINDOW][4], shown[DIR][4]) == ("Skip it", "Minimized", "C:\\windows")
    before = ctx.store.read_bytes()
    keys("Escape")
    harness.wait_for(lambda: closed(ctx, APP_TITLE), what="the dialog cancelled")

    # A number out of range is said; the dialog stays with the field selected and nothing lost.
    open_options(ctx, window, g.item_point(0), APP_TITLE)
    keys("alt+b", "End", "shift+Home")
    harness.xdotool("type", "--delay", 40, "700")
    keys("Return")
    message = ctx.probe("msgtext", APP_TITLE, "10000")
    assert message.code == 0 and message.out.splitlines()[0] == "Enter a number of seconds from 0 to 600", message
    keys("Return")
    harness.wait_for(lambda: controls(ctx, APP_TITLE)[DELAY][3], what="the delay field focused again")
    shown = controls(ctx, APP_TITLE)
    assert (shown[DELAY][4], shown[WINDOW][4], shown[DIR][4]) == ("700", "Minimized", "C:\\windows")
    keys("Escape")
    harness.wait_for(lambda: closed(ctx, APP_TITLE), what="the dialog cancelled")
    assert ctx.store.read_bytes() == before

    # Ctrl+Z takes the OK back.
    window.key("ctrl+z")
    harness.wait_for(lambda: saved(ctx)[0]["items"][0] == app, what="the options undone")

    # A web address: only the delay and "keep it open" apply.
    shown = open_options(ctx, window, g.item_point(1), SITE_TITLE)
    enabled = {i for i, c in shown.items() if c[1] and c[0] != "Static"}
    assert enabled == {DELAY, KEEP, OK, 2}, shown
    keys("Escape")
    harness.wait_for(lambda: closed(ctx, SITE_TITLE), what="the dialog cancelled")
    assert not menus()
    assert saved(ctx)[0]["items"] == [app, site]
    keys("alt+F4")
    assert process.wait(20) == 0
