"""tolvik's installer under Wine: a silent install, the Start-menu shortcut, the
.tolvik file type, the installer's languages, an update over a running tolvik,
an update that cannot write its files, the uninstaller and a signed release.

The installers are build/windows/tolvik-Setup-<version>.exe and, for the
update, next/tolvik-Setup-<next version>.exe (harness.versions() names both).
The installed program uses its real store, %APPDATA%\\tolvik\\bundles.json, as
it would for a user: these tests unset TOLVIK_STORE, and each starts from a
prefix where tolvik is not installed.
"""

import hashlib
import http.server
import json
import re
import shlex
import subprocess
import threading
import time
from pathlib import Path

import harness
from test_menus import alt_f4, choose, open_settings_menu
from test_sign_in import APPROVED_KEY, RUN_KEY
from test_startup import KEY, export_file, read_message_box
from test_window import Window

TIME_LIMIT = 180

PRODUCT = harness.versions()["product"]
NEXT = harness.versions()["next"]
SILENT = ["/SILENT", "/SUPPRESSMSGBOXES", "/NORESTART"]

APP_ID = "Velmora.tolvik"
PROG_ID = "tolvik.Bundle"
UNINSTALL_KEY = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\tolvik"
EXTENSION_KEY = "Software\\Classes\\.tolvik"
PROG_ID_KEY = "Software\\Classes\\" + PROG_ID


def quad(version):
    """The four numbers of a version record: 0.1.0 -> 0.1.0.0."""
    parts = version.split(".")
    return ".".join(parts + ["0"] * (4 - len(parts)))


def windows_variable(name):
    code, out, err = harness.run_captured(["wine", "cmd", "/c", "echo", "%" + name + "%"])
    value = out.strip().splitlines()[-1].strip() if out.strip() else ""
    assert code == 0 and value and "%" not in value, (name, code, out, err)
    return value


def key_exists(subkey):
    """Whether HKCU\\<subkey> exists (with or without values)."""
    code, _, _ = harness.run_captured(["wine", "reg", "query", "HKCU\\" + subkey])
    return code == 0


class Places:
    """Where an installation goes, as Windows and as Unix paths."""

    def __init__(self):
        local = windows_variable("LOCALAPPDATA")
        roaming = windows_variable("APPDATA")
        self.folder = local + "\\Programs\\tolvik"
        self.exe = self.folder + "\\tolvik.exe"
        self.uninstaller = self.folder + "\\uninstall.exe"
        self.shortcut = roaming + "\\Microsoft\\Windows\\Start Menu\\Programs\\tolvik.lnk"
        self.data = roaming + "\\tolvik"
        self.local_data = local + "\\tolvik"
        self.folder_unix = harness.unix_path(self.folder)
        self.exe_unix = self.folder_unix / "tolvik.exe"
        self.shortcut_unix = harness.unix_path(self.shortcut)
        self.data_unix = harness.unix_path(self.data)
        self.store_unix = self.data_unix / "bundles.json"
        self.local_data_unix = harness.unix_path(self.local_data)


def not_installed(ctx):
    """A prefix without tolvik: no files, shortcut, file type, entry or bundles.
    The installed program keeps its bundles where a user's are, not in the
    test's folder."""
    ctx.env.pop("TOLVIK_STORE", None)
    places = Places()
    for path in (places.folder_unix, places.data_unix):
        if path.exists():
            subprocess.run(["rm", "-rf", str(path)], check=True)
    places.shortcut_unix.unlink(missing_ok=True)
    for key in (UNINSTALL_KEY, EXTENSION_KEY, PROG_ID_KEY, KEY):
        harness.reg_delete(key)
    return places


def install(ctx, setup=PRODUCT["setup"], args=SILENT):
    done = ctx.run_program(args, exe=setup, timeout=120)
    assert done.code == 0, done


def write_bundles(places, bundles):
    places.data_unix.mkdir(parents=True, exist_ok=True)
    places.store_unix.write_text(json.dumps({"version": 1, "bundles": bundles}, indent=2),
                                 encoding="utf-8")


def saved_names(places):
    return [b["name"] for b in json.loads(places.store_unix.read_text(encoding="utf-8"))["bundles"]]


def tolvik_windows():
    out = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^tolvik$"],
                         capture_output=True, text=True, timeout=10).stdout
    return out.split()


def start_installed(ctx, places, args=()):
    process = ctx.start(args, exe=places.exe_unix)
    harness.find_window("tolvik", timeout=30)
    return process


def about_text(ctx):
    """The About box's text, opened from the settings menu as a user does."""
    window = Window(ctx, None)
    open_settings_menu(window)
    choose("Up", "Return")  # the last entry
    about = ctx.probe("msgbox", "About tolvik", "20000", timeout=40)
    assert about.code == 0, about
    return about.out


def test_a_silent_install_puts_the_program_shortcut_file_type_and_entry_in_place(ctx):
    places = not_installed(ctx)
    install(ctx)

    assert places.exe_unix.is_file() and (places.folder_unix / "uninstall.exe").is_file()
    assert places.exe_unix.read_bytes() == (harness.BUILD / "tolvik.exe").read_bytes()
    version = ctx.probe("version", places.exe)
    assert (version.code, version.out) == (0, quad(PRODUCT["version"]) + "\n"), version

    # The Start-menu shortcut starts the installed program in its folder.
    link = ctx.probe("readlink", places.shortcut)
    assert link.code == 0, link
    target, arguments, _description, folder = link.out.rstrip("\n").split("\n")
    assert (target.lower(), arguments, folder.lower()) == (places.exe.lower(), "", places.folder.lower())

    # The file type: a .tolvik file opens with tolvik.exe "<file>".
    assert harness.reg_query(EXTENSION_KEY, "") == PROG_ID
    assert harness.reg_query(PROG_ID_KEY + "\\shell\\open\\command", "") == '"%s" "%%1"' % places.exe
    assert harness.reg_query(PROG_ID_KEY + "\\DefaultIcon", "") == '"%s",0' % places.exe
    assert harness.reg_query(PROG_ID_KEY, "AppUserModelID") == APP_ID

    # Apps & features.
    entry = {value: harness.reg_query(UNINSTALL_KEY, value) for value in (
        "DisplayName", "DisplayVersion", "Publisher", "UninstallString", "QuietUninstallString",
        "DisplayIcon", "InstallLocation", "NoModify", "NoRepair")}
    assert entry == {
        "DisplayName": "tolvik", "DisplayVersion": PRODUCT["version"], "Publisher": "Velmora Co., Ltd.",
        "UninstallString": '"%s"' % places.uninstaller,
        "QuietUninstallString": '"%s" /S' % places.uninstaller,
        "DisplayIcon": places.exe + ",0", "InstallLocation": places.folder,
        "NoModify": "1", "NoRepair": "1"}, entry
    size_kib = harness.reg_dword(UNINSTALL_KEY, "EstimatedSize")
    program_kib = places.exe_unix.stat().st_size // 1024
    assert program_kib <= size_kib <= program_kib + 1024, (size_kib, program_kib)

    # Installing is no start: no window, no settings.
    assert not tolvik_windows()
    assert not key_exists(KEY)


def test_the_start_menu_shortcut_carries_the_app_id(ctx):
    places = not_installed(ctx)
    install(ctx)
    seen = ctx.probe("linkappid", places.shortcut)
    if seen.code == 2:
        # Does this shell keep a link's app id at all? Ask it with a link of our own.
        scratch = ctx.folder_win + "\\scratch.lnk"
        assert ctx.probe("mklink", scratch, "C:\\windows\\notepad.exe").code == 0
        assert ctx.probe("linkappid", scratch, APP_ID).code == 0
        if ctx.probe("linkappid", scratch).code == 2:
            raise harness.Skip("this Wine's shell links keep no property values (IPropertyStore::SetValue "
                               "is a stub), so the shortcut's app id cannot be read back here")
    assert (seen.code, seen.out) == (0, APP_ID + "\n"), seen


def test_the_registered_open_command_hands_a_bundle_file_to_the_running_tolvik(ctx):
    places = not_installed(ctx)
    install(ctx)
    write_bundles(places, [{"id": "b1", "name": "Daily", "items": []}])
    running = start_installed(ctx, places)
    bundle = export_file(ctx, "Quarterly.tolvik", {"id": "q", "name": "Quarterly", "items": [
        {"kind": "url", "target": "https://q.example/"}]})

    # What Explorer runs on a double click: the open command, %1 the file.
    command = harness.reg_query(PROG_ID_KEY + "\\shell\\open\\command", "")
    program, placeholder = '"%s"' % places.exe, '"%1"'
    assert command == program + " " + placeholder, command
    second = ctx.run_program([harness.wine_path(bundle)], exe=places.exe_unix, timeout=30)
    assert second.code == 0, second
    # The hand-over returns once the running tolvik has the path; the import
    # is saved right after.
    harness.wait_for(lambda: saved_names(places) == ["Daily", "Quarterly"], what="the handed-over bundle saved")
    assert running.running()
    assert len(tolvik_windows()) == 1, tolvik_windows()
    assert harness.close_with_alt_f4(running) == 0


def test_the_shell_opens_a_bundle_file_with_the_installed_tolvik(ctx):
    places = not_installed(ctx)
    install(ctx)
    # Windows merges HKCU\Software\Classes into HKEY_CLASSES_ROOT; Wine 8 does not.
    code, _, _ = harness.run_captured(["wine", "reg", "query", "HKCR\\.tolvik"])
    if code != 0:
        assert key_exists(EXTENSION_KEY)
        raise harness.Skip("this Wine's HKEY_CLASSES_ROOT does not show the per-user file types of "
                           "HKCU\\Software\\Classes, so its shell cannot see .tolvik")
    write_bundles(places, [{"id": "b1", "name": "Daily", "items": []}])
    running = start_installed(ctx, places)
    bundle = export_file(ctx, "Quarterly.tolvik", {"id": "q", "name": "Quarterly", "items": []})
    opened = ctx.probe("shellopen", harness.wine_path(bundle))
    assert opened.code == 0, opened
    harness.wait_for(lambda: saved_names(places) == ["Daily", "Quarterly"], timeout=30,
                     what="the bundle file imported by the running tolvik")
    assert len(tolvik_windows()) == 1, tolvik_windows()
    assert harness.close_with_alt_f4(running) == 0


def installed_with_a_bundle(ctx):
    """The product installed, one bundle saved and no update check of its own
    at start (a setting the update must keep). Returns the places and the
    store's bytes."""
    places = not_installed(ctx)
    install(ctx)
    write_bundles(places, [{"id": "b1", "name": "Daily", "items": [
        {"kind": "url", "target": "https://d.example/"}]}])
    harness.reg_add(KEY, "AutoUpdate", "REG_DWORD", 0)
    return places, places.store_unix.read_bytes()


def test_an_update_waits_for_the_running_tolvik_then_replaces_and_restarts_it(ctx):
    places, bundles_before = installed_with_a_bundle(ctx)
    old = start_installed(ctx, places)
    assert about_text(ctx).startswith("tolvik %s\n\n" % PRODUCT["version"])

    # The updater starts the installer so, then closes the program.
    setup = ctx.start(SILENT + ["/UPDATE=1"], exe=NEXT["setup"])
    # The installer waits up to 30 s for the running tolvik to close and shows
    # nothing while it waits: 3 s into that wait it must not have replaced it.
    time.sleep(3)
    # Still waiting: nothing replaced while tolvik runs.
    assert setup.running() and old.running()
    assert ctx.probe("version", places.exe).out == quad(PRODUCT["version"]) + "\n"

    assert alt_f4(old) == 0
    assert setup.wait(60) == 0
    assert ctx.probe("version", places.exe).out == quad(NEXT["version"]) + "\n"
    assert places.exe_unix.read_bytes() == Path(NEXT["program"]).read_bytes()
    assert harness.reg_query(UNINSTALL_KEY, "DisplayVersion") == NEXT["version"]

    # The installer started the new tolvik, which says so in its About box.
    harness.find_window("tolvik", timeout=30)
    assert about_text(ctx).startswith("tolvik %s\n\n" % NEXT["version"])
    assert len(tolvik_windows()) == 1, tolvik_windows()
    assert places.store_unix.read_bytes() == bundles_before
    assert harness.reg_dword(KEY, "AutoUpdate") == 0
    harness.close_with_alt_f4()
    harness.wait_for(lambda: not tolvik_windows(), timeout=30, what="the new tolvik closed")


def test_a_silent_install_ends_a_running_tolvik_with_quit_even_one_kept_in_the_notification_area(ctx):
    places = not_installed(ctx)
    install(ctx)
    for hidden in (False, True):
        if hidden:
            harness.reg_add(KEY, "KeepInNotificationArea", "REG_DWORD", 1)
        running = start_installed(ctx, places)
        if hidden:
            # Its window hidden, only its icon left: nothing for a user to close.
            harness.xdotool("key", "--window", harness.find_window("tolvik"), "alt+F4")
            harness.wait_for(lambda: not tolvik_windows(), timeout=20, what="the window hidden")
            assert running.running()
        # Not an update: the installer asks the program to end (tolvik.exe --quit) and proceeds.
        done = ctx.run_program(SILENT, exe=NEXT["setup"], timeout=120)
        assert done.code == 0, done
        assert running.wait(20) == 0
        version = ctx.probe("version", places.exe).out
        # Seen once in a full run (the installer said 0, the old version stayed):
        # what was there says which step did not happen.
        assert version == quad(NEXT["version"]) + "\n", (hidden, version, done, program_files(places))
        install(ctx)  # the product version again, for the next round


def test_a_silent_install_waits_for_a_windowless_tolvik_of_its_folder(ctx):
    """A tolvik.exe of the install folder without the main window (a window-less
    --open showing its message box) holds the program file: --quit cannot end
    it, so a silent install ends with exit code 2 and changes nothing."""
    places = not_installed(ctx)
    install(ctx)
    windowless = ctx.start(["--open", "no such bundle"], exe=places.exe_unix)
    harness.find_window("tolvik", timeout=30)  # the message box, titled as the program
    assert ctx.probe("find", "tolvik.Main").code == 1
    done = ctx.run_program(SILENT, exe=NEXT["setup"], timeout=120)
    assert done.code == 2, done
    assert ctx.probe("version", places.exe).out == quad(PRODUCT["version"]) + "\n"
    assert windowless.running()
    assert "no such bundle" in read_message_box(ctx)
    assert windowless.wait(20) == 0


# The file type's name in each language the installer speaks: the program's
# own word for a bundle (lang/<code>.json), and Korean's from the program's code.
FILE_TYPE_NAMES = {
    "en_US": "tolvik bundle", "ko_KR": "tolvik 묶음", "de_DE": "tolvik-Sammlung",
    "es_ES": "Grupo de tolvik", "fr_FR": "Groupe tolvik", "ja_JP": "tolvik セット",
    "pt_BR": "Grupo do tolvik", "ru_RU": "Набор tolvik", "zh_CN": "tolvik 组合",
    "zh_TW": "tolvik 組合",
}


@harness.time_limit(300)
def test_the_installer_speaks_the_language_of_windows(ctx):
    """Installed under Windows in each of the ten languages, the .tolvik file
    type is named in that language (the name File Explorer shows as its type)."""
    seen = {}
    for locale in FILE_TYPE_NAMES:
        not_installed(ctx)
        language = {"LC_ALL": locale + ".UTF-8", "LANG": locale + ".UTF-8"}
        done = ctx.run_program(SILENT, env=language, exe=PRODUCT["setup"], timeout=120)
        assert done.code == 0, (locale, done)
        seen[locale] = harness.reg_query(PROG_ID_KEY, "")
    assert seen == FILE_TYPE_NAMES


def test_a_text_missing_in_one_language_fails_the_installer_build(ctx):
    """The build's own makensis command (as ninja runs it for `make
    installer`), given the script without one language's line of one text."""
    listed = subprocess.run(["ninja", "-C", harness.BUILD, "-t", "commands", "installer"],
                            capture_output=True, text=True, timeout=60)
    assert listed.returncode == 0, listed
    command = [line for line in listed.stdout.splitlines() if "makensis" in line and "tolvik.nsi" in line]
    assert len(command) == 1, listed.stdout
    words = shlex.split(command[0].split("&&")[-1].strip())
    script = Path([w for w in words if w.endswith("tolvik.nsi")][0])
    lines = script.read_text(encoding="utf-8").splitlines(keepends=True)
    russian = [line for line in lines if line.startswith("LangString StartNow ${LANG_RUSSIAN}")]
    assert len(russian) == 1

    def build(text, name):
        copy = ctx.folder / ("%s.nsi" % name)
        copy.write_text(text, encoding="utf-8")
        setup = ctx.folder / ("%s.exe" % name)
        run = [str(copy) if w == str(script) else w for w in words]
        run = ["-DOUTFILE=%s" % setup if w.startswith("-DOUTFILE=") else w for w in run]
        done = subprocess.run(run, capture_output=True, text=True, timeout=120)
        return done, setup

    whole, setup = build("".join(lines), "whole")
    assert whole.returncode == 0 and setup.is_file(), whole
    missing, setup = build("".join(line for line in lines if line not in russian), "missing")
    assert missing.returncode != 0 and not setup.exists(), missing
    assert 'LangString "StartNow" is not set in language table of language Russian' in \
        missing.stdout + missing.stderr, missing


def hold(ctx, path, share=1):
    """probe.exe keeps the file open, as a virus scanner or a backup does. By
    default others may read it (and so start it) but not write, replace or
    delete it; share 3 lets them write it too, but still not replace it."""
    holder = ctx.start(["hold", path, str(share), "300000"], exe=harness.PROBE_EXE)
    harness.wait_for(lambda: holder.output()[0].strip() == "held" or not holder.running(), timeout=30,
                     what="probe hold")
    assert holder.running(), holder.output()
    return holder


def program_files(places):
    return sorted(p.name for p in places.folder_unix.iterdir())


@harness.time_limit(180)
def test_an_update_that_cannot_replace_tolvik_keeps_the_old_one_and_starts_it_again(ctx):
    places, bundles_before = installed_with_a_bundle(ctx)
    old_program = places.exe_unix.read_bytes()
    # The updater has closed tolvik, but something still holds tolvik.exe.
    holder = hold(ctx, places.exe)

    began = time.monotonic()
    done = ctx.run_program(SILENT + ["/UPDATE=1"], exe=NEXT["setup"], timeout=120)
    took = time.monotonic() - began
    # Exit code 3: the files could not be written. It gives up in bounded time
    # (the wait for Windows to let go of tolvik.exe) and never asks.
    assert done.code == 3, done
    assert took < 60, took

    # Nothing changed: the old program, its entry, no half-written files.
    assert ctx.probe("version", places.exe).out == quad(PRODUCT["version"]) + "\n"
    assert places.exe_unix.read_bytes() == old_program
    assert program_files(places) == ["tolvik.exe", "tolvikc.exe", "uninstall.exe"], program_files(places)
    assert harness.reg_query(UNINSTALL_KEY, "DisplayVersion") == PRODUCT["version"]
    assert places.store_unix.read_bytes() == bundles_before

    # The user is not left without tolvik: the installed one is back.
    harness.find_window("tolvik", timeout=30)
    assert about_text(ctx).startswith("tolvik %s\n\n" % PRODUCT["version"])
    assert len(tolvik_windows()) == 1, tolvik_windows()
    holder.kill()
    harness.close_with_alt_f4()
    harness.wait_for(lambda: not tolvik_windows(), timeout=30, what="the old tolvik closed")

    # Once nothing holds it, the same update goes through.
    done = ctx.run_program(SILENT + ["/UPDATE=1"], exe=NEXT["setup"], timeout=120)
    assert done.code == 0, done
    assert ctx.probe("version", places.exe).out == quad(NEXT["version"]) + "\n"
    assert program_files(places) == ["tolvik.exe", "tolvikc.exe", "uninstall.exe"], program_files(places)
    harness.find_window("tolvik", timeout=30)
    harness.close_with_alt_f4()
    harness.wait_for(lambda: not tolvik_windows(), timeout=30, what="the new tolvik closed")


@harness.time_limit(120)
def test_a_silent_install_that_cannot_replace_tolvik_changes_nothing(ctx):
    places = not_installed(ctx)
    install(ctx)
    holder = hold(ctx, places.exe)
    # Not an update: nobody closed a tolvik for it, so none is started.
    done = ctx.run_program(SILENT, exe=NEXT["setup"], timeout=120)
    assert done.code == 3, done
    assert ctx.probe("version", places.exe).out == quad(PRODUCT["version"]) + "\n"
    assert program_files(places) == ["tolvik.exe", "tolvikc.exe", "uninstall.exe"], program_files(places)
    assert harness.reg_query(UNINSTALL_KEY, "DisplayVersion") == PRODUCT["version"]
    # A tolvik the installer started would run on after it; its "--quit" for
    # a running copy ends by itself.
    harness.wait_no_process("tolvik.exe")
    assert not tolvik_windows()
    holder.kill()


@harness.time_limit(120)
def test_an_update_that_can_write_but_not_replace_tolvik_changes_nothing(ctx):
    """tolvik.exe held open for reading and writing but not for deleting: the
    new files are written beside it, and the swap that would move the old one
    aside fails, so the old one is put back as it was."""
    scratch = ctx.folder / "scratch.txt"
    scratch.write_text("held", encoding="ascii")
    holder = hold(ctx, harness.wine_path(scratch), 3)
    harness.run_captured(["wine", "cmd", "/c", "move", harness.wine_path(scratch),
                          harness.wine_path(scratch) + ".moved"])
    holder.kill()
    if not scratch.exists():
        raise harness.Skip("this Wine renames a file that another program holds open without FILE_SHARE_DELETE, "
                           "which Windows refuses (sharing violation), so the failed swap cannot happen here")
    places, bundles_before = installed_with_a_bundle(ctx)
    old_program = places.exe_unix.read_bytes()
    holder = hold(ctx, places.exe, 3)
    done = ctx.run_program(SILENT + ["/UPDATE=1"], exe=NEXT["setup"], timeout=120)
    assert done.code == 3, done
    assert places.exe_unix.read_bytes() == old_program
    assert program_files(places) == ["tolvik.exe", "tolvikc.exe", "uninstall.exe"], program_files(places)
    assert harness.reg_query(UNINSTALL_KEY, "DisplayVersion") == PRODUCT["version"]
    assert places.store_unix.read_bytes() == bundles_before
    harness.find_window("tolvik", timeout=30)
    holder.kill()
    harness.close_with_alt_f4()
    harness.wait_for(lambda: not tolvik_windows(), timeout=30, what="the old tolvik closed")


def test_the_uninstaller_removes_the_program_and_its_traces_and_keeps_the_bundles(ctx):
    places = not_installed(ctx)
    install(ctx)
    write_bundles(places, [{"id": "b1", "name": "Daily", "items": []}])
    kept_aside = places.data_unix / "bundles.broken-1700000000.json"
    kept_aside.write_text("{", encoding="utf-8")
    data_before = {p.name: p.read_bytes() for p in places.data_unix.iterdir()}
    # What the last openings started, kept by the program for Close.
    places.local_data_unix.mkdir(parents=True, exist_ok=True)
    (places.local_data_unix / "opened.json").write_text('{"b1": {}}', encoding="utf-8")
    harness.reg_add(KEY, "Language", "REG_SZ", "ko")
    harness.reg_add(KEY, "Selected", "REG_SZ", "b1")
    # The start at sign-in, and the switch Windows' start-up apps keep for it.
    harness.reg_add(RUN_KEY, "tolvik", "REG_SZ", '"%s" --sign-in' % places.exe)
    harness.reg_add(APPROVED_KEY, "tolvik", "REG_BINARY", bytes([2] + [0] * 11))

    # As Apps & features runs it, silently.
    quiet = harness.reg_query(UNINSTALL_KEY, "QuietUninstallString")
    assert quiet == '"%s" /S' % places.uninstaller
    done = ctx.run_program(["/S"], exe=places.folder_unix / "uninstall.exe", timeout=60)
    assert done.code == 0, done
    # The uninstaller goes on from a copy of itself; its entry goes last.
    harness.wait_for(lambda: not key_exists(UNINSTALL_KEY), timeout=60, what="the uninstall entry removed")

    assert not places.folder_unix.exists()
    assert not places.shortcut_unix.exists()
    assert not places.local_data_unix.exists()
    assert not key_exists(EXTENSION_KEY) and not key_exists(PROG_ID_KEY)
    assert not key_exists(KEY)
    assert harness.reg_query(RUN_KEY, "tolvik") is None
    assert harness.reg_query(APPROVED_KEY, "tolvik") is None
    assert {p.name: p.read_bytes() for p in places.data_unix.iterdir()} == data_before



ENVIRONMENT_KEY = "Environment"


def path_type():
    """The type of HKCU\\Environment Path as reg.exe names it, or None."""
    code, out, _ = harness.run_captured(["wine", "reg", "query", "HKCU\\" + ENVIRONMENT_KEY, "/v", "Path"])
    if code != 0:
        return None
    found = re.search(r"\bPath\s+(REG_\w+)", out, re.IGNORECASE)
    return found.group(1) if found else None


@harness.time_limit(240)
def test_the_installer_puts_its_folder_on_the_users_path_once_and_the_uninstaller_takes_only_it_away(ctx):
    places = not_installed(ctx)
    before = harness.reg_query(ENVIRONMENT_KEY, "Path")
    before_type = path_type()
    # A user's own PATH with a variable in it: the value must stay expandable.
    own = "%USERPROFILE%\\bin;C:\\Tools"
    harness.reg_add(ENVIRONMENT_KEY, "Path", "REG_EXPAND_SZ", own)
    try:
        install(ctx)
        assert (places.folder_unix / "tolvikc.exe").read_bytes() == (harness.BUILD / "tolvikc.exe").read_bytes()
        assert harness.reg_query(ENVIRONMENT_KEY, "Path") == own + ";" + places.folder
        assert path_type() == "REG_EXPAND_SZ"
        # Installed again (a repair or an update): the folder is not added twice.
        install(ctx)
        assert harness.reg_query(ENVIRONMENT_KEY, "Path") == own + ";" + places.folder
        # The installed console companion runs from there and answers a script.
        listed = ctx.run_program(["--list"], exe=places.folder_unix / "tolvikc.exe", timeout=60)
        assert (listed.code, listed.out) == (0, ""), listed

        done = ctx.run_program(["/S"], exe=places.folder_unix / "uninstall.exe", timeout=60)
        assert done.code == 0, done
        harness.wait_for(lambda: not key_exists(UNINSTALL_KEY), timeout=60, what="the uninstall entry removed")
        assert harness.reg_query(ENVIRONMENT_KEY, "Path") == own
        assert path_type() == "REG_EXPAND_SZ"
        assert not places.folder_unix.exists()

        # A PATH that held only the folder goes with it.
        harness.reg_delete(ENVIRONMENT_KEY, "Path")
        install(ctx)
        assert harness.reg_query(ENVIRONMENT_KEY, "Path") == places.folder
        assert path_type() == "REG_EXPAND_SZ"
        done = ctx.run_program(["/S"], exe=places.folder_unix / "uninstall.exe", timeout=60)
        assert done.code == 0, done
        harness.wait_for(lambda: not key_exists(UNINSTALL_KEY), timeout=60, what="the uninstall entry removed")
        assert harness.reg_query(ENVIRONMENT_KEY, "Path") is None
    finally:
        if before is None:
            harness.reg_delete(ENVIRONMENT_KEY, "Path")
        else:
            harness.reg_add(ENVIRONMENT_KEY, "Path", before_type or "REG_EXPAND_SZ", before)

def make_signer(folder, common_name):
    """A self-signed code-signing certificate and its key (PEM) for a test release."""
    folder.mkdir(parents=True, exist_ok=True)
    cert, key = folder / "cert.pem", folder / "key.pem"
    subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2",
                    "-keyout", key, "-out", cert, "-subj", "/CN=%s/O=%s" % (common_name, common_name),
                    "-addext", "extendedKeyUsage=codeSigning"], check=True, capture_output=True, timeout=60)
    return cert, key


class TimeStampAuthority:
    """A throw-away RFC 3161 time-stamp server on 127.0.0.1: a certificate of
    its own (critical extended key usage timeStamping, as the standard asks)
    and `openssl ts -reply` for each request. Counts the stamps it gave."""

    def __init__(self, folder):
        self.folder = Path(folder)
        self.folder.mkdir(parents=True, exist_ok=True)
        self.cert, key = self.folder / "tsa.pem", self.folder / "tsa.key"
        subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2",
                        "-keyout", key, "-out", self.cert, "-subj", "/CN=tolvik test time stamps",
                        "-addext", "extendedKeyUsage=critical,timeStamping"],
                       check=True, capture_output=True, timeout=60)
        (self.folder / "serial").write_text("01\n", encoding="ascii")
        self.config = self.folder / "tsa.cnf"
        self.config.write_text("\n".join([
            "[ tsa ]", "default_tsa = test_tsa", "[ test_tsa ]",
            "serial = %s" % (self.folder / "serial"), "signer_cert = %s" % self.cert,
            "signer_key = %s" % key, "signer_digest = sha256", "default_policy = 1.3.6.1.4.1.55555.1",
            "digests = sha256, sha384, sha512, sha1", "accuracy = secs:1", "ess_cert_id_alg = sha256", ""]),
            encoding="ascii")
        self.stamps = 0
        self._lock = threading.Lock()
        authority = self

        class Handler(http.server.BaseHTTPRequestHandler):
            def do_POST(self):
                query = self.rfile.read(int(self.headers.get("Content-Length", "0")))
                reply = authority._reply(query)
                self.send_response(200 if reply else 500)
                self.send_header("Content-Type", "application/timestamp-reply")
                self.send_header("Content-Length", str(len(reply)))
                self.end_headers()
                self.wfile.write(reply)

            def log_message(self, *args):
                pass

        self._server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
        self.url = "http://127.0.0.1:%d/" % self._server.server_address[1]
        self._thread = threading.Thread(target=self._server.serve_forever, daemon=True)
        self._thread.start()

    def _reply(self, query):
        with self._lock:
            request, reply = self.folder / "request.tsq", self.folder / "reply.tsr"
            request.write_bytes(query)
            reply.unlink(missing_ok=True)
            done = subprocess.run(["openssl", "ts", "-reply", "-config", self.config, "-queryfile", request,
                                   "-out", reply], capture_output=True, timeout=60)
            if done.returncode != 0 or not reply.exists():
                return b""
            self.stamps += 1
            return reply.read_bytes()

    def stop(self):
        self._server.shutdown()
        self._server.server_close()


def sign_release(cert, key, out, url, tsa, program=PRODUCT["program"]):
    """scripts/sign-release.sh as a release is made; tsa None: without --timestamp."""
    command = [harness.REPO / "scripts" / "sign-release.sh", "--cert", cert, "--key", key,
               "--program", program, "--build", harness.BUILD, "--out", out, "--ca", cert, "--url", url]
    if tsa is not None:
        command += ["--timestamp", tsa.url, "--tsa-ca", tsa.cert]
    return subprocess.run([str(c) for c in command], capture_output=True, text=True, timeout=240)


def assert_signed(path, cert, tsa, description):
    """The file carries a valid signature of "Velmora Co., Ltd." with that
    description and a valid time stamp (osslsigncode, as Windows would check it)."""
    checked = subprocess.run(["osslsigncode", "verify", "-CAfile", cert, "-TSA-CAfile", tsa.cert, "-in", path],
                             capture_output=True, text=True, timeout=60)
    assert checked.returncode == 0, (path, checked)
    assert re.search(r"^\s*Subject: /CN=Velmora Co\., Ltd\./", checked.stdout, re.M), (path, checked.stdout)
    assert "Text description: %s\n" % description in checked.stdout, (path, checked.stdout)
    assert "Timestamp Server Signature verification: ok" in checked.stdout, (path, checked.stdout)


def file_sha256(path):
    return hashlib.sha256(Path(path).read_bytes()).hexdigest()


@harness.time_limit(300)
def test_a_signed_release_installs_and_its_update_json_describes_it(ctx):
    places = not_installed(ctx)
    name = Path(PRODUCT["setup"]).name
    url = "https://updates.velmora.example/tolvik/" + name
    tsa = TimeStampAuthority(ctx.folder / "tsa")
    try:
        # A certificate of another name would be refused by the program: no release.
        other = make_signer(ctx.folder / "other", "Velmora Co. Ltd")
        refused = sign_release(*other, ctx.folder / "refused", url, tsa)
        assert refused.returncode != 0 and "Velmora Co., Ltd." in refused.stderr, refused
        assert not (ctx.folder / "refused").exists()
        plain = sign_release(*other, ctx.folder / "refused", url.replace("https://", "http://"), tsa)
        assert plain.returncode != 0 and "https://" in plain.stderr, plain

        # No time stamp, no release: such signatures die with the certificate.
        cert, key = make_signer(ctx.folder / "signer", "Velmora Co., Ltd.")
        untimed = sign_release(cert, key, ctx.folder / "untimed", url, None)
        assert untimed.returncode != 0 and "--timestamp" in untimed.stderr, untimed
        assert not (ctx.folder / "untimed").exists()
        # Nor from a file that does not say which version it is.
        unversioned = sign_release(cert, key, ctx.folder / "unversioned", url, tsa, program=harness.PROBE_EXE)
        assert unversioned.returncode != 0 and "no resources" in unversioned.stderr, unversioned
        assert not (ctx.folder / "unversioned").exists()
        assert tsa.stamps == 0

        # The program under a name that says nothing: the release takes its
        # version from the program's version record.
        program = ctx.folder / "build-output.exe"
        program.write_bytes(Path(PRODUCT["program"]).read_bytes())
        build_output = file_sha256(PRODUCT["program"])
        release = ctx.folder / "release"
        signed = sign_release(cert, key, release, url, tsa, program=program)
        assert signed.returncode == 0, signed
        # The program, its console companion, the uninstaller and the
        # installer, each stamped once.
        assert tsa.stamps == 4, (tsa.stamps, signed)
        assert sorted(p.name for p in release.iterdir()) == [name, "update.json"]
        # What was given is left as it was, unsigned.
        assert file_sha256(program) == file_sha256(PRODUCT["program"]) == build_output
        unsigned = subprocess.run(["osslsigncode", "verify", "-in", program], capture_output=True, text=True,
                                  timeout=60)
        assert unsigned.returncode != 0, unsigned

        setup = release / name
        assert_signed(setup, cert, tsa, "tolvik Setup")
        data = setup.read_bytes()
        manifest = json.loads((release / "update.json").read_text(encoding="utf-8"))
        assert manifest == {"version": PRODUCT["version"], "url": url,
                            "sha256": hashlib.sha256(data).hexdigest(), "size": len(data)}, manifest
    finally:
        tsa.stop()

    # The signature sits where the installer's own integrity check expects it,
    # and what it installs is signed too.
    install(ctx, setup=setup)
    assert ctx.probe("version", places.exe).out == quad(PRODUCT["version"]) + "\n"
    assert harness.reg_query(UNINSTALL_KEY, "DisplayVersion") == PRODUCT["version"]
    assert_signed(places.exe_unix, cert, tsa, "tolvik")
    assert_signed(places.folder_unix / "tolvikc.exe", cert, tsa, "tolvikc")
    assert_signed(places.folder_unix / "uninstall.exe", cert, tsa, "tolvik Uninstall")

    # The signed uninstaller still does its work.
    done = ctx.run_program(["/S"], exe=places.folder_unix / "uninstall.exe", timeout=60)
    assert done.code == 0, done
    harness.wait_for(lambda: not key_exists(UNINSTALL_KEY), timeout=60, what="the uninstall entry removed")
    assert not places.folder_unix.exists()


@harness.time_limit(300)
def test_the_installed_program_updates_itself_from_a_signed_release(ctx):
    """The whole way: tolvik as installed asks the update server (the stand-in
    curl serving a folder), the user says Yes, the signed release of the next
    version is downloaded, checked and started silently; it replaces the
    program, which comes back as the new version with the bundles as they were."""
    from test_update import Updates, check_for_updates, read_offer
    places, bundles_before = installed_with_a_bundle(ctx)
    updates = Updates(ctx)
    try:
        name = Path(NEXT["setup"]).name
        cert, key = make_signer(ctx.folder / "signer", "Velmora Co., Ltd.")
        release = ctx.folder / "release"
        tsa = TimeStampAuthority(ctx.folder / "tsa")
        try:
            signed = sign_release(cert, key, release, "https://updates.velmora.example/tolvik/" + name, tsa,
                                  program=NEXT["program"])
        finally:
            tsa.stop()
        assert signed.returncode == 0, signed
        assert (release / name).is_file(), signed
        (updates.served / "tolvik" / name).write_bytes((release / name).read_bytes())
        (updates.served / "tolvik" / "update.json").write_bytes((release / "update.json").read_bytes())

        old = ctx.start(env=updates.env, exe=places.exe_unix)
        window = Window(ctx, old)
        check_for_updates(window)
        assert read_offer(ctx).startswith("A new version is available: %s\n(current %s)"
                                          % (NEXT["version"], PRODUCT["version"]))
        harness.xdotool("key", "Return")
        # The program closes at once; the installer waits for it, then replaces it.
        assert old.wait(60) == 0
        harness.wait_for(lambda: ctx.probe("version", places.exe).out == quad(NEXT["version"]) + "\n",
                         timeout=90, what="the new version installed")
        harness.find_window("tolvik", timeout=30)
        assert about_text(ctx).startswith("tolvik %s\n\n" % NEXT["version"])
        assert len(tolvik_windows()) == 1, tolvik_windows()
        assert places.store_unix.read_bytes() == bundles_before
        assert [c["argv"][-1] for c in updates.downloads()][-1].endswith(name)
    finally:
        updates.remove()
    harness.close_with_alt_f4()
    harness.wait_for(lambda: not tolvik_windows(), timeout=30, what="the new tolvik closed")
