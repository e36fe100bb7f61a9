"""The language of what tolvik.exe shows: the stored choice, else Windows'."""

import json

import harness

KEY = "Software\\tolvik"
NOT_FOUND = ("Couldn't find the bundle “{0}”. It may have been deleted, or the shortcut was "
             "made on another PC.")


def table(code):
    return json.loads((harness.REPO / "lang" / (code + ".json")).read_text(encoding="utf-8"))


def fill(text, *args):
    for i, arg in enumerate(args):
        text = text.replace("{%d}" % i, arg)
    return text


def message_for_open(ctx, bundle_id, env=None):
    ctx.store.write_text(json.dumps({"bundles": [{"id": "b1", "name": "Month-end", "items": [
        {"kind": "file", "target": "C:\\gone\\report.xlsx"},
        {"kind": "file", "target": "C:\\gone\\plan.docx"},
        {"kind": "folder", "target": "C:\\gone\\folder"}]}]}), encoding="utf-8")
    process = ctx.start(["--open", bundle_id], env=env)
    seen = ctx.probe("msgbox", "tolvik", "20000", timeout=40)
    assert process.wait(30) == 0
    assert seen.code == 0, seen
    return seen.out


def test_korean_when_stored(ctx):
    harness.reg_add(KEY, "Language", "REG_SZ", "ko")
    assert message_for_open(ctx, "b9") == (
        "‘b9’ 묶음을 찾을 수 없습니다. 지웠거나 다른 PC 에서 만든 바로 가기일 수 있습니다.\n")
    assert message_for_open(ctx, "b1") == (
        "Month-end\n\n3개는 찾을 수 없습니다 (report.xlsx, plan.docx 외 1개)\n")


def test_german_when_stored(ctx):
    harness.reg_add(KEY, "Language", "REG_SZ", "de")
    de = table("de")
    assert message_for_open(ctx, "b9") == fill(de[NOT_FOUND], "b9") + "\n"
    names = "report.xlsx, plan.docx " + fill(de["and {0} more"], "1")
    assert message_for_open(ctx, "b1") == "Month-end\n\n" + fill(de["{0} not found ({1})"], "3", names) + "\n"


def test_windows_display_language_decides_without_a_stored_value(ctx):
    japanese = {"LC_ALL": "ja_JP.UTF-8", "LANG": "ja_JP.UTF-8"}
    assert ctx.probe("langid").out.strip() != "0x0411"
    assert message_for_open(ctx, "b9", env=japanese) == fill(table("ja")[NOT_FOUND], "b9") + "\n"


def test_an_unrecognised_stored_value_falls_back_to_windows(ctx):
    harness.reg_add(KEY, "Language", "REG_SZ", "JA")
    assert message_for_open(ctx, "b9", env={"LC_ALL": "fr_FR.UTF-8", "LANG": "fr_FR.UTF-8"}) == \
        fill(table("fr")[NOT_FOUND], "b9") + "\n"
    harness.reg_add(KEY, "Language", "REG_SZ", "")
    assert message_for_open(ctx, "b9") == fill(NOT_FOUND, "b9") + "\n"
