"""What the dialog tests of one module share: a sample picture of W x H, where it lies in
the preview, a settings file cleared before each test, and a scripted session whose
sample log is kept for the replay."""
import os
import subprocess
import sys
import unittest

import harness
from dialog_session import REPLAY, DialogRun, Script, pen_stroke, preview_frame, run_with_logs


LANGS = (0x0409, 0x0407, 0x040C, 0x0410, 0x0411, 0x0416, 0x0C0A)  # the seven the modules ship
SCREENSHOTS = os.path.join(harness.ROOT, 'build', 'screenshots')


def differing(a, b):
    """How many bytes differ (a readable failure instead of two pictures as text)."""
    return sum(1 for x, y in zip(a, b) if x != y) + abs(len(a) - len(b))


def colours_of(png):
    """The set of colours in a screenshot."""
    w, _, n, rows = harness.read_png(png)
    return {tuple(r[n * x:n * x + 3]) for r in rows for x in range(w)}


class ModuleCase(unittest.TestCase):
    MODULE = None
    W, H = 160, 110

    @classmethod
    def setUpClass(cls):
        if not os.path.exists(REPLAY):
            raise unittest.SkipTest('the native replay tool is not built (%s)' % REPLAY)
        cls.env = harness.env()
        cls.sample = cls.env.temp_path('sample.pam')
        subprocess.run([sys.executable, os.path.join(harness.ROOT, 'scripts', 'make_sample.py'),
                        cls.sample, '--width', str(cls.W), '--height', str(cls.H)], check=True)
        cls.origin = preview_frame(cls.env, cls.MODULE, cls.W, cls.H)

    def setUp(self):
        self.env.clear_ini('Kestrix.ini')
        self.env.clear_ini('vorla.ini')

    def source(self, image=None):
        return harness.read_pam(image or self.sample)[4]

    def session(self, lines, image=None, tablet='', extra=(), check=True):
        """The script's lines after the dialog is up, the tablet over the preview and the
        pen cursor chosen: (run, sample log). check: the script must end well."""
        run = DialogRun(self.env, self.MODULE, image=image or self.sample, tablet=tablet, extra=extra)
        s = Script('wait-dialog', 'restore', 'tablet origin control 1012', 'tablet cursor 0', *lines)
        samples, _ = run_with_logs(run, s)
        if check:
            self.assertEqual(run.report.get('script.result'), 'ok', run.report.get('script.error'))
        return run, samples

    def wavy_stroke(self, y, x0=10, x1=None, pressure=900):
        """A pen stroke left to right along row y, wavering over five rows."""
        x1 = self.W - 10 if x1 is None else x1
        return pen_stroke([(x, y + (x // 7) % 5) for x in range(x0, x1, 3)], self.origin, pressure)
