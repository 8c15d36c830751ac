#!/usr/bin/env python3
"""Writes the probe module's PiPL resource bytes (little-endian, as the host reads them)."""
import struct
import sys


def cc(code):
    """A four-character code as the little-endian int32 a Windows PiPL stores."""
    return struct.pack('<I', int.from_bytes(code.encode('ascii'), 'big'))


def prop(key, data):
    data += b'\0' * (-len(data) % 4)  # the length counts the zero padding
    return cc('8BIM') + cc(key) + struct.pack('<iI', 0, len(data)) + data


def pascal(text):
    raw = text.encode('ascii')
    return bytes([len(raw)]) + raw


def pipl(arch):
    enable = b'in (PSHOP_ImageMode, GrayScaleMode, RGBMode, CMYKMode)\0'
    hstm = struct.pack('<i', 0) + cc('sdK1') + cc('sdK1') + struct.pack('<h', 16000) + b'kestrix probe\0'
    fici = struct.pack('<7I', *([0x0101] * 5 + [0, 0]))  # straight data in and out, cases 1..5
    props = [
        prop('kind', cc('8BFM')),
        prop('name', pascal('Probe...')),
        prop('catg', pascal('Kestrix(tm)')),
        prop('vers', struct.pack('<I', 0x00040000)),
        prop('wx86' if arch == 'x86' else '8664', b'ENTRYPOINT\0'),
        prop('hstm', hstm),
        prop('mode', bytes([0x40 | 0x10 | 0x08, 0, 0, 0])),
        prop('enbl', enable),
        prop('fici', fici),
    ]
    return struct.pack('<hii', 1, 0, len(props)) + b''.join(props)


if __name__ == '__main__':
    if len(sys.argv) != 3 or sys.argv[2] not in ('x86', 'x64'):
        sys.exit('usage: make_pipl.py OUTPUT x86|x64')
    with open(sys.argv[1], 'wb') as f:
        f.write(pipl(sys.argv[2]))
