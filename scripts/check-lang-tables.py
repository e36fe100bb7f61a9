#!/usr/bin/env python3
"""Checks the eight translation tables in lang/ (ja, zh-Hans, zh-Hant, es, fr,
de, pt, ru).

Each table is stored byte for byte in one form, because the program embeds the
files as they are and looks texts up by exact English key:
  - UTF-8 without BOM, lines separated by CR LF, no CR LF after the closing
    "}" (the file ends with "}");
  - "{" alone on the first line, then one member per line written as
    ` "key": "value"` (one space of indent, one blank after the colon),
    members separated by "," at the end of the line, no trailing comma,
    "}" alone on the last line;
  - only the escapes \\" and \\\\ (no \\u, no control characters);
  - exactly the 202 keys below, in this order, no duplicates, then the forms
    of a count that the table's language needs (PLURAL_FORMS).

Each value must be non-empty, without leading or trailing white space, carry
exactly the placeholders of its key ("{0}", "{1}", ...), keep the key names,
file patterns and product names that its key contains, keep a trailing
ellipsis, follow the quotation-mark style of its language, and differ from
the English key (ALLOWED_SAME lists the exceptions).

Usage: scripts/check-lang-tables.py [LANG_DIR]   (default: lang/ of the repo)
Exit status 0 when every table passes, 1 otherwise.
"""

import collections
import json
import os
import re
import sys

LANGS = ["ja", "zh-Hans", "zh-Hant", "es", "fr", "de", "pt", "ru"]

# The files end with "}" and no line break after it.
FINAL_NEWLINE = False

SITE_KEY = "https://velmora.example/"
SITE_PATH = {
    "ja": "ja/", "zh-Hans": "zh-hans/", "zh-Hant": "zh-hant/", "es": "es/",
    "fr": "fr/", "de": "de/", "pt": "pt/", "ru": "ru/",
}

EXAMPLE_ARGS_KEY = 'e.g. /n "D:\\Docs\\notes.txt"'

KEYS = [
    "Click “Month-end closing” and its folder, the reference spreadsheet and the accounting site open together. Save the apps, documents, folders and web addresses of each task you repeat as one bundle.",
    "{0} items",
    "Open",
    "Add files…",
    "Add folder…",
    "Add app…",
    "Add web address…",
    "Undo",
    "Create your first bundle",
    "No bundles yet",
    "No bundle matches “{0}”",
    "New bundle",
    "Drag files, folders or shortcuts here",
    "Drag web addresses from your browser, or paste them with Ctrl+V",
    "{0} not found",
    "Click the name to rename it (F2)",
    "Enter to add · Esc to cancel",
    "Not found",
    "Choose a bundle on the left",
    "Open everything a task needs in one click",
    "You can also drag files or folders onto this window to start a bundle",
    "Couldn't read the saved bundles; the file was kept as",
    "Couldn't save:",
    "Already in this bundle",
    "Added {1} to “{0}” (skipped ones already there)",
    "Added {1} to “{0}”",
    "That isn't a path or a web address",
    "Imported “{0}”. Paths may differ on another PC; items that can't be found are marked in red.",
    "Not an tolvik bundle file: {0}",
    "This bundle is empty. Add files, folders or web addresses first.",
    "Not found: {0}",
    "Couldn't open: {0}",
    "Bundle name",
    "Type or paste a web address starting with https://",
    "{0} copy",
    "Bundle duplicated",
    "Deleted “{0}”",
    "Removed “{0}”",
    "Restored “{0}”",
    "Undone",
    "That isn't a web address. Enter one starting with https://",
    "All files",
    "Files to add to the bundle",
    "Folder to add to the bundle",
    "Programs (*.exe, *.lnk)",
    "App to add (a program or a shortcut)",
    "Nothing to paste: copy a path or a web address first",
    "tolvik bundles (*.tolvik)",
    "Bundle files to import",
    "Export bundle",
    "Exported. Files and folders may be in different places on the other person's PC.",
    "Couldn't export:",
    "tolvik: open “{0}”",
    "Created a “{0}” shortcut on the desktop",
    "Couldn't create the shortcut:",
    "No File Explorer windows are open",
    "Add all ({0})",
    "Rename (F2)",
    "Duplicate",
    "Create a desktop shortcut",
    "Add folders open in File Explorer…",
    "Export… (to share)",
    "Delete bundle",
    "Open just this",
    "Open file location",
    "Rename",
    "Arguments…",
    "Remove from bundle (Del)",
    EXAMPLE_ARGS_KEY,
    "Import a bundle… (.tolvik)",
    "Follow Windows",
    "Language",
    "Automatic updates",
    "Check for updates",
    "More apps from kestrix",
    "About tolvik",
    SITE_KEY,
    "A free app that opens the apps, documents, folders and web pages a task needs in one click",
    "Bundles are saved only on this PC (%APPDATA%\\tolvik) and are never sent anywhere.",
    "Takes effect the next time tolvik opens",
    "Find a bundle (Ctrl+F)",
    "Checking for updates…",
    "A new version is available:",
    "current",
    "Update now?",
    "Downloading update…",
    "You're up to date",
    "Couldn't read the saved bundles.",
    "Couldn't find the bundle “{0}”. It may have been deleted, or the shortcut was made on another PC.",
    "and {0} more",
    "This bundle has no items",
    "Opened {0}",
    "{0} not found ({1})",
    "{0} couldn't be opened ({1})",
    "Download failed",
    "Downloaded size mismatch",
    "Downloaded file is corrupt (hash mismatch)",
    "The installer's digital signature could not be verified",
    "Changes aren't being saved: the saved bundles couldn't be read or set aside ({0}).",
    "Changes aren't being saved: the drive or network share of the bundle file can't be reached ({0}).",
    "tolvik didn't answer, so “{0}” wasn't imported. Try again in a moment.",
    "Too large to import (over {1} MiB): {0}",
    "This bundle came from a file and will start:",
    "The update information could not be read",
    "Downloading update… {0}%",
    "The update couldn't be started ({0})",
    "Couldn't save the setting:",
    "Too much text to add (over {0} MiB)",
    "Too large to export (over {0} MiB): it couldn't be imported again",
    "The administrator helper didn't answer",
    "Couldn't read the items to start as administrator.",
    "Close",
    "Closed {0}",
    "{0} had already ended ({1})",
    "{0} run as administrator, left open ({1})",
    "{0} not started by tolvik ({1})",
    "{0} with no window to close ({1})",
    "Nothing “{0}” opened is left to close",
    "Couldn't close: {0}",
    "Options…",
    "Options for “{0}”",
    "Wait &before starting it:",
    "seconds",
    "Wait until its window is &ready",
    "&Up to:",
    "If it is &already running:",
    "Start another",
    "Bring it to the front",
    "Skip it",
    "&Window:",
    "Normal",
    "Minimized",
    "Maximized",
    "Run as a&dministrator",
    "&Start in:",
    "Br&owse…",
    "&Keep it open when the bundle is closed",
    "OK",
    "Cancel",
    "Enter a number of seconds from {0} to {1}",
    "Choose the folder it starts in",
    "Changed the options of “{0}”",
    "Stop · {0}/{1}",
    "Stopping…",
    "Couldn't open",
    "Consent declined",
    "Timed out waiting",
    "Retry",
    "{0} not opened, consent declined",
    "{0} timed out waiting",
    "{0} stopped",
    "{0} skipped, already running",
    "Browse for a program…",
    "Choose an installed app…",
    "Installed apps",
    "Choose the app to add:",
    "No installed apps were found",
    "Add",
    "Open when I sign in",
    "Open when I sign in (turned off in Windows' start-up apps)",
    "Open when I sign in (couldn't be set up in Windows)",
    "Couldn't change whether Windows starts tolvik when you sign in: {0}",
    "“{0}” opens when you sign in",
    "“{0}” no longer opens when you sign in",
    "Not everything opened when you signed in.",
    "“{0}” wasn't opened: it has items from a file that you haven't confirmed yet. Open it once in tolvik to confirm them.",
    "Unknown argument: {0}",
    "{0} needs the id or name of a bundle.",
    "No bundle has the id or name “{0}”.",
    "More than one bundle is named “{0}”; give its id instead: {1}",
    "“{0}” came from a file and has items not reviewed yet, so nothing was opened. Open it once with tolvik.exe --open {1} to review them.",
    "Nothing to close: no opening of “{0}” is recorded.",
    "id or name",
    "tolvikc opens and closes tolvik's bundles from scripts.",
    "Lists the bundles: id, name, item count.",
    "Opens a bundle and waits until it has opened.",
    "Closes what the bundle's last opening started.",
    "Shows this text.",
    "Exit codes:",
    "Done.",
    "Something did not open, or was left open (listed on standard error).",
    "Bad arguments, no such bundle or more than one, or the saved bundles can't be read.",
    "The bundle came from a file and hasn't been reviewed yet: open it once with tolvik.exe --open.",
    "Hotkey…",
    "Hotkey for “{0}”",
    "&Hotkey:",
    "C&lear",
    "&Wait after sign-in:",
    "not available",
    "A hotkey needs Ctrl or Alt with its key.",
    "{0} is already the hotkey of “{1}”.",
    "{0} is used by another program, so it does not work for now. The bundle keeps it, and tolvik tries it again when it next starts.",
    "Changed the hotkey of “{0}”",
    "“{0}” is still opening",
    "Keep running in the notification area",
    "Show tolvik",
    "Quit",
    "Hotkeys work only while tolvik runs. Keep tolvik running in the notification area when its window is closed?",
    "Settings",
    "More actions",
    "Bundles",
    "Items",
]

# Counts with a noun ("{0} items") take the form their language's plural rule
# picks (lang/lang.cpp); the plain key is the "other" form. The forms a
# language needs beyond it follow the keys above as "<key> (<form>)", in this
# order.
COUNTED_KEYS = ["{0} items"]
PLURAL_FORMS = {
    "ja": [], "zh-Hans": [], "zh-Hant": [],
    "es": ["one"], "fr": ["one"], "de": ["one"], "pt": ["one"],
    "ru": ["one", "few", "many"],
}


def table_keys(lang):
    return KEYS + [f"{key} ({form})" for key in COUNTED_KEYS for form in PLURAL_FORMS[lang]]

# Values that may equal their English key, per language: only the dialog
# button that these languages' own Windows label "OK" as well.
ALLOWED_SAME = {lang: set() for lang in LANGS}
for _lang in ["ja", "fr", "de", "pt"]:
    ALLOWED_SAME[_lang].add("OK")

# Parts of a key that the translation keeps verbatim wherever the key has them:
# key names, file patterns, paths, the product and brand names.
KEPT_TOKENS = [
    "Ctrl+F", "Ctrl+V", "(F2)", "(Del)", "https://",
    "%APPDATA%\\tolvik", "*.exe, *.lnk", "*.tolvik", ".tolvik", "tolvik",
    "kestrix", "/n ", "tolvik.exe --open",
]
# Key names that are also ordinary words elsewhere ("Enter one starting
# with ..."), so they are checked only in the texts that name the keys.
KEPT_IN_TEXT = {
    "Enter to add · Esc to cancel": ["Enter", "Esc", " · "],
}

# Quotation marks that must not appear in a language (the key's “ ” become the
# language's own marks). The straight double quote belongs only to the
# example-arguments text, where it is part of the command line.
FORBIDDEN_MARKS = {
    "ja": "“”‘’«»„",
    "zh-Hans": "「」«»„",
    "zh-Hant": "“”«»„",
    "es": "“”„「」",
    "fr": "“”„「」'",
    "de": "«»「」",
    "pt": "«»„「」",
    "ru": "“”„「」",
}

NBSP = "\u00a0"
PLACEHOLDER = re.compile(r"\{[0-9]+\}")
# A member line: one space, a JSON string, ": ", a JSON string, an optional
# comma. Strings hold no control characters and only the escapes \" and \\.
STRING = r'"(?:[^"\\\x00-\x1f]|\\["\\])*"'
MEMBER_LINE = re.compile(r"^ (" + STRING + r"): (" + STRING + r")(,?)$")


def check_form(raw, errors):
    """Byte-level layout; returns the member lines or None when unusable."""
    if raw.startswith(b"\xef\xbb\xbf"):
        errors.append("starts with a UTF-8 BOM")
        return None
    try:
        text = raw.decode("utf-8", errors="strict")
    except UnicodeDecodeError as e:
        errors.append(f"not valid UTF-8: {e}")
        return None
    if FINAL_NEWLINE and not text.endswith("}\r\n"):
        errors.append('must end with "}" followed by CR LF')
    if not FINAL_NEWLINE and not text.endswith("}"):
        errors.append('must end with "}" and no line break after it')
    body = text[:-2] if text.endswith("\r\n") else text
    lines = body.split("\r\n")
    for n, line in enumerate(lines, 1):
        if "\r" in line or "\n" in line:
            errors.append(f"line {n}: line break other than CR LF")
    if len(lines) < 2 or lines[0] != "{" or lines[-1] != "}":
        errors.append('first line must be "{" and last line "}"')
        return None
    members = lines[1:-1]
    for n, line in enumerate(members, 2):
        m = MEMBER_LINE.match(line)
        if not m:
            errors.append(f"line {n}: not of the form ' \"key\": \"value\",': {line!r}")
            continue
        is_last = n == len(members) + 1
        if is_last and m.group(3):
            errors.append(f"line {n}: trailing comma after the last member")
        if not is_last and not m.group(3):
            errors.append(f"line {n}: missing comma at line end")
    return members


def reject_duplicates(pairs):
    seen = set()
    for k, _ in pairs:
        if k in seen:
            raise ValueError(f"duplicate key: {k!r}")
        seen.add(k)
    return pairs


def check_french_spacing(value, errors, where):
    # A no-break space before : ; ? ! and inside « », never a plain space or
    # none at all. The colons of "https://" and of a drive ("D:\") are not
    # punctuation.
    for i, ch in enumerate(value):
        if ch in ":;?!":
            if value[i:i + 3] == "://" or value[i:i + 2] == ":\\":
                continue
            if i == 0 or value[i - 1] != NBSP:
                errors.append(f"{where}: '{ch}' needs a no-break space before it: {value!r}")
        elif ch == "«" and (i + 1 >= len(value) or value[i + 1] != NBSP):
            errors.append(f"{where}: '«' needs a no-break space after it: {value!r}")
        elif ch == "»" and (i == 0 or value[i - 1] != NBSP):
            errors.append(f"{where}: '»' needs a no-break space before it: {value!r}")
    if "\u202f" in value:
        errors.append(f"{where}: use U+00A0 consistently, not U+202F: {value!r}")


def check_values(lang, pairs, errors):
    expected = table_keys(lang)
    keys = [k for k, _ in pairs]
    if keys != expected:
        missing = [k for k in expected if k not in keys]
        extra = [k for k in keys if k not in expected]
        if missing:
            errors.append(f"missing keys: {missing}")
        if extra:
            errors.append(f"unknown keys: {extra}")
        if not missing and not extra:
            first = next(i for i, (a, b) in enumerate(zip(keys, expected)) if a != b)
            errors.append(f"keys out of order from position {first + 1}: {keys[first]!r}")
    for key, value in pairs:
        where = f"{key!r}"
        if not isinstance(value, str) or not value:
            errors.append(f"{where}: empty value")
            continue
        if value != value.strip() or value != value.strip(NBSP + "\u202f\u3000"):
            errors.append(f"{where}: leading or trailing white space")
        if any(ord(c) < 0x20 for c in value):
            errors.append(f"{where}: control character in value")
        if value == key and value not in ALLOWED_SAME[lang]:
            errors.append(f"{where}: not translated")
        if collections.Counter(PLACEHOLDER.findall(key)) != collections.Counter(PLACEHOLDER.findall(value)):
            errors.append(f"{where}: placeholders differ: {value!r}")
        if "{" in PLACEHOLDER.sub("", value) or "}" in PLACEHOLDER.sub("", value):
            errors.append(f"{where}: stray brace: {value!r}")
        if key == SITE_KEY:
            want = SITE_KEY + SITE_PATH[lang]
            if value != want:
                errors.append(f"{where}: must be {want!r}, is {value!r}")
            continue
        for token in [t for t in KEPT_TOKENS if t in key] + KEPT_IN_TEXT.get(key, []):
            if token not in value:
                errors.append(f"{where}: lost {token!r}: {value!r}")
        if key.endswith("…") and "…" not in value:
            errors.append(f"{where}: lost the ellipsis: {value!r}")
        if "..." in value:
            errors.append(f"{where}: three dots instead of '…': {value!r}")
        if key == EXAMPLE_ARGS_KEY:
            if value.count('"') != 2 or value.count("\\") != 2:
                errors.append(f"{where}: the quoted example path must keep two quotes and two backslashes: {value!r}")
        elif '"' in value:
            errors.append(f"{where}: straight double quote: {value!r}")
        bad = sorted({c for c in value if c in FORBIDDEN_MARKS[lang]})
        if bad:
            errors.append(f"{where}: quotation marks {''.join(bad)} are not used in {lang}: {value!r}")
        if lang == "de" and value.count("„") != value.count("“"):
            errors.append(f"{where}: unbalanced „“: {value!r}")
        if lang in ("ja", "zh-Hant") and value.count("「") != value.count("」"):
            errors.append(f"{where}: unbalanced 「」: {value!r}")
        if lang in ("es", "ru", "fr") and value.count("«") != value.count("»"):
            errors.append(f"{where}: unbalanced «»: {value!r}")
        if lang in ("zh-Hans", "pt") and value.count("“") != value.count("”"):
            errors.append(f"{where}: unbalanced “”: {value!r}")
        if lang == "fr":
            check_french_spacing(value, errors, where)


def check_table(path, lang):
    errors = []
    with open(path, "rb") as f:
        raw = f.read()
    members = check_form(raw, errors)
    if b"\\u" in raw:
        errors.append("uses \\u escapes")
    try:
        pairs = json.loads(raw.decode("utf-8"), object_pairs_hook=reject_duplicates)
    except (ValueError, UnicodeDecodeError) as e:
        errors.append(f"not valid JSON: {e}")
        return errors
    if not isinstance(pairs, list):
        errors.append("not a JSON object")
        return errors
    if members is not None and len(members) != len(pairs):
        errors.append(f"{len(members)} member lines but {len(pairs)} members")
    check_values(lang, pairs, errors)
    return errors


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    lang_dir = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "lang")
    if len(KEYS) != 202 or len(set(KEYS)) != 202:
        print(f"internal: {len(KEYS)} keys, {len(set(KEYS))} distinct; expected 202")
        return 1
    present = sorted(f[:-5] for f in os.listdir(lang_dir) if f.endswith(".json"))
    failed = 0
    for extra in sorted(set(present) - set(LANGS)):
        print(f"{extra}.json: not one of the eight table languages")
        failed += 1
    for lang in LANGS:
        path = os.path.join(lang_dir, lang + ".json")
        if not os.path.exists(path):
            print(f"{lang}.json: missing")
            failed += 1
            continue
        errors = check_table(path, lang)
        if errors:
            failed += 1
            print(f"{lang}.json: {len(errors)} problem(s)")
            for e in errors:
                print("  " + e)
        else:
            print(f"{lang}.json: ok ({len(table_keys(lang))} keys)")
    ending = "CR LF after '}'" if FINAL_NEWLINE else "no line break after '}'"
    if failed:
        print(f"FAILED: {failed} table(s) with problems")
        return 1
    print(f"all {len(LANGS)} tables pass ({len(KEYS)} keys each and their count forms, CR LF lines, {ending})")
    return 0


if __name__ == "__main__":
    sys.exit(main())
