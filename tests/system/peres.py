"""A small reader of the resources and exports of a PE file, 32- or 64-bit (standard library only).

    res = PeResources.load('build/win32/spotclean.8bf')
    res.languages(RT_DIALOG, 114)           -> [0x0407, 0x0409, ...]
    dlg = parse_dialog(res.get(RT_DIALOG, 114, 0x0409))
    strings = res.strings(0x0409)           -> {10000: 'Please enter ...', ...}
    w, h, palette, rows = parse_dib(res.get(RT_BITMAP, 101))

Names are ints (ordinals) or upper-case strings, as the resource directory stores them.
"""
import struct

RT_CURSOR, RT_BITMAP, RT_ICON, RT_DIALOG, RT_STRING = 1, 2, 3, 5, 6
RT_GROUP_CURSOR, RT_GROUP_ICON = 12, 14

# Predefined dialog control classes (ordinal form in a template).
ATOM_CLASSES = {0x80: 'BUTTON', 0x81: 'EDIT', 0x82: 'STATIC', 0x83: 'LISTBOX', 0x84: 'SCROLLBAR',
                0x85: 'COMBOBOX'}


class PeError(ValueError):
    pass


class PeImage:
    def __init__(self, data):
        self.data = data
        if data[:2] != b'MZ':
            raise PeError('no MZ header')
        pe = struct.unpack_from('<I', data, 0x3C)[0]
        if data[pe:pe + 4] != b'PE\0\0':
            raise PeError('no PE signature')
        self.machine, nsections, _, _, _, opt_size, _ = struct.unpack_from('<HHIIIHH', data, pe + 4)
        opt = pe + 24
        magic = struct.unpack_from('<H', data, opt)[0]
        if magic not in (0x10B, 0x20B):
            raise PeError('not a PE32 or PE32+ image (magic 0x%x)' % magic)
        # PE32+ widens the image base and the four stack and heap sizes to 8 bytes.
        dirs_at = opt + (92 if magic == 0x10B else 108)
        self.bits = 32 if magic == 0x10B else 64
        ndirs = struct.unpack_from('<I', data, dirs_at)[0]
        self.directories = [struct.unpack_from('<II', data, dirs_at + 4 + 8 * i) for i in range(ndirs)]
        self.sections = []
        sec = opt + opt_size
        for i in range(nsections):
            name, vsize, va, rawsize, rawptr = struct.unpack_from('<8sIIII', data, sec + 40 * i)
            self.sections.append((name.rstrip(b'\0').decode('ascii', 'replace'), va, max(vsize, rawsize), rawptr))

    def offset(self, rva):
        for _, va, size, raw in self.sections:
            if va <= rva < va + size:
                return raw + rva - va
        raise PeError('RVA 0x%x outside every section' % rva)

    def cstring(self, rva):
        off = self.offset(rva)
        return self.data[off:self.data.index(b'\0', off)].decode('latin-1')

    def exports(self):
        """{ordinal: name or None}, plus the DLL name under key 'dll'."""
        rva, size = self.directories[0] if self.directories else (0, 0)
        if not rva:
            return {}
        off = self.offset(rva)
        (_, _, _, _, name_rva, base, nfuncs, nnames, funcs_rva, names_rva,
         ords_rva) = struct.unpack_from('<IIHHIIIIIII', self.data, off)
        out = {base + i: None for i in range(nfuncs)
               if struct.unpack_from('<I', self.data, self.offset(funcs_rva) + 4 * i)[0]}
        for i in range(nnames):
            nrva = struct.unpack_from('<I', self.data, self.offset(names_rva) + 4 * i)[0]
            idx = struct.unpack_from('<H', self.data, self.offset(ords_rva) + 2 * i)[0]
            out[base + idx] = self.cstring(nrva)
        out['dll'] = self.cstring(name_rva)
        return out


class PeResources:
    def __init__(self, image):
        self.image = image
        rva, size = image.directories[2] if len(image.directories) > 2 else (0, 0)
        self.tree = {}
        if rva:
            self._base = image.offset(rva)
            self.tree = self._directory(self._base, 0)

    @classmethod
    def load(cls, path):
        with open(path, 'rb') as f:
            return cls(PeImage(f.read()))

    def _name(self, value):
        if value & 0x80000000:
            off = self._base + (value & 0x7FFFFFFF)
            n = struct.unpack_from('<H', self.image.data, off)[0]
            return self.image.data[off + 2:off + 2 + 2 * n].decode('utf-16-le')
        return value

    def _directory(self, off, depth):
        data = self.image.data
        nnamed, nids = struct.unpack_from('<HH', data, off + 12)
        out = {}
        for i in range(nnamed + nids):
            name, target = struct.unpack_from('<II', data, off + 16 + 8 * i)
            key = self._name(name)
            if target & 0x80000000:
                out[key] = self._directory(self._base + (target & 0x7FFFFFFF), depth + 1)
            else:
                drva, dsize, codepage, _ = struct.unpack_from('<IIII', data, self._base + target)
                doff = self.image.offset(drva)
                out[key] = data[doff:doff + dsize]
        return out

    def types(self):
        return list(self.tree)

    def names(self, rtype):
        return list(self.tree.get(rtype, {}))

    def languages(self, rtype, name):
        return sorted(self.tree.get(rtype, {}).get(name, {}))

    def get(self, rtype, name, lang=None):
        """The resource's bytes; lang None takes the first language. KeyError when absent."""
        langs = self.tree[rtype][name]
        if lang is None:
            return langs[sorted(langs)[0]]
        return langs[lang]

    def strings(self, lang):
        """{id: text} of every string table block in that language (empty strings left out)."""
        out = {}
        for block, langs in self.tree.get(RT_STRING, {}).items():
            if lang not in langs:
                continue
            data, pos = langs[lang], 0
            for i in range(16):
                n = struct.unpack_from('<H', data, pos)[0]
                text = data[pos + 2:pos + 2 + 2 * n].decode('utf-16-le')
                pos += 2 + 2 * n
                if n:
                    out[(block - 1) * 16 + i] = text
        return out


# --- dialog templates ------------------------------------------------------------------
def _sz_or_ord(data, pos):
    first = struct.unpack_from('<H', data, pos)[0]
    if first == 0:
        return None, pos + 2
    if first == 0xFFFF:
        return struct.unpack_from('<H', data, pos + 2)[0], pos + 4
    end = pos
    while struct.unpack_from('<H', data, end)[0] != 0:
        end += 2
    return data[pos:end].decode('utf-16-le'), end + 2


def _align4(pos):
    return (pos + 3) & ~3


def parse_dialog(data):
    """A DLGTEMPLATE or DLGTEMPLATEEX as a dict: style, ex_style, x, y, cx, cy, menu, cls,
    title, font (points, face) or None, controls (list of dicts: id, cls, text, style,
    ex_style, x, y, cx, cy). Ordinal control classes become their names ('BUTTON', ...);
    an ordinal text (a static's bitmap) stays an int."""
    ex = struct.unpack_from('<HH', data, 0) == (1, 0xFFFF)
    if ex:
        _, _, _, ex_style, style, count, x, y, cx, cy = struct.unpack_from('<HHIIIHhhhh', data, 0)
        pos = 26
    else:
        style, ex_style, count, x, y, cx, cy = struct.unpack_from('<IIHhhhh', data, 0)
        pos = 18
    menu, pos = _sz_or_ord(data, pos)
    cls, pos = _sz_or_ord(data, pos)
    title, pos = _sz_or_ord(data, pos)
    font = None
    if style & 0x40:  # DS_SETFONT
        points = struct.unpack_from('<H', data, pos)[0]
        pos += 6 if ex else 2  # weight, italic, charset in the extended form
        face, pos = _sz_or_ord(data, pos)
        font = (points, face)
    controls = []
    for _ in range(count):
        pos = _align4(pos)
        if ex:
            _, c_ex, c_style, cxx, cyy, ccx, ccy, cid = struct.unpack_from('<IIIhhhhI', data, pos)
            pos += 24
        else:
            c_style, c_ex, cxx, cyy, ccx, ccy, cid = struct.unpack_from('<IIhhhhH', data, pos)
            pos += 18
        ccls, pos = _sz_or_ord(data, pos)
        text, pos = _sz_or_ord(data, pos)
        extra = struct.unpack_from('<H', data, pos)[0]
        pos += 2 + extra
        if isinstance(ccls, int):
            ccls = ATOM_CLASSES.get(ccls, ccls)
        if cid in (0xFFFF, 0xFFFFFFFF):
            cid = -1
        controls.append({'id': cid, 'cls': ccls, 'text': text, 'style': c_style, 'ex_style': c_ex,
                         'x': cxx, 'y': cyy, 'cx': ccx, 'cy': ccy})
    return {'style': style, 'ex_style': ex_style, 'x': x, 'y': y, 'cx': cx, 'cy': cy, 'menu': menu,
            'cls': cls, 'title': title, 'font': font, 'controls': controls, 'extended': ex}


# --- bitmaps, icons, cursors --------------------------------------------------------------
def parse_dib(data):
    """A packed DIB (an RT_BITMAP resource, or a .bmp without its 14-byte file header):
    (width, height, palette as 0xRRGGBB list, rows top row first). Rows hold palette
    indices for 1/4/8 bpp and 0xRRGGBB for 24/32 bpp."""
    size, w, h, planes, bpp, compression, _, _, _, used, _ = struct.unpack_from('<IiiHHIIiiII', data, 0)
    if compression != 0:
        raise PeError('compressed DIB (%d)' % compression)
    ncolours = used or (1 << bpp if bpp <= 8 else 0)
    palette = []
    for i in range(ncolours):
        b, g, r, _ = struct.unpack_from('<BBBB', data, size + 4 * i)
        palette.append((r << 16) | (g << 8) | b)
    pos = size + 4 * ncolours
    stride = ((w * bpp + 31) // 32) * 4
    rows = []
    for y in range(abs(h)):
        row = data[pos + y * stride:pos + (y + 1) * stride]
        if bpp in (1, 4, 8):
            per = 8 // bpp
            vals = [(row[x // per] >> (8 - bpp * (x % per + 1))) & ((1 << bpp) - 1) for x in range(w)]
        elif bpp in (24, 32):
            step = bpp // 8
            vals = [(row[x * step + 2] << 16) | (row[x * step + 1] << 8) | row[x * step] for x in range(w)]
        else:
            raise PeError('%d bpp' % bpp)
        rows.append(vals)
    if h > 0:  # bottom-up: the first stored row is the bottom one
        rows.reverse()
    return w, abs(h), palette, rows


def parse_group(data):
    """RT_GROUP_ICON / RT_GROUP_CURSOR: list of (width, height, bpp, resource id). Cursor
    entries store the height doubled (XOR and AND masks)."""
    _, rtype, count = struct.unpack_from('<HHH', data, 0)
    out = []
    for i in range(count):
        if rtype == 1:
            w, h, _, _, _, bpp, _, rid = struct.unpack_from('<BBBBHHIH', data, 6 + 14 * i)
            out.append((w or 256, h or 256, bpp, rid))
        else:
            w, h, _, bpp, _, rid = struct.unpack_from('<HHHHIH', data, 6 + 14 * i)
            out.append((w, h, bpp, rid))
    return out


def cursor_hotspot(data):
    """An RT_CURSOR resource starts with its hotspot (x, y) before the DIB."""
    return struct.unpack_from('<HH', data, 0)
