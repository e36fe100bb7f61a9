"""Bundle ids that a command line cannot carry, repaired when the store is read."""

import json
import shlex

import harness
from test_shell import SHORTCUT, TOAST_BAR, bundle_menu, close_by_keyboard, desktop_folder
from test_startup import recorded_args, recorder_item, write_store
from test_window import HEIGHT, WIDTH, Geometry, Window


@harness.time_limit(120)
def test_a_shortcut_to_a_bundle_whose_stored_id_had_a_quote_opens_that_bundle(ctx):
    desktop = desktop_folder()
    for old in desktop.glob("Quoted*.lnk"):
        old.unlink()
    # As "--open "<id>"", a quote ends the argument early and a trailing backslash escapes the closing quote.
    write_store(ctx, [{"id": "b1", "name": "Other", "items": [recorder_item(ctx, "wrong-bundle")]},
                      {"id": 'q"7\\', "name": "Quoted", "items": [recorder_item(ctx, "from-shortcut")]}])
    process = ctx.start()
    try:
        window = Window(ctx, process)
        g = Geometry(WIDTH, HEIGHT, 96, bundles=2)
        # The repaired id is saved at once, so that the shortcut and the store agree.
        def repaired():
            bundles = json.loads(ctx.store.read_text(encoding="utf-8"))["bundles"]
            return bundles if bundles[1]["id"] != 'q"7\\' else None
        stored = harness.wait_for(repaired, timeout=15, what="the repaired id saved")
        new_id = stored[1]["id"]
        assert stored[1]["name"] == "Quoted" and new_id != 'q"7\\', stored
        assert '"' not in new_id and not new_id.endswith("\\"), new_id
        assert stored[0]["id"] == "b1", stored

        bundle_menu(window, g, 1, SHORTCUT)
        harness.wait_for(lambda: (desktop / "Quoted.lnk").exists(), timeout=15, what="Quoted.lnk")
        window.wait_pixel(g.toast_probe(), TOAST_BAR, "the toast about the shortcut")
        read = ctx.probe("readlink", harness.wine_path(desktop / "Quoted.lnk"))
        assert read.code == 0, read
        target, arguments, _, _ = read.out.rstrip("\n").split("\n")
        assert arguments == '--open "%s"' % new_id, read.out

        # What a double-click on the shortcut does: start its target with its arguments.
        started = ctx.run_program(shlex.split(arguments), exe=harness.unix_path(target), timeout=30)
        assert started.code == 0, started
        assert recorded_args(ctx, 1) == ["from-shortcut"]
        close_by_keyboard(window, g, process)
    finally:
        for made in desktop.glob("Quoted*.lnk"):
            made.unlink()
