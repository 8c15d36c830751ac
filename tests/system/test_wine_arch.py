"""Deciding whether this machine runs 32-bit Wine: the skip path must never pass or fail."""
import os
import subprocess
import sys
import tempfile
import unittest

import harness
import wine_arch

RUN_PY = os.path.join(os.path.dirname(os.path.abspath(__file__)), 'run.py')


def fake_loader(directory, name, body, mode=0o755):
    path = os.path.join(directory, name)
    with open(path, 'wb') as f:
        f.write(body)
    os.chmod(path, mode)
    return path


class LoaderDetection(unittest.TestCase):
    def setUp(self):
        self.tmp = tempfile.TemporaryDirectory()
        self.addCleanup(self.tmp.cleanup)
        self.env = dict(os.environ)
        self.env.pop('KX_SKIP_WIN32', None)
        # A 32-bit ELF for another machine (ARM): the kernel refuses it with ENOEXEC.
        self.foreign = fake_loader(self.tmp.name, 'wine-arm', b'\x7fELF\x01\x01\x01' + b'\0' * 9 +
                                   b'\x02\x00\x28\x00' + b'\0' * 40)
        # What /usr/bin/wine's shell wrapper prints when its loader cannot run.
        self.wrapper = fake_loader(self.tmp.name, 'wine-wrapper',
                                   b'#!/bin/sh\necho "$0: cannot execute binary file: Exec format error" >&2\nexit 126\n')
        self.working = fake_loader(self.tmp.name, 'wine-ok', b'#!/bin/sh\necho wine-8.0\n')

    def usable(self, loader, **extra):
        old = dict(os.environ)
        os.environ.pop('KX_SKIP_WIN32', None)
        os.environ['KX_WINE32_LOADER'] = loader
        os.environ.update(extra)
        try:
            return wine_arch.usable(32)
        finally:
            os.environ.clear()
            os.environ.update(old)

    def test_loaders_that_cannot_run_say_why(self):
        ok, why = self.usable(self.foreign)
        self.assertFalse(ok)
        self.assertIn('Exec format error', why)
        ok, why = self.usable(self.wrapper)
        self.assertFalse(ok)
        self.assertIn('failed (126)', why)
        self.assertIn('Exec format error', why)
        ok, why = self.usable(os.path.join(self.tmp.name, 'absent'))
        self.assertEqual((ok, why), (False, 'no 32-bit Wine loader at %s' % os.path.join(self.tmp.name, 'absent')))

    def test_a_working_loader_is_used_unless_the_skip_is_forced(self):
        self.assertEqual(self.usable(self.working), (True, ''))
        self.assertEqual(self.usable(self.working, KX_SKIP_WIN32='1'), (False, 'KX_SKIP_WIN32 is set'))

    def test_the_runner_prints_one_skip_line_and_no_count(self):
        win32 = os.path.join(os.path.dirname(harness.build_dir()), 'win32')
        if not os.path.exists(os.path.join(win32, 'host.exe')):
            self.fail('build/win32 not built (bash scripts/build.sh builds both widths)')
        for loader, extra, reason in ((self.foreign, {}, 'Exec format error'),
                                      (self.wrapper, {}, 'Exec format error'),
                                      (self.working, {'KX_SKIP_WIN32': '1'}, 'KX_SKIP_WIN32 is set')):
            with self.subTest(loader=os.path.basename(loader), **extra):
                env = dict(self.env, KX_WINE32_LOADER=loader, **extra)
                r = subprocess.run([sys.executable, RUN_PY, '--build-dir', win32], env=env, stdin=subprocess.DEVNULL,
                                   stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True, timeout=120)
                self.assertEqual(r.returncode, 0, r.stdout)
                lines = r.stdout.strip().splitlines()
                self.assertEqual(len(lines), 1, r.stdout)
                self.assertTrue(lines[0].startswith('system: skipped the 32-bit system tests: '), r.stdout)
                self.assertIn(reason, lines[0])
                self.assertNotIn('passed', r.stdout)


class WineStartFailures(unittest.TestCase):
    """Only a call that Wine itself gave up on is tried again: a program's own failure,
    a timeout or a crash is the test's business."""

    def test_only_the_loaders_own_complaint_counts(self):
        def done(rc, out='', err=''):
            return subprocess.CompletedProcess([], rc, out, err)
        cases = (
            (done(1, err='wine client error:0: read: Connection reset by peer\n'), True),
            (done(53, err='wine: failed to open "Z:\\x.exe": c0000135\n'), True),
            (done(1, err='wineserver: could not connect\nwine: server died\n'), True),
            (done(0, err='wine: anything\n'), False),                      # it ran
            (done(1, err='host: --plugin is required\n'), False),          # the program's own error
            (done(1, err='wine: x\nhost: --plugin is required\n'), False),
            (done(1, out='painted\n', err='wine: x\n'), False),           # the program printed
            (done(124, err='wine: x\n'), False),                           # the timeout's verdict
        )
        for r, want in cases:
            with self.subTest(rc=r.returncode, out=r.stdout, err=r.stderr):
                self.assertEqual(harness.wine_start_failed(r, 1.0), want)
        # A silent failure is Wine's only when it came too soon for any program to have run.
        self.assertTrue(harness.wine_start_failed(done(1), 0.01))
        self.assertFalse(harness.wine_start_failed(done(1), 0.5))
        self.assertFalse(harness.wine_start_failed(done(1)))
        self.assertFalse(harness.wine_start_failed(done(0), 0.01))


if __name__ == '__main__':
    unittest.main()
