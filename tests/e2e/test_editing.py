"""Items and bundles made through tolvik.exe's window: paste and Ctrl+N."""

import json
import os
import subprocess
from pathlib import Path

import harness
from test_startup import KEY, close_window, start_window, write_store


def set_clipboard(data, mime=None):
    """Owns the X clipboard with `data` (xclip keeps serving it in the background)."""
    command = ["xclip", "-selection", "clipboard", "-i"]
    if mime:
        command += ["-t", mime]
    subprocess.run(command, input=data.encode("utf-8"), check=True, timeout=10,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def paste_into(window):
    harness.xdotool("key", "--window", window, "ctrl+v")


def saved_bundles(ctx):
    return json.loads(ctx.store.read_text(encoding="utf-8"))["bundles"]


def wait_for_items(ctx, index, count):
    def ready():
        if not ctx.store.exists():
            return None
        bundles = saved_bundles(ctx)
        return bundles if len(bundles) > index and len(bundles[index]["items"]) >= count else None
    return harness.wait_for(ready, timeout=15, what="%d items in bundle %d" % (count, index))


def make_real_files(ctx):
    """An Internet shortcut, a shortcut file, a folder and a link to it, in the prefix."""
    files = ctx.folder / "files"
    (files / "Real Folder").mkdir(parents=True)
    (files / "Docs.url").write_bytes(
        b"[{000214A0-0000-0000-C000-000000000046}]\r\nProp3=19,11\r\n"
        b"[InternetShortcut]\r\nIDList=\r\nURL=https://docs.example/start?x=1\r\n")
    (files / "Elsewhere.url").write_bytes(b"[Other]\r\nURL=https://not.used\r\n")
    (files / "Editor.LNK").write_bytes(b"L\x00\x00\x00")
    os.symlink(files / "Real Folder", files / "Folder Link")
    (files / "notes.txt").write_text("x")
    return files


def test_pasted_text_is_classified_from_the_real_files(ctx):
    files = make_real_files(ctx)
    write_store(ctx, [{"id": "b1", "name": "Work", "items": []}])
    process = start_window(ctx)
    window = harness.find_window("tolvik")
    win = harness.wine_path(files)
    lines = [win + "\\Docs.url", win + "\\Elsewhere.url", '"' + win + '\\Editor.LNK"',
             win + "\\Folder Link", win + "\\notes.txt", win + "\\Missing\\", "www.example.org",
             "just words"]
    set_clipboard("\r\n".join(lines))
    paste_into(window)
    bundles = wait_for_items(ctx, 0, 7)
    assert close_window(ctx, process) == 0

    assert bundles[0]["items"] == [
        {"kind": "url", "target": "https://docs.example/start?x=1", "name": "Docs"},
        {"kind": "file", "target": win + "\\Elsewhere.url"},
        {"kind": "app", "target": win + "\\Editor.LNK"},
        {"kind": "folder", "target": win + "\\Folder Link"},
        {"kind": "file", "target": win + "\\notes.txt"},
        {"kind": "folder", "target": win + "\\Missing\\"},
        {"kind": "url", "target": "https://www.example.org"},
    ]


def test_pasted_files_go_to_the_selected_bundle_and_bundle_files_are_imported(ctx):
    files = make_real_files(ctx)
    exported = files / "shared.tolvik"
    exported.write_text(json.dumps({"format": "tolvik", "version": 1,
                                    "bundle": {"id": "x", "name": "Shared", "items": []}}), encoding="utf-8")
    write_store(ctx, [{"id": "b1", "name": "One", "items": []}, {"id": "b2", "name": "Two", "items": []}])
    harness.reg_add(KEY, "Selected", "REG_SZ", "b2")
    process = start_window(ctx)
    window = harness.find_window("tolvik")
    uris = [(files / "notes.txt").as_uri(), exported.as_uri(), (files / "Real Folder").as_uri()]
    set_clipboard("\r\n".join(uris) + "\r\n", mime="text/uri-list")
    paste_into(window)
    bundles = wait_for_items(ctx, 1, 2)
    assert close_window(ctx, process) == 0

    win = harness.wine_path(files)
    assert [b["name"] for b in bundles] == ["One", "Two", "Shared"]
    assert bundles[1]["items"] == [{"kind": "file", "target": win + "\\notes.txt"},
                                   {"kind": "folder", "target": win + "\\Real Folder"}]


def test_pasting_what_the_bundle_holds_adds_only_the_new_lines(ctx):
    write_store(ctx, [{"id": "b1", "name": "Work", "items": []}])
    process = start_window(ctx)
    window = harness.find_window("tolvik")
    set_clipboard("https://a.example/X\nhttps://a.example/x\nC:\\Data\\\nhttps://a.example/X")
    paste_into(window)
    wait_for_items(ctx, 0, 3)
    # Letter case matters for web addresses, not for paths; trailing backslashes don't count.
    set_clipboard("C:\\DATA\nhttps://a.example/X\nhttps://z.example")
    paste_into(window)
    bundles = wait_for_items(ctx, 0, 4)
    assert close_window(ctx, process) == 0
    assert [i["target"] for i in bundles[0]["items"]] == [
        "https://a.example/X", "https://a.example/x", "C:\\Data\\", "https://z.example"]


def test_ctrl_n_adds_a_new_bundle_with_a_unique_name(ctx):
    write_store(ctx, [{"id": "b1", "name": "new BUNDLE", "items": []}])
    process = start_window(ctx)
    window = harness.find_window("tolvik")
    harness.xdotool("key", "--window", window, "ctrl+n")
    harness.wait_for(lambda: len(saved_bundles(ctx)) == 2, what="the new bundle")
    bundles = saved_bundles(ctx)
    assert bundles[1]["name"] == "New bundle 2"
    assert bundles[1]["items"] == []
    harness.wait_for(lambda: harness.reg_query(KEY, "Selected") == bundles[1]["id"], what="selection")
    assert close_window(ctx, process) == 0


def dark_ink(image, xs, ys):
    """How many pixels in the box are the title text's near-black."""
    return sum(1 for x in xs for y in ys if max(image.getpixel((x, y))) < 80)


def test_ctrl_n_among_twenty_bundles_shows_the_new_row_and_draws_its_name_under_the_field(ctx):
    from test_window import LIGHT, WIDTH, HEIGHT, Geometry, Window, blend, close_to
    bundles = [{"id": "b%02d" % i, "name": "Bundle %02d" % i, "items": []} for i in range(1, 21)]
    # The bundle selected before has a name that fills the title line, the new one a short name.
    bundles[2]["name"] = "Quarterly returns, receipts, statements and letters"
    write_store(ctx, bundles)
    harness.reg_add(KEY, "Selected", "REG_SZ", "b03")
    process = start_window(ctx)
    window = Window(ctx, process)
    g = Geometry(WIDTH, HEIGHT, 96, bundles=21)
    title_ys = range(int(g.T + 18 + 6), int(g.T + 18 + 32))
    near = range(int(g.X), int(g.X + 110))         # where "New bundle" is written
    far = range(int(g.X + 200), int(g.X + 400))    # only the long name reaches here
    tint = blend(LIGHT["accent"], 0.10, LIGHT["surface_alt"])
    rows_column = [(int(12 * g.s + 6), y) for y in range(int(g.L), g.H - 1)]

    def selected_row_shown(image):
        return any(close_to(image.getpixel(point), tint) for point in rows_column)

    before = window.shot("before")
    assert selected_row_shown(before) and dark_ink(before, far, title_ys) > 0, "the long name's title"

    window.key("ctrl+n")
    harness.wait_for(lambda: len(saved_bundles(ctx)) == 21, what="the new bundle")
    seen = {}

    def drawn():
        image = window.shot("after")
        seen.update(row=selected_row_shown(image), near=dark_ink(image, near, title_ys),
                    far=dark_ink(image, far, title_ys))
        return seen["row"] and seen["near"] > 0 and seen["far"] == 0
    try:
        harness.wait_for(drawn, timeout=10, interval=0.5, what="the new bundle's row and title")
    except TimeoutError:
        raise AssertionError("after Ctrl+N: selected row shown %(row)s, ink of the new name %(near)d, "
                             "ink where only the old name reaches %(far)d" % seen)

    # The field under the drawn name takes what is typed.
    harness.xdotool("type", "--delay", 40, "Taxes")
    window.key("Return")
    harness.wait_for(lambda: saved_bundles(ctx)[20]["name"] == "Taxes", what="the typed name")
    assert close_window(ctx, process) == 0
