"""A bundle's hotkey in tolvik.exe: set in the "Hotkey…" dialog of the bundle
menu by pressing the combination in the system's hotkey control, kept in the
store, shown after the bundle's name in the header, and pressed to open the
bundle. A key another program holds (probe.exe hold-hotkey) and a key another
bundle has are refused as the user sees it: message boxes read with probe.exe.

The key presses are xdotool's, as a user's: Wine's server matches every key
that reaches a window of the Wine session against the registered hotkeys and
posts WM_HOTKEY to the window that holds the key, so a press while tolvik's
window has the keyboard arrives as it would on Windows. (A press into a window
outside Wine would not: Wine's X11 driver grabs no keys.)"""

import time

import harness
from test_item_options import closed, controls, dialog_ready
from test_menus import TOAST_BAR, choose, keys, wait_menu
from test_startup import KEY, recorder_item, start_window, write_store
from test_window import HEIGHT, LIGHT, WIDTH, Geometry, Window, saved

HOTKEY_DOWNS = 5  # presses of Down in the bundle menu: Open, Close, Rename, Duplicate, Hotkey…
FIELD, CLEAR, DELAY = 1002, 1003, 1005  # control ids of the dialog
MOD_ALT, MOD_CONTROL = 0x1, 0x2


def title(name):
    return "Hotkey for “%s”" % name


def open_hotkey_dialog(ctx, window, g, row, name):
    window.click(g.row_point(row, dx=30), button=3)
    try:
        wait_menu()
    except TimeoutError:
        # Wine may take the first click of a freshly shown window for its activation only.
        window.click(g.row_point(row, dx=34), button=3)
        wait_menu()
    choose(*(["Down"] * HOTKEY_DOWNS + ["Return"]))
    return dialog_ready(ctx, title(name), timeout=30)


def press_in_field(ctx, name, combination):
    """Presses the combination as a user does in the hotkey control of the
    dialog for bundle `name`: the modifiers held down, then the key. Returns
    once the control shows another value."""
    before = controls(ctx, title(name))[FIELD][4]
    harness.xdotool("key", "--delay", 60, combination)
    harness.wait_for(lambda: controls(ctx, title(name))[FIELD][4] != before, interval=0.05,
                     what="the hotkey field to take %s (it shows %s)" % (combination, before))


def header_ink(window, g, image=None):
    """The header's title line from the name to well before Open: the x of
    each column with text on it, and the darkest grey level found there."""
    image = image or window.shot("header")
    background = LIGHT["background"]
    top, bottom = int(g.T + 18 * g.s), int(g.T + 58 * g.s)
    columns = {}
    for x in range(int(g.X), int(g.X + g.C - 240 * g.s)):
        for y in range(top, bottom):
            p = image.getpixel((x, y))
            if max(abs(a - b) for a, b in zip(p, background)) > 40:
                columns[x] = min(columns.get(x, 255), sum(p) // 3)
    return columns


def words(columns, gap=8):
    """Runs of inked columns separated by at least `gap` blank ones: (first, last, darkest)."""
    runs = []
    for x in sorted(columns):
        if runs and x - runs[-1][1] <= gap:
            runs[-1] = (runs[-1][0], x, min(runs[-1][2], columns[x]))
        else:
            runs.append((x, x, columns[x]))
    return runs


def test_a_hotkey_typed_in_the_dialog_is_kept_shown_and_opens_the_bundle(ctx):
    item = dict(recorder_item(ctx, "hot"), delay=4)  # the opening lasts a while: a second press comes during it
    write_store(ctx, [{"id": "h1", "name": "Work", "items": [item]},
                      {"id": "h2", "name": "Mail", "items": [recorder_item(ctx, "mail")]}])
    process = start_window(ctx)
    window = Window(ctx, process)
    g = Geometry(WIDTH, HEIGHT, 96, bundles=2)
    before = words(header_ink(window, g))
    assert len(before) == 1, before  # the name alone

    shown = open_hotkey_dialog(ctx, window, g, 0, "Work")
    assert shown[FIELD][0] == "msctls_hotkey32" and shown[FIELD][3], "the hotkey field has the focus: %s" % shown
    assert shown[FIELD][4] == "0x0000" and shown[DELAY][4] == "0", shown
    press_in_field(ctx, "Work", "ctrl+alt+1")
    # HOTKEYF_CONTROL | HOTKEYF_ALT and "1".
    assert controls(ctx, title("Work"))[FIELD][4] == "0x0631", controls(ctx, title("Work"))
    # A key alone takes Ctrl+Alt: a hotkey without them would take typing from every program.
    press_in_field(ctx, "Work", "7")
    assert controls(ctx, title("Work"))[FIELD][4] == "0x0637", controls(ctx, title("Work"))
    # The field takes Alt and its letters for itself, so the user leaves it by Tab.
    keys("Tab", "space")  # Clear, which gives the field the focus back
    assert controls(ctx, title("Work"))[FIELD][4] == "0x0000"
    assert controls(ctx, title("Work"))[FIELD][3], "the cleared field has the focus"
    press_in_field(ctx, "Work", "ctrl+alt+1")
    keys("Tab", "Tab", "End", "shift+Home")
    harness.xdotool("type", "--delay", 40, "45")
    keys("Return")
    # The first key of all offers to keep tolvik running behind its icon, as
    # keys need it running; No leaves the setting off.
    question = ctx.probe("msgtext", "tolvik", "10000")
    assert question.code == 0 and "notification area" in question.out, question
    keys("n")
    harness.wait_for(lambda: saved(ctx)[0].get("hotkey") == "Ctrl+Alt+1", what="the hotkey in the store")
    assert not harness.reg_dword(KEY, "KeepInNotificationArea"), "No keeps the setting off"
    assert saved(ctx)[0]["sign_in_delay"] == 45
    assert "hotkey" not in saved(ctx)[1]
    harness.wait_for(lambda: closed(ctx, title("Work")), what="the dialog closed")

    # The header: the name, then the key in a quieter grey.
    window.wait_pixel(g.toast_probe(), TOAST_BAR, "the toast with Undo")
    after = harness.wait_for(lambda: (lambda w: w if len(w) >= 2 else None)(words(header_ink(window, g))),
                             what="the key after the name")
    name, key = after[0], after[-1]
    assert abs(name[1] - before[0][1]) <= 2, (before, after)
    assert key[0] > name[1] + 6 * g.s and key[1] - key[0] > 40 * g.s, after
    assert key[2] > name[2] + 40, "the key is drawn lighter than the name: %s" % after

    # The key pressed with tolvik's window in front opens the bundle as Open does.
    harness.xdotool("key", "ctrl+alt+1")
    harness.wait_for(lambda: any(r.get("argv", [None, None])[1] == "hot" for r in ctx.recorded()), timeout=30,
                     what="the bundle opened by its hotkey")
    assert not any(r.get("argv", [None, None])[1] == "mail" for r in ctx.recorded())

    # Ctrl+Z takes the key back: it no longer opens anything.
    window.key("ctrl+z")
    harness.wait_for(lambda: "hotkey" not in saved(ctx)[0], what="the hotkey undone")
    assert saved(ctx)[0].get("sign_in_delay", 0) == 0
    harness.xdotool("key", "ctrl+alt+1")
    # The item's own delay of 4 s, then its start: an opening the key had
    # begun would have started it by then, and nothing else would tell.
    time.sleep(6)
    assert [r["argv"][1] for r in ctx.recorded()] == ["hot"], ctx.recorded()
    keys("alt+F4")
    assert process.wait(20) == 0


def test_a_second_press_while_the_bundle_opens_says_it_is_still_opening(ctx):
    item = dict(recorder_item(ctx, "slow"), delay=6)
    write_store(ctx, [{"id": "h1", "name": "Work", "hotkey": "Ctrl+Alt+4", "items": [item]}])
    process = start_window(ctx)
    window = Window(ctx, process)
    g = Geometry(WIDTH, HEIGHT, 96, bundles=1)
    harness.xdotool("key", "ctrl+alt+4")
    harness.xdotool("key", "ctrl+alt+4")
    window.wait_pixel(g.toast_probe(), TOAST_BAR, "the toast saying it is still opening")
    # The second press was taken during the first's opening, well within the item's 6 s.
    assert not ctx.recorded(), "the item waits for its delay"
    harness.wait_for(lambda: len(ctx.recorded()) >= 1, timeout=30, what="the one opening's start")
    # A second opening begun by the second press would start its item at the
    # end of the same 6-s delay, a moment after this one.
    time.sleep(2)
    assert len(ctx.recorded()) == 1, ctx.recorded()
    keys("alt+F4")
    assert process.wait(20) == 0


def hold_hotkey(ctx, modifiers, key):
    holder = ctx.start(["hold-hotkey", str(modifiers), str(key), "300000"], exe=harness.PROBE_EXE)
    harness.wait_for(lambda: holder.output()[0].strip() == "held" or not holder.running(), timeout=30,
                     what="probe hold-hotkey")
    assert holder.running(), holder.output()
    return holder


def test_keys_held_elsewhere_or_by_another_bundle_are_refused(ctx):
    write_store(ctx, [{"id": "h1", "name": "Work", "items": [recorder_item(ctx, "w")]},
                      {"id": "h2", "name": "Mail", "hotkey": "Ctrl+Alt+2", "items": [recorder_item(ctx, "m")]}])
    process = start_window(ctx)
    window = Window(ctx, process)
    g = Geometry(WIDTH, HEIGHT, 96, bundles=2)

    # Mail's key belongs to Mail: the dialog says so and stays open.
    open_hotkey_dialog(ctx, window, g, 0, "Work")
    press_in_field(ctx, "Work", "ctrl+alt+2")
    assert controls(ctx, title("Work"))[FIELD][4] == "0x0632", controls(ctx, title("Work"))
    before = ctx.store.read_bytes()
    # Under Wine the field keeps Enter for itself too: OK is reached from the seconds field.
    keys("Tab", "Tab", "Return")
    message = ctx.probe("msgtext", title("Work"), "10000")
    assert message.code == 0, message
    assert message.out.splitlines()[0] == "Ctrl+Alt+2 is already the hotkey of “Mail”.", message.out
    keys("Return")
    shown = harness.wait_for(lambda: (lambda c: c if c and c[FIELD][3] else None)(controls(ctx, title("Work"))),
                             what="the hotkey field focused again")
    assert shown[FIELD][4] == "0x0632", shown
    assert ctx.store.read_bytes() == before

    # Another program takes Ctrl+Alt+3 while the dialog is open (a key held
    # before never reaches the field: Windows hands it to its holder): said
    # at once after OK, kept, and "not available" in the header.
    press_in_field(ctx, "Work", "ctrl+alt+3")
    holder = hold_hotkey(ctx, MOD_CONTROL | MOD_ALT, ord("3"))
    keys("Tab", "Tab", "Return")
    message = ctx.probe("msgtext", title("Work"), "10000")
    assert message.code == 0, message
    assert message.out.startswith("Ctrl+Alt+3 is used by another program"), message.out
    keys("Return")
    harness.wait_for(lambda: saved(ctx)[0].get("hotkey") == "Ctrl+Alt+3", what="the refused key kept in the store")
    harness.wait_for(lambda: closed(ctx, title("Work")), what="the dialog closed")

    # "Ctrl+Alt+3 · not available" reaches much further right than Mail's "Ctrl+Alt+2".
    work = harness.wait_for(lambda: (lambda w: w if len(w) >= 2 else None)(words(header_ink(window, g))),
                            what="Work's key in the header")

    shifts = iter(range(0, 200, 20))

    def mail_selected():
        # The first click after a message box may only activate the window; a
        # click on another spot is no double click.
        window.click(g.row_point(1, dx=6 + next(shifts)))
        return harness.reg_query(KEY, "Selected") == "h2"
    harness.wait_for(mail_selected, timeout=15, interval=1, what="Mail selected")
    mail = harness.wait_for(lambda: (lambda w: w if len(w) >= 2 and w != work else None)(words(header_ink(window, g))),
                            what="Mail's key in the header")
    assert work[-1][1] > mail[-1][1] + 60 * g.s, (work, mail)
    keys("alt+F4")
    assert process.wait(20) == 0
    holder.kill()


def test_a_key_held_at_start_is_not_available_until_the_next_start_finds_it_free(ctx):
    holder = hold_hotkey(ctx, MOD_CONTROL | MOD_ALT, ord("6"))
    write_store(ctx, [{"id": "h1", "name": "Work", "hotkey": "Ctrl+Alt+6", "items": [recorder_item(ctx, "six")]}])
    process = start_window(ctx)
    window = Window(ctx, process)
    g = Geometry(WIDTH, HEIGHT, 96, bundles=1)
    held = harness.wait_for(lambda: (lambda w: w if len(w) >= 2 else None)(words(header_ink(window, g))),
                            what="the key in the header")
    # The press goes to the program that holds the key.
    harness.xdotool("key", "ctrl+alt+6")
    # Had the key reached tolvik, its item (no delay) would have started
    # within this time; a press that reaches another program shows nothing.
    time.sleep(2)
    assert not ctx.recorded()
    keys("alt+F4")
    assert process.wait(20) == 0
    assert "Ctrl+Alt+6" == saved(ctx)[0]["hotkey"], "the bundle keeps its key"

    holder.kill()
    harness.wait_for(lambda: not holder.running(), what="the holder gone")
    process = start_window(ctx)
    window = Window(ctx, process)
    free = harness.wait_for(lambda: (lambda w: w if len(w) >= 2 else None)(words(header_ink(window, g))),
                            what="the key in the header")
    # "Ctrl+Alt+6" alone is much shorter than "Ctrl+Alt+6 · not available".
    assert held[-1][1] > free[-1][1] + 60 * g.s, (held, free)
    harness.xdotool("key", "ctrl+alt+6")
    harness.wait_for(lambda: len(ctx.recorded()) >= 1, timeout=30, what="the bundle opened by its key")
    keys("alt+F4")
    assert process.wait(20) == 0


def test_the_dialog_and_the_header_in_german_and_in_the_dark_theme(ctx):
    from test_language import KEY, table
    from test_window import DARK, PERSONALIZE
    de = table("de")
    harness.reg_add(KEY, "Language", "REG_SZ", "de")
    harness.reg_add(PERSONALIZE, "AppsUseLightTheme", "REG_DWORD", 0)
    try:
        write_store(ctx, [{"id": "h1", "name": "Monatsabschluss", "hotkey": "Ctrl+Alt+5", "sign_in_delay": 2.5,
                           "items": [recorder_item(ctx, "x")]}])
        process = start_window(ctx)
        window = Window(ctx, process)
        g = Geometry(WIDTH, HEIGHT, 96, bundles=1)
        window.wait_pixel((g.X + g.C - 250 * g.s, g.T + 8), DARK["background"], "the dark content column")
        header = window.shot("header-de-dark")
        # The key is drawn after the name, lighter than the background and darker than the name.
        top, bottom = int(g.T + 18 * g.s), int(g.T + 58 * g.s)
        inked = [x for x in range(int(g.X), int(g.X + g.C - 240 * g.s))
                 if any(sum(header.getpixel((x, y))) > sum(DARK["background"]) + 120 for y in range(top, bottom))]
        assert inked and inked[-1] - inked[0] > 220 * g.s, inked[:3] + inked[-3:]

        caption = de["Hotkey for “{0}”"].replace("{0}", "Monatsabschluss")
        window.click(g.row_point(0, dx=30), button=3)
        wait_menu()
        choose(*(["Down"] * HOTKEY_DOWNS + ["Return"]))
        shown = harness.wait_for(lambda: controls(ctx, caption), timeout=30, what="the German hotkey dialog")
        assert (shown[FIELD - 1][4], shown[CLEAR][4], shown[DELAY - 1][4]) == (
            de["&Hotkey:"], de["C&lear"], de["&Wait after sign-in:"]), shown
        assert shown[FIELD][4] == "0x0635" and shown[DELAY][4] in ("2,5", "2.5"), shown
        dialog = harness.find_window(caption)
        path = ctx.folder / "dialog-de-dark.png"
        from PIL import Image
        seen = []

        def drawn_dark():
            # Below the buttons, the dialog's own background is the dark surface.
            harness.screenshot(dialog, path)
            image = Image.open(path).convert("RGB")
            width, height = image.size
            seen[:] = [image.getpixel((width // 3, height - 4))]
            return sum(seen[0]) < 3 * 80
        try:
            harness.wait_for(drawn_dark, timeout=10, interval=0.1, what="the dialog drawn")
        except TimeoutError:
            raise AssertionError("the dialog's background below its buttons is %s, not dark" % seen)
        keys("Escape")
        harness.wait_for(lambda: closed(ctx, caption), what="the dialog cancelled")
        keys("alt+F4")
        assert process.wait(20) == 0
    finally:
        harness.reg_add(PERSONALIZE, "AppsUseLightTheme", "REG_DWORD", 1)
