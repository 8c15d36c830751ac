"""warper through its real dialog: the dialog itself, strokes and the eraser equal to their
native replay, a tablet that grants no queue, settings kept between runs, Reset, Cancel."""
import os
import unittest

import harness
from module_case import SCREENSHOTS, ModuleCase, differing
from dialog_session import DialogRun, Script, pen_stroke, preview_frame, replay, run_with_logs

W, H = 160, 110
MODULE = 'warper'


class Warper(ModuleCase):
    MODULE = MODULE
    W, H = W, H

    def stroke(self, points, pressure=800):
        return pen_stroke(points, self.origin, pressure)

    def pushes(self):
        """Rightward, leftward, downward and diagonal pushes, light and firm."""
        lines = self.stroke([(x, 30) for x in range(20, 140, 5)])
        lines += self.stroke([(x, 75) for x in range(140, 20, -6)], 1000)
        lines += self.stroke([(80, y) for y in range(10, 100, 4)], 500)
        lines += self.stroke([(30 + 4 * i, 100 - 3 * i) for i in range(25)])
        return lines

    def test_dialog_opens_with_its_controls_and_context(self):
        os.makedirs(SCREENSHOTS, exist_ok=True)
        shot = os.path.join(SCREENSHOTS, 'warper_dialog.png')
        run = DialogRun(self.env, MODULE, image=self.sample)
        s = Script('wait-dialog', 'restore', 'tablet cursor 0')
        reads = {cid: s.add('read %d' % cid) for cid in (1000, 1001, 1002, 1017, 1018, 1019, 12, 3, 4, 5, 303)}
        bars = {cid: s.add('trackbar %d' % cid) for cid in (1006, 1005)}
        s.add('screenshot %s' % self.env.win_path(shot))
        s.add('click 1')
        run.run(s)
        value = lambda cid, key: run.value(reads[cid], key)
        self.assertEqual((value(12, 'text'), value(3, 'text')), ('25', '100'))
        self.assertEqual((run.value(bars[1006], 'range'), run.value(bars[1005], 'range')), ('1,99', '1,100'))
        self.assertEqual([value(i, 'checked') for i in (1000, 1001, 1002)], ['0', '1', '0'])
        self.assertEqual([value(i, 'checked') for i in (1017, 1018, 1019)], ['0', '1', '0'])
        self.assertEqual((value(1000, 'enabled'), value(1017, 'enabled')), ('0', '0'), 'no airbrush: no wheel')
        self.assertEqual((value(4, 'enabled'), value(5, 'text')), ('0', 'Apply'))
        self.assertEqual(value(303, 'checked'), '1')
        self.assertIn('name="Kestrix Warper ', run.tablet_log())
        self.assertEqual(run.report['result.start'], '0')
        self.assertEqual(differing(run.out_image()[4], self.source()), 0)
        self.assertTrue(os.path.getsize(shot) > 0)

    def test_strokes_equal_their_native_replay_on_every_image_kind(self):
        rgb = self.source()
        kinds = {'RGB': 3, 'RGB_ALPHA': 4, 'CMYK': 4, 'CMYK_ALPHA': 5}
        for tupltype, depth in kinds.items():
            with self.subTest(kind=tupltype):
                image = self.env.temp_path(tupltype + '.pam')
                data = bytearray()
                for i in range(W * H):
                    r, g, b = rgb[3 * i:3 * i + 3]
                    base = (r, g, b) if tupltype.startswith('RGB') else (r, g, b, 255 - max(r, g, b))
                    # Transparency in bands, so that pushing it shows.
                    data += bytes(base + (((i % W) // 20 % 2) * 255,) if tupltype.endswith('_ALPHA') else base)
                harness.write_pam(image, W, H, tupltype, bytes(data))
                run, samples = self.session(self.pushes() + ['click 1'], image=image)
                out = run.out_image()[4]
                self.assertGreater(differing(out, bytes(data)), W * H // 10, 'the strokes moved the picture')
                self.assertEqual(differing(out, replay(run, samples, MODULE, image, done=True)[1]), 0)
                if tupltype.endswith('_ALPHA'):
                    self.assertGreater(differing(out[depth - 1::depth], bytes(data)[depth - 1::depth]), 0,
                                       'transparency moves with the colour and is kept on Done')

    def test_the_eraser_paints_the_source_back(self):
        # Fixed distortion 100: the eraser restores at once under its disc.
        lines = ['click 1019', 'settext 3 100'] + self.pushes()
        lines += ['tablet cursor 1'] + self.stroke([(x, 30) for x in range(10, 150, 3)], 1023)
        lines += ['tablet cursor 0', 'click 1']
        run, samples = self.session(lines)
        out, src = run.out_image()[4], self.source()
        self.assertEqual(differing(out, replay(run, samples, MODULE, done=True)[1]), 0)
        row = slice(30 * W * 3 + 20 * 3, 30 * W * 3 + 140 * 3)
        self.assertEqual(out[row], src[row], 'the erased row is the source again')
        self.assertGreater(differing(out, src), 0, 'the pushes away from it stay')

    def test_a_tablet_without_a_queue_is_reported_and_the_mouse_tools_still_work(self):
        run = DialogRun(self.env, MODULE, image=self.sample, tablet='refuse_queue_sizes=all\nrefusal_drops_queue=1')
        s = Script('wait-dialog', 'restore', 'click 301')
        before = s.add('preview')
        s.add('mouse down 200 100')
        s.add('mouse up 200 100')
        after = s.add('preview')
        s.add('click 1')
        run.run(s)
        self.assertEqual(run.report['messagebox.1.text'], 'Unable to set tablet queue size.')
        self.assertEqual(run.report['messagebox.1.caption'], 'Kestrix')
        self.assertEqual(run.report['messagebox.count'], '1')
        self.assertEqual((run.value(before, 'zoom'), run.value(after, 'zoom')), ('1', '2'), 'the Zoom tool works')
        log = run.tablet_log().splitlines()
        closed = [i for i, l in enumerate(log) if l.startswith('WTClose')]
        got = [i for i, l in enumerate(log) if l.startswith('WTQueueSizeGet')]
        self.assertTrue(closed and got and got[-1] < closed[0], 'the context is closed after the query')
        self.assertEqual(run.report['result.start'], '0', 'Done sets the result again')
        self.assertEqual(differing(run.out_image()[4], self.source()), 0)

    def test_settings_come_back_in_their_order_and_reset_selects_the_brush(self):
        run, _ = self.session(['settext 12 60', 'click 1002', 'click 1019', 'settext 3 40', 'click 302', 'click 1'])
        params = [k for k in self.env.ini_keys('Kestrix.ini', 'Warper') if k not in ('Window', 'Maximized')]
        self.assertEqual(params, ['Current Tool', 'Pressure Size', 'Pressure Distort', 'Brush Size', 'Distortion'])
        ini = self.env.read_ini('Kestrix.ini')['Warper']
        self.assertEqual([ini[k] for k in ('Current Tool', 'Pressure Size', 'Pressure Distort', 'Brush Size',
                                           'Distortion')], ['1', '2', '2', '60', '40'])

        run = DialogRun(self.env, MODULE, image=self.sample)
        s = Script('wait-dialog', 'restore')
        kept = [s.add('read %d' % i) for i in (12, 3, 1002, 1019, 302)]
        s.add('key down alt')
        s.add('click 2')
        s.add('key up alt')
        reset = [s.add('read %d' % i) for i in (12, 3, 1001, 1018, 303, 302)]
        s.add('click 1')
        run.run(s)
        self.assertEqual([run.value(kept[0], 'text'), run.value(kept[1], 'text')], ['60', '40'])
        self.assertEqual([run.value(n, 'checked') for n in kept[2:]], ['1', '1', '1'])
        self.assertEqual([run.value(reset[0], 'text'), run.value(reset[1], 'text')], ['25', '100'])
        self.assertEqual([run.value(n, 'checked') for n in reset[2:]], ['1', '1', '1', '0'],
                         'sources back on Pressure, the Brush tool selected')
        self.assertEqual(run.report['messagebox.count'], '0')
        self.assertEqual(self.env.read_ini('Kestrix.ini')['Warper']['Current Tool'], '2')

    def test_largest_brush_on_the_tiniest_pictures_behind_guard_pages(self):
        strongest = '[Warper]\nBrush Size=99\nPressure Size=2\nDistortion=100\nPressure Distort=2\n'
        # Pairs of points on the picture, the frame's far edge included (a sample there is
        # on it); on the wider picture away from the edges, which the centring may shift
        # by a pixel.
        crossings = {(1, 1): (((0, 0), (1, 1)), ((1, 0), (0, 1)), ((1, 1), (0, 0))),
                     (3, 2): (((1, 0), (2, 1)), ((2, 0), (1, 1)), ((2, 1), (1, 0)))}
        for (w, h), pairs in crossings.items():
            origin = preview_frame(self.env, MODULE, w, h)
            left, top = origin

            def packet(x, y, p):
                return 'tablet packet x=%d y=%d p=%d b=%d' % (left + x, top + y, p, 1 if p else 0)
            # The pen rests on the first point until the brush drag is on (the button's
            # press has reached the dialog) and a sample there starts the stroke; the
            # lifting sample at the second point makes the segment however close it is.
            strokes = []
            for (ax, ay), (bx, by) in pairs:
                strokes += [packet(ax, ay, 0), packet(ax, ay, 1000), 'sleep 60'] + [packet(ax, ay, 1000)] * 3
                strokes += [packet(bx, by, 1000)] * 2
                strokes += [packet(bx, by, 0)] * 2
            lines = strokes + ['tablet cursor 1'] + strokes + ['tablet cursor 0', 'click 1']
            for guard in ('back', 'front'):
                with self.subTest(size=(w, h), guard=guard):
                    self.env.clear_ini('Kestrix.ini')
                    self.env.write_ini('Kestrix.ini', strongest)
                    run = DialogRun(self.env, MODULE, tupltype='CMYK_ALPHA', size=(w, h), extra=['--guard', guard])
                    s = Script('wait-dialog', 'restore', 'tablet origin control 1012', 'tablet cursor 0', *lines)
                    samples, _ = run_with_logs(run, s)
                    with open(samples) as f:
                        records = [[int(v) for v in l.split()] for l in f if not l.startswith('#')]
                    # On so small a picture every later pressed sample lies within size/8 of
                    # the one that started the stroke and is dropped: a stroke makes its one
                    # segment when the pen lifts somewhere else.
                    segments, start = 0, None
                    for r in records:
                        if r[4] == 65535 or (r[4] <= 1 and start is None):
                            start = None
                        elif r[4] <= 1:
                            segments += r[:2] != start
                            start = None
                        elif start is None:
                            start = r[:2]
                    # Which packets become samples depends on when the brush drag reaches
                    # the dialog, which a loaded machine delays: some stroke must have
                    # pushed, not every one.
                    self.assertGreaterEqual(segments, 1, 'no stroke pushed or erased: %s' % records)
                    self.assertNotIn('fault', run.report)
                    self.assertEqual(run.report.get('script.result'), 'ok', run.report.get('script.error'))
                    self.assertEqual(run.report.get('result.start'), '0')
                    self.assertEqual(run.out_image()[4], replay(run, samples, MODULE, done=True)[1])

    def test_cancel_after_strokes_hands_back_the_picture_unchanged(self):
        run, _ = self.session(self.pushes() + ['answer yes', 'click 2'])
        self.assertEqual(run.report['messagebox.1.text'], 'Are you sure you wish to discard changes?')
        self.assertEqual(run.report['result.start'], '1')
        self.assertEqual(run.out_image()[4], self.source())


if __name__ == '__main__':
    unittest.main()
