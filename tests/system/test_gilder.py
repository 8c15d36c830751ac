"""gilder through its real dialog: the texture list, swatch and colour bar, strokes (tip and
eraser) equal to their native replay, the texture and metal choices, the puck's fixed
size, the settings file and Cancel."""
import os
import unittest

import harness
from module_case import LANGS, SCREENSHOTS, ModuleCase, colours_of, differing
from dialog_session import DialogRun, Script, replay
from peres import RT_BITMAP, PeResources, parse_dib

W, H = 160, 110
MODULE = 'gilder'
NAMES = ['Blank', 'Canvas 1B', 'Canvas 3B', 'Crinkle 1', 'Crinkle 4M', 'Wal 3B']
NAME_IDS = [125, 119, 120, 121, 122, 123]


class Gilder(ModuleCase):
    MODULE = MODULE
    W, H = W, H

    def test_dialog_lists_the_textures_and_paints_swatch_and_bar_in_the_metal(self):
        os.makedirs(SCREENSHOTS, exist_ok=True)
        run = DialogRun(self.env, MODULE, image=self.sample)
        dialog_shot = os.path.join(SCREENSHOTS, 'gilder.png')
        gold, silver, bar = run.path('gold.png'), run.path('silver.png'), run.path('bar.png')
        s = Script('wait-dialog', 'restore')
        listed = s.add('read 1000')
        s.add('screenshot %s' % self.env.win_path(dialog_shot))
        s.add('screenshot %s of=1004' % self.env.win_path(gold))
        s.add('click 1002')
        s.add('screenshot %s of=1004' % self.env.win_path(silver))
        s.add('screenshot %s of=1011' % self.env.win_path(bar))
        s.add('click 1')
        run.run(s)
        self.assertEqual(run.report.get('script.result'), 'ok', run.report.get('script.error'))
        self.assertEqual([run.value(listed, 'item.%d' % i) for i in range(6)], NAMES)
        self.assertEqual(run.value(listed, 'selected'), '4')  # Crinkle 4M, the default
        golden = colours_of(gold)
        self.assertGreater(len(golden), 10)
        self.assertTrue(all(r >= b for r, g, b in golden), 'gold is warm')
        greys = colours_of(silver)
        self.assertTrue(all(r == g == b for r, g, b in greys), 'silver is grey')
        # The silver bar runs left to right from its dark end (64) to its light end (255).
        w, h, n, rows = harness.read_png(bar)
        middle = [rows[h // 2][n * x] for x in range(3, w - 3)]
        self.assertEqual(middle, sorted(middle))
        self.assertLessEqual(middle[0], 70)
        self.assertGreaterEqual(middle[-1], 248)
        self.assertEqual(self.env.read_ini('Kestrix.ini')['Gilder']['Metal'], '1')

    def test_resources_name_the_textures_in_every_language_and_carry_rle8_bitmaps(self):
        res = PeResources.load(harness.module_path(MODULE))
        self.assertEqual([res.strings(0x0409)[i] for i in NAME_IDS], NAMES)
        for lang in LANGS:
            with self.subTest(language=hex(lang)):
                s = res.strings(lang)
                self.assertEqual(len({s[i] for i in NAME_IDS}), 6)
                self.assertEqual(s[10000], 'Gilder')
                self.assertEqual(s[10001].count('%d'), 2)
                self.assertFalse(s[10001].endswith('.'))
        for rid in NAME_IDS:
            dib = res.get(RT_BITMAP, rid)
            self.assertEqual(int.from_bytes(dib[14:16], 'little'), 8)   # bits per pixel
            self.assertEqual(int.from_bytes(dib[16:20], 'little'), 1)   # BI_RLE8
        self.assertIn(132, res.names(RT_BITMAP))  # the checkerboard, off the textures' ids
        self.assertEqual(parse_dib(res.get(RT_BITMAP, 132))[:2], (8, 8))

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
                # Another texture, scale, metal and levels, a fixed size, then the eraser.
                lines += ['select 1000 2', 'focus 3', 'type 3 130', 'click 1002', 'settext 13 40',
                          'settext 14 200', 'click 1016', 'settext 12 30']
                lines += self.wavy_stroke(40)
                lines += ['tablet cursor 1'] + self.wavy_stroke(30, x0=40, x1=120, pressure=600) + ['tablet cursor 0', 'click 1']
                run, samples = self.session(lines, image=image)
                # Typing the scale passes below its minimum ("1", "12"): no message for that.
                self.assertNotIn('messagebox.1.text', run.report)
                out = run.out_image()[4]
                self.assertGreater(differing(out, self.source(image)), 500)
                self.assertEqual(differing(out, replay(run, samples, MODULE, image, done=True)[1]), 0)

    def test_texture_choice_changes_what_is_painted(self):
        outs = []
        for index in (4, 1):
            self.env.clear_ini('Kestrix.ini')
            run, samples = self.session(['select 1000 %d' % index, 'click 1016', 'settext 12 40']
                                        + self.wavy_stroke(50) + ['click 1'])
            out = run.out_image()[4]
            self.assertEqual(differing(out, replay(run, samples, MODULE, done=True)[1]), 0)
            outs.append(out)
        self.assertGreater(differing(outs[0], outs[1]), 500)

    def test_a_puck_forces_the_fixed_size(self):
        run = DialogRun(self.env, MODULE, image=self.sample, tablet='cursors=pen,eraser,puck')
        s = Script('wait-dialog', 'restore', 'tablet cursor 2')
        pressure, fixed = s.add('read 1014'), s.add('read 1016')
        s.add('click 1')
        run.run(s)
        self.assertEqual(run.report.get('script.result'), 'ok', run.report.get('script.error'))
        self.assertEqual((run.value(pressure, 'enabled'), run.value(pressure, 'checked')), ('0', '0'))
        self.assertEqual(run.value(fixed, 'checked'), '1')
        self.assertEqual(self.env.read_ini('Kestrix.ini')['Gilder']['Pressure Size'], '3')

    def test_settings_round_trip_and_bad_values_read_as_the_parts_say(self):
        self.env.write_ini('Kestrix.ini', '[Gilder]\nTexture=9\nScale=70\nMetal=1\nLight Color Level=90\n'
                                          'Dark Color Level=200\nBrush Size=44\nPressure Size=2\n')
        run = DialogRun(self.env, MODULE, image=self.sample)
        s = Script('wait-dialog', 'restore')
        listed = s.add('read 1000')
        fields = [s.add('read %d' % i) for i in (3, 13, 14, 12)]
        checks = [s.add('read %d' % i) for i in (1002, 1016)]
        s.add('select 1000 3')
        s.add('click 2')
        run.run(s)
        self.assertEqual(run.report.get('script.result'), 'ok', run.report.get('script.error'))
        self.assertEqual(run.value(listed, 'selected'), '0')
        self.assertEqual([run.value(f, 'text') for f in fields], ['70', '200', '90', '44'])
        self.assertEqual([run.value(c, 'checked') for c in checks], ['1', '1'])
        ini = self.env.read_ini('Kestrix.ini')['Gilder']
        self.assertEqual((ini['Texture'], ini['Scale'], ini['Metal'], ini['Light Color Level'],
                          ini['Dark Color Level'], ini['Brush Size'], ini['Pressure Size']),
                         ('3', '70', '1', '90', '200', '44', '3'))

    def test_a_german_interface_lists_german_names_and_writes_german_keys(self):
        os.makedirs(SCREENSHOTS, exist_ok=True)
        run = DialogRun(self.env, MODULE, image=self.sample, language='de_DE.UTF-8')
        s = Script('wait-dialog', 'restore')
        listed = s.add('read 1000')
        s.add('screenshot %s' % self.env.win_path(os.path.join(SCREENSHOTS, 'gilder-de.png')))
        s.add('click 1')
        run.run(s)
        self.assertEqual(run.report.get('script.result'), 'ok', run.report.get('script.error'))
        self.assertEqual([run.value(listed, 'item.%d' % i) for i in range(6)], ['Leer', 'Leinwand 1B', 'Leinwand 3B', 'Knitter 1', 'Knitter 4M', 'Putz 3B'])
        section = self.env.read_ini('Kestrix.ini')['Gilder']
        self.assertEqual(section['Textur'], '4')
        self.assertNotIn('Brush Size', section)

    def test_cancel_after_strokes_gives_the_picture_back_unchanged(self):
        run, _ = self.session(self.wavy_stroke(40) + ['answer yes', 'click 2'])
        self.assertEqual(run.report['result.start'], '1')
        self.assertEqual(run.out_image()[4], self.source())


if __name__ == '__main__':
    unittest.main()
