"""The test bench itself: the tools, the registry helpers and the runner's
isolation, checked against Wine's own programs."""

import re

import harness

KEY = "Software\\tolvik"
IDNO = 7


def test_probe_reports_ui_language(ctx):
    result = ctx.probe("langid")
    assert result.code == 0, result
    assert re.fullmatch(r"0x[0-9a-f]{4}\n", result.out), result


def test_registry_starts_empty_and_round_trips_unicode(ctx):
    # The runner deletes the key before every test.
    assert harness.reg_query(KEY, "Selected") is None
    name = "묶음 “daily” ✓ \U0001F4C1"
    harness.reg_add(KEY, "Selected", "REG_SZ", name)
    harness.reg_add(KEY, "AutoUpdate", "REG_DWORD", 0)
    placement = bytes(range(44))
    harness.reg_add(KEY, "Placement", "REG_BINARY", placement)

    assert harness.reg_query(KEY, "Selected") == name
    assert harness.reg_dword(KEY, "AutoUpdate") == 0
    assert harness.reg_binary(KEY, "Placement") == placement
    assert harness.reg_query(KEY, "Missing") is None
    assert ctx.probe("regread", KEY, "Missing").code == 1

    harness.reg_delete(KEY, "Selected")
    assert harness.reg_query(KEY, "Selected") is None
    assert harness.reg_dword(KEY, "AutoUpdate") == 0


def test_recorder_logs_arguments_and_working_folder(ctx):
    args = ["plain", "with space", 'quote"inside', "한글 이름", "C:\\dir with space\\", ""]
    code = ctx.run(args, exe=harness.RECORDER_EXE, cwd=ctx.folder)
    assert code == 0
    records = ctx.recorded()
    assert len(records) == 1, records
    record = records[0]
    assert record["argv"][1:] == args, record
    assert record["argv"][0].lower().endswith("recorder.exe"), record
    assert record["cwd"].rstrip("\\").lower() == ctx.folder_win.lower(), record
    assert "한글 이름" in record["cmdline"], record


def test_probe_finds_and_closes_a_window(ctx):
    notepad = ctx.start(exe="notepad")
    found = harness.wait_for(lambda: ctx.probe("find", "Notepad").code == 0, timeout=20,
                             what="the Notepad window")
    assert found
    handle = ctx.probe("find", "Notepad").out.strip()
    assert re.fullmatch(r"0x[0-9a-f]+", handle), handle
    assert ctx.probe("close", "Notepad").code == 0
    assert notepad.wait(20) == 0
    assert ctx.probe("find", "Notepad").code == 1


def test_probe_reads_and_answers_a_message_box(ctx):
    # Notepad asks (caption "ERROR", Yes/No/Cancel) before creating a file
    # that does not exist.
    missing = ctx.folder / "missing.txt"
    notepad = ctx.start([harness.wine_path(missing)], exe="notepad")
    seen = ctx.probe("msgbox", "ERROR", "20000", str(IDNO), timeout=30)
    assert seen.code == 0, seen
    assert "missing.txt" in seen.out and "does not exist" in seen.out, seen
    # No: the dialog goes, no file is made, Notepad stays open.
    harness.wait_for(lambda: ctx.probe("msgbox", "ERROR", "0").code == 2, timeout=10,
                     what="the message box to close")
    assert ctx.probe("find", "Notepad").code == 0
    assert not missing.exists()
    assert ctx.probe("close", "Notepad").code == 0
    assert notepad.wait(20) == 0


def test_probe_msgbox_times_out_without_a_dialog(ctx):
    result = ctx.probe("msgbox", "tolvik", "300")
    assert result.code == 2, result
    assert result.out == ""
