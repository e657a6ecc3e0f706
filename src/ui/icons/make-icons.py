#!/usr/bin/env python3
"""Draws the program's icon: a space divided into blocks, the way a survey divides a directory.

Writes icon.svg and the PNGs of every size in SIZES beside this script from one list of shapes on a 16-unit
grid, so the small images stay sharp. The window takes the 16 and 32 px images and the SVG from a Qt resource;
the install puts every size into the hicolor icon theme. Standard library only; run it again after changing a
shape and commit what it writes.
"""
import pathlib
import struct
import zlib

GRID = 16
SIZES = (16, 32, 48, 64, 128, 256)  # the hicolor sizes that desktops look up for menus, docks and dialogs
RADIUS = 2.5
BACKGROUND = (0x00, 0x40, 0x00)  # the grid header's green
BLOCKS = [  # x0, y0, x1, y1 on the grid, colour
    (2, 2, 9, 14, (0xF0, 0xB0, 0x30)),
    (10, 2, 14, 8, (0x6C, 0xC0, 0x4A)),
    (10, 9, 14, 11, (0xCD, 0xEB, 0xC0)),
    (10, 12, 12, 14, (0xFF, 0xF4, 0xD6)),
    (13, 12, 14, 14, (0x8F, 0xD0, 0xFF)),
]


def inside_rounded(x, y):
    """Whether a point of the grid lies in the rounded background square."""
    cx = min(max(x, RADIUS), GRID - RADIUS)
    cy = min(max(y, RADIUS), GRID - RADIUS)
    return (x - cx) ** 2 + (y - cy) ** 2 <= RADIUS ** 2


def colour_at(x, y):
    if not inside_rounded(x, y):
        return None
    for x0, y0, x1, y1, colour in BLOCKS:
        if x0 <= x < x1 and y0 <= y < y1:
            return colour
    return BACKGROUND


def render(size, samples=4):
    rows = []
    scale = GRID / size
    for py in range(size):
        row = bytearray([0])  # filter: none
        for px in range(size):
            total = [0, 0, 0]
            covered = 0
            for sy in range(samples):
                for sx in range(samples):
                    colour = colour_at((px + (sx + 0.5) / samples) * scale, (py + (sy + 0.5) / samples) * scale)
                    if colour is not None:
                        covered += 1
                        for i in range(3):
                            total[i] += colour[i]
            if covered:
                row += bytes(round(t / covered) for t in total)
                row.append(round(255 * covered / samples ** 2))
            else:
                row += bytes(4)
        rows.append(bytes(row))
    return png(size, b"".join(rows))


def png(size, raw):
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))

    header = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)
    return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b"")


def svg():
    def hexcolour(colour):
        return "#%02x%02x%02x" % colour

    shapes = [f'  <rect width="{GRID}" height="{GRID}" rx="{RADIUS}" fill="{hexcolour(BACKGROUND)}"/>']
    for x0, y0, x1, y1, colour in BLOCKS:
        shapes.append(f'  <rect x="{x0}" y="{y0}" width="{x1 - x0}" height="{y1 - y0}" fill="{hexcolour(colour)}"/>')
    return (f'<svg xmlns="http://www.w3.org/2000/svg" width="32" height="32" viewBox="0 0 {GRID} {GRID}">\n'
            + "\n".join(shapes) + "\n</svg>\n")


if __name__ == "__main__":
    here = pathlib.Path(__file__).resolve().parent
    (here / "icon.svg").write_text(svg())
    for size in SIZES:
        (here / f"icon-{size}.png").write_bytes(render(size))
