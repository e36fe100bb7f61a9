"""The window frame that Windows draws around the view: caption, borders,
the close button and Alt+F4, driven like a user with the mouse and keys.

Under Xvfb there is no window manager. These tests ask Wine to draw the frame
itself (X11 Driver "Decorated"=N) and to move and size its windows itself
("Managed"=N, so that a maximised window really covers the screen); both values
are removed again afterwards so that the other tests keep their client-area
coordinates."""

import contextlib
import subprocess

import harness
from test_startup import KEY, start_window
from test_window import LIGHT, Geometry, close_to, geometry_of, three_bundles, wait_until_still

X11 = "Software\\Wine\\X11 Driver"
SW_SHOWNORMAL, SW_SHOWMAXIMIZED = 1, 3


@contextlib.contextmanager
def drawn_frame():
    harness.reg_add(X11, "Decorated", "REG_SZ", "N")
    harness.reg_add(X11, "Managed", "REG_SZ", "N")
    try:
        yield
    finally:
        harness.reg_delete(X11, "Decorated")
        harness.reg_delete(X11, "Managed")


def client_area(ctx):
    """(x, y, width, height, zoomed) of the client area on the screen."""
    seen = ctx.probe("client", "tolvik.Main")
    assert seen.code == 0, seen
    x, y, width, height, state = seen.out.split()
    return int(x), int(y), int(width), int(height), state == "zoomed"


def screen_size():
    out = subprocess.run(["xdotool", "getdisplaygeometry"], capture_output=True, text=True,
                         timeout=10).stdout.split()
    return int(out[0]), int(out[1])


def drag(start, end, steps=6):
    """Presses at start, moves in steps to end and lets go. Wine's move and
    size loop reads each move from the window's queue, in the order the X
    server sent them (--sync: each once the pointer is there)."""
    harness.xdotool("mousemove", "--sync", *start)
    harness.xdotool("mousedown", 1)
    for i in range(1, steps + 1):
        harness.xdotool("mousemove", "--sync", start[0] + (end[0] - start[0]) * i // steps,
                        start[1] + (end[1] - start[1]) * i // steps)
    harness.xdotool("mouseup", 1)


def caption_point(area):
    x, y = area[0], area[1]
    return (x + 300, y - 10)


def view_laid_out_for(ctx, area):
    """Waits until a photograph of the screen shows the content column laid
    out for this client size: the content Open button ends 48 px left of the
    column's right edge (more button and gap), and right of that edge, beside
    the more button, lies the background."""
    from PIL import Image
    x, y, width, height = area[:4]
    g = Geometry(width, height, 96)
    right = g.X + g.C
    top = g.T + 18  # the title line
    inside, outside = (x + right - 48 - 6, y + top + 6), (x + right + 6, y + top + 20)
    path = ctx.folder / "screen.png"
    seen = []

    def drawn():
        harness.screenshot("root", path)
        image = Image.open(path).convert("RGB")
        seen[:] = [image.getpixel(inside), image.getpixel(outside)]
        return close_to(seen[0], LIGHT["accent"]) and close_to(seen[1], LIGHT["background"])
    try:
        harness.wait_for(drawn, timeout=10, interval=0.4, what="the view at %dx%d" % (width, height))
    except TimeoutError:
        raise AssertionError("view not laid out for %dx%d: saw %s at %s and %s" %
                             (width, height, seen, inside, outside))


def placement():
    data = harness.reg_binary(KEY, "Placement")
    assert data is not None and len(data) == 44, data
    words = [int.from_bytes(data[i:i + 4], "little", signed=True) for i in range(0, 44, 4)]
    return {"length": words[0], "show": words[2], "normal": tuple(words[7:11])}


@harness.time_limit(90)
def test_caption_and_border_drags_then_alt_f4(ctx):
    with drawn_frame():
        three_bundles(ctx)
        process = start_window(ctx)
        window = harness.find_window("tolvik")
        before = wait_until_still(window)
        first = area = client_area(ctx)
        assert not area[4]
        # The caption lies above the client area: dragging it moves the window.
        drag(caption_point(area), (caption_point(area)[0] - 60, caption_point(area)[1] - 40))
        moved = wait_until_still(window)
        assert moved == (before[0] - 60, before[1] - 40, before[2], before[3]), (before, moved)
        area = client_area(ctx)
        assert area[:4] == (first[0] - 60, first[1] - 40, first[2], first[3]), (first, area)
        # The bottom-right corner of the border: dragging it sizes the window.
        x, y, width, height = area[:4]
        drag((x + width + 1, y + height + 1), (x + width + 101, y + height + 51))
        sized = wait_until_still(window)
        assert sized[2:] == (moved[2] + 100, moved[3] + 50), (moved, sized)
        area = client_area(ctx)
        assert area[:4] == (x, y, width + 100, height + 50), area
        # No further pointer move: the program itself drew the new layout.
        view_laid_out_for(ctx, area)

        # A click into an empty part of the view gives it the keyboard; Alt+F4 closes.
        g = Geometry(area[2], area[3], 96)
        harness.xdotool("mousemove", int(x + g.X + g.C / 2), y + area[3] - 20)
        harness.xdotool("click", 1)
        harness.xdotool("key", "alt+F4")
        assert process.wait(20) == 0
        stored = placement()
        assert stored["length"] == 44 and stored["show"] == SW_SHOWNORMAL, stored
        assert stored["normal"] == (sized[0], sized[1], sized[0] + sized[2], sized[1] + sized[3]), (
            stored, sized)


@harness.time_limit(90)
def test_caption_double_click_maximises_and_the_close_button_closes(ctx):
    with drawn_frame():
        three_bundles(ctx)
        process = start_window(ctx)
        window = harness.find_window("tolvik")
        wait_until_still(window)
        area = client_area(ctx)
        screen_width, screen_height = screen_size()
        assert area[2] < screen_width
        harness.xdotool("mousemove", *caption_point(area))
        harness.xdotool("click", "--repeat", 2, "--delay", 80, 1)
        area = harness.wait_for(lambda: (lambda a: a if a[4] else None)(client_area(ctx)),
                                what="the maximised window")
        assert area[0] == 0 and area[2] == screen_width, area
        assert area[1] + area[3] == screen_height, area
        x, y, width, height = geometry_of(window)
        assert x <= 0 and y <= 0 and width >= screen_width and height >= screen_height
        view_laid_out_for(ctx, area)

        # The close button is the caption's last one, at the screen's top right now.
        harness.xdotool("mousemove", area[0] + area[2] - 9, area[1] - 10)
        harness.xdotool("click", 1)
        assert process.wait(20) == 0
        stored = placement()
        assert stored["show"] == SW_SHOWMAXIMIZED, stored
