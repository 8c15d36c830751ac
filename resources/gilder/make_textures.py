#!/usr/bin/env python3
"""Writes gilder's six grey textures as run-length-encoded 8-bit bitmaps (RLE8) with
palettes (Python 3 standard library only; the drawing helpers are texturer's).

    python3 resources/gilder/make_textures.py [output dir] [--png dir]

Default output: resources/gilder/textures; deterministic, so a fresh run can be diffed
against the committed files. All textures tile without a seam.

    blank.bmp       32x32    one light bluish colour (204, 204, 255) in a colour palette
    canvas_1b.bmp   288x288  fine weave
    canvas_3b.bmp   500x500  coarse weave with slubs
    crinkle_1.bmp   184x162  creased foil, sharp facets
    crinkle_4m.bmp  184x162  softer creases
    wal_3b.bmp      184x162  rough plaster
"""
import math
import os
import random
import struct
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, '..', 'texturer'))
from make_textures import WrappedNoise, bmp_file, clamp8, wrapped_delta, write_textures  # noqa: E402


def rle8(rows):
    """Rows top to bottom of palette indices -> RLE8 codes, bottom row first. Runs of 3 or
    more equal indices are coded as runs, the rest as literals (3..255 indices, padded to
    an even count) or, for one or two stragglers, as runs of 1 and 2. Each row ends with
    an end-of-line code, the picture with end-of-bitmap."""
    out = bytearray()
    for row in reversed(rows):
        i, n = 0, len(row)
        while i < n:
            run = 1
            while i + run < n and run < 255 and row[i + run] == row[i]:
                run += 1
            if run >= 3:
                out += bytes((run, row[i]))
                i += run
                continue
            # Gather a literal up to the next run of three.
            j = i
            while j < n and j - i < 255:
                if j + 2 < n and row[j] == row[j + 1] == row[j + 2]:
                    break
                j += 1
            count = j - i
            if count < 3:
                for k in range(i, j):
                    out += bytes((1, row[k]))
            else:
                out += bytes((0, count)) + bytes(row[i:j]) + (b'\0' if count & 1 else b'')
            i = j
        out += b'\0\0'
    out[-2:] = b'\0\1'  # the last end-of-line becomes end-of-bitmap
    return bytes(out)


def grey_palette():
    return b''.join(bytes((g, g, g, 0)) for g in range(256))


def bmp_rle8(rows, palette):
    return bmp_file(len(rows[0]), len(rows), 8, rle8(rows), palette, compression=1)


def blank():
    # A colour palette: entry 0 the light blue, the rest a colour ramp nobody indexes.
    palette = bytes((255, 204, 204, 0)) + b''.join(bytes((i, 255 - i, (i * 3) % 256, 0)) for i in range(1, 256))
    return [[0] * 32 for _ in range(32)], palette


def weave(w, h, cell, seed, slubs):
    """Threads over and under: a cosine bump along each thread, alternating per cell."""
    rng = random.Random(seed)
    thick = WrappedNoise(seed, w, h, w // (cell * 4), h // (cell * 4))
    rows = []
    lumps = [(rng.uniform(0, w), rng.uniform(0, h), rng.uniform(cell * 2, cell * 5)) for _ in range(slubs)]
    for y in range(h):
        row = []
        for x in range(w):
            cx, cy = x // cell, y // cell
            u, v = (x % cell + 0.5) / cell, (y % cell + 0.5) / cell
            over_horizontal = (cx + cy) % 2 == 0
            across = v if over_horizontal else u
            along = u if over_horizontal else v
            g = 150 + 70 * math.sin(math.pi * across) * (0.8 + 0.2 * math.sin(math.pi * along))
            g -= 55 * (1 - math.sin(math.pi * across)) ** 4
            g += (thick(x, y) - 0.5) * 40 + rng.uniform(-8, 8)
            for lx, ly, lr in lumps:  # slubs: thicker, brighter stretches of thread
                d = (wrapped_delta(x, lx, w) / (lr * 2)) ** 2 + (wrapped_delta(y, ly, h) / (lr * 0.5)) ** 2
                if d < 1:
                    g += 45 * (1 - d)
            row.append(clamp8(g))
        rows.append(row)
    return rows


def crinkle(w, h, seed, sharp):
    """Foil: a height field of creases (ridges of periodic noise), shaded from the top
    left. `sharp` folds the noise into V-shaped creases; otherwise they stay rounded."""
    layers = [WrappedNoise(seed + i, w, h, g[0], g[1]) for i, g in enumerate(((8, 6), (23, 18), (46, 27)))]
    height = []
    for y in range(h):
        line = []
        for x in range(w):
            s = 0.0
            for k, n in enumerate(layers):
                t = n(x, y) - 0.5
                s += (abs(t) if sharp else t * t) * (1.0 / (k + 1))
            line.append(-s)
        height.append(line)
    gain = 1400 if sharp else 1900
    rows = []
    for y in range(h):
        row = []
        for x in range(w):
            slope = height[(y - 1) % h][(x - 1) % w] - height[(y + 1) % h][(x + 1) % w]
            row.append(clamp8(140 + gain * slope))
        rows.append(row)
    return rows


def plaster(w=184, h=162, seed=55):
    rng = random.Random(seed)
    coarse = WrappedNoise(seed, w, h, 8, 6)
    mid = WrappedNoise(seed + 1, w, h, 23, 18)
    fine = WrappedNoise(seed + 2, w, h, 92, 81)
    rows = []
    for y in range(h):
        row = []
        for x in range(w):
            g = 175 + 60 * (coarse(x, y) - 0.5) + 50 * (mid(x, y) - 0.5) + 40 * (fine(x, y) - 0.5)
            g += rng.uniform(-14, 14)
            if fine(x + 3, y + 2) > 0.82:  # pits
                g -= 60
            row.append(clamp8(g))
        rows.append(row)
    return rows


TEXTURES = [
    ('blank', blank),
    ('canvas_1b', lambda: (weave(288, 288, 4, 11, 0), grey_palette())),
    ('canvas_3b', lambda: (weave(500, 500, 10, 12, 9), grey_palette())),
    ('crinkle_1', lambda: (crinkle(184, 162, 21, True), grey_palette())),
    ('crinkle_4m', lambda: (crinkle(184, 162, 31, False), grey_palette())),
    ('wal_3b', lambda: (plaster(), grey_palette())),
]


def rle8_with_preview(drawn):
    rows, palette = drawn
    rgb = [[(palette[i * 4 + 2], palette[i * 4 + 1], palette[i * 4]) for i in row] for row in rows]
    return bmp_rle8(rows, palette), rgb


def main(argv):
    write_textures(argv, HERE, TEXTURES, rle8_with_preview)

if __name__ == '__main__':
    main(sys.argv[1:])
