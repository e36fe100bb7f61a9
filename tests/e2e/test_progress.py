"""While a bundle opens and after: its Open button stops the opening, and the
summary toast's Retry opens again just what could not be opened. Driven like
a user with clicks; what started is read from recorder.exe's log."""

import shutil
import time

import harness
from test_startup import close_window, recorded_args, recorder_item, start_window, write_store
from test_window import HEIGHT, LIGHT, TOAST, WIDTH, Geometry, Window, blend, close_to

TOAST_BAR = blend(TOAST, 0.94, LIGHT["background"])
ACTION_GREEN = (0x86, 0xEF, 0xAC)


def toast_button(window, g):
    """The centre of the toast's button (Undo, Retry): its label's green among the bar's pixels."""
    image = window.shot("toast")
    y = int(g.H - 66 * g.s + 20 * g.s)
    greens = [x for x in range(int(g.W / 2), int(g.W - 16 * g.s)) if close_to(image.getpixel((x, y)), ACTION_GREEN, 40)]
    assert greens, "no button on the toast"
    return (sum(greens) / len(greens), y)


def started(ctx):
    return [r["argv"][1] for r in ctx.recorded() if "event" not in r]


@harness.time_limit(90)
def test_the_open_button_stops_the_opening_and_later_items_never_start(ctx):
    delayed = recorder_item(ctx, "second")
    delayed["delay"] = 5
    write_store(ctx, [{"id": "b1", "name": "Slow", "items": [recorder_item(ctx, "first"), delayed,
                                                             recorder_item(ctx, "third")]}])
    process = start_window(ctx)
    window = Window(ctx, process)
    g = Geometry(WIDTH, HEIGHT, 96, bundles=1)
    x, y = g.row_open_probe(0)
    window.click((x, y))
    assert recorded_args(ctx, 1) == ["first"]
    # The same button, now "1/3", stops the opening while it waits before the second item.
    pressed_at = time.monotonic()
    window.click((x - 5, y + 3))
    window.wait_pixel(g.toast_probe(), TOAST_BAR, "the summary toast")
    # Past the second item's own delay of 5 s (and 1.5 s for a start) nothing
    # more has started: only that long tells of a start that never comes.
    time.sleep(max(0.0, 6.5 - (time.monotonic() - pressed_at)))
    assert started(ctx) == ["first"], ctx.recorded()

    # Stopped, the button opens again: everything starts, the second item
    # no sooner than its delay after the first.
    window.wait_pixel(g.toast_probe(), LIGHT["background"], "the toast to end", tolerance=10)
    window.click((x - 2, y - 3))
    harness.wait_for(lambda: len(started(ctx)) == 4, timeout=20, what="the second opening's items")
    assert started(ctx) == ["first", "first", "second", "third"], started(ctx)
    runs = [r for r in ctx.recorded() if "event" not in r]
    # Each time is taken once the recorder runs: the first one's start-up may
    # have taken longer than the second's, and the clock has 16 ms steps.
    assert runs[2]["time"] - runs[1]["time"] >= 5000 - 250, runs
    assert close_window(ctx, process) == 0


@harness.time_limit(90)
def test_retry_on_the_summary_opens_only_what_failed_once_it_is_there(ctx):
    later = ctx.folder / "later" / "recorder.exe"
    (ctx.folder / "odd.tolvikunknownext").write_text("x")
    write_store(ctx, [{"id": "b1", "name": "Work", "items": [
        recorder_item(ctx, "present"),
        {"kind": "app", "target": harness.wine_path(later), "args": "later"},
        {"kind": "file", "target": ctx.folder_win + "\\odd.tolvikunknownext"},
    ]}])
    process = start_window(ctx)
    window = Window(ctx, process)
    g = Geometry(WIDTH, HEIGHT, 96, bundles=1)
    window.click(g.row_open_probe(0))
    assert recorded_args(ctx, 1) == ["present"]
    window.wait_pixel(g.toast_probe(), TOAST_BAR, "the summary toast")
    # The missing app gets the red "Not found" pill, the file nothing opens gets its own.
    image = window.shot("marks")
    for item in (1, 2):
        assert close_to(window.pixel(g.pill_probe(item), image), blend((0xDC, 0x26, 0x26), 0.12, LIGHT["surface"]),
                        10), "no mark on item %d" % item
    assert not close_to(window.pixel(g.pill_probe(0), image), blend((0xDC, 0x26, 0x26), 0.12, LIGHT["surface"]), 10)

    later.parent.mkdir()
    shutil.copy(harness.RECORDER_EXE, later)
    window.click(toast_button(window, g))
    harness.wait_for(lambda: len(started(ctx)) == 2, timeout=15, what="the retried item")
    # A retry that opened "present" again would start it beside "later", and
    # nothing marks the end of the retry here (the first summary's toast may
    # still show): a moment for such a start, then every recorder started by
    # then has logged its start once it has ended.
    time.sleep(1.5)
    harness.wait_no_process("recorder.exe")
    records = [r for r in ctx.recorded() if "event" not in r]
    assert [r["argv"][1] for r in records] == ["present", "later"], records
    assert records[1]["argv"][0].lower().endswith("\\later\\recorder.exe"), records[1]
    # It opened: its mark is gone; the file that still cannot be opened keeps its own.
    window.wait_pixel(g.toast_probe(), TOAST_BAR, "the retry's summary")
    image = window.shot("after-retry")
    assert not close_to(window.pixel(g.pill_probe(1), image), blend((0xDC, 0x26, 0x26), 0.12, LIGHT["surface"]), 10)
    assert close_to(window.pixel(g.pill_probe(2), image), blend((0xDC, 0x26, 0x26), 0.12, LIGHT["surface"]), 10)
    assert close_window(ctx, process) == 0

