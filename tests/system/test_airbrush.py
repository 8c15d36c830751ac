"""airbrush through its real dialog: the dialog opens, sprays (soft with tilt, splatter,
a resting pen, the eraser) exactly as the native replay of its sample log paints, takes
its colour from the host's services, the system's colour box and the eyedropper, resets,
keeps its settings, and leaves the host's image alone on Cancel."""
import os
import unittest

import harness
from module_case import ModuleCase, differing
from dialog_session import DialogRun, Script, pen_stroke, replay

W, H = 160, 110
MODULE = 'airbrush'
# Everything on fixed values: the pen's pressure then changes neither size nor flow.
FIXED = '[Spray Studio]\nPressure Size=2\nPressure Ink Flow=2\nBrush Size=%d\nInk Flow=%d\n'


def params_of(samples):
    """The last parameters line of a sample log, as bytes."""
    with open(samples) as f:
        lines = [l for l in f if l.startswith('# params ')]
    return bytes.fromhex(lines[-1].split()[2])


def colour_of(params):
    """(red, green, blue) 16-bit and nativeHalf (four values) of a 32-byte record."""
    words = [int.from_bytes(params[i:i + 2], 'little') for i in range(6, 20, 2)]
    return tuple(words[:3]), tuple(words[3:])


class Airbrush(ModuleCase):
    MODULE = MODULE
    W, H = W, H

    def session(self, lines, image=None, extra=(), size=30, flow=60, check=True):
        self.env.write_ini('Kestrix.ini', FIXED % (size, flow))
        return super().session(lines, image=image, extra=extra, check=check)

    def stroke(self, points, tilt=0, azimuth=0, pressure=800):
        """A pen stroke tilted `tilt` degrees from upright towards `azimuth` degrees."""
        return ['tablet packet alt=%d az=%d post=0' % ((90 - tilt) * 10, azimuth * 10)] + \
            pen_stroke(points, self.origin, pressure)

    def test_dialog_opens_with_its_controls(self):
        run = DialogRun(self.env, MODULE, image=self.sample)
        s = Script('wait-dialog', 'restore')
        shot = run.path('dialog.png')
        p = s.add('screenshot %s' % self.env.win_path(shot))
        check = s.add('read 1001')
        size = s.add('trackbar 1006')
        splatter = s.add('read 1007')
        flow = s.add('read 3')
        swatch = s.add('read 1000')
        s.add('click 2')
        run.run(s)
        self.assertEqual(run.report.get('script.result'), 'ok', run.report.get('script.error'))
        self.assertTrue(os.path.getsize(shot) > 1000)
        w, h = (int(v) for v in run.value(p, 'size').split(','))
        self.assertGreater(w, 600)
        self.assertEqual(run.value(check, 'checked'), '0')  # soft spray by default
        self.assertEqual(run.value(size, 'pos'), '30')
        self.assertEqual(run.value(size, 'range'), '1,99')
        self.assertEqual(run.value(splatter, 'enabled'), '0')  # only with the splatter box
        self.assertEqual(run.value(flow, 'text'), '30')
        self.assertEqual(run.value(swatch, 'visible'), '1')

    def test_soft_tilt_splatter_rest_and_eraser_equal_their_replay(self):
        lines = self.stroke([(10 + 6 * i, 25 + i) for i in range(20)], tilt=60, azimuth=45)
        lines += self.stroke([(20 + 5 * i, 60) for i in range(8)], tilt=30, azimuth=200)
        # The pen rests pressed: the repeat timer sprays on the spot. (The first pressed
        # packet comes before the button press it makes; of the rest every second one is
        # a sample.)
        rest = (self.origin[0] + 124, self.origin[1] + 40)
        lines += ['tablet packet x=%d y=%d p=0 b=0' % rest] + ['tablet packet x=%d y=%d p=800 b=1' % rest] * 4
        lines += ['sleep 1000', 'tablet packet x=%d y=%d p=0 b=0' % rest]
        lines += ['click 1001', 'settext 5 6']  # splatter, droplets of 6
        lines += self.stroke([(15 + 3 * i, 90 - 2 * i) for i in range(30)], tilt=45, azimuth=300)
        # The eraser end over the first stroke.
        lines += ['tablet cursor 1'] + pen_stroke([(10 + 6 * i, 25 + i) for i in range(20)], self.origin, 1023)
        lines += ['tablet cursor 0', 'click 1']
        run, samples = self.session(lines)
        self.assertNotIn('fault', run.report)
        out = run.out_image()[4]
        self.assertGreater(differing(out, self.source()), 1000, 'the strokes painted')
        self.assertEqual(differing(out, replay(run, samples, MODULE, done=True)[1]), 0)

        with open(samples) as f:
            log = f.read()
        self.assertIn('# seed 1\n', log)
        records = [l.split() for l in log.splitlines() if l and not l.startswith('#')]
        self.assertTrue(all(len(r) == 11 for r in records), 'six shared fields and five of our own')
        self.assertTrue(any(r[6] == '60' for r in records), 'a sample at full tilt')
        self.assertTrue(any(r[10] == '1' for r in records), 'the resting pen was repeated')
        self.assertTrue(any(r[5] == '1' for r in records), 'the eraser end')

        # The eraser brought the first stroke's pixels back towards the source: the log up
        # to the eraser's first sample replays to the picture before it.
        lines = open(samples).readlines()
        eraser_at = next(i for i, l in enumerate(lines) if not l.startswith('#') and l.split()[5] == '1')
        before = run.path('before-eraser.txt')
        with open(before, 'w') as f:
            f.writelines(lines[:eraser_at])
        painted = replay(run, before, MODULE)[1]
        src = self.source()
        line = slice(3 * (30 * W + 20), 3 * (30 * W + 100))
        distance = lambda img: sum(abs(a - b) for a, b in zip(img[line], src[line]))
        self.assertLess(distance(out), distance(painted))

    def test_colour_from_the_host(self):
        # At start the host's foreground; the picker's answer after a click on the swatch.
        run, samples = self.session(
            ['click 1000'] + self.stroke([(10 + 4 * i, 50) for i in range(10)]) + ['click 1'],
            extra=['--foreground', '10,200,30', '--choose-color', '200,40,10'])
        prompts = [v for k, v in run.report.items() if k.endswith('.prompt')]
        self.assertEqual(prompts, ['Select airbrush color'])
        self.assertIn('10,200,30', [v for k, v in run.report.items() if k.endswith('.start')])
        colour, half = colour_of(params_of(samples))
        self.assertEqual(colour, (200 * 257, 40 * 257, 10 * 257))
        self.assertEqual(run.out_image()[4], replay(run, samples, MODULE, done=True)[1])

    def test_colour_with_conversions_unsupported_and_without_services(self):
        cmyk = self.env.temp_path('cmyk.pam')
        src = self.source()
        harness.write_pam(cmyk, W, H, 'CMYK', bytes(v for i in range(W * H)
                                                      for v in (src[3 * i], src[3 * i + 1], src[3 * i + 2], 200)))
        # -30900 for every conversion: the chosen colour stays, nativeHalf by the RGB halves.
        run, samples = self.session(['click 1000'] + self.stroke([(10 + 4 * i, 50) for i in range(10)]) + ['click 1'],
                                    image=cmyk, extra=['--color-services', 'no-conversion', '--choose-color', '200,40,10'])
        colour, half = colour_of(params_of(samples))
        self.assertEqual(colour, (200 * 257, 40 * 257, 10 * 257))
        self.assertEqual(half, (100, 20, 5, 127))
        self.assertEqual(run.out_image()[4], replay(run, samples, MODULE, image=cmyk, done=True)[1])

        # Full services in CMYK: the chosen colour goes through the host's CMYK and back.
        run, samples = self.session(['click 1000'] + self.stroke([(10 + 4 * i, 50) for i in range(10)]) + ['click 1'],
                                    image=cmyk, extra=['--choose-color', '200,40,10'])
        colour, half = colour_of(params_of(samples))
        self.assertEqual(half, (127, 25, 6, 100))  # the host's CMYK 255, 51, 13, 200, halved
        self.assertEqual(colour[0] >> 8, 200)

        # No services: the system's colour box; Cancel keeps the colour, OK takes the new one.
        run, samples = self.session(
            ['click 1000', 'wait-dialog class=#32770', 'click 2', 'wait-dialog',
             'click 1000', 'wait-dialog class=#32770', 'click 719', 'settext 706 12', 'settext 707 34',
             'settext 708 56', 'click 1', 'wait-dialog']
            + self.stroke([(10 + 4 * i, 50) for i in range(10)]) + ['click 1'],
            extra=['--color-services', 'none', '--foreground', '90,80,70'])
        self.assertEqual(run.report.get('colorServices.calls'), '0')
        colour, half = colour_of(params_of(samples))
        self.assertEqual(colour, (12 * 257, 34 * 257, 56 * 257))
        self.assertEqual(half, (6, 17, 28, 127))

    def test_eyedropper_takes_the_pixel_under_the_pointer(self):
        ox, oy = self.origin
        x, y = 70, 40
        s = ['key down alt', 'mouse down %d %d' % (ox + x, oy + y), 'mouse up %d %d' % (ox + x, oy + y),
             'key up alt',
             # Outside the picture: nothing changes.
             'key down alt', 'mouse down %d %d' % (max(ox - 3, 0), oy + y), 'mouse up %d %d' % (max(ox - 3, 0), oy + y),
             'key up alt'] + self.stroke([(10 + 4 * i, 80) for i in range(10)]) + ['click 1']
        run, samples = self.session(s)
        px = self.source()[3 * (y * W + x):3 * (y * W + x) + 3]
        colour, _ = colour_of(params_of(samples))
        self.assertEqual(colour, tuple(v * 257 for v in px))

        # CMYK: nativeHalf is the pixel's, the colour the host's conversion of it.
        cmyk = self.env.temp_path('cmyk.pam')
        src = self.source()
        harness.write_pam(cmyk, W, H, 'CMYK', bytes(v for i in range(W * H)
                                                      for v in (src[3 * i], src[3 * i + 1], src[3 * i + 2], 180)))
        run, samples = self.session(s, image=cmyk)
        colour, half = colour_of(params_of(samples))
        self.assertEqual(half, tuple(v >> 1 for v in px) + (90,))
        self.assertEqual(colour, tuple((v * 180 + 127) // 255 * 257 for v in px))

    def test_reset_settings_round_trip_and_cancel(self):
        self.env.write_ini('Kestrix.ini', '[Spray Studio]\nCurrent Tool=1\nPressure Size=7\nPressure Ink Flow=0\n'
                           'Brush Size=44\nInk Flow=55\nSplatter Brush=1\nSplatter Size=9\n')
        run = DialogRun(self.env, MODULE, image=self.sample, extra=['--foreground', '1,2,3'])
        s = Script('wait-dialog', 'restore')
        size, flow, check, drop, wheel, pressure = (s.add('read %d' % i) for i in (12, 3, 1001, 5, 1017, 1003))
        hand = s.add('read 302')
        s.add('settext 12 70')
        s.add('key down alt')
        s.add('click 2')
        s.add('key up alt')
        after = [s.add('read %d' % i) for i in (12, 3, 1001, 1007, 303)]
        s.add('settext 12 21')
        s.add('click 1')
        run.run(s)
        self.assertEqual(run.report.get('script.result'), 'ok', run.report.get('script.error'))
        self.assertEqual(run.value(size, 'text'), '44')
        self.assertEqual(run.value(flow, 'text'), '55')
        self.assertEqual(run.value(check, 'checked'), '1')
        self.assertEqual(run.value(drop, 'text'), '9')
        self.assertEqual(run.value(wheel, 'checked'), '1')     # Pressure Ink Flow=0: the wheel
        self.assertEqual(run.value(pressure, 'checked'), '1')  # 7 is outside 0..2: pressure
        self.assertEqual(run.value(hand, 'checked'), '1')
        # Reset: size 30, flow 30, soft spray, the Brush tool; the sources stay.
        self.assertEqual([run.value(a, k) for a, k in zip(after, ('text', 'text', 'checked', 'enabled', 'checked'))],
                         ['30', '30', '0', '0', '1'])
        ini = self.env.read_ini('Kestrix.ini')['Spray Studio']
        self.assertEqual((ini['Brush Size'], ini['Ink Flow'], ini['Splatter Brush'], ini['Splatter Size']),
                         ('21', '30', '0', '1'))
        self.assertEqual((ini['Pressure Size'], ini['Pressure Ink Flow'], ini['Current Tool']), ('1', '0', '2'))
        self.assertEqual((ini['Brush Red'], ini['Brush Green'], ini['Brush Blue']), ('1', '2', '3'))

        # Cancel after painting: the host's image stays byte for byte.
        run, _ = self.session(self.stroke([(10 + 4 * i, 50) for i in range(20)]) + ['answer yes', 'click 2'])
        self.assertEqual(run.report.get('result.start'), '1')
        self.assertEqual(run.out_image()[4], self.source())


if __name__ == '__main__':
    unittest.main()
