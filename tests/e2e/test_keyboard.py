"""The main window driven from the keyboard alone: Tab and the arrows through
the view, the keys that act on what has the focus, the menus they open, and
the focus ring that shows where it is.

Keys go to the window in front as a user presses them (xdotool without a
target window); the window is clicked once first, as a user would, so that it
holds the keyboard. A click hides the focus ring, so every ring seen below was
brought up by the keys that follow it."""


import harness
from test_menus import alt_f4, choose, keys, menus, wait_menu
from test_startup import KEY, start_window
from test_window import HEIGHT, WIDTH, Geometry, Window, close_to, geometry_of, saved, three_bundles

TEXT = (0x16, 0x18, 0x1D)  # the light palette's text colour: the ring's


def start(ctx):
    three_bundles(ctx)
    process = start_window(ctx)
    window = Window(ctx, process)
    g = Geometry(WIDTH, HEIGHT, 96)
    # Below the bundles, where a click does nothing but give the window the keyboard.
    window.click((g.S / 2, g.H - 10))
    harness.wait_foreground(ctx, "tolvik")
    return process, window, g


def targets(ctx):
    return [item["target"].split("\\")[-1] for item in saved(ctx)[0]["items"]]


def to_first_item():
    """From the bundle list: its name, Open, the add buttons, the item list."""
    keys("Tab", "Tab", "Tab", "Tab")


def ring_round_item(window, g, i, image=None):
    """Whether the ring's left side shows beside item row i: pixels in the text
    colour on the row's middle line, between the sidebar and the row's inside."""
    image = image or window.shot()
    top, h = g.item(i)
    y = int(top + h / 2)
    return sum(1 for x in range(int(g.S) + 2, int(g.X + 6 * g.s))
               if close_to(image.getpixel((x, y)), TEXT, 24)) >= 2


def wait_ring(window, g, i, shown=True):
    harness.wait_for(lambda: ring_round_item(window, g, i) == shown, interval=0.4,
                     what="the focus ring %s item %d" % ("round" if shown else "gone from", i))


def with_alt(key):
    """Alt held down while `key` is pressed, as a user does (the window takes
    the three in the order the X server sends them)."""
    harness.xdotool("keydown", "alt")
    keys(key)
    harness.xdotool("keyup", "alt")


def test_tab_and_arrows_reach_an_item_that_delete_removes_and_ctrl_z_brings_back(ctx):
    process, window, g = start(ctx)
    before = targets(ctx) if ctx.store.exists() else None
    to_first_item()
    keys("Down")
    # The ring goes round the focused row only.
    wait_ring(window, g, 1)
    assert not ring_round_item(window, g, 0), "a ring round the first item too"
    keys("Delete")
    harness.wait_for(lambda: len(saved(ctx)[0]["items"]) == 2, what="the removal")
    assert targets(ctx) == ["recorder.exe", "https://a.example/"]
    keys("ctrl+z")
    harness.wait_for(lambda: len(saved(ctx)[0]["items"]) == 3, what="the undo")
    assert saved(ctx)[0]["items"][1]["target"] == "C:\\windows\\win.ini"
    assert before is None or targets(ctx) == before
    # A click hides the ring again.
    window.click(g.item_point(2))
    harness.wait_for(lambda: not ring_round_item(window, g, 1), interval=0.4, what="the ring gone after the click")
    assert not ring_round_item(window, g, 2), "a ring round the clicked item"
    assert alt_f4(process) == 0


def test_f10_opens_the_settings_menu_and_the_keyboard_chooses_a_language(ctx):
    process, window, g = start(ctx)
    keys("F10")
    wait_menu()
    keys("Down", "Down", "Right")  # Import…, Language ▸
    wait_menu(2)
    # Follow Windows, then English, 한국어, 日本語, 简体中文, 繁體中文, Español, Français, Deutsch.
    choose(*(["Down"] * 8 + ["Return"]))
    harness.wait_for(lambda: harness.reg_query(KEY, "Language") == "de", what="Language = de")
    # F10 opened no system menu and no second menu: the window takes keys again.
    keys("Down")
    harness.wait_for(lambda: harness.reg_query(KEY, "Selected") == "b2", what="Down selecting the next bundle")
    assert alt_f4(process) == 0


def test_alt_down_moves_the_focused_item_and_keeps_it_focused(ctx):
    process, window, g = start(ctx)
    to_first_item()
    with_alt("Down")
    harness.wait_for(lambda: targets(ctx)[1] == "recorder.exe", what="the item one place down")
    assert targets(ctx) == ["win.ini", "recorder.exe", "https://a.example/"]
    with_alt("Down")
    harness.wait_for(lambda: targets(ctx)[2] == "recorder.exe", what="the item at the end")
    wait_ring(window, g, 2)
    with_alt("Up")
    harness.wait_for(lambda: targets(ctx)[1] == "recorder.exe", what="the item one place up")
    assert targets(ctx) == ["win.ini", "recorder.exe", "https://a.example/"]
    # Alt+F4 is still the system's.
    assert alt_f4(process) == 0


def test_shift_f10_and_the_menu_key_open_the_items_menu_once(ctx):
    process, window, g = start(ctx)
    to_first_item()
    keys("Down")
    keys("shift+F10")
    shown = wait_menu()
    assert len(menus()) == 1, menus()
    # The item menu, below the focused row: "Open just this" is its first entry.
    menu_y = geometry_of(shown[0])[1]
    top, height = g.item(1)
    window_y = geometry_of(window.id)[1]
    assert menu_y - window_y >= top + height - 4, (menu_y, window_y, top)
    choose("Escape")
    # No second menu took its place: the next keys move the focus in the view.
    keys("Up")
    wait_ring(window, g, 0)
    keys("Down")
    wait_ring(window, g, 1)
    assert not menus()
    # The menu key takes the same one route.
    keys("Menu")
    wait_menu()
    assert len(menus()) == 1, menus()
    choose("Escape")
    keys("Delete")  # the window still takes keys (no second menu): the item the menu was for goes
    harness.wait_for(lambda: len(saved(ctx)[0]["items"]) == 2, what="the removal after the menu")
    assert targets(ctx) == ["recorder.exe", "https://a.example/"]
    # F6 reaches the toast's Undo, Enter presses it.
    keys("F6", "Return")
    harness.wait_for(lambda: len(saved(ctx)[0]["items"]) == 3, what="Undo pressed from the keyboard")
    assert saved(ctx)[0]["items"][1]["target"] == "C:\\windows\\win.ini"
    assert alt_f4(process) == 0


def test_alt_f4_still_closes_the_window(ctx):
    process, window, g = start(ctx)
    keys("Tab", "Right")
    with_alt("Up")  # a system key the window takes; Alt+F4 below is still the system's
    assert alt_f4(process) == 0


def test_tab_goes_on_from_the_search_box_and_back_into_it(ctx):
    process, window, g = start(ctx)
    keys("ctrl+f")
    # Out of the box onto the bundle list, where End selects the last bundle
    # (in the box it would only move the caret).
    keys("Tab", "End")
    harness.wait_for(lambda: harness.reg_query(KEY, "Selected") == "b3", what="End on the bundle list after Tab")
    # Back into the box, which takes the typing: the search selects what it shows.
    keys("shift+Tab")
    harness.xdotool("type", "--delay", "80", "Design")
    harness.wait_for(lambda: harness.reg_query(KEY, "Selected") == "b2", what="the search after Shift+Tab")
    assert alt_f4(process) == 0
