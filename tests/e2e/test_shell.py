"""The shell around tolvik.exe's window, driven like a user: the add buttons'
file dialogs, importing and exporting bundle files, desktop shortcuts, and
drops from another program (dragsource.exe).

The common dialogs are real Wine dialogs: the test waits for the one with the
expected title, types a path into its file-name field and presses Enter. Their
result is checked where it lands: the store file, the files on disk, and the
shortcut read back through the shell."""

import itertools
import json
import re
import shlex
import subprocess

import harness
from test_item_options import dialog_ready
from test_menus import choose, keys, wait_menu
from test_startup import KEY, recorded_args, recorder_item, write_store
from test_window import HEIGHT, LIGHT, TOAST, WIDTH, Geometry, Window, blend, close_to, saved

DRAGSOURCE_EXE = harness.TOOLS / "dragsource.exe"
TOAST_BAR = blend(TOAST, 0.94, LIGHT["background"])

# Wine pairs two clicks on one pixel into a double click however far apart they
# are in time: every click of these tests lands a few pixels off the last one.
_JITTER = itertools.cycle([(0, 0), (5, 3), (-4, 2), (3, -4), (-5, -2)])


def click(window, point, button=1):
    dx, dy = next(_JITTER)
    window.click((point[0] + dx, point[1] + dy), button=button)


def shown(title):
    out = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^%s$" % re.escape(title)],
                         capture_output=True, text=True, timeout=10).stdout
    return out.split()


def in_dialog(ctx, title, *steps):
    """Waits for the dialog to take the keyboard, then for each step types the
    text, or presses the keys of a tuple; waits until the dialog is gone."""
    dialog_ready(ctx, title)
    for step in steps:
        if isinstance(step, tuple):
            keys(*step)
        else:
            harness.xdotool("type", "--delay", 30, "--", step)
    harness.wait_window_gone(title, timeout=20)


def add_buttons(window, g):
    """Centres of the four add buttons, left to right: the runs of pixels just
    below the bar's top edge that differ from the page background."""
    y = int(g.T + 92 * g.s + 6 * g.s)
    centres = []

    def scan():
        image = window.shot("add-bar")
        runs, start = [], None
        for x in range(int(g.X) - 4, int(g.X + g.C)):
            off = not close_to(image.getpixel((x, y)), LIGHT["background"], 2)
            if off and start is None:
                start = x
            elif not off and start is not None:
                runs.append((start, x))
                start = None
        centres[:] = [((a + b) / 2, g.T + 92 * g.s + 17 * g.s) for a, b in runs if b - a > 40]
        return len(centres) == 4
    harness.wait_for(scan, timeout=10, interval=0.4, what="the four add buttons")
    return centres


def bundle_menu(window, g, row, downs):
    """Right-clicks a sidebar row and chooses the entry `downs` presses down
    (the keyboard skips separators)."""
    click(window, g.row_point(row, dx=30), button=3)
    wait_menu()
    choose(*(["Down"] * downs + ["Return"]))


EXPORT, SHORTCUT = 9, 6  # Open, Close, Rename, Duplicate, Hotkey… | shortcut, Explorer folders, sign-in | Export | Delete


def close_by_keyboard(window, g, process):
    click(window, (g.S / 2, g.H - 140))  # empty sidebar space: the window takes the keyboard
    keys("alt+F4")
    assert process.wait(20) == 0


def items(ctx, index):
    return saved(ctx)[index]["items"]


@harness.time_limit(150)
def test_add_buttons_and_ctrl_o_put_what_the_dialogs_chose_into_the_store(ctx):
    files = ctx.folder / "files"
    (files / "Papers").mkdir(parents=True)
    for name in ("a.txt", "b.txt"):
        (files / name).write_text(name)
    files_win = ctx.folder_win + "\\files"
    link = files_win + "\\Recorder.lnk"
    made = ctx.probe("mklink", link, harness.wine_path(harness.RECORDER_EXE), "-x", "the recorder")
    assert made.code == 0 and (files / "Recorder.lnk").is_file(), made
    shared = {"id": "s1", "name": "Shared plan",
              "items": [{"kind": "url", "target": "https://plan.example/"},
                        {"kind": "folder", "target": "C:\\Elsewhere\\Plans\\"}]}
    (files / "shared.tolvik").write_text(json.dumps({"format": "tolvik", "version": 1, "bundle": shared},
                                                    indent=2), encoding="utf-8")
    write_store(ctx, [{"id": "b1", "name": "Desk", "items": []}])
    process = ctx.start()
    window = Window(ctx, process)
    g = Geometry(WIDTH, HEIGHT, 96, bundles=1)
    add_files, add_folder, add_app, _ = add_buttons(window, g)

    # Two files at once: go to their folder, then name both.
    click(window, add_files)
    in_dialog(ctx, "Files to add to the bundle", files_win, ("Return",), ("ctrl+a",), '"a.txt" "b.txt"', ("Return",))
    harness.wait_for(lambda: len(items(ctx, 0)) == 2, timeout=15, what="the two files")
    assert items(ctx, 0) == [{"kind": "file", "target": files_win + "\\a.txt"},
                             {"kind": "file", "target": files_win + "\\b.txt"}]

    click(window, add_folder)
    in_dialog(ctx, "Folder to add to the bundle", files_win + "\\Papers", ("Return",))
    harness.wait_for(lambda: len(items(ctx, 0)) == 3, timeout=15, what="the folder")
    assert items(ctx, 0)[2] == {"kind": "folder", "target": files_win + "\\Papers"}

    # A shortcut stays the shortcut: the item's target is the .lnk, not the program.
    click(window, add_app)
    wait_menu()
    choose("Down", "Return")  # "Browse for a program…"
    in_dialog(ctx, "App to add (a program or a shortcut)", link, ("Return",))
    harness.wait_for(lambda: len(items(ctx, 0)) == 4, timeout=15, what="the app")
    assert items(ctx, 0)[3] == {"kind": "app", "target": link}

    click(window, (g.S / 2, g.H - 140))
    keys("ctrl+o")
    in_dialog(ctx, "Bundle files to import", files_win + "\\shared.tolvik", ("Return",))
    harness.wait_for(lambda: len(saved(ctx)) == 2, timeout=15, what="the imported bundle")
    imported = saved(ctx)[1]
    assert imported["name"] == "Shared plan" and imported["items"] == shared["items"], imported
    assert imported["id"] not in ("s1", "b1"), imported
    assert harness.reg_query(KEY, "Selected") == imported["id"]
    assert [b["name"] for b in saved(ctx)] == ["Desk", "Shared plan"]
    close_by_keyboard(window, g, process)
    assert len(items(ctx, 0)) == 4 and len(saved(ctx)) == 2


@harness.time_limit(150)
def test_export_writes_the_chosen_file_and_asks_before_replacing_it(ctx):
    out = ctx.folder / "out"
    out.mkdir()
    out_win = ctx.folder_win + "\\out\\"
    write_store(ctx, [{"id": "b1", "name": "Report", "items": [
        recorder_item(ctx, "-v"), {"kind": "file", "target": "C:\\windows\\win.ini"},
        {"kind": "url", "target": "https://a.example/", "name": "Site"}]},
        {"id": "b2", "name": "Other", "items": []}])
    process = ctx.start()
    window = Window(ctx, process)
    g = Geometry(WIDTH, HEIGHT, 96, bundles=2)
    exported = out / "Report.tolvik"

    # The name field holds "Report.tolvik": put the folder in front of it.
    bundle_menu(window, g, 0, EXPORT)
    in_dialog(ctx, "Export bundle", ("Home",), out_win, ("Return",))
    harness.wait_for(exported.exists, timeout=15, what="the exported file")
    first = exported.read_bytes()
    text = first.decode("utf-8")
    assert text.startswith('{\n  "format": "tolvik",\n  "version": 1,\n  "bundle": {\n    "id": "b1",'), text
    assert json.loads(text) == {"format": "tolvik", "version": 1, "bundle": saved(ctx)[0]}
    window.wait_pixel(g.toast_probe(), TOAST_BAR, "the toast after exporting")
    assert [p.name for p in out.iterdir()] == ["Report.tolvik"]

    def export_again_and_answer(key):
        bundle_menu(window, g, 0, EXPORT)
        dialog_ready(ctx, "Export bundle")
        keys("Home")
        harness.xdotool("type", "--delay", 30, "--", out_win)
        keys("Return")
        question = ctx.probe("msgtext", "Export bundle", "20000", timeout=40)
        assert question.code == 0, question
        message, buttons = question.out.rstrip("\n").rsplit("\n", 1)
        assert "already exists" in message and "replace" in message, message
        assert buttons.replace("&", "") == "Yes|No", buttons
        keys(key)

    # No: back in the dialog, which Esc then cancels; the file is as it was.
    export_again_and_answer("n")
    harness.wait_for(lambda: ctx.probe("msgtext", "Export bundle", "0").code == 2, timeout=15,
                     what="the question to close")
    assert shown("Export bundle"), "the save dialog closed with the question"
    keys("Escape")
    harness.wait_window_gone("Export bundle", timeout=15)

    # Yes: after removing an item, the file is written again with the bundle as it is now.
    click(window, g.item_point(1))
    keys("Delete")
    harness.wait_for(lambda: len(items(ctx, 0)) == 2, what="the removal")
    # The window took the Delete after the cancelled dialog: a file written on
    # its cancel would be there by now.
    assert exported.read_bytes() == first
    export_again_and_answer("y")
    harness.wait_for(lambda: exported.read_bytes() != first, timeout=15, what="the file replaced")
    assert json.loads(exported.read_text(encoding="utf-8"))["bundle"] == saved(ctx)[0]
    assert [i["target"] for i in saved(ctx)[0]["items"]] == [harness.wine_path(harness.RECORDER_EXE),
                                                             "https://a.example/"]
    assert sorted(p.name for p in out.iterdir()) == ["Report.tolvik"]
    close_by_keyboard(window, g, process)


def desktop_folder():
    """The user's Desktop in the prefix (Wine links it to a folder of the environment's HOME)."""
    found = [p for p in (harness.drive_c() / "users").glob("*/Desktop") if p.parent.name != "Public"]
    assert len(found) == 1, found
    return found[0].resolve()


@harness.time_limit(120)
def test_desktop_shortcuts_get_free_names_and_open_the_bundle(ctx):
    desktop = desktop_folder()
    for old in desktop.glob("Report*.lnk"):
        old.unlink()
    write_store(ctx, [{"id": "b1", "name": "Other", "items": []},
                      {"id": "b7", "name": "Report", "items": [recorder_item(ctx, "from-shortcut")]}])
    process = ctx.start()
    try:
        window = Window(ctx, process)
        g = Geometry(WIDTH, HEIGHT, 96, bundles=2)
        bundle_menu(window, g, 1, SHORTCUT)
        harness.wait_for(lambda: (desktop / "Report.lnk").exists(), timeout=15, what="Report.lnk")
        window.wait_pixel(g.toast_probe(), TOAST_BAR, "the toast about the shortcut")
        first = (desktop / "Report.lnk").read_bytes()
        bundle_menu(window, g, 1, SHORTCUT)
        # Saved whole once the shell can read it back.
        harness.wait_for(lambda: ctx.probe("readlink", harness.wine_path(desktop / "Report (2).lnk")).code == 0,
                         timeout=15, interval=0.05, what="Report (2).lnk")
        assert sorted(p.name for p in desktop.glob("Report*")) == ["Report (2).lnk", "Report.lnk"]
        assert (desktop / "Report.lnk").read_bytes() == first, "the first shortcut was overwritten"
        assert harness.reg_query(KEY, "Selected") == "b7"

        read = ctx.probe("readlink", harness.wine_path(desktop / "Report.lnk"))
        assert read.code == 0, read
        target, arguments, description, folder = read.out.rstrip("\n").split("\n")
        assert target.lower() == harness.wine_path(harness.TOLVIK_EXE).lower(), read.out
        assert arguments == '--open "b7"', read.out
        assert description == "tolvik: open “Report”", read.out
        assert folder.lower() == harness.wine_path(harness.BUILD).lower(), read.out

        # What a double-click on the shortcut does: start its target with its arguments.
        started = ctx.run_program(shlex.split(arguments), exe=harness.unix_path(target), timeout=30)
        assert started.code == 0, started
        assert recorded_args(ctx, 1) == ["from-shortcut"]
        close_by_keyboard(window, g, process)
    finally:
        for made in desktop.glob("Report*.lnk"):
            made.unlink()


def drop(ctx, window, point, *payload):
    """Puts the pointer on a point of the window and lets dragsource.exe drop
    there; returns what it printed: "copy" or "none"."""
    # --sync: returns once the pointer is there, where DoDragDrop reads it.
    harness.xdotool("mousemove", "--sync", "--window", window.id, int(point[0]), int(point[1]))
    done = ctx.run_program(list(payload), exe=DRAGSOURCE_EXE, timeout=30)
    assert done.code == 0, done
    return done.out.strip()


def row_edge_is_accent(window, g, row, image=None):
    """True when the row's left edge, at its middle, is drawn in the accent colour."""
    image = image or window.shot("row-edge")
    top, h = g.row(row)
    y = int(top + h / 2)
    return any(close_to(image.getpixel((x, y)), LIGHT["accent"], 40) for x in range(int(9 * g.s), int(17 * g.s)))


@harness.time_limit(150)
def test_drops_from_another_program_add_to_the_bundle_under_the_pointer(ctx):
    files = ctx.folder / "files"
    files.mkdir()
    for name in ("a.txt", "b.txt", "c.txt"):
        (files / name).write_text(name)
    path = {name: ctx.folder_win + "\\files\\" + name for name in ("a.txt", "b.txt", "c.txt")}
    write_store(ctx, [{"id": "b1", "name": "Inbox", "items": []}, {"id": "b2", "name": "Reading", "items": []}])
    harness.reg_add(KEY, "Selected", "REG_SZ", "b1")
    process = ctx.start()
    window = Window(ctx, process)
    g = Geometry(WIDTH, HEIGHT, 96, bundles=2)

    # A file list onto the second row: both files, in order, into that bundle.
    assert drop(ctx, window, g.row_point(1, dx=40), "files", path["a.txt"], path["b.txt"]) == "copy"
    harness.wait_for(lambda: len(items(ctx, 1)) == 2, what="the dropped files")
    assert items(ctx, 1) == [{"kind": "file", "target": path["a.txt"]}, {"kind": "file", "target": path["b.txt"]}]
    assert items(ctx, 0) == []

    # A browser's drag: the address comes from "UniformResourceLocatorW", not the text.
    assert drop(ctx, window, g.row_point(0, dx=50), "url", "https://www.example.com/from-url",
                "text", "https://text.example/other") == "copy"
    harness.wait_for(lambda: len(items(ctx, 0)) == 1, what="the dropped address")
    assert items(ctx, 0) == [{"kind": "url", "target": "https://www.example.com/from-url"}]

    # Plain text alone, over the content column: into the selected bundle.
    click(window, g.row_point(1, dx=20))
    harness.wait_for(lambda: harness.reg_query(KEY, "Selected") == "b2", what="Reading selected")
    assert drop(ctx, window, (g.X + g.C / 2, g.H - 90), "text", "https://plain.example/t") == "copy"
    harness.wait_for(lambda: len(items(ctx, 1)) == 3, what="the dropped text")
    assert items(ctx, 1)[2] == {"kind": "url", "target": "https://plain.example/t"}

    # A file list of empty names carries nothing: no effect, nothing saved.
    before = json.loads(ctx.store.read_text(encoding="utf-8"))
    assert drop(ctx, window, g.row_point(0, dx=60), "files", "") == "none"
    # Checked below, once the next drop is saved: the window handles drops in
    # their order, so what this one changed would be in the store by then.

    # A held drag from the other program's window: the row under the pointer is
    # outlined in the accent colour until the drop.
    assert not row_edge_is_accent(window, g, 0), "the first row is outlined before any drag"
    source = ctx.start(["window", "files", path["c.txt"]], exe=DRAGSOURCE_EXE)
    harness.find_window("dragsource", timeout=20)
    harness.xdotool("mousemove", "--sync", 60, 40)
    harness.xdotool("mousedown", 1)
    x, y = g.row_point(0, dx=70)
    # OLE's drag loop looks at the pointer on a timer of its own as well as
    # at each move: the outline below tells when it has seen the last one.
    for step in (3, 2, 1, 0):
        harness.xdotool("mousemove", "--sync", "--window", window.id, int(x), int(y - step * 25))
    harness.wait_for(lambda: row_edge_is_accent(window, g, 0), timeout=10, interval=0.3,
                     what="the outline of the row under the pointer")
    image = window.shot("held-drag")
    assert row_edge_is_accent(window, g, 0, image)
    assert not row_edge_is_accent(window, g, 1, image), "the other row is outlined too"
    harness.xdotool("mouseup", 1)
    assert source.wait(30) == 0
    assert source.output()[0].strip() == "copy"
    harness.wait_for(lambda: len(items(ctx, 0)) == 2, what="the file of the held drag")
    assert items(ctx, 0)[1] == {"kind": "file", "target": path["c.txt"]}
    # The empty drop before it left no trace: the store is what it was, with the held drag's file.
    before["bundles"][0]["items"].append({"kind": "file", "target": path["c.txt"]})
    assert json.loads(ctx.store.read_text(encoding="utf-8")) == before
    harness.wait_for(lambda: not row_edge_is_accent(window, g, 0), timeout=10, interval=0.3,
                     what="the outline to go after the drop")
    assert len(items(ctx, 1)) == 3
    close_by_keyboard(window, g, process)


def test_a_drop_on_a_window_without_bundles_makes_a_bundle(ctx):
    (ctx.folder / "notes.txt").write_text("notes")
    write_store(ctx, [])
    process = ctx.start()
    window = Window(ctx, process)
    g = Geometry(WIDTH, HEIGHT, 96, bundles=0)
    assert drop(ctx, window, (g.X + g.C / 2 + 40, g.H - 120), "files", ctx.folder_win + "\\notes.txt") == "copy"
    harness.wait_for(lambda: ctx.store.exists() and len(saved(ctx)) == 1, what="the new bundle")
    made = saved(ctx)[0]
    assert made["name"] == "New bundle", made
    assert made["items"] == [{"kind": "file", "target": ctx.folder_win + "\\notes.txt"}]
    assert harness.reg_query(KEY, "Selected") == made["id"]
    close_by_keyboard(window, g, process)


@harness.time_limit(240)
def test_a_drop_lets_go_of_the_source_before_a_large_import_is_saved(ctx):
    # A bundle file near the import limit: reading, checking and saving it
    # takes the window a while, and File Explorer must not wait for that.
    count = 60000
    bundle = {"id": "b9", "name": "Large import",
              "items": [{"kind": "url", "target": "https://example.com/page/%06d?%s" % (n, "q" * 140)}
                        for n in range(count)]}
    large = ctx.folder / "large.tolvik"
    large.write_text(json.dumps({"format": "tolvik", "version": 1, "bundle": bundle}, indent=2), encoding="utf-8")
    assert 8 * 1024 * 1024 < large.stat().st_size < 16 * 1024 * 1024
    write_store(ctx, [{"id": "b1", "name": "Inbox", "items": []}])
    process = ctx.start()
    window = Window(ctx, process)
    g = Geometry(WIDTH, HEIGHT, 96, bundles=1)

    snapshot = ctx.folder / "store-when-let-go.json"
    assert drop(ctx, window, g.row_point(0, dx=40), "files", ctx.folder_win + "\\large.tolvik",
                "snapshot", ctx.store_win, ctx.folder_win + "\\store-when-let-go.json") == "copy"
    # The store as it was when the window let go of the source's data, as its
    # Drop returned: the import had not been saved yet.
    when_let_go = json.loads(snapshot.read_text(encoding="utf-8"))["bundles"]
    assert [b["name"] for b in when_let_go] == ["Inbox"], [(b["name"], len(b["items"])) for b in when_let_go]

    harness.wait_for(lambda: len(saved(ctx)) == 2, timeout=120, interval=0.5, what="the large import")
    imported = saved(ctx)[1]
    assert imported["name"] == "Large import"
    assert len(imported["items"]) == count
    assert imported["items"][-1]["target"] == bundle["items"][-1]["target"]
    close_by_keyboard(window, g, process)
