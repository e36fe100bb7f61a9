"""tolvikc.exe, the console companion for scripts, run as a script runs it:
under Wine with standard output and error read from pipes, on the test's own
store. The recorder stands in for the programs a bundle starts."""

import json
import re
import subprocess
import threading
import unicodedata

import harness
from test_close import started, wait_windows, with_event
from test_startup import KEY, recorder_item, write_store

TOLVIKC_EXE = harness.BUILD / "tolvikc.exe"


def tolvikc(ctx, *args, timeout=60):
    """Runs tolvikc.exe to its end and reads its output from pipes, as UTF-8.

    Wine gives every program it starts the Unix standard error of the one that
    starts it, for its own messages, so a program the opening started keeps the
    stderr pipe open after tolvikc.exe has ended (Windows hands it no such
    handle). The exit is waited for, then stdout is read to its end and stderr
    as far as it was written."""
    process = subprocess.Popen(["wine", str(TOLVIKC_EXE)] + [str(a) for a in args], stdin=subprocess.DEVNULL,
                               stdout=subprocess.PIPE, stderr=subprocess.PIPE, env=ctx.environment())
    chunks = {"out": [], "err": []}

    def drain(stream, name):
        for chunk in iter(lambda: stream.read1(65536), b""):
            chunks[name].append(chunk)

    readers = [threading.Thread(target=drain, args=(process.stdout, "out"), daemon=True),
               threading.Thread(target=drain, args=(process.stderr, "err"), daemon=True)]
    for reader in readers:
        reader.start()
    try:
        code = process.wait(timeout)
    except subprocess.TimeoutExpired:
        process.kill()
        process.wait(10)
        raise
    readers[0].join(10)
    # What tolvikc wrote is in the pipe by now; the reader takes it at once.
    readers[1].join(1)
    out = b"".join(chunks["out"]).decode("utf-8")
    err = b"".join(chunks["err"]).decode("utf-8")
    return harness.Completed(code, out, harness.strip_noise(err))


def missing_file(ctx):
    return ctx.folder_win + "\\gone\\report.xlsx"


def columns(text):
    return sum(2 if unicodedata.east_asian_width(c) in "WF" else 1 for c in text)


def test_help_is_in_the_users_language_with_its_descriptions_in_one_column(ctx):
    for language, exit_codes in [("en", "Exit codes:"), ("ko", "종료 코드:"), ("ru", "Коды выхода:"),
                                 ("ja", "終了コード:"), ("de", "Exitcodes:")]:
        harness.reg_add(KEY, "Language", "REG_SZ", language)
        shown = tolvikc(ctx, "--help")
        assert shown.code == 0 and exit_codes in shown.out, (language, shown)
        rows = [re.match(r"^(  tolvikc .*?)( {3,})(\S.*)$", line) for line in shown.out.splitlines()
                if line.startswith("  tolvikc ")]
        assert len(rows) == 4 and all(rows), (language, shown.out)
        starts = {columns(row.group(1) + row.group(2)) for row in rows}
        assert len(starts) == 1, (language, shown.out)


def test_list_prints_one_line_per_bundle_and_json_with_unicode_names(ctx):
    write_store(ctx, [
        {"id": "b1", "name": "월말 정산 · Ümlaut ☕", "items": [recorder_item(ctx), {"kind": "url",
                                                                                 "target": "https://x.example/"}]},
        {"id": "b2", "name": "Tab\there\nnext line", "items": []}])
    listed = tolvikc(ctx, "--list")
    assert listed.code == 0, listed
    assert listed.out == "b1\t월말 정산 · Ümlaut ☕\t2\nb2\tTab here next line\t0\n", listed
    as_json = tolvikc(ctx, "--list", "--json")
    assert as_json.code == 0, as_json
    assert as_json.out.count("\n") == 1, as_json
    assert json.loads(as_json.out) == [{"id": "b1", "name": "월말 정산 · Ümlaut ☕", "items": 2},
                                       {"id": "b2", "name": "Tab\there\nnext line", "items": 0}]
    # Listing reads only: the store is as the test wrote it.
    assert json.loads(ctx.store.read_text(encoding="utf-8"))["bundles"][1]["name"] == "Tab\there\nnext line"


def test_help_bad_arguments_and_an_unreadable_store(ctx):
    shown = tolvikc(ctx, "--help")
    assert shown.code == 0 and "tolvikc --open" in shown.out and "Exit codes:" in shown.out, shown
    bare = tolvikc(ctx)
    assert (bare.code, bare.out) == (0, shown.out), bare

    bad = tolvikc(ctx, "--open")
    assert bad.code == 2 and bad.out == "", bad
    assert bad.err.startswith("--open needs the id or name of a bundle.\n"), bad
    assert tolvikc(ctx, "--list", "--yaml").code == 2

    ctx.store.write_text("{\"version\": 1, \"bundles\": [", encoding="utf-8")
    broken = tolvikc(ctx, "--list")
    assert broken.code == 2 and broken.out == "", broken
    assert broken.err.startswith("Couldn't read the saved bundles.\n"), broken
    # Never set aside or rewritten: that is the window's to do, with the user told.
    assert ctx.store.read_text(encoding="utf-8") == "{\"version\": 1, \"bundles\": ["
    assert sorted(p.name for p in ctx.store.parent.iterdir()) == ["bundles.json"]


@harness.time_limit(120)
def test_open_starts_the_bundle_and_reports_the_missing_item_with_exit_1(ctx):
    write_store(ctx, [{"id": "m1", "name": "Morning", "items": [
        recorder_item(ctx, "first"), {"kind": "file", "target": missing_file(ctx)}]}])
    # The name in another case finds it, and the console waits for the opening.
    opened = tolvikc(ctx, "--open", "MORNING")
    assert opened.code == 1, opened
    assert opened.out == "", opened
    assert opened.err == "2: %s \u2014 Not found\n" % missing_file(ctx), opened
    harness.wait_for(lambda: "first" in started(ctx), timeout=15, what="the recorder's start")
    # The opening is recorded for a later --close, as tolvik.exe --open records it.
    record = json.loads((ctx.store.parent / "opened.json").read_text(encoding="utf-8"))
    assert "m1" in record, record

    # The reasons are in the user's language; the rest of the line is not.
    harness.reg_add(KEY, "Language", "REG_SZ", "de")
    german = tolvikc(ctx, "--open", "m1")
    assert german.code == 1 and german.err == "2: %s \u2014 Nicht gefunden\n" % missing_file(ctx), german


def test_unknown_and_ambiguous_names_are_refused_with_exit_2(ctx):
    write_store(ctx, [
        {"id": "a1", "name": "Report", "items": [recorder_item(ctx, "a1")]},
        {"id": "a2", "name": "report", "items": [recorder_item(ctx, "a2")]},
        {"id": "Report", "name": "Other", "items": []}])
    unknown = tolvikc(ctx, "--open", "Nothing here")
    assert (unknown.code, unknown.out) == (2, ""), unknown
    assert unknown.err == "No bundle has the id or name “Nothing here”.\n", unknown
    ambiguous = tolvikc(ctx, "--open", "REPORT")
    assert ambiguous.code == 2, ambiguous
    assert ambiguous.err == "More than one bundle is named “REPORT”; give its id instead: a1, a2\n", ambiguous
    # An id is exact and wins over any name: the bundle with the id "Report" has no items.
    by_id = tolvikc(ctx, "--open", "Report")
    assert (by_id.code, by_id.err) == (0, ""), by_id
    # What tolvikc.exe started before it ended has logged its start once it has ended too.
    harness.wait_no_process("tolvik.exe", "recorder.exe")
    assert ctx.recorded() == []


def test_an_unreviewed_bundle_is_not_opened_and_exits_3(ctx):
    item = recorder_item(ctx, "imported")
    item["unreviewed"] = True
    write_store(ctx, [{"id": "imp1", "name": "From a colleague", "items": [item]}])
    before = ctx.store.read_bytes()
    refused = tolvikc(ctx, "--open", "From a colleague")
    assert refused.code == 3 and refused.out == "", refused
    assert "tolvik.exe --open imp1" in refused.err and "From a colleague" in refused.err, refused
    harness.wait_no_process("tolvik.exe", "recorder.exe")
    assert ctx.recorded() == []
    assert ctx.store.read_bytes() == before


@harness.time_limit(120)
def test_close_after_open_ends_the_recorder_it_started(ctx):
    write_store(ctx, [{"id": "c1", "name": "Evening", "items": [recorder_item(ctx, "stays --recorder-window=0")]}])
    opened = tolvikc(ctx, "--open", "Evening")
    assert (opened.code, opened.err) == (0, ""), opened
    pids = wait_windows(ctx, ["stays"])

    closed = tolvikc(ctx, "--close", "c1")
    assert closed.code == 0, closed
    assert closed.out == "Closed 1\n", closed
    harness.wait_for(lambda: pids["stays"] in with_event(ctx, "close"), timeout=20, what="WM_CLOSE for the recorder")

    # The record is used up: a second close has nothing left to do.
    again = tolvikc(ctx, "--close", "Evening")
    assert again.code == 0 and again.out == "Nothing to close: no opening of “Evening” is recorded.\n", again


@harness.time_limit(120)
def test_an_administrator_item_goes_through_tolvikc_as_its_own_elevated_helper(ctx):
    write_store(ctx, [{"id": "ad1", "name": "Maintenance", "items": [
        recorder_item(ctx, "plain"), dict(recorder_item(ctx, "elevated"), admin=True)]}])
    opened = tolvikc(ctx, "--open", "ad1")
    assert (opened.code, opened.err) == (0, ""), opened
    harness.wait_for(lambda: {"plain", "elevated"} <= set(started(ctx)), timeout=20, what="both starts")
    by_name = {line["argv"][1]: line for line in ctx.recorded() if "event" not in line}
    # Wine gives every process the full token, so the helper shows only as
    # another parent: the console program started again with --run-elevated.
    assert by_name["plain"]["parent"] != by_name["elevated"]["parent"], by_name
    # The record knows which process came from the helper, for a later close.
    record = json.loads((ctx.store.parent / "opened.json").read_text(encoding="utf-8"))["ad1"]
    elevated = {p["pid"]: p.get("elevated", False) for p in record["processes"]}
    assert elevated == {by_name["plain"]["pid"]: False, by_name["elevated"]["pid"]: True}, record
