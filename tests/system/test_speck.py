"""spotclean and dustclean painting real pixels through the dialog: strokes equal their
native replay, and Done, Cancel, Apply, Revert and Z act on what was painted."""
import os
import subprocess
import sys
import unittest

import harness
from dialog_session import (REPLAY, DialogRun, Script, pen_stroke, preview_frame, replay,
                            run_with_logs)
from module_case import differing

W, H = 160, 110
MODULES = ('spotclean', 'dustclean')


def split_after_first_stroke(samples, path):
    """The sample log up to and including the first stroke's end-of-stroke notice."""
    with open(samples) as f:
        lines = f.readlines()
    end = next(i for i, l in enumerate(lines) if not l.startswith('#') and l.split()[4] == '65535')
    with open(path, 'w') as f:
        f.writelines(lines[:end + 1])
    return path


class SpeckRemoval(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        if not os.path.exists(REPLAY):
            raise unittest.SkipTest('the native replay tool is not built (%s)' % REPLAY)
        cls.env = harness.env()
        cls.sample = cls.env.temp_path('sample.pam')
        subprocess.run([sys.executable, os.path.join(harness.ROOT, 'scripts', 'make_sample.py'),
                        cls.sample, '--width', str(W), '--height', str(H)], check=True)
        cls.origin = {m: preview_frame(cls.env, m, W, H) for m in MODULES}

    def setUp(self):
        self.env.clear_ini('Kestrix.ini')
        self.env.clear_ini('vorla.ini')

    def source(self, image=None):
        return harness.read_pam(image or self.sample)[4]

    def run_session(self, module, lines, image=None, tablet=''):
        run = DialogRun(self.env, module, image=image or self.sample, tablet=tablet)
        s = Script('wait-dialog', 'restore', 'tablet origin control 1012', 'tablet cursor 0', *lines)
        samples, _ = run_with_logs(run, s)
        self.assertEqual(run.report.get('script.result'), 'ok', run.report.get('script.error'))
        return run, samples

    def horizontal(self, module, y, x0=10, x1=W - 10, pressure=700):
        return pen_stroke([(x, y) for x in range(x0, x1, 4)], self.origin[module], pressure)

    def test_strokes_equal_their_native_replay(self):
        for module in MODULES:
            with self.subTest(module=module):
                lines = self.horizontal(module, 30) + self.horizontal(module, 70, pressure=1000)
                lines += pen_stroke([(20 + 3 * i, 10 + 4 * i) for i in range(22)], self.origin[module])
                run, samples = self.run_session(module, lines + ['click 1'])
                out = run.out_image()[4]
                self.assertGreater(differing(out, self.source()), 0, 'the strokes changed the picture')
                self.assertEqual(differing(out, replay(run, samples, module)[1]), 0)

    def test_every_image_kind_paints_as_its_replay(self):
        rgb = self.source()
        kinds = {'GRAYSCALE': 1, 'GRAYSCALE_ALPHA': 2, 'RGB': 3, 'RGB_ALPHA': 4, 'CMYK': 4, 'CMYK_ALPHA': 5}
        for tupltype, depth in kinds.items():
            image = self.env.temp_path(tupltype + '.pam')
            data = bytearray()
            for i in range(W * H):
                r, g, b = rgb[3 * i:3 * i + 3]
                px = {'GRAYSCALE': (g,), 'RGB': (r, g, b), 'CMYK': (r, g, b, 255 - min(r, g, b))}
                base = px[tupltype.replace('_ALPHA', '')]
                data += bytes(base + ((60 + i % 190,) if tupltype.endswith('_ALPHA') else ()))
            harness.write_pam(image, W, H, tupltype, bytes(data))
            for module in MODULES:
                with self.subTest(kind=tupltype, module=module):
                    lines = self.horizontal(module, 30) + self.horizontal(module, 70)
                    run, samples = self.run_session(module, lines + ['click 1'], image=image)
                    out = run.out_image()[4]
                    self.assertGreater(differing(out, bytes(data)), 0)
                    painted = replay(run, samples, module, image, done=True)[1]
                    self.assertEqual(differing(out, painted), 0)
                    if tupltype.endswith('_ALPHA'):
                        self.assertEqual(differing(out[depth - 1::depth], bytes(data)[depth - 1::depth]), 0)

    def test_closing_after_a_stroke_asks_whether_to_keep_it(self):
        module = 'spotclean'
        run, _ = self.run_session(module, self.horizontal(module, 40) + ['answer no', 'sysclose'])
        self.assertEqual(run.report['messagebox.1.text'], 'Do you wish to save your changes?')
        self.assertEqual(run.report['result.start'], '1')
        self.assertEqual(differing(run.out_image()[4], self.source()), 0)
        run, samples = self.run_session(module, self.horizontal(module, 40) + ['answer yes', 'sysclose'])
        self.assertEqual(run.report['result.start'], '0')
        self.assertEqual(differing(run.out_image()[4], replay(run, samples, module)[1]), 0)

    def test_held_z_exchanges_at_every_repeat(self):
        module = 'spotclean'
        lines = self.horizontal(module, 40) + ['key repeat z 3', 'click 1']
        run, _ = self.run_session(module, lines)
        self.assertEqual(differing(run.out_image()[4], self.source()), 0, 'three exchanges: before')
        run, _ = self.run_session(module, self.horizontal(module, 40) + ['key repeat z 4', 'click 1'])
        self.assertGreater(differing(run.out_image()[4], self.source()), 0, 'four: after')

    def test_buildup_and_settings_change_the_replayed_parameters_too(self):
        module = 'spotclean'
        lines = ['click 1001', 'click 1009', 'settext 3 9'] + self.horizontal(module, 50)
        run, samples = self.run_session(module, lines + ['click 1'])
        self.assertEqual(differing(run.out_image()[4], replay(run, samples, module)[1]), 0)
        ini = self.env.read_ini('Kestrix.ini')['Spotclean']
        self.assertEqual((ini['Buildup'], ini['Pressure Amount'], ini['Amount']), ('0', '2', '9'))

    def test_cancel_after_a_stroke_asks_and_discards(self):
        module = 'spotclean'
        run, _ = self.run_session(module, self.horizontal(module, 40) + ['answer yes', 'click 2'])
        self.assertEqual(run.report['result.start'], '1')
        self.assertEqual(run.report['messagebox.1.text'], 'Are you sure you wish to discard changes?')
        self.assertEqual(differing(run.out_image()[4], self.source()), 0)

    def test_apply_then_revert_returns_to_the_applied_state(self):
        for module, apply_id in (('spotclean', 5), ('dustclean', 6)):
            with self.subTest(module=module):
                lines = self.horizontal(module, 30) + ['click %d' % apply_id]
                lines += self.horizontal(module, 80) + ['answer yes', 'click 4', 'click 1']
                run, samples = self.run_session(module, lines)
                first = split_after_first_stroke(samples, run.path('first.txt'))
                self.assertEqual(differing(run.out_image()[4], replay(run, first, module)[1]), 0)
                self.assertGreater(differing(run.out_image()[4], self.source()), 0)

    def test_z_after_the_second_stroke_hands_back_the_first(self):
        module = 'dustclean'
        lines = self.horizontal(module, 30) + self.horizontal(module, 80) + ['key press z', 'click 1']
        run, samples = self.run_session(module, lines)
        first = split_after_first_stroke(samples, run.path('first.txt'))
        self.assertEqual(differing(run.out_image()[4], replay(run, first, module)[1]), 0)
        self.assertEqual(run.report['outData.isHostBuffer'], '1')

    def test_cmyk_with_transparency_keeps_its_transparency_on_done(self):
        image = self.env.temp_path('cmyk.pam')
        rgb = self.source()
        data = bytearray()
        for i in range(W * H):
            r, g, b = rgb[3 * i:3 * i + 3]
            data += bytes((r, g, b, max(r, g, b), 40 + (i % 200)))
        harness.write_pam(image, W, H, 'CMYK_ALPHA', bytes(data))
        for module in MODULES:
            with self.subTest(module=module):
                lines = self.horizontal(module, 40) + ['tablet cursor 1']
                lines += self.horizontal(module, 40, pressure=1023) + ['tablet cursor 0', 'click 1']
                run, samples = self.run_session(module, lines, image=image)
                out = run.out_image()[4]
                self.assertEqual(differing(out[4::5], bytes(data)[4::5]), 0, 'transparency as the source had it')
                # The working copy itself never had its transparency touched (issue 9: the
                # eraser used to force it to 255 and only Done repaired it).
                painted = replay(run, samples, module, image)[1]
                self.assertEqual(differing(painted[4::5], bytes(data)[4::5]), 0,
                                 'the eraser left transparency alone in the working copy')
                diffs = [(i // 5 % W, i // 5 // W, i % 5, out[i], painted[i]) for i in range(len(out))
                         if out[i] != painted[i]]
                self.assertEqual(diffs, [])


if __name__ == '__main__':
    unittest.main()
