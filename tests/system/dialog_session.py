"""Runs a module's editing dialog in the reference host with our virtual tablet and a
driver script, the way the dialog tests and the demo use it."""
import os

import harness


def pattern(w, h, depth):
    return bytes((1 + x * 7 + y * 31 + c * 50) % 256
                 for y in range(h) for x in range(w) for c in range(depth))


class DialogRun:
    """One host run: files in a scratch folder, the report afterwards."""

    def __init__(self, env, module, image=None, tupltype='RGB', size=(64, 48), tablet='',
                 language=None, extra=(), environment=None):
        self.env = env
        self.module = module
        self.folder = env.temp_path(module)
        os.makedirs(self.folder)
        if image is None:
            image = self.path('in.pam')
            w, h = size
            harness.write_pam(image, w, h, tupltype, pattern(w, h, harness.DEPTHS[tupltype]))
        self.image = image
        self.tablet_config = tablet
        self.language = language
        self.extra = list(extra)
        self.environment = dict(environment or {})  # for the host process
        self.report = None
        self.stdout = ''

    def path(self, name):
        return os.path.join(self.folder, name)

    def run(self, script, timeout_ms=30000):
        if isinstance(script, Script):
            script = script.text()
        script_path = self.path('drive.txt')
        with open(script_path, 'w') as f:
            f.write('\n'.join(line.strip() for line in script.splitlines()) + '\n')
        config = self.path('tablet.cfg')
        with open(config, 'w') as f:
            f.write('log=%s\n%s\n' % (self.env.win_path(self.path('tablet.log')), self.tablet_config))
        extra = dict(self.environment, KX_TABLET_CONFIG=self.env.win_path(config))
        if self.language:
            extra.update({'LANG': self.language, 'LC_ALL': self.language})
        args = ['run', '--plugin', self.env.win_path(harness.module_path(self.module)),
                '--image', self.env.win_path(self.image),
                '--out', self.env.win_path(self.path('out.pam')),
                '--script', self.env.win_path(script_path),
                '--timeout-ms', str(timeout_ms)] + self.extra
        # Our wintab32.dll sits beside host.exe; forcing the native one keeps Wine's own
        # tablet driver out of the way.
        self.args = args
        rc, self.report, self.stdout = self.env.run_host(
            args, timeout=timeout_ms // 1000 + 30, env_extra=extra, dll_overrides='wintab32=n')
        if rc != 0:
            raise AssertionError('host exit %d\n%s' % (rc, self.stdout[-3000:]))
        return self.report

    def out_image(self):
        return harness.read_pam(self.path('out.pam'))

    def tablet_log(self):
        p = self.path('tablet.log')
        return open(p).read() if os.path.exists(p) else ''

    def value(self, line, key):
        """The report value of script command `line` (1-based) and `key`."""
        return self.report.get('script.%d.%s' % (line, key))


class Script:
    """Driver commands, one per line; add() returns the line number whose report keys
    (script.N.*) hold that command's results."""

    def __init__(self, *lines):
        self.lines = []
        for line in lines:
            self.add(line)

    def add(self, line):
        self.lines.append(line)
        return len(self.lines)

    def text(self):
        return '\n'.join(self.lines)


REPLAY = os.path.join(harness.ROOT, 'build', 'native', 'kx_replay')


# Modules whose dialog window class is not the framework's "DlgWndClass".
DIALOG_CLASSES = {'grainwash': 'DlgWindClass'}


def wait_dialog(module):
    """The driver command that waits for the module's editing dialog."""
    cls = DIALOG_CLASSES.get(module)
    return 'wait-dialog class=%s' % cls if cls else 'wait-dialog'


def preview_frame(env, module, w, h):
    """Top-left of a w x h picture in the preview at zoom 1, dialog at its template size."""
    run = DialogRun(env, module, size=(w, h))
    s = Script(wait_dialog(module), 'restore')
    p = s.add('preview')
    s.add('click 2')
    run.run(s)
    cw, ch = (int(v) for v in run.value(p, 'client').split(','))
    return (cw - w) // 2 if cw > w else 0, (ch - h) // 2 if ch > h else 0


def pen_stroke(points, origin, pressure=600):
    """Tablet commands for one stroke through image points: hover, press, lift."""
    left, top = origin
    x0, y0 = points[0]
    lines = ['tablet packet x=%d y=%d p=0 b=0' % (left + x0, top + y0)]
    for x, y in points:
        lines.append('tablet packet x=%d y=%d p=%d b=1' % (left + x, top + y, pressure))
    x1, y1 = points[-1]
    lines.append('tablet packet x=%d y=%d p=0 b=0' % (left + x1, top + y1))
    return lines


def run_with_logs(run, script, timeout_ms=60000):
    """Runs the script with the module writing its sample log (and dab log, for the
    recording effect); returns their paths."""
    samples, dabs = run.path('samples.txt'), run.path('dabs.txt')
    env = run.env
    plain = env.run_host

    def with_logs(args, **kw):
        kw['env_extra'] = dict(kw.get('env_extra') or {},
                               KESTRIX_SAMPLE_LOG=env.win_path(samples),
                               KESTRIX_DAB_LOG=env.win_path(dabs))
        return plain(args, **kw)
    env.run_host = with_logs
    try:
        run.run(script, timeout_ms)
    finally:
        env.run_host = plain
    return samples, dabs


def replay(run, samples, effect, image=None, done=False, mask=None):
    """The native replay of a sample log onto the run's picture: (dab log, pixels).
    done: end as Done does (the image the host receives); mask: the selection."""
    import subprocess
    dabs, out = run.path('replay-dabs.txt'), run.path('replay.pam')
    args = [REPLAY, '--effect', effect, '--samples', samples, '--image', image or run.image,
            '--dab-log', dabs, '--out', out]
    if mask:
        args += ['--mask', mask]
    if done:
        args.append('--done')
    subprocess.run(args, check=True, timeout=120)
    with open(dabs) as f:
        return f.read(), harness.read_pam(out)[4]
