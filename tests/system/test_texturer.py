"""texturer through its real dialog: the texture list and swatch, strokes (tip and eraser)
equal to their native replay, the texture choice, the settings file and Cancel."""
import os
import unittest

import harness
from module_case import LANGS, SCREENSHOTS, ModuleCase, colours_of, differing
from dialog_session import DialogRun, Script, replay
from peres import PeResources

W, H = 160, 110
MODULE = 'texturer'
NAMES = ['Big Bricks', 'Bricks', 'Bumpy', 'Noise', 'Swoosh', 'Wood']
NAME_IDS = [141, 142, 143, 144, 145, 119]


class Texturer(ModuleCase):
    MODULE = MODULE
    W, H = W, H

    def test_dialog_lists_the_textures_and_the_swatch_follows_the_choice(self):
        os.makedirs(SCREENSHOTS, exist_ok=True)
        run = DialogRun(self.env, MODULE, image=self.sample)
        dialog_shot = os.path.join(SCREENSHOTS, 'texturer.png')
        swoosh, bricks = run.path('swoosh.png'), run.path('bricks.png')
        s = Script('wait-dialog', 'restore')
        listed = s.add('read 1000')
        s.add('screenshot %s' % self.env.win_path(dialog_shot))
        s.add('screenshot %s of=1004' % self.env.win_path(swoosh))
        s.add('select 1000 1')
        s.add('screenshot %s of=1004' % self.env.win_path(bricks))
        s.add('click 1')
        run.run(s)
        self.assertEqual(run.report.get('script.result'), 'ok', run.report.get('script.error'))
        self.assertEqual([run.value(listed, 'item.%d' % i) for i in range(6)], NAMES)
        self.assertEqual(run.value(listed, 'selected'), '4')  # Swoosh, the default
        # Swoosh's bands go round the colour wheel; the bricks are reds and a mortar grey.
        many = colours_of(swoosh)
        self.assertGreater(len(many), 50)
        self.assertNotEqual(many, colours_of(bricks))
        self.assertEqual(self.env.read_ini('Kestrix.ini')['Texturer']['Texture'], '1')

    def test_swatch_follows_the_end_of_tracking_not_the_drag(self):
        probe = DialogRun(self.env, MODULE, image=self.sample)
        s = Script('wait-dialog', 'restore')
        where = s.add('read 1008')
        s.add('click 2')
        probe.run(s)
        left, top, right, bottom = (int(v) for v in probe.value(where, 'rect').split(','))
        x, y = (right - left) // 2, (bottom - top) // 2  # the hue thumb, at 180 in 0..360
        run = DialogRun(self.env, MODULE, image=self.sample)
        shots = [run.path('swatch%d.png' % i) for i in range(3)]
        s = Script('wait-dialog', 'restore', 'screenshot %s of=1004' % self.env.win_path(shots[0]),
                   'mouse move %d %d in=1008' % (x, y), 'mouse down %d %d in=1008' % (x, y),
                   'mouse move %d %d in=1008' % (x + 25, y))
        dragging = s.add('read 5')
        s.add('screenshot %s of=1004' % self.env.win_path(shots[1]))
        s.add('mouse up %d %d in=1008' % (x + 25, y))
        s.add('screenshot %s of=1004' % self.env.win_path(shots[2]))
        s.add('click 2')
        run.run(s)
        self.assertEqual(run.report.get('script.result'), 'ok', run.report.get('script.error'))
        self.assertNotEqual(run.value(dragging, 'text'), '180', 'the drag moved the hue')
        before, during, after = (harness.read_png(p)[3] for p in shots)
        self.assertEqual(during, before, 'no preparation while dragging')
        self.assertNotEqual(after, before, 'prepared again when the tracking ended')

    def test_scale_field_waits_only_for_the_beginning_of_a_number_in_range(self):
        run = DialogRun(self.env, MODULE, image=self.sample)
        s = Script('wait-dialog', 'restore', 'focus 3', 'type 3 12')
        typing = s.add('read 3')
        s.add('type 3 120')
        typed = s.add('trackbar 1005')
        s.add('answer ok')
        s.add('type 3 3')  # nothing in 50..150 begins with 3
        refused = s.add('read 3')
        s.add('click 2')
        run.run(s)
        self.assertEqual(run.report.get('script.result'), 'ok', run.report.get('script.error'))
        self.assertEqual(run.value(typing, 'text'), '12')
        self.assertEqual(run.value(typed, 'pos'), '120')
        self.assertEqual(run.report.get('messagebox.1.text'), 'Please enter an integer between 50 and 150.')
        self.assertNotIn('messagebox.2.text', run.report)
        self.assertEqual(run.value(refused, 'text'), '50')
        self.assertEqual(self.env.read_ini('Kestrix.ini')['Texturer']['Scale'], '50')

    def test_texture_names_in_every_language(self):
        res = PeResources.load(harness.module_path(MODULE))
        english = res.strings(0x0409)
        self.assertEqual([english[i] for i in NAME_IDS], NAMES)
        for lang in LANGS:
            with self.subTest(language=hex(lang)):
                names = [res.strings(lang)[i] for i in NAME_IDS]
                self.assertEqual(len(set(names)), 6)
                self.assertTrue(all(0 < len(n) <= 40 for n in names))
                self.assertEqual(res.strings(lang)[10000], 'Texturer')
                self.assertEqual(res.strings(lang)[10001].count('%d'), 2)

    def test_strokes_and_eraser_equal_their_native_replay(self):
        cmyk = self.env.temp_path('cmyk.pam')
        rgb = self.source()
        data = bytearray()
        for i in range(W * H):
            r, g, b = rgb[3 * i:3 * i + 3]
            data += bytes((r, g, b, 255 - min(r, g, b), 30 + i % 200))
        harness.write_pam(cmyk, W, H, 'CMYK_ALPHA', bytes(data))
        for image in (self.sample, cmyk):
            with self.subTest(image=os.path.basename(image)):
                lines = self.wavy_stroke(25) + self.wavy_stroke(60, pressure=1000)
                # Another texture, scale, hue and intensity, fixed opacity, then the eraser.
                lines += ['select 1000 0', 'focus 3', 'type 3 120', 'settext 5 40', 'settext 7 70',
                          'click 1019', 'settext 13 100']
                lines += self.wavy_stroke(40)
                lines += ['tablet cursor 1'] + self.wavy_stroke(30, x0=40, x1=120) + ['tablet cursor 0', 'click 1']
                run, samples = self.session(lines, image=image)
                # Typing the scale passes below its minimum ("1", "12"): no message for that.
                self.assertNotIn('messagebox.1.text', run.report)
                out = run.out_image()[4]
                self.assertGreater(differing(out, self.source(image)), 500)
                self.assertEqual(differing(out, replay(run, samples, MODULE, image, done=True)[1]), 0)
                with open(samples) as f:
                    self.assertIn('# params', f.read())

    def test_texture_choice_changes_what_is_painted(self):
        outs = []
        for index in (4, 3):
            self.env.clear_ini('Kestrix.ini')
            run, samples = self.session(['select 1000 %d' % index, 'click 1003', 'click 1019',
                                         'settext 12 40', 'settext 13 100'] + self.wavy_stroke(50) + ['click 1'])
            out = run.out_image()[4]
            self.assertEqual(differing(out, replay(run, samples, MODULE, done=True)[1]), 0)
            outs.append(out)
        self.assertGreater(differing(outs[0], outs[1]), 1000)

    def test_settings_round_trip_and_a_bad_texture_reads_as_the_first(self):
        self.env.write_ini('Kestrix.ini', '[Texturer]\nTexture=9\nScale=120\nHue=30\nIntensity=80\n'
                                          'Opacity=70\nPressure Opacity=0\nBrush Size=44\nPressure Size=2\n')
        run = DialogRun(self.env, MODULE, image=self.sample)
        s = Script('wait-dialog', 'restore')
        listed = s.add('read 1000')
        fields = [s.add('read %d' % i) for i in (3, 5, 7, 13, 12)]
        fixed = s.add('read 1003')
        s.add('select 1000 5')
        s.add('click 2')
        run.run(s)
        self.assertEqual(run.report.get('script.result'), 'ok', run.report.get('script.error'))
        self.assertEqual(run.value(listed, 'selected'), '0')
        self.assertEqual([run.value(f, 'text') for f in fields], ['120', '30', '80', '70', '44'])
        self.assertEqual(run.value(fixed, 'checked'), '1')
        ini = self.env.read_ini('Kestrix.ini')['Texturer']
        self.assertEqual((ini['Texture'], ini['Scale'], ini['Hue'], ini['Intensity'], ini['Opacity'],
                          ini['Pressure Opacity'], ini['Brush Size'], ini['Pressure Size']),
                         ('5', '120', '30', '80', '70', '0', '44', '2'))

    def test_a_german_interface_lists_german_names_and_writes_german_keys(self):
        os.makedirs(SCREENSHOTS, exist_ok=True)
        run = DialogRun(self.env, MODULE, image=self.sample, language='de_DE.UTF-8')
        s = Script('wait-dialog', 'restore')
        listed = s.add('read 1000')
        s.add('screenshot %s' % self.env.win_path(os.path.join(SCREENSHOTS, 'texturer-de.png')))
        s.add('click 1')
        run.run(s)
        self.assertEqual(run.report.get('script.result'), 'ok', run.report.get('script.error'))
        self.assertEqual([run.value(listed, 'item.%d' % i) for i in range(6)], ['Große Ziegel', 'Ziegel', 'Noppen', 'Rauschen', 'Schwung', 'Holz'])
        section = self.env.read_ini('Kestrix.ini')['Texturer']
        self.assertEqual(section['Textur'], '4')
        self.assertNotIn('Brush Size', section)

    def test_cancel_after_strokes_gives_the_picture_back_unchanged(self):
        run, _ = self.session(self.wavy_stroke(40) + ['answer yes', 'click 2'])
        self.assertEqual(run.report['result.start'], '1')
        self.assertEqual(run.out_image()[4], self.source())


if __name__ == '__main__':
    unittest.main()
