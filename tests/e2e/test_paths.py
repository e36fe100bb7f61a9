"""Targets that keep working on another PC, on the real tolvik.exe: a path
written with an environment variable is checked and opened as it expands on
this PC and stays stored as written, and "Add app…" offers the installed apps.

Wine's Applications folder (FOLDERID_AppsFolder) holds no apps, so the list of
installed apps can only be shown empty here; what it lists and the item a
picked app becomes are host-tested through a fake (installed_apps_test.cpp)."""

import harness
from test_menus import choose, keys, wait_menu
from test_shell import add_buttons, click, shown
from test_startup import close_window, recorded_args, start_window, write_store
from test_window import HEIGHT, LIGHT, RED, WIDTH, Geometry, Window, blend, close_to, geometry_of, saved


def test_a_variable_in_a_target_is_expanded_to_check_and_open_it(ctx):
    app = "%TOLVIK_E2E_TOOLS%\\" + harness.RECORDER_EXE.name
    write_store(ctx, [{"id": "b1", "name": "Moved", "items": [
        {"kind": "app", "target": app, "args": "expanded"},
        {"kind": "file", "target": "%TOLVIK_E2E_NOT_SET%\\plan.txt"}]}])
    tools = harness.wine_path(harness.TOOLS)
    process = start_window(ctx, env={"TOLVIK_E2E_TOOLS": tools})
    window = Window(ctx, process)
    g = Geometry(WIDTH, HEIGHT, 96, bundles=1)

    # The undefined variable stays as written, so its file is not found; the
    # app's variable names the tools folder, so the app is there.
    window.wait_pixel(g.pill_probe(1), blend(RED, 0.12, LIGHT["surface_alt"]), "the pill of the undefined variable")
    image = window.shot("variables")
    assert close_to(window.pixel(g.pill_probe(0), image), LIGHT["surface_alt"]), "a pill on the expanded app"

    window.click(g.row_point(0), repeat=2)
    assert recorded_args(ctx, 1) == ["expanded"]
    record = ctx.recorded()[0]
    assert record["cwd"].rstrip("\\").lower() == tools.rstrip("\\").lower(), record
    window.click((g.S / 2, g.H - 10))
    assert close_window(ctx, process) == 0
    assert [item["target"] for item in saved(ctx)[0]["items"]] == [app, "%TOLVIK_E2E_NOT_SET%\\plan.txt"]


def test_add_app_offers_the_installed_apps_which_wine_has_none_of(ctx):
    write_store(ctx, [{"id": "b1", "name": "Desk", "items": []}])
    process = start_window(ctx)
    window = Window(ctx, process)
    g = Geometry(WIDTH, HEIGHT, 96, bundles=1)
    _, _, add_app, _ = add_buttons(window, g)

    click(window, add_app)
    wait_menu()
    choose("Down", "Down", "Return")  # "Choose an installed app…"
    seen = ctx.probe("msgtext", "Installed apps", "20000", timeout=40)
    assert seen.code == 0, seen
    message, buttons = seen.out.rstrip("\n").rsplit("\n", 1)
    assert (message, buttons) == ("No installed apps were found", "Add|Cancel"), seen.out
    # Centred on the window, as the other dialogs are, not on the larger screen.
    x, y, w, h = geometry_of(harness.find_window("Installed apps"))
    assert abs(x + w / 2 - WIDTH / 2) <= 2 and abs(y + h / 2 - HEIGHT / 2) <= 2, (x, y, w, h)
    keys("Escape")
    harness.wait_for(lambda: not shown("Installed apps"), timeout=15, what="the dialog to close")
    assert close_window(ctx, process) == 0
    assert saved(ctx)[0]["items"] == []
