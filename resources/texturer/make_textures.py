#!/usr/bin/env python3
"""Writes texturer's six textures, and holds the drawing helpers gilder's script shares
(Python 3 standard library only).

    python3 resources/texturer/make_textures.py [output dir] [--png dir]

Default output: resources/texturer/textures. The output is deterministic (fixed seeds), so
the committed files can be checked against a fresh run:
    python3 resources/texturer/make_textures.py /tmp/t && diff -r /tmp/t resources/texturer/textures

Every texture is periodic in both directions: drawn from functions of the tile position
(sines with whole periods, lattice noise on a wrapped lattice, distances measured around
the tile), so the tiled texture shows no seam.

Files (uncompressed 24 bpp, 40-byte info header, bottom row first, rows padded to 4 bytes):
    big_bricks.bmp 300x189   running bond, light mortar, a tone per brick
    bricks.bmp     96x96     smaller, redder bricks
    bumpy.bmp      96x96     embossed blobs lit from the top left
    noise.bmp      96x96     colour noise
    swoosh.bmp     96x96     saturated curved bands of changing hue
    wood.bmp       96x96     grain with distorted rings
"""
import colorsys
import math
import os
import random
import struct
import sys
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))


# --- periodic building blocks ---------------------------------------------------------
class WrappedNoise:
    """Value noise on a gw x gh lattice that wraps around a w x h tile (smooth, periodic)."""

    def __init__(self, seed, w, h, gw, gh):
        rng = random.Random(seed)
        self.w, self.h, self.gw, self.gh = w, h, gw, gh
        self.v = [[rng.random() for _ in range(gw)] for _ in range(gh)]

    def __call__(self, x, y):
        fx = (x % self.w) * self.gw / self.w
        fy = (y % self.h) * self.gh / self.h
        ix, iy = int(fx), int(fy)
        tx, ty = fx - ix, fy - iy
        tx, ty = tx * tx * (3 - 2 * tx), ty * ty * (3 - 2 * ty)
        x0, x1 = ix % self.gw, (ix + 1) % self.gw
        y0, y1 = iy % self.gh, (iy + 1) % self.gh
        a = self.v[y0][x0] + (self.v[y0][x1] - self.v[y0][x0]) * tx
        b = self.v[y1][x0] + (self.v[y1][x1] - self.v[y1][x0]) * tx
        return a + (b - a) * ty


def wrapped_delta(a, b, period):
    """Signed distance from b to a around a circle of the given period."""
    d = (a - b) % period
    return d - period if d > period / 2 else d


def clamp8(v):
    return max(0, min(255, int(round(v))))


# --- file writers ---------------------------------------------------------------------
def bmp_file(width, height, bpp, pixel_data, palette=b'', compression=0):
    """A BMP with a 40-byte info header; pixel_data already in stored (bottom-up) order."""
    colours = len(palette) // 4
    offset = 14 + 40 + len(palette)
    info = struct.pack('<IiiHHIIiiII', 40, width, height, 1, bpp, compression,
                       len(pixel_data), 2835, 2835, colours, 0)
    head = struct.pack('<2sIHHI', b'BM', offset + len(pixel_data), 0, 0, offset)
    return head + info + palette + pixel_data


def bmp24(rgb_rows):
    """Rows top to bottom of (r, g, b) tuples -> uncompressed 24 bpp BMP bytes."""
    h, w = len(rgb_rows), len(rgb_rows[0])
    data = bytearray()
    for row in reversed(rgb_rows):
        line = bytearray()
        for r, g, b in row:
            line += bytes((b, g, r))
        line += b'\0' * (-len(line) % 4)
        data += line
    return bmp_file(w, h, 24, bytes(data))


def png(rgb_rows):
    """Rows of (r, g, b) -> PNG bytes, for looking at a texture."""
    h, w = len(rgb_rows), len(rgb_rows[0])
    raw = b''.join(b'\0' + bytes(c for px in row for c in px) for row in rgb_rows)

    def chunk(kind, body):
        return (struct.pack('>I', len(body)) + kind + body
                + struct.pack('>I', zlib.crc32(kind + body) & 0xffffffff))
    return (b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', w, h, 8, 2, 0, 0, 0))
            + chunk(b'IDAT', zlib.compress(raw, 9)) + chunk(b'IEND', b''))


def tiled(rows, nx=2, ny=2):
    """The texture repeated nx x ny times, to look for seams."""
    return [row * nx for row in rows] * ny


# --- texturer's art -------------------------------------------------------------------
def bricks(w, h, courses, brick_len, mortar, seed, base, spread, mortar_rgb):
    """Running bond: course heights share h as evenly as whole pixels allow, so an even
    number of courses keeps the half-brick offset periodic whatever h is."""
    rng = random.Random(seed)
    grain = WrappedNoise(seed + 1, w, h, w // 6, h // 6)
    edges = [round(i * h / courses) for i in range(courses + 1)]
    per_course = w // brick_len
    tone = [[rng.uniform(-spread, spread) for _ in range(per_course)] for _ in range(courses)]
    rows = []
    for y in range(h):
        c = next(i for i in range(courses) if edges[i] <= y < edges[i + 1])
        in_course = y - edges[c]
        offset = (brick_len // 2) * (c % 2)
        row = []
        for x in range(w):
            along = (x + offset) % w
            k, in_brick = along // brick_len, along % brick_len
            speck = rng.uniform(-12, 12)
            if in_course < mortar or in_brick < mortar:
                g = mortar_rgb + speck * 0.6 + (grain(x, y) - 0.5) * 20
                row.append((clamp8(g), clamp8(g - 3), clamp8(g - 8)))
                continue
            # Darker towards the brick's lower and right edges: the mortar sits recessed.
            shade = 1.0 - 0.25 * max(0, in_course - (edges[c + 1] - edges[c]) + 4) / 4
            shade -= 0.2 * max(0, in_brick - brick_len + 3) / 3
            t = tone[c][k] + speck + (grain(x, y) - 0.5) * 30
            r, g, b = (base[0] + t) * shade, (base[1] + t * 0.6) * shade, (base[2] + t * 0.4) * shade
            row.append((clamp8(r), clamp8(g), clamp8(b)))
        rows.append(row)
    return rows


def bumpy(w=96, h=96, seed=3):
    rng = random.Random(seed)
    blobs = [(rng.uniform(0, w), rng.uniform(0, h), rng.uniform(4, 8), rng.uniform(0.7, 1.0))
             for _ in range(24)]
    height = [[0.0] * w for _ in range(h)]
    for y in range(h):
        for x in range(w):
            s = 0.0
            for bx, by, rad, amp in blobs:
                d2 = wrapped_delta(x, bx, w) ** 2 + wrapped_delta(y, by, h) ** 2
                s += amp * math.exp(-d2 / (rad * rad))
            height[y][x] = s
    rows = []
    for y in range(h):
        row = []
        for x in range(w):
            # Emboss: the slope towards a light at the top left, neighbours taken around the tile.
            slope = height[(y - 1) % h][(x - 1) % w] - height[(y + 1) % h][(x + 1) % w]
            v = 150 + 260 * slope
            row.append((clamp8(v * 1.02), clamp8(v * 0.97), clamp8(v * 0.88)))
        rows.append(row)
    return rows


def noise(w=96, h=96, seed=4):
    rng = random.Random(seed)
    return [[(rng.randrange(256), rng.randrange(256), rng.randrange(256)) for _ in range(w)]
            for _ in range(h)]


def swoosh(w=96, h=96):
    rows = []
    for y in range(h):
        row = []
        for x in range(w):
            u, v = x / w, y / h
            # Whole periods in u and v: the bands curve but meet themselves across the edges.
            phase = u + v + 0.18 * math.sin(2 * math.pi * (2 * v)) + 0.1 * math.sin(2 * math.pi * (u - v))
            hue = phase % 1.0
            light = 0.85 + 0.15 * math.cos(2 * math.pi * 3 * phase)
            r, g, b = colorsys.hsv_to_rgb(hue, 1.0, light)
            row.append((clamp8(r * 255), clamp8(g * 255), clamp8(b * 255)))
        rows.append(row)
    return rows


def wood(w=96, h=96, seed=6):
    rng = random.Random(seed)
    warp = WrappedNoise(seed, w, h, 4, 4)
    streak = WrappedNoise(seed + 1, w, h, 3, 48)
    rows = []
    for y in range(h):
        row = []
        for x in range(w):
            # Rings round the tile's corner, measured with sines so that they wrap; the
            # noise bends them.
            sx, sy = math.sin(math.pi * x / w), math.sin(math.pi * y / h)
            d = math.sqrt(0.35 * sx * sx + sy * sy) + 0.35 * warp(x, y)
            ring = 0.5 + 0.5 * math.cos(2 * math.pi * 5 * d)
            ring = ring ** 3
            fine = streak(x, y) - 0.5 + rng.uniform(-0.08, 0.08)
            t = 0.55 * ring + 0.3 * fine
            r = 196 - 90 * t
            row.append((clamp8(r), clamp8(r * 0.68), clamp8(r * 0.38)))
        rows.append(row)
    return rows


TEXTURES = [
    ('big_bricks', lambda: bricks(300, 189, 8, 75, 4, 1, (150, 70, 50), 18, 190)),
    ('bricks', lambda: bricks(96, 96, 4, 48, 3, 2, (180, 60, 40), 22, 175)),
    ('bumpy', bumpy),
    ('noise', noise),
    ('swoosh', swoosh),
    ('wood', wood),
]


def write_textures(argv, here, textures, encode):
    """Writes each (name, draw) texture as name.bmp: encode(draw()) gives the file bytes and
    the rows as RGB for the optional tiled PNG previews.
    Arguments: [OUT_DIR] [--png PNG_DIR]; OUT_DIR defaults to textures/ beside the script."""
    out = os.path.join(here, 'textures')
    png_dir = None
    args = list(argv)
    if '--png' in args:
        i = args.index('--png')
        png_dir = args[i + 1]
        del args[i:i + 2]
    if args:
        out = args[0]
    os.makedirs(out, exist_ok=True)
    for name, draw in textures:
        data, rgb_rows = encode(draw())
        with open(os.path.join(out, name + '.bmp'), 'wb') as f:
            f.write(data)
        if png_dir:
            os.makedirs(png_dir, exist_ok=True)
            with open(os.path.join(png_dir, name + '.png'), 'wb') as f:
                f.write(png(tiled(rgb_rows)))


def main(argv):
    write_textures(argv, HERE, TEXTURES, lambda rows: (bmp24(rows), rows))

if __name__ == '__main__':
    main(sys.argv[1:])
