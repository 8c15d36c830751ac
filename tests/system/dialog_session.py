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
                 language=None, extra=()):
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
        extra = {'KX_TABLET_CONFIG': self.env.win_path(config)}
        if self.language:
            extra.update({'LANG': self.language, 'LC_ALL': self.language})
        args = ['run', '--plugin', self.env.win_path(harness.module_path(self.module)),
                '--image', self.env.win_path(self.image),
                '--out', self.env.win_path(self.path('out.pam')),
                '--script', self.env.win_path(script_path),
                '--timeout-ms', str(timeout_ms)] + self.extra
        # Our wintab32.dll sits beside host.exe; forcing the native one keeps Wine's own
        # tablet driver out of the way.
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
