"""Opening bundles at sign-in: the bundle menu's "Open when I sign in" as a
user ticks it, the Run value it keeps in the real registry, the switch of
Windows' start-up apps shown in the menu, `--unregister`, and
`tolvik.exe --sign-in` as Windows starts it, with the recorders' log times.

Wine's popup menus belong to tolvik.exe's process, so another program cannot
read their texts; the entry's longer "turned off" text is seen in the menu's
width and in a screenshot."""

import time

import harness
from test_close import wait_windows, with_event
from test_menus import choose, wait_menu
from test_startup import KEY, read_message_box, recorder_item, start_window, write_store
from test_window import HEIGHT, PERSONALIZE, WIDTH, Geometry, Window, geometry_of, saved

RUN_KEY = "Software\\Microsoft\\Windows\\CurrentVersion\\Run"
APPROVED_KEY = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\Run"
# Presses of Up in the bundle menu from its end: Delete bundle, Export…, Open when I sign in.
SIGN_IN_UPS = 3


def run_value():
    return harness.reg_query(RUN_KEY, "tolvik")


def expected_run_value():
    return '"%s" --sign-in' % harness.wine_path(harness.TOLVIK_EXE)


def clean_registry():
    harness.reg_delete(RUN_KEY, "tolvik")
    harness.reg_delete(APPROVED_KEY, "tolvik")


def two_bundles(ctx):
    write_store(ctx, [{"id": "b1", "name": "Morning", "items": [recorder_item(ctx, "morning")]},
                      {"id": "b2", "name": "Design review", "items": []}])


def sign_in_entry(window, g, row):
    """Right-clicks the bundle's row and returns the open bundle menu."""
    window.click(g.row_point(row), button=3)
    return wait_menu()[0]


def toggle_sign_in(window, g, row):
    sign_in_entry(window, g, row)
    choose(*(["Up"] * SIGN_IN_UPS + ["Return"]))


@harness.time_limit(120)
def test_ticking_the_entry_writes_the_run_value_and_unticking_or_unregister_removes_it(ctx):
    clean_registry()
    try:
        two_bundles(ctx)
        process = start_window(ctx)
        window = Window(ctx, process)
        g = Geometry(WIDTH, HEIGHT, 96, bundles=2)
        # Nothing is marked: the start leaves no value (it sees to the value
        # before it shows the window).
        assert run_value() is None

        toggle_sign_in(window, g, 1)
        harness.wait_for(lambda: saved(ctx)[1].get("at_sign_in") is True, what="the mark saved")
        assert run_value() == expected_run_value()
        assert "at_sign_in" not in saved(ctx)[0]
        window.shot("toast-marked")

        # Undo from the keyboard takes the mark back, and the value with it.
        window.key("ctrl+z")
        harness.wait_for(lambda: "at_sign_in" not in saved(ctx)[1], what="the mark undone")
        harness.wait_for(lambda: run_value() is None, what="the value removed by Undo")

        toggle_sign_in(window, g, 0)
        harness.wait_for(lambda: run_value() == expected_run_value(), what="the value for the first bundle")
        # A value left by a copy of tolvik elsewhere is replaced at the next save.
        harness.reg_add(RUN_KEY, "tolvik", "REG_SZ", '"C:\\Old\\tolvik.exe" --sign-in')
        toggle_sign_in(window, g, 1)
        harness.wait_for(lambda: run_value() == expected_run_value(), what="the other copy's value replaced")

        # Unticking one keeps the value for the other; unticking both removes it.
        toggle_sign_in(window, g, 0)
        harness.wait_for(lambda: "at_sign_in" not in saved(ctx)[0], what="the first unmarked")
        assert run_value() == expected_run_value()
        toggle_sign_in(window, g, 1)
        harness.wait_for(lambda: run_value() is None, what="the value removed")
        assert not any(b.get("at_sign_in") for b in saved(ctx))

        assert harness.close_with_alt_f4(process) == 0

        # The notification-area setting alone keeps the value, from the start on.
        harness.reg_add(KEY, "KeepInNotificationArea", "REG_DWORD", 1)
        process = start_window(ctx)
        harness.wait_for(lambda: run_value() == expected_run_value(), what="the value for the setting")
        window = Window(ctx, process)
        toggle_sign_in(window, g, 0)
        toggle_sign_in(window, g, 0)
        harness.wait_for(lambda: "at_sign_in" not in saved(ctx)[0], what="marked and unmarked again")
        assert run_value() == expected_run_value()
        # Closing now only hides the window: --quit ends tolvik.
        assert ctx.run(["--quit"]) == 0
        assert process.wait(20) == 0

        assert ctx.run(["--unregister"]) == 0
        assert run_value() is None
    finally:
        clean_registry()


@harness.time_limit(60)
def test_a_start_brings_the_value_up_to_date_with_the_store(ctx):
    clean_registry()
    try:
        write_store(ctx, [{"id": "b1", "name": "Morning", "items": [], "at_sign_in": True}])
        process = start_window(ctx)
        harness.wait_for(lambda: run_value() == expected_run_value(), what="the value written at start")
        assert harness.close_with_alt_f4(process) == 0

        write_store(ctx, [{"id": "b1", "name": "Morning", "items": []}])
        process = start_window(ctx)
        harness.wait_for(lambda: run_value() is None, what="the value removed at start")
        assert harness.close_with_alt_f4(process) == 0
    finally:
        clean_registry()


def windowed(name):
    return {"kind": "app", "target": harness.wine_path(harness.RECORDER_EXE),
            "args": "%s --recorder-window=0" % name}


@harness.time_limit(90)
def test_sign_in_opens_the_marked_bundles_at_their_waits_and_close_finds_them(ctx):
    write_store(ctx, [
        {"id": "b1", "name": "Later", "items": [windowed("later")], "at_sign_in": True, "sign_in_delay": 2},
        {"id": "b2", "name": "Not marked", "items": [recorder_item(ctx, "unmarked")]},
        {"id": "b3", "name": "At once", "items": [windowed("first")], "at_sign_in": True},
    ])
    begun_ms = time.time() * 1000
    process = ctx.start(["--sign-in"])
    assert process.wait(30) == 0
    # Nothing went wrong, so nothing is said.
    # The window-less start says what it has to say before it ends: a look now is enough.
    assert read_message_box(ctx, 0) is None
    pids = wait_windows(ctx, ["first", "later"])
    starts = [line for line in ctx.recorded() if "event" not in line]
    assert [line["argv"][1] for line in starts] == ["first", "later"], starts
    first, later = starts
    # The wait counts from the start: "later" came 2 s after it, well after "first".
    assert later["time"] - begun_ms >= 2000, (begun_ms, starts)
    assert later["time"] - first["time"] >= 1200, starts
    # tolvik has ended: a recorder it started for the unmarked bundle would
    # have logged its start and ended (it shows no window), leaving only the two.
    harness.wait_for(lambda: len(harness.wine_processes("recorder.exe")) == 2, interval=0.05,
                     what="only the two windowed recorders running (%s)" % harness.wine_processes("recorder.exe"))
    assert "unmarked" not in [line["argv"][1] for line in ctx.recorded() if "event" not in line]

    # Each opening was recorded as --open records it: Close finds its program.
    assert ctx.run(["--close", "b1"]) == 0
    harness.wait_for(lambda: pids["later"] in with_event(ctx, "close"), timeout=20, what="WM_CLOSE for later")
    assert pids["first"] not in with_event(ctx, "close")
    assert ctx.run(["--close", "b3"]) == 0
    harness.wait_for(lambda: pids["first"] in with_event(ctx, "close"), timeout=20, what="WM_CLOSE for first")


@harness.time_limit(60)
def test_sign_in_skips_a_bundle_to_review_and_says_so_at_the_end(ctx):
    shared = recorder_item(ctx, "shared")
    shared["unreviewed"] = True
    write_store(ctx, [
        {"id": "b1", "name": "From a colleague", "items": [shared], "at_sign_in": True},
        {"id": "b2", "name": "Mine", "items": [recorder_item(ctx, "mine")], "at_sign_in": True,
         "sign_in_delay": 1},
    ])
    process = ctx.start(["--sign-in"])
    text = read_message_box(ctx)
    assert process.wait(30) == 0
    assert text.startswith("Not everything opened when you signed in.\n\n"
                           "“From a colleague” wasn't opened: it has items from a file"), text
    harness.wait_for(lambda: ctx.recorded(), what="the marked bundle's recorder")
    assert [line["argv"][1] for line in ctx.recorded()] == ["mine"]
    # The question was never asked, so the mark stays for the first opening in the window.
    assert saved(ctx)[0]["items"][0]["unreviewed"] is True


def menu_width_and_shot(ctx, window, g, name):
    menu = sign_in_entry(window, g, 0)
    width = geometry_of(menu)[2]
    harness.screenshot(menu, ctx.folder / (name + ".png"))
    choose("Escape")
    return width


@harness.time_limit(120)
def test_the_entry_says_when_windows_start_up_apps_turned_tolvik_off(ctx):
    clean_registry()
    try:
        write_store(ctx, [{"id": "b1", "name": "Morning", "items": [recorder_item(ctx, "m")], "at_sign_in": True}])
        process = start_window(ctx)
        window = Window(ctx, process)
        g = Geometry(WIDTH, HEIGHT, 96, bundles=1)
        harness.wait_for(lambda: run_value() == expected_run_value(), what="the value written at start")
        harness.reg_add(APPROVED_KEY, "tolvik", "REG_BINARY", bytes([2] + [0] * 11))
        enabled = menu_width_and_shot(ctx, window, g, "menu-enabled")
        # Task Manager's "Disable": read again when the menu is next built.
        harness.reg_add(APPROVED_KEY, "tolvik", "REG_BINARY", bytes([3] + [0] * 11))
        disabled = menu_width_and_shot(ctx, window, g, "menu-disabled")
        # "Open when I sign in (turned off in Windows' start-up apps)" is the menu's longest entry by far.
        assert disabled > enabled + 100, (enabled, disabled)
        harness.reg_add(APPROVED_KEY, "tolvik", "REG_BINARY", bytes([6] + [0] * 11))
        assert menu_width_and_shot(ctx, window, g, "menu-enabled-again") == enabled
        # The mark itself is unchanged by Windows' switch.
        assert saved(ctx)[0]["at_sign_in"] is True
        assert harness.close_with_alt_f4(process) == 0
    finally:
        clean_registry()


@harness.time_limit(120)
def test_in_german_and_the_dark_theme_the_entry_is_ticked_and_shown_checked(ctx):
    clean_registry()
    harness.reg_add(KEY, "Language", "REG_SZ", "de")
    harness.reg_add(PERSONALIZE, "AppsUseLightTheme", "REG_DWORD", 0)
    try:
        two_bundles(ctx)
        process = start_window(ctx)
        window = Window(ctx, process)
        g = Geometry(WIDTH, HEIGHT, 96, bundles=2)
        unticked = sign_in_entry(window, g, 0)
        harness.screenshot(unticked, ctx.folder / "menu-de.png")
        choose(*(["Up"] * SIGN_IN_UPS + ["Return"]))
        harness.wait_for(lambda: run_value() == expected_run_value(), what="the value written")
        assert saved(ctx)[0]["at_sign_in"] is True
        window.shot("toast-de-dark")
        ticked = sign_in_entry(window, g, 0)
        harness.screenshot(ticked, ctx.folder / "menu-de-ticked.png")
        choose("Escape")
        assert harness.close_with_alt_f4(process) == 0
    finally:
        harness.reg_add(PERSONALIZE, "AppsUseLightTheme", "REG_DWORD", 1)
        clean_registry()
