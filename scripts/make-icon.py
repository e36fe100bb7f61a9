#!/usr/bin/python3
"""Draws tolvik's application icon and writes it as a multi-size .ico.

The mark: a rounded green tile holding a stack of three cards, the front one
carrying an arrow pointing up and out: several things, opened at once.

Every frame is drawn at its own size from the description below. Edges of the
cards and the tile are snapped to whole pixels of that size before drawing, so
small frames stay crisp instead of being a blurred copy of the large one; the
arrow is left out where it would be a smudge. Shapes are drawn 8 times larger
and box-filtered down, which gives exact area coverage at the curved parts.

Usage: /usr/bin/python3 scripts/make-icon.py OUT.ico [PNG_FOLDER]
With PNG_FOLDER every frame is written there as icon-<size>.png too.
"""

import io
import os
import struct
import sys

from PIL import Image, ImageDraw

SIZES = (16, 20, 24, 32, 40, 48, 64, 128, 256)
SUPERSAMPLE = 8

TILE = (0x16, 0xA3, 0x4A)
WHITE = (0xFF, 0xFF, 0xFF)

# The front card as fractions of the tile (x0, y0, x1, y1); the two behind it
# are the same card moved up and to the right by CARD_STEP each time.
FRONT_CARD = (0.17, 0.39, 0.63, 0.83)
CARD_STEP = 0.10
# How much of the tile's green shows through each card, front to back.
CARD_SHADE = (0.0, 0.25, 0.50)
ARROW_MIN_SIZE = 32


def mix(a, b, t):
    """Colour a moved toward b by t."""
    return tuple(round(x + (y - x) * t) for x, y in zip(a, b))


def tile_margin(size):
    return size // 32


def draw_frame(size):
    ss = SUPERSAMPLE
    big = Image.new("RGBA", (size * ss, size * ss), (0, 0, 0, 0))
    draw = ImageDraw.Draw(big)

    margin = tile_margin(size)
    extent = size - 2 * margin

    def box(fx0, fy0, fx1, fy1):
        """A rectangle from tile fractions, snapped to pixels of this size."""
        x0 = margin + round(fx0 * extent)
        y0 = margin + round(fy0 * extent)
        x1 = margin + round(fx1 * extent)
        y1 = margin + round(fy1 * extent)
        return x0, y0, x1, y1

    def fill_rounded(rect, radius, colour):
        x0, y0, x1, y1 = rect
        draw.rounded_rectangle(
            (x0 * ss, y0 * ss, x1 * ss - 1, y1 * ss - 1),
            radius=max(0, radius * ss), fill=colour + (255,))

    # Tile.
    fill_rounded((margin, margin, size - margin, size - margin), 0.22 * extent, TILE)

    # Gap between cards: one pixel when small, growing slowly with size.
    gap = max(1, round(extent * 0.035))
    card_radius = extent * 0.06 if size >= 24 else (1.0 if size >= 20 else 0.6)

    front = box(*FRONT_CARD)
    step = max(2, round(CARD_STEP * extent))
    rects = [(front[0] + i * step, front[1] - i * step, front[2] + i * step, front[3] - i * step)
             for i in range(len(CARD_SHADE))]
    # Back to front, each card cut out of the one behind by a green gap.
    for index in reversed(range(len(rects))):
        rect = rects[index]
        if index < len(rects) - 1:
            x0, y0, x1, y1 = rect
            fill_rounded((x0 - gap, y0 - gap, x1 + gap, y1 + gap), card_radius + gap, TILE)
        fill_rounded(rect, card_radius, mix(WHITE, TILE, CARD_SHADE[index]))

    if size >= ARROW_MIN_SIZE:
        draw_arrow(draw, rects[0], extent, ss)

    return big.resize((size, size), Image.Resampling.BOX)


def draw_arrow(draw, card, extent, ss):
    """An arrow toward the upper right, in the tile's green, centred on the card."""
    x0, y0, x1, y1 = card
    cx = (x0 + x1) / 2 * ss
    cy = (y0 + y1) / 2 * ss
    half = min(x1 - x0, y1 - y0) * 0.30 * ss   # half the arrow's extent along x and y
    stroke = max(2.0, extent * 0.06) * ss
    colour = TILE + (255,)

    k = 0.5 ** 0.5
    ux, uy = k, -k            # along the arrow
    nx, ny = k, k             # across it
    tip = (cx + half, cy - half)
    tail = (cx - half, cy + half)
    head_length = stroke * 2.4
    head_half_width = stroke * 1.35
    base = (tip[0] - ux * head_length, tip[1] - uy * head_length)
    draw.polygon(
        (tip,
         (base[0] + nx * head_half_width, base[1] + ny * head_half_width),
         (base[0] - nx * head_half_width, base[1] - ny * head_half_width)),
        fill=colour)
    # Shaft, overlapping the head a little so that no seam shows.
    end = (base[0] + ux * stroke * 0.5, base[1] + uy * stroke * 0.5)
    draw.line((tail, end), fill=colour, width=round(stroke))
    r = stroke / 2
    draw.ellipse((tail[0] - r, tail[1] - r, tail[0] + r, tail[1] + r), fill=colour)


def bmp_entry(image):
    """A 32-bit DIB with its AND mask, the form every Windows version reads."""
    width, height = image.size
    header = struct.pack("<IiiHHIIiiII", 40, width, height * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    pixels = image.load()
    rows = []
    for y in reversed(range(height)):
        row = bytearray()
        for x in range(width):
            r, g, b, a = pixels[x, y]
            row += bytes((b, g, r, a))
        rows.append(bytes(row))
    mask_stride = ((width + 31) // 32) * 4
    mask_rows = []
    for y in reversed(range(height)):
        bits = bytearray(mask_stride)
        for x in range(width):
            if pixels[x, y][3] == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask_rows.append(bytes(bits))
    return header + b"".join(rows) + b"".join(mask_rows)


def png_entry(image):
    out = io.BytesIO()
    image.save(out, format="PNG", optimize=True)
    return out.getvalue()


def write_ico(path, frames):
    entries = []
    for image in frames:
        data = png_entry(image) if image.size[0] >= 256 else bmp_entry(image)
        entries.append((image.size[0], data))
    offset = 6 + 16 * len(entries)
    directory = struct.pack("<HHH", 0, 1, len(entries))
    blobs = []
    for size, data in entries:
        dim = 0 if size >= 256 else size
        directory += struct.pack("<BBBBHHII", dim, dim, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
        blobs.append(data)
    tmp = path + ".tmp"
    with open(tmp, "wb") as f:
        f.write(directory + b"".join(blobs))
    os.replace(tmp, path)


def main(argv):
    if len(argv) not in (2, 3):
        sys.stderr.write("usage: make-icon.py OUT.ico [PNG_FOLDER]\n")
        return 2
    frames = [draw_frame(size) for size in SIZES]
    out_dir = os.path.dirname(os.path.abspath(argv[1]))
    os.makedirs(out_dir, exist_ok=True)
    write_ico(argv[1], frames)
    if len(argv) == 3:
        os.makedirs(argv[2], exist_ok=True)
        for image in frames:
            image.save(os.path.join(argv[2], "icon-%d.png" % image.size[0]))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
