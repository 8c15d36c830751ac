"""Wine + Xvfb environment for the system tests (Python 3 standard library only).

One WineEnv per test run: a private WINEPREFIX booted once, an Xvfb on a free display,
and every wine call under `timeout` (a crash would otherwise start Wine's debugger and
hang). The build directory's host.exe decides the width: the x86-64 build runs in a
WINEARCH=win64 prefix with the 64-bit loader, the i686 build in a win32 prefix with the
32-bit one (wine_arch.py says whether this machine can run that at all).

    from harness import env
    rc, report, out = env().run_host(['run', '--plugin', env().win_path(p), ...])
"""
import atexit
import os
import shutil
import subprocess
import tempfile
import time

import wine_arch

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
_build_dir = os.path.join(ROOT, 'build', 'win32')
_env = None


def set_build_dir(path):
    global _build_dir
    _build_dir = os.path.abspath(path)


def build_dir():
    return _build_dir


def module_path(name):
    """POSIX path of build/<preset>/<name>.8bf (probe, spotclean, ...)."""
    return os.path.join(_build_dir, name + '.8bf')


def build_bits():
    """32 or 64: the width of the build directory's host.exe."""
    return wine_arch.pe_bits(os.path.join(_build_dir, 'host.exe'))


def entry_key():
    """The PiPL property that names the entry point for this build's width."""
    return 'wx86' if build_bits() == 32 else '8664'


def other_build_dir():
    """The build directory of the other width (build/win32 beside build/win64)."""
    parent, name = os.path.split(_build_dir)
    return os.path.join(parent, 'win32' if build_bits() == 64 else 'win64')


def objdump():
    return 'i686-w64-mingw32-objdump' if build_bits() == 32 else 'x86_64-w64-mingw32-objdump'


def env():
    """The run's shared WineEnv, booted on first use and closed at exit."""
    global _env
    if _env is None:
        _env = WineEnv(_build_dir)
        atexit.register(_env.close)
    return _env


class WineError(RuntimeError):
    pass


# Starting any program under Wine takes well over this (0.15 s here); a silent failure
# sooner than that cannot have come from the program.
TOO_SOON_TO_HAVE_RUN = 0.08


def wine_start_failed(r, seconds=None):
    """True when a call ended before its program ran: a non-zero exit whose only output
    is the Wine loader's or server's own message, or a silent one too soon to have run."""
    lines = [l for l in r.stderr.splitlines() if l.strip()]
    if r.returncode in (0, 124, 137) or r.stdout.strip():
        return False
    if not lines:
        return seconds is not None and seconds < TOO_SOON_TO_HAVE_RUN
    return all(l.startswith(('wine:', 'wine client error', 'wineserver:')) for l in lines)


class WineEnv:
    BOOT_TIMEOUT = 180

    def __init__(self, build_dir):
        self.build_dir = os.path.abspath(build_dir)
        self.host_exe = os.path.join(self.build_dir, 'host.exe')
        self.bits = wine_arch.pe_bits(self.host_exe)
        self.loader = wine_arch.loader(self.bits)
        self.tmp = tempfile.mkdtemp(prefix='kx-wine-')
        self.prefix = os.path.join(self.tmp, 'prefix')
        self._xvfb = None
        self.display = None
        self._counter = 0
        try:
            self._start_xvfb()
            self.base_env = dict(os.environ)
            self.base_env.update({
                'WINEPREFIX': self.prefix,
                'WINEARCH': 'win%d' % self.bits,
                'WINELOADER': self.loader,
                'WINEDEBUG': '-all',
                'WINEDLLOVERRIDES': 'mscoree,mshtml=',  # no Mono/Gecko install prompts
                'DISPLAY': self.display,
            })
            self.base_env.pop('WAYLAND_DISPLAY', None)
            started = time.monotonic()
            # Wine's helper processes (wineserver, services.exe, explorer.exe) outlive the
            # call that started them and inherit its stdout: never hand wine a pipe, or
            # reading it waits for them. Output goes to files instead.
            # One persistent wineserver for the whole run, started first so the helpers
            # hang off it; starting them again for every host call costs seconds.
            os.makedirs(self.prefix)
            subprocess.run(['timeout', '30', 'wineserver', '-p'], env=self.base_env,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            r = self._call([self.loader, 'wineboot', '-i'], self.BOOT_TIMEOUT)
            if r.returncode != 0:
                raise WineError('wineboot -i failed (%d): %s' % (r.returncode, r.stdout[-2000:]))
            # Without a window manager on Xvfb, Wine waits 2 s for every managed window
            # it hides or destroys; unmanaged windows skip that wait.
            r = self._call([self.loader, 'reg', 'add', r'HKCU\Software\Wine\X11 Driver', '/v', 'Managed', '/d', 'N', '/f'], 60)
            if r.returncode != 0:
                raise WineError('cannot set the X11 driver options: ' + r.stdout + r.stderr)
            self.boot_seconds = time.monotonic() - started
        except BaseException:
            self.close()
            raise

    # --- Xvfb ---------------------------------------------------------------
    def _start_xvfb(self):
        for n in range(90, 190):
            if os.path.exists('/tmp/.X%d-lock' % n) or os.path.exists('/tmp/.X11-unix/X%d' % n):
                continue
            proc = subprocess.Popen(['Xvfb', ':%d' % n, '-screen', '0', '1280x1024x24', '-nolisten', 'tcp'],
                                    stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, start_new_session=True)
            deadline = time.monotonic() + 10
            while time.monotonic() < deadline:
                if proc.poll() is not None:
                    break  # lost a race for this display: try the next
                if os.path.exists('/tmp/.X11-unix/X%d' % n):
                    self._xvfb = proc
                    self.display = ':%d' % n
                    return
                time.sleep(0.05)
            if proc.poll() is None:
                proc.kill()
                proc.wait()
        raise WineError('no free X display for Xvfb')

    def close(self):
        if getattr(self, 'base_env', None) and os.path.isdir(self.prefix):
            subprocess.run(['timeout', '30', 'wineserver', '-k'], env=self.base_env,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        if self._xvfb is not None:
            self._xvfb.terminate()
            try:
                self._xvfb.wait(5)
            except subprocess.TimeoutExpired:
                self._xvfb.kill()
                self._xvfb.wait()
            self._xvfb = None
        if self.tmp and not os.environ.get('KX_KEEP_WINE'):
            shutil.rmtree(self.tmp, ignore_errors=True)
            self.tmp = None

    # --- paths --------------------------------------------------------------
    def win_path(self, posix_path):
        """Z:\\... form of a POSIX path (Wine maps Z: to /)."""
        return 'Z:' + os.path.abspath(posix_path).replace('/', '\\')

    @property
    def windows_dir(self):
        return os.path.join(self.prefix, 'drive_c', 'windows')

    def temp_path(self, name):
        """A fresh file name in the run's scratch directory."""
        self._counter += 1
        d = os.path.join(self.tmp, 'work')
        os.makedirs(d, exist_ok=True)
        return os.path.join(d, '%04d-%s' % (self._counter, name))

    # --- running ------------------------------------------------------------
    def wine_env(self, env_extra=None, dll_dir=None, dll_overrides=None):
        e = dict(self.base_env)
        if dll_overrides:
            e['WINEDLLOVERRIDES'] = e['WINEDLLOVERRIDES'] + ';' + dll_overrides
        if dll_dir:
            e['WINEPATH'] = self.win_path(dll_dir)
        if env_extra:
            e.update(env_extra)
        return e

    def _call(self, argv, timeout, env=None):
        """argv under `timeout`, output through files; CompletedProcess with text."""
        out_path, err_path = self.temp_path('stdout.txt'), self.temp_path('stderr.txt')
        with open(out_path, 'wb') as out, open(err_path, 'wb') as err:
            r = subprocess.run(['timeout', '-k', '5', str(timeout)] + list(argv), env=env or self.base_env,
                               stdin=subprocess.DEVNULL, stdout=out, stderr=err, cwd=self.tmp)
        with open(out_path, 'rb') as f:
            r.stdout = f.read().decode('utf-8', errors='replace').replace('\r\n', '\n')
        with open(err_path, 'rb') as f:
            r.stderr = f.read().decode('utf-8', errors='replace').replace('\r\n', '\n')
        os.remove(out_path)
        os.remove(err_path)
        return r

    def run_wine(self, argv, timeout=60, env_extra=None, dll_dir=None, dll_overrides=None):
        """Runs `<loader> argv...` under timeout; returns CompletedProcess (stdout, stderr text).

        A call that Wine itself failed to start (the loader's own complaint, nothing from
        the program) is tried once more: on a busy machine the loader now and then gives
        up before the program runs, and such a call has done nothing yet."""
        argv = [self.loader] + list(argv)
        env = self.wine_env(env_extra, dll_dir, dll_overrides)
        started = time.monotonic()
        r = self._call(argv, timeout, env)
        if wine_start_failed(r, time.monotonic() - started):
            print('     (Wine did not start %s, exit %d: %s; trying once more)'
                  % (os.path.basename(argv[1].replace('\\', '/')), r.returncode, r.stderr.strip()[:300]), flush=True)
            started = time.monotonic()
            r = self._call(argv, timeout, env)
        self.last_call = (argv[1:], r.returncode, time.monotonic() - started, r.stderr)
        return r

    def last_call_text(self):
        """The last Wine call in a few lines, for a failing test's report."""
        if not getattr(self, 'last_call', None):
            return ''
        argv, rc, seconds, stderr = self.last_call
        text = 'last Wine call: %s -> exit %d after %.2fs' % (' '.join(argv)[:300], rc, seconds)
        if stderr.strip():
            text += '\nits stderr: ' + stderr.strip()[-1500:]
        return text

    def run_host(self, args, timeout=60, env_extra=None, dll_dir=None, dll_overrides=None, report=True):
        """host.exe with args: (returncode, report dict, stdout). For `run` (and
        report=True) a fresh --report file is added and parsed.

        timeout is the outer limit in seconds; a hang gives returncode 124."""
        args = list(args)
        report_path = None
        if report and args and args[0] == 'run' and '--report' not in args:
            report_path = self.temp_path('report.txt')
            args += ['--report', self.win_path(report_path)]
        r = self.run_wine([self.host_exe] + args, timeout, env_extra, dll_dir, dll_overrides)
        report = {}
        if report_path and os.path.exists(report_path):
            with open(report_path, encoding='utf-8', errors='replace') as f:
                report = parse_report(f.read())
        self.last_stderr = r.stderr
        return r.returncode, report, r.stdout

    # --- INI files in the Windows directory ----------------------------------
    def ini_entries(self, name):
        """(section, key, value) of every entry of an INI file in the Windows directory, in
        the file's order and case, and (section, None, None) for each section's heading;
        none when the file doesn't exist."""
        path = os.path.join(self.windows_dir, name)
        if not os.path.exists(path):
            return
        with open(path, 'rb') as f:
            raw = f.read()
        text = raw.decode('utf-16') if raw[:2] in (b'\xff\xfe', b'\xfe\xff') else raw.decode('utf-8-sig', errors='replace')
        section = None
        for line in text.splitlines():
            line = line.strip()
            if not line or line.startswith(';'):
                continue
            if line.startswith('[') and line.endswith(']'):
                section = line[1:-1]
                yield section, None, None
            elif '=' in line and section is not None:
                k, v = line.split('=', 1)
                yield section, k.strip(), v.strip()

    def read_ini(self, name):
        """{section: {key: value}} of an INI file in the Windows directory, as written
        (case kept); {} when it doesn't exist."""
        sections = {}
        for section, k, v in self.ini_entries(name):
            keys = sections.setdefault(section, {})
            if k is not None:
                keys[k] = v
        return sections

    def ini_keys(self, name, section):
        """The keys of one section in the file's order, repeats kept."""
        return [k for s, k, _ in self.ini_entries(name) if s == section and k is not None]

    def write_ini(self, name, text):
        with open(os.path.join(self.windows_dir, name), 'w', encoding='utf-8', newline='\r\n') as f:
            f.write(text)

    def clear_ini(self, name):
        try:
            os.remove(os.path.join(self.windows_dir, name))
        except FileNotFoundError:
            pass


def parse_report(text):
    """key=value lines into a dict (later keys win); values keep their \\n escapes."""
    out = {}
    for line in text.splitlines():
        if '=' in line:
            k, v = line.split('=', 1)
            out[k] = v
    return out


# --- images ------------------------------------------------------------------
DEPTHS = {'GRAYSCALE': 1, 'GRAYSCALE_ALPHA': 2, 'RGB': 3, 'RGB_ALPHA': 4, 'CMYK': 4, 'CMYK_ALPHA': 5}


def write_pam(path, w, h, tupltype, data):
    depth = DEPTHS[tupltype]
    data = bytes(data)
    if len(data) != w * h * depth:
        raise ValueError('%d bytes for %dx%dx%d' % (len(data), w, h, depth))
    header = 'P7\nWIDTH %d\nHEIGHT %d\nDEPTH %d\nMAXVAL 255\nTUPLTYPE %s\nENDHDR\n' % (w, h, depth, tupltype)
    with open(path, 'wb') as f:
        f.write(header.encode('ascii') + data)


def write_pnm(path, w, h, data):
    """P5 for len == w*h, P6 for len == 3*w*h."""
    kind = 'P5' if len(data) == w * h else 'P6'
    with open(path, 'wb') as f:
        f.write(('%s\n%d %d\n255\n' % (kind, w, h)).encode('ascii') + bytes(data))


def read_pam(path):
    """(w, h, depth, tupltype, bytes) of a PAM, or of a P5/P6 (tupltype GRAYSCALE/RGB)."""
    with open(path, 'rb') as f:
        raw = f.read()
    if raw[:2] in (b'P5', b'P6'):
        fields, pos = [], 2
        while len(fields) < 3:
            while raw[pos:pos + 1].isspace():
                pos += 1
            start = pos
            while not raw[pos:pos + 1].isspace():
                pos += 1
            fields.append(int(raw[start:pos]))
        pos += 1
        w, h, _ = fields
        depth = 1 if raw[:2] == b'P5' else 3
        return w, h, depth, 'GRAYSCALE' if depth == 1 else 'RGB', raw[pos:pos + w * h * depth]
    if raw[:2] != b'P7':
        raise ValueError('%s: not a PAM' % path)
    end = raw.index(b'ENDHDR\n') + len(b'ENDHDR\n')
    fields = {}
    for line in raw[:end].decode('ascii').splitlines()[1:]:
        if ' ' in line:
            k, v = line.split(None, 1)
            fields[k] = v.strip()
    w, h, depth = int(fields['WIDTH']), int(fields['HEIGHT']), int(fields['DEPTH'])
    return w, h, depth, fields.get('TUPLTYPE', ''), raw[end:end + w * h * depth]


def read_png(path):
    """(width, height, channels, rows of bytes) of an 8-bit RGB or RGBA PNG."""
    import struct
    import zlib
    with open(path, 'rb') as f:
        data = f.read()
    assert data[:8] == b'\x89PNG\r\n\x1a\n', path
    pos, idat, width = 8, b'', None
    while pos < len(data):
        length, kind = struct.unpack('>I4s', data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        if kind == b'IHDR':
            width, height, depth, colour = struct.unpack('>IIBB', body[:10])
            assert depth == 8 and colour in (2, 6), (depth, colour)
            channels = 3 if colour == 2 else 4
        elif kind == b'IDAT':
            idat += body
        pos += 12 + length
    raw, stride, rows, prev = zlib.decompress(idat), width * channels, [], bytearray(width * channels)
    for y in range(height):
        kind, line = raw[y * (stride + 1)], bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride):
            a = line[i - channels] if i >= channels else 0
            b, c = prev[i], prev[i - channels] if i >= channels else 0
            if kind == 1:
                line[i] = (line[i] + a) & 255
            elif kind == 2:
                line[i] = (line[i] + b) & 255
            elif kind == 3:
                line[i] = (line[i] + (a + b) // 2) & 255
            elif kind == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                line[i] = (line[i] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 255
        rows.append(bytes(line))
        prev = line
    return width, height, channels, rows
