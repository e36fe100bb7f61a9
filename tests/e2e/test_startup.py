"""tolvik.exe's run modes, settings and store, driven from outside under Wine."""

import json
import re
import subprocess

import harness

KEY = "Software\\tolvik"


def write_store(ctx, bundles, version=1):
    ctx.store.parent.mkdir(parents=True, exist_ok=True)
    ctx.store.write_text(json.dumps({"version": version, "bundles": bundles}), encoding="utf-8")


def saved_form(store):
    """The store file's exact form: pretty JSON, two spaces, UTF-8, no final newline."""
    return json.dumps(store, indent=2, ensure_ascii=False)


def recorder_item(ctx, args=""):
    item = {"kind": "app", "target": harness.wine_path(harness.RECORDER_EXE)}
    if args:
        item["args"] = args
    return item


def recorded_args(ctx, count):
    """The first argument of each recorder start, once `count` have arrived:
    the started programs run on after tolvik.exe has exited."""
    harness.wait_for(lambda: len(ctx.recorded()) >= count, timeout=15, what="%d recorder starts" % count)
    return [r["argv"][1] for r in ctx.started()]


def export_file(ctx, name, bundle):
    path = ctx.folder / name
    path.write_text(json.dumps({"format": "tolvik", "version": 1, "bundle": bundle}, indent=2,
                               ensure_ascii=False), encoding="utf-8")
    return path


def read_message_box(ctx, timeout_ms=20000):
    seen = ctx.probe("msgbox", "tolvik", str(timeout_ms), timeout=timeout_ms / 1000 + 10)
    return seen.out if seen.code == 0 else None


def start_window(ctx, args=(), env=None):
    """Starts tolvik.exe and waits until its window is shown: the state is
    built by then (bundle files on the command line are imported after it)."""
    process = ctx.start(args, env=env)
    try:
        harness.find_window("tolvik", timeout=30)
    except TimeoutError as error:
        # Say what became of the program, so that a rare failure tells its cause.
        if process.running():
            fate = "is still running"
            try:
                harness.find_window("tolvik", timeout=1, visible=False)
                fate += " with its window hidden"
            except TimeoutError:
                fate += " without a window"
        else:
            fate = "exited with %s" % process.popen.returncode
        shot = harness.REPO / "build" / "test-logs" / "e2e" / ("%s-no-window.png" % ctx.name)
        try:
            harness.screenshot("root", shot)
        except (OSError, subprocess.SubprocessError) as failed:
            shot = "not taken: %s" % failed
        raise TimeoutError("%s: tolvik.exe %s (screen: %s); its stderr: %s" % (
            error, fate, shot, process.output()[1][-3000:] or "(empty)")) from error
    return process


def close_window(ctx, process):
    return harness.close_with_alt_f4(process)


def test_open_reports_missing_and_failing_items_in_a_message_box(ctx):
    (ctx.folder / "data.tolvikunknownext").write_text("x")
    write_store(ctx, [{"id": "b1", "name": "Month-end", "items": [
        recorder_item(ctx, '-x "two words" 한국어'),
        {"kind": "file", "target": "C:\\no-such-file.txt"},
        {"kind": "file", "target": ctx.folder_win + "\\data.tolvikunknownext"},
        {"kind": "folder", "target": "C:\\no\\such\\folder\\"},
    ]}])
    process = ctx.start(["--open", "b1"])
    text = read_message_box(ctx)
    assert process.wait(30) == 0
    # The summary, then the system's reason for the file nothing opens.
    summary, reason = text.split("\n\ndata.tolvikunknownext: ")
    assert summary == ("Month-end\n\nOpened 1 · 2 not found (no-such-file.txt, folder) · "
                       "1 couldn't be opened (data.tolvikunknownext)"), text
    assert reason.strip(), text
    assert recorded_args(ctx, 1) == ["-x"]
    records = ctx.recorded()
    assert len(records) == 1, records
    assert records[0]["argv"][1:] == ["-x", "two words", "한국어"]
    assert records[0]["cwd"].rstrip("\\").lower() == harness.wine_path(harness.TOOLS).lower()
    # The window-less mode never writes settings.
    assert harness.reg_query(KEY, "Selected") is None


def test_open_with_everything_present_shows_no_message(ctx):
    write_store(ctx, [{"id": "b1", "name": "Daily", "items": [recorder_item(ctx, "one"),
                                                              recorder_item(ctx, "two")]}])
    assert ctx.run(["--open", "b1"]) == 0
    # The window-less start says what it has to say before it ends: a look now is enough.
    assert read_message_box(ctx, 0) is None
    assert recorded_args(ctx, 2) == ["one", "two"]


def test_open_finds_a_bundle_by_name_in_other_letter_case(ctx):
    write_store(ctx, [{"id": "b1", "name": "Other", "items": []},
                      {"id": "b2", "name": "Ünïcode Straße", "items": [recorder_item(ctx, "found")]}])
    # Capital sharp s lower-cases to ß, so the names match by full Unicode rules.
    assert ctx.run(["--OPEN", "ÜNÏCODE STRAẞE"]) == 0
    assert recorded_args(ctx, 1) == ["found"]
    # The window-less start says what it has to say before it ends: a look now is enough.
    assert read_message_box(ctx, 0) is None


def test_an_exact_id_wins_over_a_name(ctx):
    write_store(ctx, [{"id": "b1", "name": "b2", "items": [recorder_item(ctx, "by-name")]},
                      {"id": "b2", "name": "Two", "items": [recorder_item(ctx, "by-id")]}])
    assert ctx.run(["--open", "b2"]) == 0
    got = recorded_args(ctx, 1)
    assert got == ["by-id"], ctx.recorded()


def test_a_name_two_bundles_share_opens_and_closes_neither_and_names_both_ids(ctx):
    write_store(ctx, [{"id": "b1", "name": "Mail", "items": [recorder_item(ctx, "first")]},
                      {"id": "b2", "name": "Mail", "items": [recorder_item(ctx, "second")]}])
    for switch in ("--open", "--close"):
        process = ctx.start([switch, "Mail"])
        text = read_message_box(ctx)
        assert process.wait(30) == 0
        assert text == "More than one bundle is named “Mail”; give its id instead: b1, b2\n", (switch, text)
    assert ctx.recorded() == []


def test_open_of_an_unknown_id_says_so(ctx):
    write_store(ctx, [{"id": "b1", "name": "Daily", "items": []}])
    process = ctx.start(["--open", "b404"])
    text = read_message_box(ctx)
    assert process.wait(30) == 0
    assert text == ("Couldn't find the bundle “b404”. It may have been deleted, or the shortcut was "
                    "made on another PC.\n"), text


def test_open_of_an_empty_bundle_says_it_has_no_items(ctx):
    write_store(ctx, [{"id": "b1", "name": "Empty", "items": []}])
    process = ctx.start(["--open", "b1"])
    assert read_message_box(ctx) == "Empty\n\nThis bundle has no items\n"
    assert process.wait(30) == 0


def test_open_with_an_unreadable_store_reports_the_parser_error(ctx):
    ctx.store.write_text('{"version": 1,\n  "bundles": [}')
    process = ctx.start(["--open", "b1"])
    text = read_message_box(ctx)
    assert process.wait(30) == 0
    assert text.startswith("Couldn't read the saved bundles.\n\n"), text
    assert re.search(r"line 2, column \d+", text), text
    # Nothing is renamed in this mode.
    assert ctx.store.exists()


def test_unregister_removes_every_setting(ctx):
    harness.reg_add(KEY, "Selected", "REG_SZ", "b1")
    harness.reg_add(KEY, "Language", "REG_SZ", "ko")
    harness.reg_add(KEY, "AutoUpdate", "REG_DWORD", 0)
    harness.reg_add(KEY, "LastUpdateCheck", "REG_SZ", "1700000000")
    harness.reg_add(KEY, "Placement", "REG_BINARY", bytes(44))
    assert ctx.run(["--unregister"]) == 0
    for value in ("Selected", "Language", "AutoUpdate", "LastUpdateCheck", "Placement"):
        assert harness.reg_query(KEY, value) is None, value


def test_unregister_in_other_letter_case_is_ignored(ctx):
    harness.reg_add(KEY, "Language", "REG_SZ", "ko")
    write_store(ctx, [{"id": "b1", "name": "Daily", "items": []}])
    process = start_window(ctx, ["--Unregister"])
    assert harness.reg_query(KEY, "Language") == "ko"
    assert close_window(ctx, process) == 0


def test_normal_start_selects_the_stored_bundle_or_the_first(ctx):
    write_store(ctx, [{"id": "b1", "name": "One", "items": []}, {"id": "b2", "name": "Two", "items": []}])
    harness.reg_add(KEY, "Selected", "REG_SZ", "b2")
    process = start_window(ctx)
    assert harness.reg_query(KEY, "Selected") == "b2"
    assert close_window(ctx, process) == 0

    harness.reg_add(KEY, "Selected", "REG_SZ", "gone")
    process = start_window(ctx)
    assert harness.reg_query(KEY, "Selected") == "b1"
    assert close_window(ctx, process) == 0


def test_close_stores_the_placement_and_the_next_start_restores_it(ctx):
    process = start_window(ctx)
    assert close_window(ctx, process) == 0
    placement = harness.reg_binary(KEY, "Placement")
    assert placement is not None and len(placement) == 44
    assert int.from_bytes(placement[0:4], "little") == 44
    # The first window is centred: 1040 wide, at most 0.75 of the work area high.
    left, top, right, bottom = (int.from_bytes(placement[i:i + 4], "little", signed=True)
                                for i in range(28, 44, 4))
    assert right - left == 1040, placement.hex()
    assert bottom - top <= 720

    # A stored normal rectangle comes back unchanged.
    wanted = bytearray(placement)
    for offset, value in zip(range(28, 44, 4), (30, 40, 930, 640)):
        wanted[offset:offset + 4] = value.to_bytes(4, "little", signed=True)
    harness.reg_add(KEY, "Placement", "REG_BINARY", bytes(wanted))
    process = start_window(ctx)
    assert close_window(ctx, process) == 0
    restored = harness.reg_binary(KEY, "Placement")
    assert restored[28:44] == bytes(wanted[28:44]), restored.hex()


def test_a_placement_of_another_size_is_ignored(ctx):
    harness.reg_add(KEY, "Placement", "REG_BINARY", bytes(range(40)))
    process = start_window(ctx)
    assert close_window(ctx, process) == 0
    placement = harness.reg_binary(KEY, "Placement")
    left, _, right, _ = (int.from_bytes(placement[i:i + 4], "little", signed=True) for i in range(28, 44, 4))
    assert right - left == 1040


def test_a_broken_store_is_kept_aside_and_the_program_starts_empty(ctx):
    broken = b'{"version": 1, "bundles": [{"id": "b1"}]}'
    ctx.store.write_bytes(broken)
    process = start_window(ctx)
    kept = list(ctx.store.parent.glob("bundles.broken-*.json"))
    assert len(kept) == 1, kept
    assert re.fullmatch(r"bundles\.broken-[1-9][0-9]*\.json", kept[0].name)
    assert kept[0].read_bytes() == broken
    assert not ctx.store.exists()
    assert harness.reg_query(KEY, "Selected") == ""
    assert close_window(ctx, process) == 0


def test_bundle_files_on_the_command_line_are_imported_with_the_exact_store_form(ctx):
    write_store(ctx, [{"id": "b1", "name": "Report", "items": []}], version=7)
    first = export_file(ctx, "a.tolvik", {"id": "b1", "name": "report", "items": [
        {"kind": "folder", "target": "D:\\Work\\", "name": "작업"},
        {"kind": "file", "target": "   "},
        {"kind": "app", "target": "C:\\x.exe", "args": "-a \"b\""}]})
    second = export_file(ctx, "B.TOLVIK", {"id": "zz", "name": "Trip", "items": []})
    bad = ctx.folder / "c.tolvik"
    bad.write_text("not json")
    process = start_window(ctx, [harness.wine_path(first), harness.wine_path(bad), harness.wine_path(second)])
    harness.wait_for(lambda: len(json.loads(ctx.store.read_text(encoding="utf-8"))["bundles"]) == 3,
                     what="the imported bundles")
    saved = json.loads(ctx.store.read_text(encoding="utf-8"))
    assert close_window(ctx, process) == 0

    assert saved["version"] == 7
    names = [b["name"] for b in saved["bundles"]]
    assert names == ["Report", "report 2", "Trip"], names
    ids = [b["id"] for b in saved["bundles"]]
    assert ids[0] == "b1" and len(set(ids)) == 3 and all(re.fullmatch(r"b[0-9a-f]+", i) for i in ids), ids
    # The app came from a file: it is asked about before it first starts.
    assert saved["bundles"][1]["items"] == [
        {"kind": "folder", "target": "D:\\Work\\", "name": "작업"},
        {"kind": "app", "target": "C:\\x.exe", "args": "-a \"b\"", "unreviewed": True}]
    assert ctx.store.read_text(encoding="utf-8") == saved_form(saved)
    # The last imported bundle is selected.
    assert harness.reg_query(KEY, "Selected") == ids[2]


def test_a_second_start_hands_its_first_bundle_file_to_the_running_instance(ctx):
    write_store(ctx, [{"id": "b1", "name": "Daily", "items": []}])
    first = start_window(ctx)
    one = export_file(ctx, "one.tolvik", {"id": "x", "name": "Handed over", "items": []})
    two = export_file(ctx, "two.tolvik", {"id": "y", "name": "Not handed over", "items": []})
    second = ctx.run_program([harness.wine_path(one), harness.wine_path(two)], timeout=30)
    assert second.code == 0
    # The hand-over returns once the running instance has the path; the
    # import is saved right after, and only the first file is handed over.
    def saved_names():
        return [b["name"] for b in json.loads(ctx.store.read_text(encoding="utf-8"))["bundles"]]
    harness.wait_for(lambda: saved_names() == ["Daily", "Handed over"], what="the handed-over bundle saved")
    saved = json.loads(ctx.store.read_text(encoding="utf-8"))
    assert first.running()
    assert ctx.probe("find", "tolvik.Main").code == 0

    # A second start without arguments only brings the window forward.
    assert ctx.run([]) == 0
    assert json.loads(ctx.store.read_text(encoding="utf-8")) == saved
    # The window takes Alt+F4 after the work posted to it before: the second
    # file, had it been handed over too, would be saved by the time it ends.
    assert close_window(ctx, first) == 0
    assert json.loads(ctx.store.read_text(encoding="utf-8")) == saved


def test_keys_move_the_selection_and_enter_opens_the_bundle_on_its_worker(ctx):
    write_store(ctx, [{"id": "b1", "name": "One", "items": []},
                      {"id": "b2", "name": "Two", "items": [recorder_item(ctx, "first"),
                                                            {"kind": "file", "target": "C:\\gone.txt"},
                                                            recorder_item(ctx, "second")]}])
    process = start_window(ctx)
    window = harness.find_window("tolvik")
    harness.xdotool("key", "--window", window, "Down")
    harness.wait_for(lambda: harness.reg_query(KEY, "Selected") == "b2", what="the selection to move")
    # With Ctrl held Enter does nothing.
    harness.xdotool("key", "--window", window, "ctrl+Return")
    harness.xdotool("key", "--window", window, "Return")
    assert recorded_args(ctx, 2) == ["first", "second"]
    assert process.running()
    assert close_window(ctx, process) == 0
    assert len(ctx.recorded()) == 2
