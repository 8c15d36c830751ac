"""What the dialog tests of one module share: a sample picture of W x H, where it lies in
the preview, a settings file cleared before each test, and a scripted session whose
sample log is kept for the replay."""
import os
import subprocess
import sys
import unittest

import harness
from dialog_session import REPLAY, DialogRun, Script, preview_frame, run_with_logs


def differing(a, b):
    return sum(1 for x, y in zip(a, b) if x != y) + abs(len(a) - len(b))


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

    def session(self, lines, image=None, tablet=''):
        run = DialogRun(self.env, self.MODULE, image=image or self.sample, tablet=tablet)
        s = Script('wait-dialog', 'restore', 'tablet origin control 1012', 'tablet cursor 0', *lines)
        samples, _ = run_with_logs(run, s)
        self.assertEqual(run.report.get('script.result'), 'ok', run.report.get('script.error'))
        return run, samples
