"""chisel through its real dialog in the reference host: grooves carved with the pen equal
the native replay of the session's log, the light picker re-shades without re-carving,
Z does nothing, the signed fields and the settings file keep their values and order."""
import unittest

import harness
from module_case import ModuleCase, differing
from dialog_session import DialogRun, Script, pen_stroke, replay

W, H = 160, 110
SECTION = 'Relief Carver'
KEYS = ['Current Tool', 'Pressure Groove', 'Groove Size', 'Tip Size', 'Tip Depth', 'Tip Sharpness',
        'Intensity', 'Light Source']


def first_movement_shifted(samples):
    """Whether the first logged sample away from the stroke's first screen position (fields
    `x y width 0 pressure eraser screenX screenY shift`) had Shift held."""
    with open(samples) as f:
        fields = [l.split() for l in f if l.strip() and not l.startswith('#')]
    moved = [v for v in fields if v[6:8] != fields[0][6:8]] if fields else []
    return bool(moved) and moved[0][8] == '1'


class ReliefCarver(ModuleCase):
    MODULE = 'chisel'
    W, H = W, H

    def session(self, lines, ini=None, image=None):
        if ini:
            self.env.write_ini('Kestrix.ini', '[%s]\n%s' % (SECTION, ini))
        return super().session(lines, image=image)

    def groove(self, y, x0=12, x1=W - 12, pressure=700, step=6):
        return pen_stroke([(x, y) for x in range(x0, x1, step)], self.origin, pressure)

    def diagonal(self, pressure=900):
        return pen_stroke([(15 + 5 * i, 12 + 4 * i) for i in range(20)], self.origin, pressure)

    @staticmethod
    def light_click(column, row):
        """Mouse press and release in the middle of one cell of the light picker (thirds
        of a client area the test measures first with `preview 1003`)."""
        return ['mouse down {x} {y} in=1003'.format(x=column, y=row),
                'mouse up {x} {y} in=1003'.format(x=column, y=row)]

    def picker_cell(self, index):
        """Client point in the middle of light cell `index` (0..7)."""
        w, h = self.picker_size
        col = (0, 1, 2, 0, 2, 0, 1, 2)[index]
        row = (0, 0, 0, 1, 1, 2, 2, 2)[index]
        return col * w // 3 + w // 6, row * h // 3 + h // 6

    @property
    def picker_size(self):
        if not hasattr(ReliefCarver, '_picker'):
            run = DialogRun(self.env, 'chisel', size=(W, H))
            s = Script('wait-dialog', 'restore')
            p = s.add('preview 1003')
            s.add('click 1')
            run.run(s)
            ReliefCarver._picker = tuple(int(v) for v in run.value(p, 'client').split(','))
        return ReliefCarver._picker

    def click_light(self, index):
        return self.light_click(*self.picker_cell(index))

    # ---- the dialog ----

    def test_dialog_shows_its_controls_and_both_pickers(self):
        run = DialogRun(self.env, 'chisel', image=self.sample)
        s = Script('wait-dialog', 'restore')
        depth = s.add('trackbar 1008')
        sharp = s.add('trackbar 1010')
        s.add('settext 6 -40')
        typed = s.add('read 6')
        moved = s.add('trackbar 1008')
        s.add('settext 7 -')  # a lone minus on the way to a negative number is left alone
        minus = s.add('read 7')
        s.add('settext 7 -250')
        refused = s.add('read 7')
        title = s.add('window')
        s.add('screenshot %s' % self.env.win_path(run.path('dialog.png')))
        s.add('screenshot %s of=1003' % self.env.win_path(run.path('light.png')))
        s.add('screenshot %s of=1002' % self.env.win_path(run.path('tip.png')))
        s.add('click 1')
        run.run(s)
        self.assertEqual(run.value(depth, 'range'), '-99,99')
        self.assertEqual(run.value(sharp, 'range'), '-100,100')
        self.assertEqual(run.value(typed, 'text'), '-40')
        self.assertEqual(run.value(moved, 'pos'), '-40')
        self.assertEqual(run.value(minus, 'text'), '-')
        self.assertEqual(run.value(refused, 'text'), '25', 'refused silently: the value in force again')
        self.assertNotIn('messagebox.1.text', run.report)
        self.assertIsNotNone(run.value(title, 'rect'))

        # The light picker: the selected (lit, orange) marker in the top-left cell only.
        w, h, ch, rows = harness.read_png(run.path('light.png'))
        def orange(x0, y0, x1, y1):
            return sum(1 for y in range(y0, y1) for x in range(x0, x1)
                       if rows[y][x * ch] > 200 and 100 < rows[y][x * ch + 1] < 230 and rows[y][x * ch + 2] < 120)
        self.assertGreater(orange(0, 0, w // 3, h // 3), 5)
        self.assertEqual(orange(w // 3, 0, w, h) + orange(0, h // 3, w // 3, h), 0)
        grey = sum(1 for y in range(h) for x in range(w)
                   if rows[y][x * ch] == 0x8C and rows[y][x * ch + 1] == 0x96 and rows[y][x * ch + 2] == 0xA0)
        self.assertGreater(grey, 7 * 8, 'seven unselected rings')
        # The tip picker: depth -40 raises a ridge, drawn above the middle line.
        w, h, ch, rows = harness.read_png(run.path('tip.png'))
        black = [(x, y) for y in range(2, h - 2) for x in range(2, w - 2) if rows[y][x * ch:x * ch + 3] == b'\0\0\0']
        self.assertTrue(black)
        self.assertLess(min(y for _, y in black), h // 2 - 5)
        self.assertLessEqual(max(y for _, y in black), h // 2 + 1)

    # ---- carving ----

    def test_grooves_through_the_dialog_equal_their_native_replay(self):
        lines = self.groove(30) + self.diagonal() + self.click_light(7)
        lines += ['settext 6 -30', 'settext 7 -60'] + self.groove(80, pressure=1023)
        # An intensity set while its field has no focus re-shades nothing at once; Done
        # shades with it, and the replay must know it.
        lines += self.click_light(2) + ['settext 9 3', 'click 1']
        run, samples = self.session(lines)
        out = run.out_image()[4]
        self.assertGreater(differing(out, self.source()), 500, 'the grooves show')
        self.assertEqual(differing(out, replay(run, samples, 'chisel', done=True)[1]), 0)
        log = open(samples).read()
        self.assertNotIn('# snapshot', log)
        # Each sample line: the six shared numbers, then screen x, y and the Shift flag.
        sample_lines = [l for l in log.splitlines() if l and not l.startswith('#')]
        self.assertTrue(all(len(l.split()) == 9 for l in sample_lines))
        params = [l for l in log.splitlines() if l.startswith('# params ')]
        self.assertTrue(params and all(len(l) == len('# params ') + 2 * 1620 for l in params))

    def test_shift_at_the_first_movement_locks_the_whole_groove(self):
        # Shift held at the first movement: the wobbly stroke is carved on one row.
        wobbly = [(20 + 8 * i, 40 + (i % 3) * 4) for i in range(15)]
        left, top = self.origin
        # (The pen's first pressing packet only starts the brush drag. Under Wine each
        # pointer move reads the modifier keys back from the X server, which never saw the
        # sent Shift. So the pen first moves with its packet held back (post=0), the move
        # is given time to come back from the X server, and only then Shift goes down and
        # the packet at the same place is posted.)
        start = pen_stroke(wobbly[:1] * 2, self.origin)[:-1]
        held = pen_stroke(wobbly[1:3], self.origin)[1:-1]
        lines = start + [l for packet in held for l in (packet + ' post=0', 'sleep 100', 'key down shift', packet)]
        lines += ['key up shift'] + pen_stroke(wobbly[3:], self.origin)[1:] + ['click 1']
        # Whether the sent Shift survives until the packet is read is up to Wine and the X
        # server, not to the module: a session where the first movement's sample (the one
        # that decides the lock) was logged without it is tried again.
        for _ in range(4):
            run, samples = self.session(lines)
            if first_movement_shifted(samples):
                break
        else:
            self.fail('the sent Shift never reached the first movement in four sessions')
        out, src = run.out_image()[4], self.source()
        self.assertEqual(differing(out, replay(run, samples, 'chisel', done=True)[1]), 0)
        # Width 25 about row 40 (and the shading's 2-pixel margin): nothing below row 55,
        # where the free stroke's lower bends would have reached.
        changed_rows = {i // 3 // W for i in range(len(out)) if out[i] != src[i]}
        self.assertTrue(changed_rows)
        self.assertLessEqual(max(changed_rows), 55)
        self.assertGreaterEqual(min(changed_rows), 25)

    def test_the_eraser_end_flattens_a_groove(self):
        plain, _ = self.session(self.groove(70) + ['click 1'])
        lines = self.groove(30) + ['tablet cursor 1'] + self.groove(30, pressure=1023) + ['tablet cursor 0']
        run, samples = self.session(lines + self.groove(70) + ['click 1'])
        out = run.out_image()[4]
        self.assertEqual(differing(out, replay(run, samples, 'chisel', done=True)[1]), 0)
        # What the eraser swept is flat again: rows about 30 look as the groove at 70 left them.
        rows = lambda img, y0, y1: img[y0 * W * 3:y1 * W * 3]
        self.assertLess(differing(rows(out, 22, 38), rows(plain.out_image()[4], 22, 38)),
                        differing(rows(self.session(self.groove(30) + ['click 1'])[0].out_image()[4], 22, 38),
                                  rows(plain.out_image()[4], 22, 38)))

    def test_z_does_nothing(self):
        run, samples = self.session(self.groove(50) + ['key press z', 'click 1'])
        self.assertNotIn('# swap', open(samples).read())
        out = run.out_image()[4]
        self.assertGreater(differing(out, self.source()), 0)
        self.assertEqual(differing(out, replay(run, samples, 'chisel', done=True)[1]), 0)

    def test_light_change_reshades_and_back_gives_the_same_bytes(self):
        plain, _ = self.session(self.groove(50) + ['click 1'])
        lit, samples = self.session(self.groove(50) + self.click_light(6) + ['click 1'])
        self.assertGreater(differing(lit.out_image()[4], plain.out_image()[4]), 100)
        self.assertEqual(differing(lit.out_image()[4], replay(lit, samples, 'chisel', done=True)[1]), 0)
        self.assertEqual(self.env.read_ini('Kestrix.ini')[SECTION]['Light Source'], '6')
        back, _ = self.session(self.groove(50) + self.click_light(6) + self.click_light(0) + ['click 1'])
        self.assertEqual(differing(back.out_image()[4], plain.out_image()[4]), 0)
        # The centre cell selects nothing.
        centre, _ = self.session(self.groove(50) + self.light_click(*(v // 2 for v in self.picker_size)) + ['click 1'])
        self.assertEqual(differing(centre.out_image()[4], plain.out_image()[4]), 0)
        self.assertEqual(self.env.read_ini('Kestrix.ini')[SECTION]['Light Source'], '0')

    def test_apply_revert_and_cancel(self):
        # Apply keeps the first groove; Revert drops only the second.
        first, _ = self.session(self.groove(30) + ['click 1'])
        run, samples = self.session(self.groove(30) + ['click 8'] + self.groove(80) + ['answer yes', 'click 4', 'click 1'])
        self.assertEqual(differing(run.out_image()[4], first.out_image()[4]), 0)
        self.assertEqual(differing(run.out_image()[4], replay(run, samples, 'chisel', done=True)[1]), 0)
        cancelled, _ = self.session(self.groove(30) + ['answer yes', 'click 2'])
        self.assertEqual(cancelled.report['result.start'], '1')
        self.assertEqual(differing(cancelled.out_image()[4], self.source()), 0)

    def test_a_host_without_display_pixels_gets_the_dialog_for_rgb_only(self):
        run = DialogRun(self.env, 'chisel', image=self.sample, extra=['--no-display-pixels'])
        run.run(Script('wait-dialog', 'click 1'))
        self.assertEqual(run.report['result.start'], '0')
        cmyk = self.env.temp_path('cmyk.pam')
        harness.write_pam(cmyk, 8, 6, 'CMYK', bytes(range(8 * 6 * 4)))
        rc, report, out = self.env.run_host(['run', '--plugin', self.env.win_path(harness.module_path('chisel')),
                                             '--image', self.env.win_path(cmyk), '--no-display-pixels'],
                                            dll_overrides='wintab32=n')
        self.assertEqual(rc, 0, out)
        self.assertEqual(report['result.start'], '-1')

    # ---- settings ----

    def test_settings_round_trip_in_key_order(self):
        # A first run writes the placement when the dialog goes, then every key in order.
        run = DialogRun(self.env, 'chisel', image=self.sample)
        run.run(Script('wait-dialog', 'restore', 'click 1'))
        order = self.env.ini_keys('Kestrix.ini', SECTION)
        self.assertEqual(order[2:], KEYS)
        self.assertEqual(set(order[:2]), {'Window', 'Maximized'})
        self.env.clear_ini('Kestrix.ini')
        ini = ('Current Tool=2\nPressure Groove=0\nGroove Size=33\nTip Size=41\nTip Depth=-37\n'
               'Tip Sharpness=-80\nIntensity=4\nLight Source=5\n')
        self.env.write_ini('Kestrix.ini', '[%s]\n%s' % (SECTION, ini))
        run = DialogRun(self.env, 'chisel', image=self.sample)
        s = Script('wait-dialog', 'restore')
        reads = {k: s.add('read %d' % k) for k in (12, 5, 6, 7, 9, 1004, 1005)}
        s.add('click 1')
        run.run(s)
        texts = {k: run.value(line, 'text') for k, line in reads.items()}
        self.assertEqual([texts[k] for k in (12, 5, 6, 7, 9)], ['33', '41', '-37', '-80', '4'])
        self.assertEqual((run.value(reads[1004], 'checked'), run.value(reads[1005], 'checked')), ('0', '1'))
        self.assertEqual(self.env.ini_keys('Kestrix.ini', SECTION)[:8], KEYS)
        stored = self.env.read_ini('Kestrix.ini')[SECTION]
        self.assertEqual([stored[k] for k in KEYS], ['2', '0', '33', '41', '-37', '-80', '4', '5'])


if __name__ == '__main__':
    unittest.main()
