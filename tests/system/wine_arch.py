"""Which Wine can run which of our builds (Python 3 standard library only).

A 64-bit prefix runs the x86-64 build with the 64-bit loader alone. The i686 build needs
the 32-bit loader, which some kernels cannot execute at all ("Exec format error"); we find
that out by trying the loader once, never by looking at installed packages.

    python3 tests/system/wine_arch.py check 32   # exit 0 when usable, else prints why

KX_WINE32_LOADER / KX_WINE64_LOADER name other loaders; KX_SKIP_WIN32=1 forces the
32-bit side off, so that the skip path can be exercised on any machine.
"""
import os
import struct
import subprocess
import sys

DEFAULT_LOADERS = {32: '/usr/lib/wine/wine', 64: '/usr/lib/wine/wine64'}


def loader(bits):
    return os.environ.get('KX_WINE%d_LOADER' % bits, DEFAULT_LOADERS[bits])


def pe_bits(path):
    """32 or 64 from a PE file's machine field; ValueError for anything else."""
    with open(path, 'rb') as f:
        head = f.read(4096)
    if head[:2] != b'MZ' or len(head) < 0x40:
        raise ValueError('%s: not a Windows executable' % path)
    pe = struct.unpack_from('<I', head, 0x3C)[0]
    if head[pe:pe + 4] != b'PE\0\0':
        raise ValueError('%s: no PE header' % path)
    machine = struct.unpack_from('<H', head, pe + 4)[0]
    if machine == 0x14C:
        return 32
    if machine == 0x8664:
        return 64
    raise ValueError('%s: machine 0x%04X' % (path, machine))


def usable(bits, timeout=60):
    """(True, '') when the loader for that width runs here, else (False, why)."""
    if bits == 32 and os.environ.get('KX_SKIP_WIN32'):
        return False, 'KX_SKIP_WIN32 is set'
    path = loader(bits)
    if not os.path.exists(path):
        return False, 'no %d-bit Wine loader at %s' % (bits, path)
    try:
        r = subprocess.run([path, '--version'], stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                           stderr=subprocess.STDOUT, timeout=timeout)
    except OSError as e:
        return False, '%s: %s' % (path, e.strerror or e)
    except subprocess.TimeoutExpired:
        return False, '%s --version did not answer in %d s' % (path, timeout)
    if r.returncode != 0:
        text = r.stdout.decode('utf-8', 'replace').strip().splitlines()
        detail = text[-1] if text else 'no output'
        return False, '%s --version failed (%d): %s' % (path, r.returncode, detail)
    return True, ''


def main(argv):
    if len(argv) != 3 or argv[1] != 'check' or argv[2] not in ('32', '64'):
        print('usage: wine_arch.py check 32|64', file=sys.stderr)
        return 2
    ok, why = usable(int(argv[2]))
    if not ok:
        print(why)
    return 0 if ok else 1


if __name__ == '__main__':
    sys.exit(main(sys.argv))
