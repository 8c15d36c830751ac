#!/usr/bin/env python3
"""Draws the demo's sample picture: a soft evening landscape with dust specks and a few
scratches, as a scanned slide might show them. Deterministic (fixed seed), no libraries.

usage: make_sample.py OUT.pam [--width W] [--height H] [--clean]
"""
import argparse
import math
import random


def landscape(w, h):
    rows = []
    sun_x, sun_y, sun_r = w * 0.68, h * 0.36, h * 0.09
    for y in range(h):
        t = y / (h - 1)
        row = bytearray(w * 3)
        for x in range(w):
            u = x / (w - 1)
            # Sky: deep blue at the top to warm orange at the horizon.
            k = min(1.0, t / 0.55)
            r, g, b = 40 + 200 * k, 60 + 110 * k, 140 - 40 * k
            d = math.hypot(x - sun_x, y - sun_y)
            if d < sun_r:
                r, g, b = 255, 236, 170
            else:
                glow = math.exp(-((d - sun_r) / (h * 0.18)) ** 2)
                r, g, b = r + 60 * glow, g + 45 * glow, b + 10 * glow
            # Two ranges of hills, the nearer one darker, and a lake in front.
            far = h * (0.55 + 0.06 * math.sin(u * 7.0 + 1.0) + 0.03 * math.sin(u * 19.0))
            near = h * (0.66 + 0.08 * math.sin(u * 4.0 + 2.5) + 0.02 * math.sin(u * 23.0))
            lake = h * 0.82
            if y > lake:
                m = (y - lake) / (h - lake)
                ripple = 12 * math.sin(x * 0.15 + y * 0.9)
                r, g, b = 50 + 40 * (1 - m) + ripple, 70 + 50 * (1 - m) + ripple, 110 + 40 * (1 - m) + ripple
            elif y > near:
                shade = (y - near) / (lake - near + 1)
                r, g, b = 45 - 15 * shade, 70 - 20 * shade, 40 - 10 * shade
            elif y > far:
                r, g, b = 90 + 20 * u, 80 + 10 * u, 110
            row[3 * x:3 * x + 3] = bytes(max(0, min(255, int(v))) for v in (r, g, b))
        rows.append(row)
    return rows


def add_grain(rows, w, h, rng):
    for y in range(h):
        row = rows[y]
        for i in range(w * 3):
            row[i] = max(0, min(255, row[i] + rng.randint(-4, 4)))


def add_dust(rows, w, h, rng):
    # Specks: small dark or bright blobs of one to three pixels across.
    for _ in range(w * h // 900):
        cx, cy = rng.randrange(w), rng.randrange(h)
        value = rng.choice((15, 25, 235, 250))
        radius = rng.choice((0, 0, 1, 1, 1.5))
        for y in range(int(cy - 2), int(cy + 3)):
            for x in range(int(cx - 2), int(cx + 3)):
                if 0 <= x < w and 0 <= y < h and math.hypot(x - cx, y - cy) <= radius:
                    rows[y][3 * x:3 * x + 3] = bytes((value, value, value))
    # Scratches: thin bright curves running mostly downwards.
    for _ in range(4):
        x = rng.uniform(0.1, 0.9) * w
        y0 = rng.uniform(0, 0.4) * h
        length = rng.uniform(0.3, 0.6) * h
        drift = rng.uniform(-0.15, 0.15)
        for s in range(int(length)):
            y = int(y0 + s)
            xi = int(x + drift * s + 2 * math.sin(s * 0.05))
            if 0 <= xi < w and 0 <= y < h:
                rows[y][3 * xi:3 * xi + 3] = bytes((245, 245, 240))


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("out")
    ap.add_argument("--width", type=int, default=480)
    ap.add_argument("--height", type=int, default=320)
    ap.add_argument("--clean", action="store_true", help="no dust and no scratches")
    args = ap.parse_args()
    rng = random.Random(20261208)
    w, h = args.width, args.height
    rows = landscape(w, h)
    add_grain(rows, w, h, rng)
    if not args.clean:
        add_dust(rows, w, h, rng)
    with open(args.out, "wb") as f:
        f.write(f"P7\nWIDTH {w}\nHEIGHT {h}\nDEPTH 3\nMAXVAL 255\nTUPLTYPE RGB\nENDHDR\n".encode())
        for row in rows:
            f.write(row)


if __name__ == "__main__":
    main()
