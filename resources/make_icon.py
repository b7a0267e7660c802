#!/usr/bin/env python3
"""Draws the application icon (resources/Vantrel.ico): a blue rounded tile with a
chip (dark body, light pins) and a green download arrow above it, at 32x32 and
16x16 pixels, 32-bit colour with alpha.

Usage: python3 resources/make_icon.py [output.ico]
"""

import struct
import sys
from pathlib import Path

TILE = (0x2B, 0x6C, 0xC4, 0xFF)
TILE_EDGE = (0x1A, 0x47, 0x8A, 0xFF)
CHIP = (0x26, 0x2A, 0x33, 0xFF)
PIN = (0xD9, 0xDE, 0xE6, 0xFF)
ARROW = (0x3C, 0xC8, 0x5A, 0xFF)
CLEAR = (0, 0, 0, 0)


def inside_rounded(x, y, size, radius):
    """True when pixel (x, y) lies in a square of `size` with rounded corners."""
    cx = min(max(x + 0.5, radius), size - radius)
    cy = min(max(y + 0.5, radius), size - radius)
    return (x + 0.5 - cx) ** 2 + (y + 0.5 - cy) ** 2 <= radius * radius


def draw(size):
    """Returns rows (top first) of RGBA tuples for an icon of `size` pixels."""
    s = size / 32.0
    px = [[CLEAR for _ in range(size)] for _ in range(size)]

    def rect(x0, y0, x1, y1, colour):
        for y in range(int(round(y0 * s)), int(round(y1 * s))):
            for x in range(int(round(x0 * s)), int(round(x1 * s))):
                if 0 <= x < size and 0 <= y < size:
                    px[y][x] = colour

    # The tile, with a darker one-pixel rim.
    for y in range(size):
        for x in range(size):
            if inside_rounded(x, y, size, 6 * s):
                inner = inside_rounded(x - 1, y - 1, size - 2, 5 * s) and 0 < x < size - 1 \
                    and 0 < y < size - 1
                px[y][x] = TILE if inner else TILE_EDGE

    # Chip body and its pins on the left and right.
    rect(10, 15, 22, 27, CHIP)
    for pin_y in (16, 19.5, 23):
        rect(7, pin_y, 10, pin_y + 2, PIN)
        rect(22, pin_y, 25, pin_y + 2, PIN)

    # Arrow pointing down into the chip: a shaft and a triangular head.
    rect(14.5, 3, 17.5, 9, ARROW)
    for row in range(5):
        y0 = 9 + row
        half = 5 - row
        rect(16 - half, y0, 16 + half, y0 + 1, ARROW)
    return px


def icon_image(size):
    """One icon image: BITMAPINFOHEADER, bottom-up BGRA pixels, AND mask."""
    rows = draw(size)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    pixels = bytearray()
    for row in reversed(rows):
        for r, g, b, a in row:
            pixels += bytes((b, g, r, a))
    mask_stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(rows):
        line = bytearray(mask_stride)
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                line[x // 8] |= 0x80 >> (x % 8)
        mask += line
    return header + bytes(pixels) + bytes(mask)


def main():
    out = Path(sys.argv[1]) if len(sys.argv) > 1 else Path(__file__).with_name("Vantrel.ico")
    sizes = (32, 16)
    images = [icon_image(size) for size in sizes]
    data = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, image in zip(sizes, images):
        data += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
    for image in images:
        data += image
    out.write_bytes(data)


if __name__ == "__main__":
    main()
