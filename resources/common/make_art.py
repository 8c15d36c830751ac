#!/usr/bin/env python3
"""Writes the dialog and preview artwork of every module (Python 3 standard library only).

    python3 resources/common/make_art.py [output dir]     (default: resources/common/art)

The output is deterministic, so the committed files can be checked against a fresh run:
    python3 resources/common/make_art.py /tmp/art && diff -r /tmp/art resources/common/art

Files (resource ids in art_ids.h):
    ants0.bmp .. ants7.bmp   8x8 1 bpp, marching-ants phase 0..7
    checker.bmp              8x8 4 bpp, 4x4 squares light grey / white
    hand.ico zoom.ico brush.ico            32x32 and 16x16, 32 bpp with AND mask
    brush.cur zoom_in.cur zoom_out.cur hand.cur   32x32 monochrome
    eyedropper.cur           32x32 monochrome (airbrush's colour pick)
    logo_spotclean.bmp logo_dustclean.bmp logo_airbrush.bmp logo_warper.bmp
    logo_grainwash.bmp logo_chisel.bmp logo_texturer.bmp logo_gilder.bmp
                                           100x54 24 bpp word-marks
    light_marker.bmp light_selected.bmp    11x11 24 bpp, chisel's light picker cells
"""
import os
import struct
import sys

HERE = os.path.dirname(os.path.abspath(__file__))


# --- file writers ----------------------------------------------------------------------
def _rows_bottom_up(rows):
    """BMP rows are stored bottom row first, each padded to a multiple of 4 bytes."""
    out = b''
    for row in reversed(rows):
        out += row + b'\0' * (-len(row) % 4)
    return out


def _pack_bits(bits, per_pixel):
    """Packs pixel values (MSB first) into bytes for 1 or 4 bits per pixel."""
    out = bytearray()
    per_byte = 8 // per_pixel
    for i in range(0, len(bits), per_byte):
        v = 0
        for j in range(per_byte):
            px = bits[i + j] if i + j < len(bits) else 0
            v = (v << per_pixel) | px
        out.append(v)
    return bytes(out)


def _info_header(w, h, bpp, colours):
    return struct.pack('<IiiHHIIiiII', 40, w, h, 1, bpp, 0, 0, 2835, 2835, colours, 0)


def _palette(colours):
    return b''.join(struct.pack('<BBBB', c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF, 0) for c in colours)


def bmp_indexed(pixels, palette, bpp):
    """pixels: rows of palette indices (top row first)."""
    h, w = len(pixels), len(pixels[0])
    body = _rows_bottom_up([_pack_bits(r, bpp) for r in pixels])
    head = _info_header(w, h, bpp, len(palette)) + _palette(palette)
    offset = 14 + len(head)
    return struct.pack('<2sIHHI', b'BM', offset + len(body), 0, 0, offset) + head + body


def bmp_rgb(pixels):
    """pixels: rows of 0xRRGGBB (top row first), stored as 24 bpp."""
    h, w = len(pixels), len(pixels[0])
    rows = [b''.join(struct.pack('<BBB', c & 0xFF, (c >> 8) & 0xFF, c >> 16) for c in r) for r in pixels]
    body = _rows_bottom_up(rows)
    head = _info_header(w, h, 24, 0)
    offset = 14 + len(head)
    return struct.pack('<2sIHHI', b'BM', offset + len(body), 0, 0, offset) + head + body


def _and_mask(opaque):
    """1 bpp AND mask: 1 = transparent (the screen shows through)."""
    return _rows_bottom_up([_pack_bits([0 if o else 1 for o in r], 1) for r in opaque])


def ico(images):
    """images: list of rows of 0xAARRGGBB (alpha 0 = transparent). 32 bpp with AND mask."""
    blobs = []
    for px in images:
        h, w = len(px), len(px[0])
        xor = _rows_bottom_up([b''.join(struct.pack('<I', c) for c in r) for r in px])
        mask = _and_mask([[c >> 24 != 0 for c in r] for r in px])
        blobs.append((w, h, _info_header(w, 2 * h, 32, 0) + xor + mask))
    out = struct.pack('<HHH', 0, 1, len(blobs))
    offset = 6 + 16 * len(blobs)
    for w, h, blob in blobs:
        out += struct.pack('<BBBBHHII', w & 0xFF, h & 0xFF, 0, 0, 1, 32, len(blob), offset)
        offset += len(blob)
    return out + b''.join(b for _, _, b in blobs)


def cur(art, hotspot):
    """Monochrome 32x32 cursor from ASCII art (top-left aligned in the frame):
       '.' transparent, 'K' black, 'W' white, '~' inverts the screen."""
    size = 32
    xor_bits, and_bits = [], []
    for y in range(size):
        line = art[y] if y < len(art) else ''
        xr, ar = [], []
        for x in range(size):
            ch = line[x] if x < len(line) else '.'
            # AND/XOR truth table of a monochrome cursor pixel.
            a, v = {'.': (1, 0), 'K': (0, 0), 'W': (0, 1), '~': (1, 1)}[ch]
            ar.append(a)
            xr.append(v)
        xor_bits.append(xr)
        and_bits.append(ar)
    xor = _rows_bottom_up([_pack_bits(r, 1) for r in xor_bits])
    mask = _rows_bottom_up([_pack_bits(r, 1) for r in and_bits])
    blob = _info_header(size, 2 * size, 1, 2) + _palette([0x000000, 0xFFFFFF]) + xor + mask
    return (struct.pack('<HHH', 0, 2, 1) +
            struct.pack('<BBBBHHII', size, size, 2, 0, hotspot[0], hotspot[1], len(blob), 22) + blob)


# --- preview patterns ----------------------------------------------------------------------
# The 16-colour palette of the checkerboard (the standard VGA order; 7 is 0xC0C0C0).
VGA16 = [0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0xC0C0C0,
         0x808080, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF]


def ants_pixels(phase):
    """8x8, 0 black / 1 white. Diagonal stripes four pixels wide:

        phase 0        phase 1
        XXXX....       ...XXXX.   <- row 7 of phase 0 moved to the top
        XXX....X       XXXX....
        XX....XX       XXX....X
        ...

    Row r of phase 0 is row 0 shifted left by r (wrapping); phase k is phase 0 moved
    down by k rows, so pixel (x, y) is black when (x + y - k) mod 8 < 4."""
    return [[0 if (x + y - phase) % 8 < 4 else 1 for x in range(8)] for y in range(8)]


def checker_pixels():
    grey, white = VGA16.index(0xC0C0C0), VGA16.index(0xFFFFFF)
    return [[grey if (x // 4 + y // 4) % 2 == 0 else white for x in range(8)] for y in range(8)]


# --- icons -----------------------------------------------------------------------------
ICON_COLOURS = {
    '.': 0x00000000, 'K': 0xFF202020, 'W': 0xFFFFFFFF, 'B': 0xFFA8D8F0, 'D': 0xFF505050,
    'S': 0xFFF2C9A0, 'O': 0xFFA0642C, 'M': 0xFFC8C8D0, 'R': 0xFFC03028,
}

ZOOM_ART = [
    "....KKKK........",
    "..KKBBBBKK......",
    ".KBWWBBBBBK.....",
    ".KBWBBBBBBK.....",
    "KBWBBBBBBBBK....",
    "KBBBBBBBBBBK....",
    "KBBBBBBBBBBK....",
    "KBBBBBBBBBBK....",
    ".KBBBBBBBBK.....",
    ".KBBBBBBBBK.....",
    "..KKBBBBKKDD....",
    "....KKKK.DDDD...",
    "..........DDDD..",
    "...........DDDD.",
    "............DDD.",
    "................",
]

HAND_ART = [
    "................",
    ".......KK.......",
    "....KK.KSK......",
    "...KSSKKSKKK....",
    "...KSSKKSKKSK...",
    "...KSSKKSKKSK.K.",
    "...KSSKSSKKSKKSK",
    ".KKKSSSSSSSSKSSK",
    "KSSKSSSSSSSSSSK.",
    "KSSSSSSSSSSSSSK.",
    ".KSSSSSSSSSSSK..",
    "..KSSSSSSSSSSK..",
    "...KSSSSSSSSK...",
    "....KSSSSSSSK...",
    ".....KSSSSSK....",
    ".....KKKKKKK....",
]

BRUSH_ART = [
    "..............KK",
    ".............KOK",
    "............KOOK",
    "...........KOOK.",
    "..........KOOK..",
    ".........KOOK...",
    "........KOOK....",
    ".......KMMK.....",
    "......KMMMK.....",
    ".....KKMMK......",
    "....KRRKK.......",
    "...KRRRK........",
    "..KRRRRK........",
    ".KRRRRK.........",
    ".KRRRK..........",
    "KKKK............",
]


def _art_pixels(art, colours):
    assert len(art) == 16 and all(len(r) == 16 for r in art), 'icon art must be 16x16'
    return [[colours[ch] for ch in row] for row in art]


def _doubled(px):
    return [[c for c in row for _ in range(2)] for row in px for _ in range(2)]


def icon(art):
    small = _art_pixels(art, ICON_COLOURS)
    return ico([_doubled(small), small])


# --- cursors -----------------------------------------------------------------------------
def brush_cursor():
    """An inverting circle (radius 7) with a centre dot and four ticks; hotspot at the centre,
    so it stays visible on any image."""
    c = 15
    grid = [['.'] * 32 for _ in range(32)]
    for y in range(32):
        for x in range(32):
            d2 = (x - c) ** 2 + (y - c) ** 2
            if 6.5 ** 2 <= d2 < 7.5 ** 2:
                grid[y][x] = '~'
    for t in range(2, 5):
        for x, y in ((c - t, c), (c + t, c), (c, c - t), (c, c + t)):
            grid[y][x] = '~'
    grid[c][c] = '~'
    return cur([''.join(r) for r in grid], (c, c))


LENS_ART = [
    "...KKKK.........",
    ".KKWWWWKK.......",
    ".KWWWWWWK.......",
    "KWWWWWWWWK......",
    "KWWWWWWWWK......",
    "KWWWWWWWWK......",
    "KWWWWWWWWK......",
    ".KWWWWWWK.......",
    ".KKWWWWKKK......",
    "...KKKK.KKK.....",
    ".........KKK....",
    "..........KKK...",
    "...........KKK..",
    "............KK..",
]


def zoom_cursor(plus):
    grid = [list(r) for r in LENS_ART]
    for x in range(2, 8):
        grid[4][x] = grid[5][x] = 'K'
    if plus:
        for y in range(2, 8):
            grid[y][4] = grid[y][5] = 'K'
    return cur([''.join(r) for r in grid], (4, 4))


def hand_cursor():
    art = [r.replace('S', 'W') for r in HAND_ART]
    return cur(art, (8, 8))


EYEDROPPER_ART = [
    "...........KKK..",
    "..........KWWWK.",
    ".........KWWWWK.",
    "........KKWWWWK.",
    ".......KWWKWWK..",
    "......KWWWWKK...",
    ".....KWWWWK.....",
    "....KWWWWK......",
    "...KWWWWK.......",
    "..KWWWWK........",
    ".KWWWWK.........",
    ".KWWWK..........",
    "KWWK............",
    "KK..............",
]


def eyedropper_cursor():
    """A pipette pointing down-left; the hotspot is its tip."""
    return cur(EYEDROPPER_ART, (0, 13))


# --- logo --------------------------------------------------------------------------------
# A 5x7 pixel font with just the letters of the word-marks.
FONT = {
    'K': ["X...X", "X..X.", "X.X..", "XX...", "X.X..", "X..X.", "X...X"],
    'S': [".XXXX", "X....", "X....", ".XXX.", "....X", "....X", "XXXX."],
    'W': ["X...X", "X...X", "X...X", "X.X.X", "X.X.X", "XX.XX", "X...X"],
    'D': ["XXXX.", "X...X", "X...X", "X...X", "X...X", "X...X", "XXXX."],
    ' ': ["....."] * 7,
    'G': [".XXX.", "X...X", "X....", "X.XXX", "X...X", "X...X", ".XXX."],
    'W': ["X...X", "X...X", "X...X", "X.X.X", "X.X.X", "XX.XX", "X...X"],
    'h': ["X....", "X....", "XXXX.", "X...X", "X...X", "X...X", "X...X"],
    'C': [".XXX.", "X...X", "X....", "X....", "X....", "X...X", ".XXX."],
    'R': ["XXXX.", "X...X", "X...X", "XXXX.", "X.X..", "X..X.", "X...X"],
    'f': ["..XX.", ".X...", "XXXX.", ".X...", ".X...", ".X...", ".X..."],
    'v': [".....", ".....", "X...X", "X...X", "X...X", ".X.X.", "..X.."],
    'T': ["XXXXX", "..X..", "..X..", "..X..", "..X..", "..X..", "..X.."],
    'd': ["....X", "....X", ".XXXX", "X...X", "X...X", "X...X", ".XXXX"],
    'a': [".....", ".....", ".XXX.", "....X", ".XXXX", "X...X", ".XXXX"],
    'c': [".....", ".....", ".XXX.", "X....", "X....", "X....", ".XXX."],
    'e': [".....", ".....", ".XXX.", "X...X", "XXXXX", "X....", ".XXX."],
    ' ': [".....", ".....", ".....", ".....", ".....", ".....", "....."],
    'd': ["....X", "....X", ".XXXX", "X...X", "X...X", "X...X", ".XXXX"],
    'y': [".....", "X...X", "X...X", ".XXXX", "....X", "X...X", ".XXX."],
    'i': ["..X..", ".....", ".XX..", "..X..", "..X..", "..X..", ".XXX."],
    'l': [".XX..", "..X..", "..X..", "..X..", "..X..", "..X..", ".XXX."],
    'n': [".....", ".....", "XXXX.", "X...X", "X...X", "X...X", "X...X"],
    'o': [".....", ".....", ".XXX.", "X...X", "X...X", "X...X", ".XXX."],
    'p': [".....", "XXXX.", "X...X", "X...X", "XXXX.", "X....", "X...."],
    'r': [".....", ".....", "X.XX.", "XX..X", "X....", "X....", "X...."],
    's': [".....", ".....", ".XXXX", "X....", ".XXX.", "....X", "XXXX."],
    't': [".X...", ".X...", "XXXX.", ".X...", ".X...", ".X..X", "..XX."],
    'u': [".....", ".....", "X...X", "X...X", "X...X", "X..XX", ".XX.X"],
    'x': [".....", ".....", "X...X", ".X.X.", "..X..", ".X.X.", "X...X"],
}


def _text_width(text, scale, gap):
    return len(text) * (5 * scale + gap) - gap


def _draw_text(px, text, x0, y0, scale, gap, colour):
    for i, ch in enumerate(text):
        glyph = FONT[ch]
        gx = x0 + i * (5 * scale + gap)
        for gy, row in enumerate(glyph):
            for cx, bit in enumerate(row):
                if bit == 'X':
                    for dy in range(scale):
                        for dx in range(scale):
                            px[y0 + gy * scale + dy][gx + cx * scale + dx] = colour


def _mix(a, b, t):
    return sum(int(((a >> s) & 0xFF) * (1 - t) + ((b >> s) & 0xFF) * t + 0.5) << s for s in (16, 8, 0))


def logo(subtitle, accent):
    """100x54: a light panel with a thin accent rule, "Kestrix" at 2x, the module name at 1x
    and three dots of the accent colour (the specks the filter takes away)."""
    w, h = 100, 54
    top, bottom = 0xFFFFFF, 0xE4E9EE
    px = [[_mix(top, bottom, y / (h - 1)) for _ in range(w)] for y in range(h)]
    ink, shade = 0x1E3440, 0xC2CCD4
    word = 'Kestrix'
    ww = _text_width(word, 2, 2)
    x0 = (w - ww) // 2
    _draw_text(px, word, x0 + 1, 9, 2, 2, shade)      # 1 px drop shadow
    _draw_text(px, word, x0, 8, 2, 2, ink)
    for x in range(x0, x0 + ww):                       # accent rule under the word
        px[26][x] = accent
        px[27][x] = _mix(accent, 0xFFFFFF, 0.5)
    sw = _text_width(subtitle, 1, 1)
    _draw_text(px, subtitle, (w - sw) // 2, 33, 1, 1, 0x52606B)
    for i, (cx, cy) in enumerate(((x0 + ww - 10, 45), (x0 + ww - 5, 46), (x0 + ww, 45))):
        for y in range(cy - 1, cy + 2):
            for x in range(cx - 1, cx + 2):
                if abs(x - cx) + abs(y - cy) <= 1:
                    px[y][x] = _mix(accent, 0xFFFFFF, 0.25 * i)
    # One-pixel frame in the panel's bottom colour, darker.
    for x in range(w):
        px[0][x] = px[h - 1][x] = 0xB8C2CA
    for y in range(h):
        px[y][0] = px[y][w - 1] = 0xB8C2CA
    return bmp_rgb(px)


# --- light picker -------------------------------------------------------------------------
def light_marker(selected):
    """11x11 on white: a hollow grey ring for a cell, a lit sun (filled disc with a dark
    rim) for the cell the light comes from."""
    px = [[0xFFFFFF] * 11 for _ in range(11)]
    for y in range(11):
        for x in range(11):
            d = ((x - 5) ** 2 + (y - 5) ** 2) ** 0.5
            if selected:
                if d <= 3.6:
                    px[y][x] = _mix(0xFFD23C, 0xF08C00, d / 3.6)
                elif d <= 4.8:
                    px[y][x] = 0x7A4A00
            elif 3.2 <= d <= 4.4:
                px[y][x] = 0x8C96A0
    return bmp_rgb(px)


# --- all files ----------------------------------------------------------------------------
def artwork():
    files = {}
    for k in range(8):
        files['ants%d.bmp' % k] = bmp_indexed(ants_pixels(k), [0x000000, 0xFFFFFF], 1)
    files['checker.bmp'] = bmp_indexed(checker_pixels(), VGA16, 4)
    files['hand.ico'] = icon(HAND_ART)
    files['zoom.ico'] = icon(ZOOM_ART)
    files['brush.ico'] = icon(BRUSH_ART)
    files['brush.cur'] = brush_cursor()
    files['zoom_in.cur'] = zoom_cursor(True)
    files['zoom_out.cur'] = zoom_cursor(False)
    files['hand.cur'] = hand_cursor()
    files['logo_spotclean.bmp'] = logo('Spotclean', 0x2A8C82)
    files['logo_dustclean.bmp'] = logo('Dustclean', 0xC07A28)
    files['eyedropper.cur'] = eyedropper_cursor()
    files['logo_airbrush.bmp'] = logo('Spray Studio', 0xB0365A)
    files['logo_warper.bmp'] = logo('Warper', 0x7B4AA8)
    files['logo_grainwash.bmp'] = logo('Grain Wash', 0x6A5ACD)
    files['logo_chisel.bmp'] = logo('Relief Carver', 0x8A5A2B)
    files['light_marker.bmp'] = light_marker(False)
    files['light_selected.bmp'] = light_marker(True)
    files['logo_texturer.bmp'] = logo('Texturer', 0x8A4FB0)
    files['logo_gilder.bmp'] = logo('Gilder', 0xB8901C)
    return files


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(HERE, 'art')
    os.makedirs(out, exist_ok=True)
    for name, data in sorted(artwork().items()):
        with open(os.path.join(out, name), 'wb') as f:
            f.write(data)
    print('wrote %d files to %s' % (len(artwork()), out))


if __name__ == '__main__':
    main()
