"""The updater of tolvik.exe: "Check for updates" in the settings menu, the
offer's message box, the download through System32\\curl.exe, the tests of the
installer and its silent start, and the daily check at start.

curl.exe here is the stand-in tools/curl.exe, put into the prefix's
C:\\windows\\system32 for each test and taken out again: it serves files from
the test's "served" folder and logs how it was started. The offered installer
is a copy of recorder.exe signed at build time with a throw-away certificate
(tools/signed/). Wine's WinVerifyTrust does not check that a certificate
chains to a trusted root, so these self-signed copies pass here where Windows
would refuse them; what the tests show is the signer-name rule, the size and
digest tests and everything around them.

The toasts are Direct2D drawings: a toast is seen as the dark bar at the
bottom, and which toast it is as the bar's width, which grows with its text."""

import json
import os
import shutil
import time
from pathlib import Path

import harness
from test_menus import choose, entry_states, names, open_settings_menu
from test_startup import KEY, start_window
from test_window import HEIGHT, LIGHT, TOAST, WIDTH, Geometry, Window, blend, close_to, three_bundles

SIGNED = harness.TOOLS / "signed"
CURL_EXE = harness.TOOLS / "curl.exe"
FOUR_ARGUMENTS = ["/SILENT", "/SUPPRESSMSGBOXES", "/NORESTART", "/UPDATE=1"]
SERVER = "https://updates.velmora.example/"
MANIFEST_URL = SERVER + "tolvik/update.json?v=0.1.0&lang=en"
INSTALLER_URL = SERVER + "files/tolvik-Setup-0.1.1.exe"
MANIFEST_MAX_BYTES = 1 << 20
TOAST_BAR = blend(TOAST, 0.94, LIGHT["background"])


def sha256(path):
    import hashlib
    return hashlib.sha256(Path(path).read_bytes()).hexdigest()


_TEMP = []


def temp_work_folder():
    """%TEMP%\\tolvik as tolvik.exe sees it (Wine's own folder for the user's temporary files)."""
    if not _TEMP:
        code, out, err = harness.run_captured(["wine", "cmd", "/c", "echo %TEMP%"])
        assert code == 0 and out.strip(), (code, out, err)
        _TEMP.append(harness.unix_path(out.strip().splitlines()[-1]) / "tolvik")
    return _TEMP[0]


class Updates:
    """The stand-in curl in system32, the served folder and its logs."""

    def __init__(self, ctx):
        self.ctx = ctx
        self.served = ctx.folder / "served"
        (self.served / "tolvik").mkdir(parents=True)
        (self.served / "files").mkdir()
        self.log = ctx.folder / "curl.log"
        self.system_curl = harness.drive_c() / "windows" / "system32" / "curl.exe"
        self.kept = None
        if self.system_curl.exists():
            self.kept = self.system_curl.with_name("curl.exe.kept")
            shutil.move(self.system_curl, self.kept)
        shutil.copyfile(CURL_EXE, self.system_curl)
        shutil.rmtree(temp_work_folder(), ignore_errors=True)
        self.env = {"TOLVIK_CURL_ROOT": harness.wine_path(self.served),
                    "TOLVIK_CURL_LOG": harness.wine_path(self.log)}

    def remove(self):
        self.system_curl.unlink(missing_ok=True)
        if self.kept:
            shutil.move(self.kept, self.system_curl)

    def offer(self, installer="signed.exe", version="0.1.1", size=True, digest=None, served="tolvik-Setup-0.1.1.exe"):
        """Serves `installer` as files/<served> (the stand-in's "slow-" and
        "unsized-" words go at the start of that name) and offers it."""
        source = SIGNED / installer
        shutil.copyfile(source, self.served / "files" / served)
        manifest = {"version": version, "url": SERVER + "files/" + served, "sha256": digest or sha256(source).upper()}
        if size is True:
            manifest["size"] = source.stat().st_size
        elif size is not None:
            manifest["size"] = size
        (self.served / "tolvik" / "update.json").write_text(json.dumps(manifest), encoding="utf-8")

    def calls(self):
        if not self.log.exists():
            return []
        return [json.loads(line) for line in self.log.read_text(encoding="utf-8").splitlines() if line.strip()]

    def downloads(self):
        return [c for c in self.calls() if "argv" in c]

    def ending(self, call):
        """How the curl of this start ended by itself (its exit code and the
        file it wrote); None when it was ended from outside or still runs."""
        ends = [c["exit"] for c in self.calls() if "exit" in c and c["exit"]["pid"] == call["pid"]]
        return ends[0] if ends else None


def with_updates(test):
    """Runs the test with the stand-in curl in place, and takes it out after."""
    def run(ctx):
        updates = Updates(ctx)
        try:
            test(ctx, updates)
        finally:
            updates.remove()
    run.__name__ = test.__name__
    run.time_limit = getattr(test, "time_limit", 120)
    return run


def work_files():
    folder = temp_work_folder()
    return sorted(p.name for p in folder.iterdir()) if folder.exists() else []


def start(ctx, updates, last_check=None):
    # The daily check stays quiet unless a test asks for it.
    harness.reg_add(KEY, "LastUpdateCheck", "REG_SZ", str(last_check if last_check is not None else int(time.time())))
    process = start_window(ctx, env=updates.env)
    return process, Window(ctx, process)


def check_for_updates(window):
    open_settings_menu(window)
    # Import…, Language, Automatic updates, Keep running in the notification area, Check for updates
    choose("Down", "Down", "Down", "Down", "Down", "Return")


def read_offer(ctx):
    seen = ctx.probe("msgtext", "tolvik", "30000", timeout=45)
    assert seen.code == 0, seen
    return seen.out


def answer(key):
    harness.xdotool("key", key)


def toast_width(window, g):
    """Width of the toast bar in pixels (0 when there is none)."""
    image = window.shot("toast")
    y = int(g.toast_probe()[1])
    return sum(1 for x in range(WIDTH) if close_to(image.getpixel((x, y)), TOAST_BAR))


def settled_toast_width(window, g):
    """The toast's width once it stays the same over three pictures (the
    "Checking for updates…" toast it replaces may still be in the first)."""
    seen = []

    def settled():
        width = toast_width(window, g)
        seen.append(width)
        return width if width and seen[-3:] == [width] * 3 else None
    return harness.wait_for(settled, timeout=20, interval=0.5, what="the result toast (widths %s)" % seen[-5:])


def assert_curl_call(call, url, max_bytes):
    """System32's curl with no configuration file (-q only counts first), no
    address patterns, the size limit, and no path: it writes to its standard
    output, a file tolvik made."""
    argv = call["argv"]
    assert argv[0].lower() == "c:\\windows\\system32\\curl.exe", argv
    assert argv[1:] == ["-q", "--globoff", "--max-filesize", str(max_bytes), "-fsSL", "--proto", "=https",
                        "--max-time", "600", url], argv
    assert call["console"] is False, call


def running_curls():
    """The curl.exe processes of this test's Wine prefix, as Linux sees them:
    Wine's own tasklist lists nothing here."""
    return harness.wine_processes("curl.exe")


@with_updates
def test_check_offer_yes_starts_the_signed_installer_silently_and_closes(ctx, updates):
    # Brackets and braces would be several addresses to curl without --globoff.
    updates.offer(served="tolvik-Setup-[0-1]{a,b}.exe")
    process, window = start(ctx, updates)
    check_for_updates(window)
    assert read_offer(ctx) == ("A new version is available: 0.1.1\n(current 0.1.0)\n\nUpdate now?\n&Yes|&No\n")
    harness.screenshot("root", ctx.folder / "offer.png")
    answer("Return")  # Yes is the default button
    harness.wait_for(lambda: ctx.recorded(), timeout=30, what="the installer's start")
    started = ctx.recorded()
    assert len(started) == 1, started
    assert started[0]["argv"][1:] == FOUR_ARGUMENTS, started
    assert started[0]["argv"][0].endswith("\\tolvik-Setup-0.1.1.exe"), started
    # The window closes at once, without asking, and keeps its placement as
    # when the user closes it.
    assert process.wait(20) == 0
    assert harness.reg_query(KEY, "Placement") is not None

    calls = updates.downloads()
    assert len(calls) == 2, calls
    assert_curl_call(calls[0], MANIFEST_URL, MANIFEST_MAX_BYTES)
    assert_curl_call(calls[1], SERVER + "files/tolvik-Setup-[0-1]{a,b}.exe", (SIGNED / "signed.exe").stat().st_size)
    # curl wrote into the file tolvik made for it, its standard output.
    for call, end in ((calls[0], ".json"), (calls[1], ".part")):
        ending = updates.ending(call)
        assert ending and ending["code"] == 0, updates.calls()
        written = ending["output"].lower()
        assert written.startswith(str(harness.wine_path(temp_work_folder())).lower() + "\\"), ending
        assert written.endswith(end), ending
    # The manifest is gone; the installer that passed stays.
    assert work_files() == ["tolvik-Setup-0.1.1.exe"], work_files()


@with_updates
def test_no_at_the_offer_and_up_to_date_toasts(ctx, updates):
    updates.offer()
    process, window = start(ctx, updates)
    g = Geometry(WIDTH, HEIGHT, 96)
    last = harness.reg_query(KEY, "LastUpdateCheck")
    check_for_updates(window)
    read_offer(ctx)
    answer("Escape")  # No
    assert process.running()

    updates.offer(version="0.1.0")
    check_for_updates(window)
    harness.wait_for(lambda: len(updates.downloads()) == 2, what="the second check")
    width = settled_toast_width(window, g)
    window.shot("up-to-date")
    assert width > 0
    # No started nothing: the window took the second check after the answer,
    # and what the answer began would have started before that check's result.
    assert len(updates.downloads()) == 2 and not ctx.recorded(), (updates.downloads(), ctx.recorded())
    # A manual check leaves the daily time alone.
    assert harness.reg_query(KEY, "LastUpdateCheck") == last
    assert work_files() == []
    assert process.running()


@harness.time_limit(300)
@with_updates
def test_each_failure_shows_its_toast_and_leaves_no_installer(ctx, updates):
    process, window = start(ctx, updates)
    g = Geometry(WIDTH, HEIGHT, 96)
    widths = {}

    def attempt(name, offered=True):
        # The last toast goes first (after 4 s), so that two equal ones in a row are told apart.
        harness.wait_for(lambda: toast_width(window, g) == 0, timeout=20, interval=0.5, what="no toast")
        count = len(updates.downloads())
        check_for_updates(window)
        if offered:
            read_offer(ctx)
            answer("Return")
        harness.wait_for(lambda: len(updates.downloads()) == count + (2 if offered else 1), timeout=30,
                         what="curl for %s" % name)
        harness.wait_for(lambda: work_files() == [], timeout=30, what="no file left after %s" % name)
        widths[name] = settled_toast_width(window, g)
        window.shot(name)
        assert not ctx.recorded(), name
        assert process.running(), name

    # curl exits with 22: the installer is not on the server.
    updates.offer()
    (updates.served / "files" / "tolvik-Setup-0.1.1.exe").unlink()
    attempt("download")
    # Fewer bytes than offered (more would be curl's refusal: "download").
    updates.offer(size=(SIGNED / "signed.exe").stat().st_size + 1)
    attempt("size")
    updates.offer(size="12345", digest="0" * 64)  # a size given as text is not checked
    attempt("digest")
    updates.offer("wrong-case.exe", size=0)
    attempt("signer case")
    updates.offer("unsigned.exe")
    attempt("unsigned")
    updates.offer("tampered.exe")
    attempt("tampered")
    # Signed by the maker, but by their version records an older tolvik and
    # another of the maker's programs: refused as unverified, and deleted.
    updates.offer("older.exe")
    attempt("older")
    updates.offer("other-product.exe")
    attempt("other product")
    # "Download failed" < "Downloaded size mismatch" < "... corrupt (hash mismatch)" < "... could not be verified"
    assert widths["download"] < widths["size"] < widths["digest"] < widths["signer case"], widths
    assert len({widths[name] for name in ("signer case", "unsigned", "tampered", "older", "other product")}) == 1, \
        widths

    # A manifest the rules refuse: "The update information could not be read".
    (updates.served / "tolvik" / "update.json").write_text('{"version":"0.1.1a","url":"%s","sha256":"%s"}'
                                                            % (INSTALLER_URL, "0" * 64), encoding="utf-8")
    attempt("manifest", offered=False)
    assert widths["size"] < widths["manifest"] < widths["digest"], widths


@with_updates
def test_the_checked_installer_cannot_be_swapped_before_it_starts(ctx, updates):
    """A program that keeps renaming another program over the installer, and
    deleting it, from the moment curl has written it: what starts is the
    checked installer, or nothing at all; never the other program (here a copy
    of the stand-in curl, which would log the installer's arguments)."""
    updates.offer()
    process, window = start(ctx, updates)
    check_for_updates(window)
    read_offer(ctx)
    # A program of its own, not one curl started: those end with curl's job.
    ctx.start(["--swap", harness.wine_path(temp_work_folder()), harness.wine_path(CURL_EXE)], env=updates.env,
              exe=CURL_EXE)
    answer("Return")
    harness.wait_for(lambda: ctx.recorded() or work_files() == [] and len(updates.downloads()) == 2,
                     timeout=30, what="the installer's start or its refusal")
    swap = harness.wait_for(lambda: [c["swap"] for c in updates.calls() if "swap" in c], timeout=40,
                            what="the swapping program's report")[0]
    print("swap attempts:", swap, "installer started:", bool(ctx.recorded()))
    assert not any("/SILENT" in c["argv"] for c in updates.downloads()), updates.downloads()
    if ctx.recorded():
        assert [r["argv"][1:] for r in ctx.recorded()] == [FOUR_ARGUMENTS]
        assert process.wait(20) == 0


@with_updates
def test_closing_during_a_download_leaves_no_curl_and_no_file(ctx, updates):
    """Alt+F4 while curl is still writing the installer: curl ends with the
    program, and the half-written file goes with them."""
    updates.offer(served="slow-tolvik-Setup-0.1.1.exe")
    process, window = start(ctx, updates)
    check_for_updates(window)
    read_offer(ctx)
    answer("Return")
    harness.wait_for(lambda: len(updates.downloads()) == 2, timeout=30, what="the installer's curl")
    harness.wait_for(lambda: running_curls(), what="curl.exe running")
    harness.wait_for(lambda: [n for n in work_files() if n.endswith(".part")], what="the file curl writes")
    def written():
        try:
            return any((temp_work_folder() / n).stat().st_size > 0 for n in work_files() if n.endswith(".part"))
        except OSError:
            return False
    harness.wait_for(written, interval=0.05, what="curl writing the file")
    window.key("alt+F4")
    assert process.wait(20) == 0
    harness.wait_for(lambda: not running_curls(), timeout=10, what="no curl.exe left (%s)" % running_curls())
    assert updates.ending(updates.downloads()[1]) is None, updates.calls()
    harness.wait_for(lambda: work_files() == [], timeout=10, what="no file left (%s)" % work_files())
    assert not ctx.recorded()


@with_updates
def test_the_download_shows_in_the_menu_not_in_a_toast_and_a_rename_typed_meanwhile_is_kept(ctx, updates):
    """While the installer downloads, no toast covers the window and the
    settings menu shows the download, greyed, in place of "Check for
    updates"; when the window closes for the installer, it keeps what closing
    keeps: a rename typed meanwhile, and the placement."""
    three_bundles(ctx)
    harness.reg_delete(KEY, "Placement")
    updates.offer(served="slow-tolvik-Setup-0.1.1.exe")
    updates.env["TOLVIK_CURL_SLOW_MS"] = "16000"
    process, window = start(ctx, updates)
    g = Geometry(WIDTH, HEIGHT, 96)
    check_for_updates(window)
    read_offer(ctx)
    answer("Return")
    harness.wait_for(lambda: len(updates.downloads()) == 2, timeout=30, what="the installer's curl")
    # The check's toast goes by itself; the download puts up none.
    harness.wait_for(lambda: toast_width(window, g) == 0, timeout=10, interval=0.5, what="no toast")
    assert running_curls(), "the download ended before the menu was looked at"

    menu = open_settings_menu(window)[0]
    # Import…, Language, Automatic updates, Keep running in the notification area, the download, More apps, About
    assert entry_states(ctx, menu, 7) == [True, True, True, True, False, True, True]
    harness.screenshot(menu, ctx.folder / "download-menu.png")
    choose("Escape")

    window.key("F2")
    window.wait_field(g.name_box())
    harness.xdotool("type", "--delay", 40, "While updating")
    assert running_curls(), "the download ended before the rename was typed"
    harness.wait_for(lambda: [r for r in ctx.recorded() if "/UPDATE=1" in r["argv"]], timeout=40,
                     what="the installer's start")
    assert process.wait(20) == 0
    assert names(ctx) == ["While updating", "Design review", "Morning"]
    assert harness.reg_query(KEY, "Placement") is not None


@with_updates
def test_an_installer_past_its_offered_size_without_a_length_is_ended(ctx, updates):
    """A server that sends no length, so that curl's own limit cannot apply,
    and more bytes than the manifest offered: tolvik ends curl long before
    it would have finished, and nothing is left."""
    updates.offer(served="slow-unsized-tolvik-Setup-0.1.1.exe", size=1000)
    process, window = start(ctx, updates)
    check_for_updates(window)
    read_offer(ctx)
    answer("Return")
    harness.wait_for(lambda: len(updates.downloads()) == 2, timeout=30, what="the installer's curl")
    call = updates.downloads()[1]
    assert_curl_call(call, SERVER + "files/slow-unsized-tolvik-Setup-0.1.1.exe", 1000)
    # The stand-in takes 20 s for the whole file.
    harness.wait_for(lambda: not running_curls(), timeout=10, what="curl ended (%s)" % running_curls())
    assert updates.ending(call) is None, updates.calls()
    harness.wait_for(lambda: work_files() == [], timeout=10, what="no file left (%s)" % work_files())
    assert settled_toast_width(window, Geometry(WIDTH, HEIGHT, 96)) > 0
    assert not ctx.recorded()
    assert process.running()


@with_updates
def test_the_daily_check_at_start_and_a_clock_set_back(ctx, updates):
    updates.offer(version="0.1.0")
    harness.reg_delete(KEY, "LastUpdateCheck")
    # What an earlier start left: an installer that ran two days ago and a
    # download cut off by a power failure. Both go at start.
    temp_work_folder().mkdir(parents=True, exist_ok=True)
    two_days_ago = time.time() - 2 * 86400
    for name in ("tolvik-Setup-0.0.9.exe", "tolvik-Setup-0.1.1.exe.1234-1.part"):
        (temp_work_folder() / name).write_bytes(b"old")
        os.utime(temp_work_folder() / name, (two_days_ago, two_days_ago))
    before = int(time.time())
    process = start_window(ctx, env=updates.env)
    harness.wait_for(lambda: harness.reg_query(KEY, "LastUpdateCheck"), what="LastUpdateCheck")
    stored = int(harness.reg_query(KEY, "LastUpdateCheck"))
    assert before - 5 <= stored <= int(time.time()) + 5, stored
    harness.wait_for(lambda: len(updates.downloads()) == 1, what="the automatic check's curl")
    assert_curl_call(updates.downloads()[0], MANIFEST_URL, MANIFEST_MAX_BYTES)
    harness.wait_for(lambda: work_files() == [], what="the manifest and the old files deleted (%s)" % work_files())
    window = Window(ctx, process)
    window.key("alt+F4")
    assert process.wait(20) == 0

    # LastUpdateCheck less than a day ahead (a clock set back a little): no
    # automatic check. A manual one afterwards is the only curl start.
    updates.log.unlink()
    ahead = str(int(time.time()) + 3600)
    process, window = start(ctx, updates, last_check=ahead)
    check_for_updates(window)
    harness.wait_for(lambda: updates.downloads(), what="the manual check's curl")
    harness.wait_for(lambda: work_files() == [], what="the manifest deleted")
    assert len(updates.downloads()) == 1, updates.downloads()
    assert harness.reg_query(KEY, "LastUpdateCheck") == ahead
    window.key("alt+F4")
    assert process.wait(20) == 0

    # Days ahead, it was written while the clock was wrong: the check is due,
    # and the time is rewritten to now.
    updates.log.unlink()
    before = int(time.time())
    process, window = start(ctx, updates, last_check=int(time.time()) + 10 * 86400)
    harness.wait_for(lambda: len(updates.downloads()) == 1, what="the automatic check's curl")
    harness.wait_for(lambda: int(harness.reg_query(KEY, "LastUpdateCheck")) <= int(time.time()) + 5,
                     what="LastUpdateCheck rewritten")
    assert int(harness.reg_query(KEY, "LastUpdateCheck")) >= before - 5
    window.key("alt+F4")
    assert process.wait(20) == 0
