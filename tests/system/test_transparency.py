"""Transparency is never lost (issue 9), and Apply never writes the host's source buffer
(issue 18, item 6): spotclean and dustclean in the reference host, on RGB and CMYK images
with transparency (transparent, half-transparent and opaque pixels) and a selection
mask, with pen strokes and eraser strokes over them, ended in every way that keeps the
image. The transparency plane the host receives is the source's, byte for byte, and the
colour channels are the native replay of the session with --done."""
import os
import subprocess
import sys
import unittest

import harness
from dialog_session import REPLAY, DialogRun, Script, pen_stroke, preview_frame, replay, run_with_logs

W, H = 160, 110
MODULES = {'spotclean': 5, 'dustclean': 6}  # module: Apply button
KINDS = {'RGB_ALPHA': 4, 'CMYK_ALPHA': 5}


def alpha_at(x, y):
    """Transparent, opaque and half-transparent pixels in small patches, so every
    stroke crosses all three."""
    k = (x // 3 + y // 4) % 5
    return (0, 255, 1 + (x * 7 + y * 13) % 254, 128, 255)[k]


def mask_at(x, y):
    """A selection: a hole (a vertical band), a soft part and a fully selected rest."""
    if 70 <= x < 82:
        return 0
    return 90 if y >= 90 else 255


def log_lines(samples):
    with open(samples) as f:
        return f.readlines()


def until_stroke(samples, path, n):
    """The sample log up to and including the n-th stroke's end-of-stroke notice."""
    lines, ends, keep = log_lines(samples), 0, []
    for line in lines:
        keep.append(line)
        if not line.startswith('#') and line.split()[4] == '65535':
            ends += 1
            if ends == n:
                break
    with open(path, 'w') as f:
        f.writelines(keep)
    return path


def until_event(samples, path, event):
    """The sample log before the first '# <event>' line."""
    lines = log_lines(samples)
    end = lines.index('# %s\n' % event)
    with open(path, 'w') as f:
        f.writelines(lines[:end])
    return path


def differences(out, expected, depth):
    """(x, y, channel, got, expected) of every differing byte, the first few."""
    diffs = [(i // depth % W, i // depth // W, i % depth, out[i], expected[i])
             for i in range(min(len(out), len(expected))) if out[i] != expected[i]]
    if len(out) != len(expected):
        diffs.append(('length', len(out), len(expected)))
    return diffs[:12]


class Session(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        if not os.path.exists(REPLAY):
            raise unittest.SkipTest('the native replay tool is not built (%s)' % REPLAY)
        cls.env = harness.env()
        sample = cls.env.temp_path('sample.pam')
        subprocess.run([sys.executable, os.path.join(harness.ROOT, 'scripts', 'make_sample.py'),
                        sample, '--width', str(W), '--height', str(H)], check=True)
        rgb = harness.read_pam(sample)[4]
        cls.images = {}
        for kind, depth in KINDS.items():
            data = bytearray()
            for i in range(W * H):
                x, y = i % W, i // W
                r, g, b = rgb[3 * i:3 * i + 3]
                colour = (r, g, b) if depth == 4 else (255 - r, 255 - g, 255 - b, 255 - max(r, g, b))
                data += bytes(colour + (alpha_at(x, y),))
            path = cls.env.temp_path(kind + '.pam')
            harness.write_pam(path, W, H, kind, bytes(data))
            cls.images[kind] = (path, bytes(data))
        cls.mask = cls.env.temp_path('mask.pam')
        harness.write_pam(cls.mask, W, H, 'GRAYSCALE', bytes(mask_at(i % W, i // W) for i in range(W * H)))
        cls.origin = {m: preview_frame(cls.env, m, W, H) for m in MODULES}

    def setUp(self):
        self.env.clear_ini('Kestrix.ini')
        self.env.clear_ini('vorla.ini')

    # --- strokes ---------------------------------------------------------------
    def pen(self, module, y, x0=8, x1=W - 8, pressure=800):
        return ['tablet cursor 0'] + pen_stroke([(x, y) for x in range(x0, x1, 4)], self.origin[module], pressure)

    def eraser(self, module, points, pressure):
        return ['tablet cursor 1'] + pen_stroke(points, self.origin[module], pressure) + ['tablet cursor 0']

    def painting(self, module):
        """Pen strokes, and eraser strokes over them at full and at part strength."""
        lines = self.pen(module, 30) + self.pen(module, 60, pressure=1023)
        lines += pen_stroke([(12 + 3 * i, 8 + 4 * i) for i in range(24)], self.origin[module], 700)
        lines += self.eraser(module, [(x, 31) for x in range(20, 140, 4)], 1023)
        lines += self.eraser(module, [(x, 58 + (x % 9)) for x in range(30, 150, 4)], 500)
        return lines

    def run_session(self, module, kind, lines):
        image = self.images[kind][0]
        run = DialogRun(self.env, module, image=image, extra=['--mask', self.env.win_path(self.mask)])
        s = Script('wait-dialog', 'restore', 'tablet origin control 1012', 'tablet cursor 0', *lines)
        samples, _ = run_with_logs(run, s)
        self.assertEqual(run.report.get('script.result'), 'ok', run.report.get('script.error'))
        self.assertNotIn('fault', run.report)
        return run, samples

    def replayed(self, run, samples, module, kind):
        """What the host receives, by the native replay with --done."""
        return replay(run, samples, module, self.images[kind][0], done=True, mask=self.mask)[1]


class TransparencyIsNeverLost(Session):
    def check_kept(self, module, kind, ending):
        depth = KINDS[kind]
        source = self.images[kind][1]
        run, samples = self.run_session(module, kind, self.painting(module) + ending(module))
        self.assertEqual(run.report['result.start'], '0')
        self.assertEqual(run.report['inData.untouched'], '1', "the host's source buffer was written")
        out = run.out_image()[4]
        self.assertGreater(len(differences(out, source, depth)), 0, 'the strokes changed the picture')
        self.assertEqual(differences(out[depth - 1::depth], source[depth - 1::depth], 1), [],
                         'the transparency plane the host receives is the source\'s')
        self.assertEqual(differences(out, self.replayed(run, samples, module, kind), depth), [],
                         'the colours are the native replay with --done')
        return run, samples, out

    def each(self, ending):
        for module in MODULES:
            for kind in KINDS:
                with self.subTest(module=module, kind=kind):
                    self.check_kept(module, kind, ending)

    def test_a_done(self):
        self.each(lambda module: ['click 1'])

    def test_b_apply_then_done(self):
        self.each(lambda module: ['click %d' % MODULES[module], 'click 1'])

    def test_c_close_box_answered_yes(self):
        def ending(module):
            return ['answer yes', 'sysclose']
        for module in MODULES:
            for kind in KINDS:
                with self.subTest(module=module, kind=kind):
                    run, _, _ = self.check_kept(module, kind, ending)
                    self.assertEqual(run.report['messagebox.1.text'], 'Do you wish to save your changes?')

    def test_d_apply_more_strokes_revert_then_done(self):
        def ending(module):
            return (['click %d' % MODULES[module]] + self.pen(module, 90) +
                    self.eraser(module, [(x, 29) for x in range(40, 120, 4)], 1023) +
                    ['answer yes', 'click 4', 'click 1'])
        for module in MODULES:
            for kind in KINDS:
                with self.subTest(module=module, kind=kind):
                    run, samples, out = self.check_kept(module, kind, ending)
                    # Revert returned to what was applied: the session up to Apply.
                    applied = until_event(samples, run.path('applied.txt'), 'apply')
                    self.assertEqual(differences(out, self.replayed(run, applied, module, kind), KINDS[kind]), [])


class ApplyKeepsTheHostsSource(Session):
    def test_apply_then_cancel_leaves_the_hosts_image(self):
        for module, apply_id in MODULES.items():
            for kind in KINDS:
                with self.subTest(module=module, kind=kind):
                    lines = self.painting(module) + ['click %d' % apply_id] + self.pen(module, 90)
                    run, _ = self.run_session(module, kind, lines + ['answer yes', 'click 2'])
                    self.assertEqual(run.report['result.start'], '1')
                    self.assertEqual(run.report['inData.untouched'], '1', "Apply wrote the host's source buffer")
                    self.assertEqual(differences(run.out_image()[4], self.images[kind][1], KINDS[kind]), [])

    def test_apply_revert_and_z_act_as_the_dialog_controller_says(self):
        # Stroke 1, Apply, strokes 2 and 3, Revert (back to stroke 1), then Z: the
        # image before the last stroke, stroke 2 included (Z is separate from
        # Apply and Revert). Done hands that to the host.
        kind = 'CMYK_ALPHA'
        depth = KINDS[kind]
        for module, apply_id in MODULES.items():
            with self.subTest(module=module):
                lines = self.pen(module, 30) + ['click %d' % apply_id] + self.pen(module, 60)
                lines += self.eraser(module, [(x, 31) for x in range(20, 140, 4)], 1023)
                lines += ['answer yes', 'click 4', 'key press z', 'click 1']
                run, samples = self.run_session(module, kind, lines)
                self.assertEqual(run.report['result.start'], '0')
                self.assertEqual(run.report['inData.untouched'], '1')
                out = run.out_image()[4]
                before_last = until_stroke(samples, run.path('two.txt'), 2)
                self.assertEqual(differences(out, self.replayed(run, before_last, module, kind), depth), [])
                self.assertEqual(differences(out, self.replayed(run, samples, module, kind), depth), [])
                only_first = until_stroke(samples, run.path('one.txt'), 1)
                self.assertGreater(len(differences(out, self.replayed(run, only_first, module, kind), depth)), 0,
                                   'Z brought back the second stroke, which Revert had removed')


if __name__ == '__main__':
    unittest.main()
