"""How a bundle's items open with their options, seen from the programs they
start: recorder.exe logs each start (time, show command, folder, elevation,
the process that started it) and, when asked, the window it shows.

The bundles are opened as a desktop shortcut opens them (`--open`), which
runs the same opening as the window's Open button. Order and waits are
checked from the log as order and lower bounds, never as time limits."""

import glob
import hashlib
import json

import harness
from test_startup import read_message_box, recorder_item, write_store

OLDER_RECORDER_EXE = harness.TOOLS / "recorder_older.exe"


def item(ctx, args, **options):
    made = recorder_item(ctx, args)
    made.update(options)
    return made


def starts(ctx):
    return [r for r in ctx.recorded() if "event" not in r]


def windows(ctx):
    return [r for r in ctx.recorded() if r.get("event") == "window"]


def open_bundle(ctx, bundle_id, env=None):
    # Everything here opens, so the window-less open ends without a message.
    assert ctx.run(["--open", bundle_id], env=env, timeout=60) == 0


def by_first_argument(ctx, count):
    harness.wait_for(lambda: len(starts(ctx)) >= count, timeout=20, what="%d recorder starts" % count)
    return {r["argv"][1] if len(r["argv"]) > 1 else "": r for r in starts(ctx)}


def foreground(ctx):
    shown = ctx.probe("foreground")
    assert shown.code == 0, shown
    return shown.out.strip().split("\t")[0]


@harness.time_limit(90)
def test_the_next_item_waits_for_the_window_and_then_for_its_own_delay(ctx):
    write_store(ctx, [{"id": "b1", "name": "Stack", "items": [
        item(ctx, "server --recorder-window=700", wait=30),
        item(ctx, "client", delay=1),
    ]}])
    open_bundle(ctx, "b1")
    started = by_first_argument(ctx, 2)
    server_window = [w for w in windows(ctx) if w["pid"] == started["server"]["pid"]]
    assert len(server_window) == 1, ctx.recorded()
    # The recorder stamps its window just after showing it, so tolvik may see
    # it a few milliseconds before the stamp: the delay's second is then
    # counted from a little earlier.
    assert started["client"]["time"] >= server_window[0]["time"] + 1000 - 50, (server_window, started["client"])


@harness.time_limit(90)
def test_an_app_that_already_runs_comes_to_the_front_or_is_skipped_not_started_again(ctx):
    write_store(ctx, [{"id": "b1", "name": "Editor", "items": [item(ctx, "first --recorder-window=0")]},
                      {"id": "b2", "name": "Again", "items": [item(ctx, "again", if_running="focus")]},
                      {"id": "b3", "name": "Skip", "items": [item(ctx, "skipped", if_running="skip"),
                                                             item(ctx, "after --recorder-exit-after=0")]}])
    open_bundle(ctx, "b1")
    harness.wait_for(lambda: len(windows(ctx)) == 1, timeout=20, what="the first recorder's window")
    first = windows(ctx)[0]["pid"]
    # Another program's window in front of it.
    ctx.start(["--recorder-window=0"], exe=OLDER_RECORDER_EXE)
    harness.wait_for(lambda: len(windows(ctx)) == 2, timeout=20, what="the other program's window")
    harness.wait_for(lambda: foreground(ctx) == "recorder %d" % windows(ctx)[1]["pid"], what="the other in front")

    open_bundle(ctx, "b2")
    harness.wait_for(lambda: foreground(ctx) == "recorder %d" % first, what="the running recorder in front")
    open_bundle(ctx, "b3")
    by_first_argument(ctx, 3)
    recorder_starts = [r for r in starts(ctx) if r["argv"][0].lower().endswith("\\recorder.exe")]
    assert [r["argv"][1] for r in recorder_starts] == ["first", "after"], starts(ctx)


@harness.time_limit(90)
def test_window_state_and_start_in_folder_reach_the_program(ctx):
    (ctx.folder / "work").mkdir()
    write_store(ctx, [{"id": "b1", "name": "Layout", "items": [
        item(ctx, "small --recorder-window=0", window="minimized"),
        item(ctx, "large --recorder-window=0", window="maximized"),
        item(ctx, "plain --recorder-window=0"),
        # Stored as written, expanded when it opens.
        item(ctx, "in-folder", dir="%TOLVIK_WORK%\\work"),
    ]}])
    open_bundle(ctx, "b1", env={"TOLVIK_WORK": ctx.folder_win})
    started = by_first_argument(ctx, 4)
    harness.wait_for(lambda: len(windows(ctx)) == 3, timeout=20, what="three windows")
    shown = {w["pid"]: w["shown"] for w in windows(ctx)}
    # SW_SHOWMINNOACTIVE: minimized without taking the focus from what the user works in.
    assert started["small"]["show"] == 7 and shown[started["small"]["pid"]] == "minimized", ctx.recorded()
    assert started["large"]["show"] == 3 and shown[started["large"]["pid"]] == "maximized", ctx.recorded()
    assert started["plain"]["show"] == 1 and shown[started["plain"]["pid"]] == "normal", ctx.recorded()
    assert started["in-folder"]["cwd"].rstrip("\\").lower() == (ctx.folder_win + "\\work").lower(), started
    assert started["plain"]["cwd"].rstrip("\\").lower() == harness.wine_path(harness.TOOLS).lower(), started


@harness.time_limit(120)
def test_administrator_items_start_from_one_elevated_helper_in_their_order(ctx):
    (ctx.folder / "admin").mkdir()
    write_store(ctx, [{"id": "b1", "name": "Maintenance", "items": [
        item(ctx, "before --recorder-window=0", wait=30),
        item(ctx, "one --recorder-window=300", admin=True, wait=30, dir=ctx.folder_win + "\\admin"),
        item(ctx, "middle --recorder-window=0", wait=30),
        item(ctx, 'two "with words" --recorder-window=0', admin=True, delay=0.5, wait=30),
        item(ctx, "after"),
    ]}])
    open_bundle(ctx, "b1")
    started = by_first_argument(ctx, 5)
    order = [r["argv"][1] for r in starts(ctx)]
    # The opening pauses at the first administrator item until the helper
    # has started all of them, then goes on. (The waits for windows keep the
    # log in the order of the starts; 150 ms alone might not.)
    assert order == ["before", "one", "two", "middle", "after"], order
    helpers = {started["one"]["parent"], started["two"]["parent"]}
    opener = {started[name]["parent"] for name in ("before", "middle", "after")}
    assert len(helpers) == 1 and len(opener) == 1 and helpers != opener, starts(ctx)
    assert started["one"]["cwd"].rstrip("\\").lower() == (ctx.folder_win + "\\admin").lower(), started["one"]
    assert started["two"]["argv"][1:3] == ["two", "with words"], started["two"]
    # Their waits and delays travel with them: "two" came half a second
    # after "one"'s window.
    one_window = [w for w in windows(ctx) if w["pid"] == started["one"]["pid"]]
    assert len(one_window) == 1, ctx.recorded()
    assert started["two"]["time"] >= one_window[0]["time"] + 500 - 50, (one_window, started["two"])
    # Wine runs every process with its administrator's full token, runas or
    # not ("elevated" is true in every line), so the log cannot show the
    # elevation itself here: the one helper is told by the parent ids.
    # The hand-over files are gone.
    left = glob.glob(str(harness.drive_c() / "users" / "*" / "**" / "Temp" / "tolvik" / "elevated-*"),
                     recursive=True)
    assert left == [], left


def test_the_helper_starts_only_the_file_whose_digest_it_was_given(ctx):
    items = ctx.folder / "elevated-test.json"
    # The items travel as one bundle in the store's form.
    items.write_text(json.dumps({"format": "tolvik-elevated", "version": 1, "bundle": {
        "id": "elevated", "name": "", "items": [recorder_item(ctx, "planted")]}}), encoding="utf-8")
    items_win = ctx.folder_win + "\\elevated-test.json"
    # A file changed after the opening took its digest: a plain message, nothing started, no answer.
    process = ctx.start(["--run-elevated", items_win, "0" * 64])
    text = read_message_box(ctx)
    assert process.wait(30) == 1
    assert text == "Couldn't read the items to start as administrator.\n\n%s\n" % items_win, text
    assert ctx.recorded() == [] and not (ctx.folder / "elevated-test.json.answer").exists()

    digest = hashlib.sha256(items.read_bytes()).hexdigest()
    assert ctx.run(["--run-elevated", items_win, digest]) == 0
    assert list(by_first_argument(ctx, 1)) == ["planted"]
    answer = json.loads((ctx.folder / "elevated-test.json.answer").read_text(encoding="utf-8"))
    assert [i["state"] for i in answer["items"]] == ["opened"], answer
    assert [p["id"] for p in answer["processes"]] == [starts(ctx)[0]["pid"]], answer

