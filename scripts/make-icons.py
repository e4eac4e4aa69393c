#!/usr/bin/env python3
"""Draws the plugin's own icons (16x16 and 32x32, 32-bit colour) into
src/plugin/icons/*.ico. Run it again after changing a drawing; the .ico files
are committed so that the build needs no Python."""
import os
import struct

OUT = os.path.join(os.path.dirname(__file__), '..', 'src', 'plugin', 'icons')


def ico(images):
    """images: list of (size, pixels) with pixels[y][x] = (r, g, b, a)."""
    header = struct.pack('<HHH', 0, 1, len(images))
    entries, blobs = b'', b''
    offset = 6 + 16 * len(images)
    for size, px in images:
        rows = b''
        for y in range(size - 1, -1, -1):  # bottom-up
            for x in range(size):
                r, g, b, a = px[y][x]
                rows += bytes((b, g, r, a))
        mask_row = ((size + 31) // 32) * 4
        mask = b'\0' * (mask_row * size)
        bih = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0,
                          len(rows) + len(mask), 0, 0, 0, 0)
        blob = bih + rows + mask
        entries += struct.pack('<BBBBHHII', size % 256, size % 256, 0, 0, 1, 32,
                               len(blob), offset)
        blobs += blob
        offset += len(blob)
    return header + entries + blobs


def canvas(size):
    return [[(0, 0, 0, 0)] * size for _ in range(size)]


def rect(px, x0, y0, x1, y1, c):
    for y in range(max(0, y0), min(len(px), y1)):
        for x in range(max(0, x0), min(len(px), x1)):
            px[y][x] = c


def frame(px, x0, y0, x1, y1, c):
    rect(px, x0, y0, x1, y0 + 1, c)
    rect(px, x0, y1 - 1, x1, y1, c)
    rect(px, x0, y0, x0 + 1, y1, c)
    rect(px, x1 - 1, y0, x1, y1, c)


def disc(px, cx, cy, r, c):
    for y in range(len(px)):
        for x in range(len(px)):
            if (x + 0.5 - cx) ** 2 + (y + 0.5 - cy) ** 2 <= r * r:
                px[y][x] = c


def line(px, x0, y0, x1, y1, w, c):
    steps = int(max(abs(x1 - x0), abs(y1 - y0)) * 4) + 1
    for i in range(steps + 1):
        x = x0 + (x1 - x0) * i / steps
        y = y0 + (y1 - y0) * i / steps
        rect(px, int(x - w / 2), int(y - w / 2), int(x + w / 2 + 0.5), int(y + w / 2 + 0.5), c)


def draw(kind, s):
    px = canvas(s)
    u = s / 16.0
    dark = (40, 40, 40, 255)
    if kind == 'mainunit':  # a program window with two panels
        rect(px, int(1 * u), int(2 * u), int(15 * u), int(14 * u), (240, 240, 240, 255))
        rect(px, int(1 * u), int(2 * u), int(15 * u), int(4 * u), (30, 80, 180, 255))
        rect(px, int(2 * u), int(5 * u), int(7.5 * u), int(13 * u), (255, 255, 200, 255))
        rect(px, int(8.5 * u), int(5 * u), int(14 * u), int(13 * u), (255, 255, 200, 255))
        frame(px, int(1 * u), int(2 * u), int(15 * u), int(14 * u), dark)
    elif kind == 'plugins':  # a puzzle piece
        rect(px, int(2 * u), int(5 * u), int(12 * u), int(14 * u), (60, 160, 70, 255))
        disc(px, 7 * u, 4.5 * u, 2.2 * u, (60, 160, 70, 255))
        disc(px, 12.5 * u, 9.5 * u, 2.2 * u, (60, 160, 70, 255))
        frame(px, int(2 * u), int(5 * u), int(12 * u), int(14 * u), (20, 90, 30, 255))
    elif kind == 'folder':
        rect(px, int(1 * u), int(3 * u), int(7 * u), int(5 * u), (220, 170, 40, 255))
        rect(px, int(1 * u), int(5 * u), int(15 * u), int(14 * u), (245, 200, 70, 255))
        frame(px, int(1 * u), int(5 * u), int(15 * u), int(14 * u), (150, 110, 20, 255))
    elif kind == 'command':  # a terminal prompt
        rect(px, int(1 * u), int(2 * u), int(15 * u), int(14 * u), (30, 30, 30, 255))
        line(px, 3 * u, 5 * u, 6 * u, 8 * u, max(1, u), (80, 230, 80, 255))
        line(px, 6 * u, 8 * u, 3 * u, 11 * u, max(1, u), (80, 230, 80, 255))
        rect(px, int(7 * u), int(11 * u), int(12 * u), int(12 * u), (80, 230, 80, 255))
    elif kind == 'plugin':  # a plug
        rect(px, int(4 * u), int(6 * u), int(12 * u), int(12 * u), (130, 130, 140, 255))
        rect(px, int(5.5 * u), int(2 * u), int(7 * u), int(6 * u), (90, 90, 100, 255))
        rect(px, int(9 * u), int(2 * u), int(10.5 * u), int(6 * u), (90, 90, 100, 255))
        rect(px, int(7 * u), int(12 * u), int(9 * u), int(15 * u), (60, 60, 70, 255))
        frame(px, int(4 * u), int(6 * u), int(12 * u), int(12 * u), dark)
    elif kind == 'settings':  # a sheet with lines
        rect(px, int(3 * u), int(1 * u), int(13 * u), int(15 * u), (250, 250, 250, 255))
        for yy in (4, 7, 10, 12):
            rect(px, int(5 * u), int(yy * u), int(11 * u), int(yy * u + max(1, u)), (70, 110, 200, 255))
        frame(px, int(3 * u), int(1 * u), int(13 * u), int(15 * u), dark)
    elif kind == 'deleted':  # a red cross
        line(px, 3 * u, 3 * u, 13 * u, 13 * u, 2.5 * u, (210, 40, 40, 255))
        line(px, 13 * u, 3 * u, 3 * u, 13 * u, 2.5 * u, (210, 40, 40, 255))
    elif kind == 'installed':  # a green plus
        rect(px, int(6.5 * u), int(2 * u), int(9.5 * u), int(14 * u), (40, 170, 60, 255))
        rect(px, int(2 * u), int(6.5 * u), int(14 * u), int(9.5 * u), (40, 170, 60, 255))
    return px


def main():
    os.makedirs(OUT, exist_ok=True)
    for kind in ('mainunit', 'plugins', 'folder', 'command', 'plugin', 'settings',
                 'deleted', 'installed'):
        data = ico([(32, draw(kind, 32)), (16, draw(kind, 16))])
        with open(os.path.join(OUT, kind + '.ico'), 'wb') as f:
            f.write(data)


if __name__ == '__main__':
    main()
