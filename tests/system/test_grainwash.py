"""grainwash: what its older edition shows hosts (exports, the named dialog, the data
record and the 64-byte parameters block, Prepare's memory, the settings keys) and the
grain it paints through the real dialog, which its native replay must match pixel for
pixel."""
import os
import struct
import subprocess
import sys
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
import harness  # noqa: E402
from dialog_session import DialogRun, Script, pen_stroke, preview_frame, replay, run_with_logs  # noqa: E402
from module_case import LANGS, differing  # noqa: E402
from peres import RT_DIALOG, RT_GROUP_ICON, PeImage, PeResources, parse_dialog  # noqa: E402

MODULE = 'grainwash'
W, H = 120, 90
BS_TYPEMASK, BS_CHECKBOX, BS_AUTORADIOBUTTON = 0xF, 2, 9
ENGLISH = {
    10000: 'Grain Wash', 10001: 'Reset', 10002: 'Cancel',
    10003: 'Do you wish to save your changes?', 10004: 'Maximized', 10005: 'Window',
    10006: 'Parameters', 10007: 'NoTilt', 10008: 'Please enter an integer between %d and %d.',
    10009: 'Are you sure you wish to discard changes?', 10010: 'Current Tool',
    10011: 'Pressure Size', 10012: 'Pressure Amount', 10013: 'Brush Size', 10014: 'Amount',
    10015: 'Buildup', 10016: 'Monochromatic', 10017: 'Uniform',
}


class ExportsAndResources(unittest.TestCase):
    """Read from the built file: no Wine needed."""

    @classmethod
    def setUpClass(cls):
        path = harness.module_path(MODULE)
        if not os.path.exists(path):
            raise unittest.SkipTest('grainwash is not built (%s)' % path)
        with open(path, 'rb') as f:
            cls.image = PeImage(f.read())
        cls.res = PeResources(cls.image)

    def test_exports_the_entry_and_the_dialog_procedure_by_name(self):
        names = {v for k, v in self.image.exports().items() if k != 'dll'}
        self.assertEqual(names, {'ENTRYPOINT', 'GrainwashProc'})

    def test_named_dialog_in_seven_languages(self):
        self.assertNotIn(114, self.res.names(RT_DIALOG), 'no numbered editing dialog')
        self.assertEqual(self.res.languages(RT_DIALOG, 'GRAINWASHPARAM'), sorted(LANGS))
        for lang in LANGS:
            with self.subTest(lang=hex(lang)):
                d = parse_dialog(self.res.get(RT_DIALOG, 'GRAINWASHPARAM', lang))
                self.assertEqual((d['x'], d['y']), (34, 40))
                # Class names are case-insensitive; the resource compiler stores capitals.
                self.assertEqual(d['cls'].lower(), 'dlgwindclass')
                self.assertEqual(d['title'], 'Kestrix: Grain Wash')
                controls = {c['id']: c for c in d['controls']}
                for cid in (303, 301, 302, 1100, 1101, 1102, 1006, 12, 1103, 1104, 1105, 1005, 3,
                            7, 8, 11, 13, 4, 5, 2, 1, 1012, 1013, 1015):
                    self.assertIn(cid, controls)
                # The dialog toggles these two itself: plain check boxes, not automatic ones.
                for cid in (11, 13):
                    self.assertEqual(controls[cid]['style'] & BS_TYPEMASK, BS_CHECKBOX)
                for cid in (7, 8):
                    self.assertEqual(controls[cid]['style'] & BS_TYPEMASK, BS_AUTORADIOBUTTON)
                # Brush, Hand, Zoom from the top.
                self.assertLess(controls[303]['y'], controls[301]['y'])
                self.assertLess(controls[301]['y'], controls[302]['y'])

    def test_named_tool_icons(self):
        names = self.res.names(RT_GROUP_ICON)
        for name in ('BRUSH', 'HAND', 'ZOOM'):
            self.assertIn(name, names)

    def test_string_table_in_every_language(self):
        self.assertEqual({k: self.res.strings(0x0409).get(k) for k in ENGLISH}, ENGLISH)
        for lang in LANGS:
            with self.subTest(lang=hex(lang)):
                table = self.res.strings(lang)
                for sid in range(10000, 10018):
                    self.assertTrue(table.get(sid), 'string %d' % sid)
                # The tablet driver reads these under their English names.
                self.assertEqual((table[10006], table[10007]), ('Parameters', 'NoTilt'))
                self.assertEqual(table[10000], 'Grain Wash')


class GrainwashInTheHost(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        if not os.path.exists(harness.module_path(MODULE)):
            raise unittest.SkipTest('grainwash is not built')
        cls.env = harness.env()
        cls.sample = cls.env.temp_path('sample.pam')
        subprocess.run([sys.executable, os.path.join(harness.ROOT, 'scripts', 'make_sample.py'),
                        cls.sample, '--width', str(W), '--height', str(H)], check=True)
        cls.origin = preview_frame(cls.env, MODULE, W, H)

    def setUp(self):
        self.env.clear_ini('Kestrix.ini')
        self.env.clear_ini('vorla.ini')

    def session(self, lines, image=None, extra=(), logs=False, tupltype='RGB', size=(64, 48)):
        run = DialogRun(self.env, MODULE, image=image, extra=extra, tupltype=tupltype, size=size)
        s = Script('wait-dialog class=DlgWindClass', 'restore', 'tablet origin control 1012',
                   'tablet cursor 0', *lines)
        if logs:
            samples, _ = run_with_logs(run, s)
        else:
            samples = None
            run.run(s)
        self.assertEqual(run.report.get('script.result'), 'ok', run.report.get('script.error'))
        return run, samples, s

    def stroke(self, y, x0=8, x1=W - 8, step=3, pressure=700):
        return pen_stroke([(x, y) for x in range(x0, x1, step)], self.origin, pressure)

    def test_dialog_storage_and_memory_of_the_older_edition(self):
        params = self.env.temp_path('params.bin')
        shot = self.env.temp_path('dialog.png')
        lines = ['screenshot %s' % self.env.win_path(shot), 'read 1012', 'click 11', 'click 8', 'click 1']
        run, _, s = self.session(lines, extra=['--params-out', self.env.win_path(params)])
        self.assertEqual(run.report['result.start'], '0')
        self.assertEqual(run.value(s.lines.index('read 1012') + 1, 'class'), 'ProxyWindClass')
        self.assertRegex(run.tablet_log(), r'WTOpenA name="RevUzir Digitizing [0-9a-f]+"')
        self.assertTrue(os.path.getsize(shot) > 0)
        self.assertEqual(run.report['data.size'], '16')
        # Prepare: no buffer space, and the band (the whole 48 rows of a 64 x 48 RGB
        # picture) asked for as (width + width * planes * 2) * band, below the host's.
        self.assertEqual(run.report['after.prepare.bufferSpace'], '0')
        self.assertEqual(run.report['after.prepare.maxSpace'], str((64 + 64 * 3 * 2) * 48))
        with open(params, 'rb') as f:
            block = f.read()
        self.assertEqual(len(block), 64)
        self.assertEqual(struct.unpack_from('<hhh', block, 0), (50, 0, 48))
        self.assertEqual(block[8:12], b'1Dom')
        self.assertEqual(block[12:16], bytes(4))
        self.assertEqual(struct.unpack_from('<i', block, 36)[0], 2, 'tool: Brush')
        self.assertEqual((block[45], block[46]), (1, 0), 'monochrome clicked on, Gaussian chosen')
        # The pen in proximity is no airbrush: the size source left the wheel for pressure.
        self.assertEqual(struct.unpack_from('<ii', block, 48), (1, 1), 'sources: pressure, pressure')
        ini = self.env.read_ini('Kestrix.ini')['Grain Wash']
        self.assertEqual(ini.pop('Maximized'), '0')
        self.assertEqual(len(ini.pop('Window').split(',')), 4)
        # "Pressure Amount" holds the brush size and "Brush Size" the amount source.
        self.assertEqual(ini, {'Current Tool': '2', 'Pressure Size': '1', 'Pressure Amount': '25',
                               'Brush Size': '1', 'Amount': '99', 'Buildup': '0',
                               'Monochromatic': '1', 'Uniform': '0'})

    def test_stored_settings_are_read_through_the_crossed_keys(self):
        for tool, button in ((1, 301), (0, 302)):
            with self.subTest(tool=tool):
                self.env.write_ini('Kestrix.ini', '[Grain Wash]\nCurrent Tool=%d\nPressure Size=2\n'
                                   'Pressure Amount=40\nBrush Size=2\nAmount=7\nBuildup=-5\n'
                                   'Monochromatic=1\nUniform=0\n' % tool)
                run = DialogRun(self.env, MODULE)
                s = Script('wait-dialog class=DlgWindClass')
                reads = {cid: s.add('read %d' % cid) for cid in (button, 303, 12, 3, 1102, 1105, 11, 13, 7, 8)}
                s.add('click 2')
                run.run(s)
                checked = {cid: run.value(line, 'checked') for cid, line in reads.items()}
                self.assertEqual(checked[button], '1')
                self.assertEqual(checked[303], '0')
                self.assertEqual((run.value(reads[12], 'text'), run.value(reads[3], 'text')), ('40', '7'))
                self.assertEqual((checked[1102], checked[1105]), ('1', '1'))
                self.assertEqual((checked[11], checked[13], checked[7], checked[8]), ('1', '1', '0', '1'))
                ini = self.env.read_ini('Kestrix.ini')['Grain Wash']
                self.assertEqual((ini['Pressure Amount'], ini['Brush Size'], ini['Buildup']), ('40', '2', '1'))

    def test_plain_check_boxes_toggle_on_each_click(self):
        run = DialogRun(self.env, MODULE)
        s = Script('wait-dialog class=DlgWindClass')
        first = s.add('read 13')
        s.add('click 13')
        second = s.add('read 13')
        s.add('click 13')
        third = s.add('read 13')
        s.add('click 2')
        run.run(s)
        self.assertEqual([run.value(n, 'checked') for n in (first, second, third)], ['0', '1', '0'])

    def test_two_invocations_in_one_process_both_open_the_dialog(self):
        run = DialogRun(self.env, MODULE, extra=['--selectors', 'parameters,prepare,start,finish,'
                                                 'parameters,prepare,start,finish'])
        # Done first (a host stops at a non-zero result), Cancel the second time.
        s = Script('wait-dialog class=DlgWindClass', 'click 1', 'wait-dialog class=DlgWindClass', 'click 2')
        run.run(s)
        self.assertEqual(run.report.get('script.result'), 'ok', run.report.get('script.error'))
        self.assertEqual(run.report['result.start'], '1', 'the second dialog was cancelled')

    def test_a_host_that_cannot_be_served_gets_an_error_and_keeps_its_image(self):
        # Its own class names held by someone else (the preview's is registered when the
        # dialog initialises, before the image is asked for), an image request answered
        # without buffers, an owner window that is gone.
        for extra in (['--hold-class', 'DlgWindClass'], ['--hold-class', 'ProxyWindClass'],
                      ['--advance-state-no-buffers'], ['--invalid-owner']):
            with self.subTest(host=' '.join(extra)):
                image = self.env.temp_path('in.pam')
                harness.write_pam(image, 7, 5, 'RGB', bytes(range(105)))
                out = self.env.temp_path('out.pam')
                rc, report, stdout = self.env.run_host(
                    ['run', '--plugin', self.env.win_path(harness.module_path(MODULE)), '--image',
                     self.env.win_path(image), '--out', self.env.win_path(out)] + extra,
                    dll_overrides='wintab32=n')
                self.assertEqual(rc, 0, stdout)
                self.assertNotIn('fault', report)
                self.assertNotEqual(report['result.start'], '0')
                self.assertEqual(report['image.filtered'], '0')
                if extra[0] == '--hold-class':
                    self.assertEqual(report['holdClass.registered'], '1')
                    self.assertEqual(report.get('advanceState.calls', '0'), '0')
                self.assertEqual(harness.read_pam(out)[4], bytes(range(105)))

    def test_strokes_equal_their_native_replay(self):
        # Uniform per channel from the source, then Gaussian monochrome building up, then
        # the eraser over part of it: each session's log replays to the host's image.
        settings = {
            'uniform per channel': '',
            'gaussian mono buildup': '[Grain Wash]\nMonochromatic=1\nUniform=0\nBuildup=1\n',
            'fixed, per channel gaussian': '[Grain Wash]\nPressure Size=2\nBrush Size=2\nUniform=0\n',
        }
        for name, ini in settings.items():
            with self.subTest(settings=name):
                self.env.clear_ini('Kestrix.ini')
                if ini:
                    self.env.write_ini('Kestrix.ini', ini)
                lines = self.stroke(20) + self.stroke(24, pressure=1000)
                lines += pen_stroke([(10 + 3 * i, 5 + 3 * i) for i in range(25)], self.origin)
                lines += ['tablet cursor 1'] + self.stroke(22, x0=30, x1=70) + ['tablet cursor 0', 'click 1']
                run, samples, _ = self.session(lines, image=self.sample, logs=True)
                out = run.out_image()[4]
                source = harness.read_pam(self.sample)[4]
                self.assertGreater(differing(out, source), 500, 'grain was painted')
                self.assertEqual(differing(out, replay(run, samples, MODULE, done=True)[1]), 0)

    def test_a_later_session_in_the_same_process_replays_from_its_logged_state(self):
        # The first session paints (drawing from the generator) and reverts, so the second
        # starts from the same picture with the generator moved on.
        first = self.stroke(30) + ['answer yes', 'click 4', 'click 1']
        second = ['wait-dialog class=DlgWindClass', 'restore', 'tablet origin control 1012']
        second += self.stroke(30) + self.stroke(60, pressure=1000) + ['click 1']
        run = DialogRun(self.env, MODULE, image=self.sample,
                        extra=['--selectors', 'parameters,prepare,start,finish,parameters,prepare,start,finish'])
        s = Script('wait-dialog class=DlgWindClass', 'restore', 'tablet origin control 1012', 'tablet cursor 0',
                   *(first + second))
        samples, _ = run_with_logs(run, s)
        self.assertEqual(run.report.get('script.result'), 'ok', run.report.get('script.error'))
        with open(samples) as f:
            seeds = [int(l.split()[2]) for l in f if l.startswith('# seed ')]
        self.assertEqual(len(seeds), 1, 'the log holds the second session')
        self.assertGreater(seeds[0], 0, 'the generator had moved on')
        out = run.out_image()[4]
        self.assertGreater(differing(out, harness.read_pam(self.sample)[4]), 500)
        self.assertEqual(differing(out, replay(run, samples, MODULE, done=True)[1]), 0)

    def test_eraser_with_a_fixed_amount_restores_the_source(self):
        self.env.write_ini('Kestrix.ini', '[Grain Wash]\nPressure Size=2\nPressure Amount=15\nBrush Size=2\n')
        lines = self.stroke(40) + ['tablet cursor 1'] + self.stroke(40) + ['tablet cursor 0', 'click 1']
        run, samples, _ = self.session(lines, image=self.sample, logs=True)
        self.assertEqual(differing(run.out_image()[4], harness.read_pam(self.sample)[4]), 0)
        with open(samples) as f:
            erased = [l for l in f if not l.startswith('#') and l.split()[5] == '1']
        self.assertTrue(erased, 'the eraser sent samples')

    def test_transparency_is_never_written(self):
        for tupltype, depth in (('RGB_ALPHA', 4), ('CMYK_ALPHA', 5)):
            with self.subTest(kind=tupltype):
                image = self.env.temp_path(tupltype + '.pam')
                data = bytearray()
                for y in range(H):
                    for x in range(W):
                        data += bytes((x * 2 % 256, y * 3 % 256, (x + y) % 256, 200)[:depth - 1])
                        data.append(0 if (x // 6 + y // 6) % 3 == 0 else 40 + (x * y) % 200)
                harness.write_pam(image, W, H, tupltype, bytes(data))
                self.env.write_ini('Kestrix.ini', '[Grain Wash]\nPressure Size=2\nBrush Size=2\nBuildup=1\n')
                lines = self.stroke(30) + self.stroke(50) + ['click 1']
                run, samples, _ = self.session(lines, image=image, logs=True)
                out = run.out_image()[4]
                self.assertEqual(out[depth - 1::depth], bytes(data)[depth - 1::depth])
                for i in range(W * H):
                    if data[i * depth + depth - 1] == 0:
                        self.assertEqual(out[i * depth:(i + 1) * depth], data[i * depth:(i + 1) * depth])
                self.assertGreater(differing(out, bytes(data)), 500)
                self.assertEqual(differing(out, replay(run, samples, MODULE, image=image, done=True)[1]), 0)


if __name__ == '__main__':
    unittest.main()
