"""The editing dialog of the real modules, driven like a user through the reference host
with our virtual tablet: preview, tools, keyboard hook, controls, layout and placement."""
import os
import shutil
import unittest

import harness
from dialog_session import DialogRun, Script, pattern

SCREENSHOTS = os.path.join(harness.ROOT, 'build', 'screenshots')


def ints(text):
    return [int(v) for v in text.split(',')]


class DialogTest(unittest.TestCase):
    def setUp(self):
        self.env = harness.env()
        self.env.clear_ini('Kestrix.ini')
        self.env.clear_ini('vorla.ini')

    def session(self, module='spotclean', **kw):
        return DialogRun(self.env, module, **kw)

    def opened(self, *lines, restore=True):
        """A script that waits for the dialog and, by default, takes it out of the
        maximised first-run state into its template size."""
        s = Script('wait-dialog')
        if restore:
            s.add('restore')
        for line in lines:
            s.add(line)
        return s


class Preview(DialogTest):
    def test_small_image_is_centred_framed_with_scroll_bars_off(self):
        run = self.session(size=(64, 48))
        s = self.opened()
        h, v, p = s.add('scroll 1015'), s.add('scroll 1013'), s.add('preview')
        s.add('click 1')
        run.run(s)
        for line in (h, v):
            self.assertEqual(run.value(line, 'enabled'), '0')
            self.assertEqual((run.value(line, 'min'), run.value(line, 'max')), ('0', '0'))
        self.assertEqual(run.value(p, 'zoom'), '1')
        self.assertEqual(run.report['result.start'], '0')
        self.assertEqual(run.report['outData.isHostBuffer'], '1')

    def test_zoom_clicks_double_and_halve_within_the_limits(self):
        run = self.session(size=(300, 200))
        s = self.opened('click 301')
        zooms = []
        for _ in range(5):
            s.add('mouse down 200 150')
            s.add('mouse up 200 150')
            zooms.append(s.add('preview'))
        s.add('key down alt')
        for _ in range(10):
            s.add('mouse down 200 150')
            s.add('mouse up 200 150')
            zooms.append(s.add('preview'))
        s.add('key up alt')
        s.add('click 1')
        run.run(s)
        got = [float(run.value(n, 'zoom')) for n in zooms]
        self.assertEqual(got[:5], [2, 4, 8, 16, 16])
        self.assertEqual(got[5:], [8, 4, 2, 1, 0.5, 0.25, 0.125, 0.0625, 0.0625, 0.0625])

    def test_zoom_click_centres_the_clicked_image_point(self):
        run = self.session(size=(400, 300))
        s = self.opened('click 301')
        before = s.add('preview')
        s.add('mouse down 350 60')
        s.add('mouse up 350 60')
        p, h, v = s.add('preview'), s.add('scroll 1015'), s.add('scroll 1013')
        s.add('click 1')
        run.run(s)
        w, ht = ints(run.value(before, 'client'))
        # At zoom 1 the image is centred where it is smaller than the view.
        left = (w - 400) // 2 if w > 400 else 0
        top = (ht - 300) // 2 if ht > 300 else 0
        ix, iy = 350 - left, 60 - top
        clamp = lambda x, hi: max(0, min(x, hi))
        self.assertEqual(run.value(p, 'zoom'), '2')
        self.assertEqual(int(run.value(h, 'pos')), clamp(ix * 2 - w // 2, 800 - w))
        self.assertEqual(int(run.value(v, 'pos')), clamp(iy * 2 - ht // 2, 600 - ht))

    def test_zoom_in_drag_of_20_image_pixels_in_a_300_pixel_high_view_gives_15(self):
        # The fit takes the smaller of width / 20 and height / 20: with the preview 300
        # pixels high (and wider than that) a 20 x 20 drag must give 15.
        probe = self.session(size=(800, 600))
        s = self.opened()
        w, p = s.add('window'), s.add('preview')
        s.add('click 2')
        probe.run(s)
        win, client = ints(probe.value(w, 'rect')), ints(probe.value(p, 'client'))
        bottom = win[3] + 300 - client[1]
        run = self.session(size=(800, 600))
        s = self.opened('move %d %d %d %d' % (win[0], win[1], win[2], bottom), 'click 301')
        p1 = s.add('preview')
        s.add('drag 100 100 120 120')
        p2 = s.add('preview')
        s.add('click 2')
        run.run(s)
        width, height = ints(run.value(p1, 'client'))
        self.assertEqual(height, 300)
        self.assertGreaterEqual(width, 300)
        self.assertEqual(run.value(p2, 'zoom'), '15')

    def test_hand_and_space_drags_scroll(self):
        run = self.session(size=(1200, 900))
        s = self.opened('click 302')
        h0, v0 = s.add('scroll 1015'), s.add('scroll 1013')
        s.add('drag 300 200 250 170')
        h1, v1 = s.add('scroll 1015'), s.add('scroll 1013')
        s.add('click 303')
        s.add('key down space')
        s.add('drag 300 200 330 210')
        s.add('key up space')
        h2, v2 = s.add('scroll 1015'), s.add('scroll 1013')
        s.add('click 1')
        run.run(s)
        pos = lambda n: int(run.value(n, 'pos'))
        self.assertEqual(pos(h1) - pos(h0), 50)
        self.assertEqual(pos(v1) - pos(v0), 30)
        self.assertEqual(pos(h1) - pos(h2), 30)
        self.assertEqual(pos(v1) - pos(v2), 10)
        self.assertEqual(run.report['result.start'], '0')


class SelectionOutline(DialogTest):
    """Marching ants along every boundary of the selection, holes included."""

    def grey_with_mask(self, mask):
        image = self.env.temp_path('grey.pam')
        harness.write_pam(image, 60, 40, 'RGB', bytes([128, 128, 128]) * (60 * 40))
        if mask is None:
            return image, []
        path = self.env.temp_path('mask.pam')
        harness.write_pam(path, 60, 40, 'GRAYSCALE', mask)
        return image, ['--mask', self.env.win_path(path)]

    def ants_in_preview(self, mask):
        image, extra = self.grey_with_mask(mask)
        run = self.session(image=image, extra=extra)
        shot = run.path('preview.png')
        s = self.opened('click 301', 'mouse down 300 130', 'mouse up 300 130')  # zoom 2
        s.add('sleep 350')
        p = s.add('preview')
        s.add('screenshot %s of=preview redraw=0' % self.env.win_path(shot))
        s.add('click 2')
        run.run(s)
        w, h, ch, rows = harness.read_png(shot)
        cw, chh = ints(run.value(p, 'client'))
        # The 120 x 80 zoomed picture is centred; screenshot and client share the origin.
        left, top = (cw - 120) // 2, (chh - 80) // 2

        def marked(ix, iy, dx=0):  # a screen pixel of an image pixel shows ant black or white
            x = left + ix * 2 + dx
            px = rows[top + iy * 2][x * ch:x * ch + 3]
            return px in (b'\x00\x00\x00', b'\xff\xff\xff')
        return marked

    def test_a_ring_selection_gets_ants_outside_and_around_its_hole(self):
        mask = bytearray(60 * 40)
        for y in range(5, 35):
            for x in range(10, 50):
                inside_hole = 20 <= x < 40 and 15 <= y < 25
                mask[y * 60 + x] = 0 if inside_hole else 255
        marked = self.ants_in_preview(bytes(mask))
        outer = [marked(10, y) for y in range(6, 34)] + [marked(x, 5) for x in range(11, 49)]
        # The frame lies inside the selection: right of the hole's left edge it is the
        # right half of the zoomed pixel.
        hole = [marked(19, y, 1) for y in range(16, 24)] + [marked(x, 25) for x in range(21, 39)]
        self.assertGreater(sum(outer) / len(outer), 0.9, 'the outer boundary is outlined')
        self.assertGreater(sum(hole) / len(hole), 0.9, 'the hole is outlined too')
        self.assertFalse(any(marked(x, 20) for x in range(24, 36)), 'nothing inside the hole')
        self.assertFalse(any(marked(x, 10) for x in range(15, 45)), 'nothing across the selection')

    def test_no_selection_no_ants(self):
        marked = self.ants_in_preview(None)
        self.assertFalse(any(marked(x, y) for y in range(40) for x in range(60)))


class Keyboard(DialogTest):
    def test_alt_switches_the_cancel_label_and_space_presses_nothing(self):
        run = self.session()
        s = self.opened()
        before = s.add('read 2')
        s.add('key down alt')
        held = s.add('read 2')
        s.add('key up alt')
        after = s.add('read 2')
        s.add('focus 1')
        s.add('key press space')
        still = s.add('window')
        s.add('click 1')
        run.run(s)
        self.assertEqual(run.value(before, 'text'), 'Cancel')
        self.assertEqual(run.value(held, 'text'), 'Reset')
        self.assertEqual(run.value(after, 'text'), 'Cancel')
        self.assertIsNotNone(run.value(still, 'rect'), 'the dialog was still open after Space')
        self.assertEqual(run.report['result.start'], '0')


class Controls(DialogTest):
    def test_typed_numbers_are_checked_against_the_range(self):
        run = self.session()
        s = self.opened('answer ok', 'settext 3 20')
        amount = s.add('read 3')
        amount_bar = s.add('trackbar 1005')
        s.add('answer ok')
        s.add('settext 12 ')
        size = s.add('read 12')
        s.add('click 1')
        run.run(s)
        texts = [run.report.get('messagebox.%d.text' % i) for i in (1, 2)]
        self.assertEqual(texts, ['Please enter an integer between 1 and 15.',
                                 'Please enter an integer between 1 and 99.'])
        self.assertEqual(run.report['messagebox.1.caption'], 'Kestrix')
        self.assertEqual(run.value(amount, 'text'), '15')
        self.assertEqual(run.value(amount_bar, 'pos'), '15')
        self.assertEqual(run.value(size, 'text'), '1')

    def test_slider_keyboard_steps_are_a_fifth_of_the_range(self):
        run = self.session()
        s = self.opened('focus 1006', 'key press right')
        size = s.add('read 12')
        s.add('focus 1005')
        s.add('key press right')
        amount = s.add('read 3')
        s.add('click 1')
        run.run(s)
        self.assertEqual(run.value(size, 'text'), '44')
        self.assertEqual(run.value(amount, 'text'), '4')

    def test_alt_cancel_resets_the_parameters_and_keeps_the_dialog(self):
        run = self.session()
        s = self.opened('settext 12 60', 'click 1004', 'click 1001', 'click 302',
                        'key down alt', 'click 2', 'key up alt')
        size, bar, fixed, pressure, buildup, hand = (s.add('read 12'), s.add('trackbar 1006'),
                                                     s.add('read 1004'), s.add('read 1003'),
                                                     s.add('read 1001'), s.add('read 302'))
        s.add('click 1')
        run.run(s)
        self.assertEqual(run.value(size, 'text'), '25')
        self.assertEqual(run.value(bar, 'pos'), '25')
        self.assertEqual(run.value(fixed, 'checked'), '0')
        self.assertEqual(run.value(pressure, 'checked'), '1')
        self.assertEqual(run.value(buildup, 'checked'), '1')
        self.assertEqual(run.value(hand, 'checked'), '1', 'the tool is not reset')
        self.assertEqual(run.report['messagebox.count'], '0')
        self.assertEqual(run.report['result.start'], '0')

    def test_cancel_without_changes_closes_without_asking(self):
        run = self.session()
        run.run(self.opened('click 2'))
        self.assertEqual(run.report['result.start'], '1')
        self.assertEqual(run.report['messagebox.count'], '0')
        self.assertEqual(run.report['image.filtered'], '0')

    def test_revert_starts_disabled_and_the_close_box_keeps_an_unchanged_image(self):
        run = self.session()
        s = self.opened()
        revert = s.add('read 4')
        s.add('click 5')
        after_apply = s.add('read 4')
        s.add('sysclose')
        run.run(s)
        self.assertEqual(run.value(revert, 'enabled'), '0')
        self.assertEqual(run.value(after_apply, 'enabled'), '0')
        self.assertEqual(run.report['result.start'], '0')
        self.assertEqual(run.report['messagebox.count'], '0')

    def test_done_hands_the_host_its_own_buffer_with_the_transparency(self):
        run = self.session(tupltype='RGB_ALPHA', size=(40, 30))
        run.run(self.opened('key press z', 'click 1'))
        self.assertEqual(run.report['result.start'], '0')
        self.assertEqual(run.report['outData.isHostBuffer'], '1')
        self.assertEqual(run.out_image()[4], pattern(40, 30, 4))

    def test_source_radios_follow_the_tool_in_proximity(self):
        run = self.session(tablet='cursors=pen,eraser,airbrush,puck')
        s = self.opened('tablet cursor 3')
        puck = [s.add('read %d' % i) for i in (1002, 1003, 1004, 1007, 1008, 1009)]
        s.add('tablet cursor 0')
        pen = [s.add('read %d' % i) for i in (1002, 1003, 1004)]
        s.add('tablet cursor 2')
        airbrush = s.add('read 1002')
        s.add('click 1')
        run.run(s)
        enabled = lambda n: run.value(n, 'enabled')
        checked = lambda n: run.value(n, 'checked')
        self.assertEqual([enabled(n) for n in puck], ['0', '0', '1', '0', '0', '1'])
        self.assertEqual(checked(puck[2]), '1')
        self.assertEqual(checked(puck[5]), '1')
        self.assertEqual([enabled(n) for n in pen], ['0', '1', '1'])
        self.assertEqual(checked(pen[2]), '1', 'Fixed stays after the puck')
        self.assertEqual(enabled(airbrush), '1')
        ini = self.env.read_ini('Kestrix.ini')['Spotclean']
        self.assertEqual((ini['Pressure Size'], ini['Pressure Amount']), ('2', '2'))

    def test_without_a_tablet_the_user_is_told_and_nothing_is_applied(self):
        run = self.session(tablet='refuse_open=1')
        run.run('# the dialog ends by itself\n')
        self.assertEqual(run.report['result.start'], '1')
        self.assertEqual(run.report['messagebox.1.caption'], 'Kestrix')
        self.assertIn('No pen tablet', run.report['messagebox.1.text'])
        self.assertEqual(run.out_image()[4], pattern(64, 48, 3))

    def test_a_driver_refusing_every_queue_size_keeps_its_default(self):
        run = self.session(tablet='refuse_queue_sizes=all')
        run.run(self.opened('click 1'))
        log = run.tablet_log()
        asked = [l for l in log.splitlines() if l.startswith('WTQueueSizeSet')]
        self.assertEqual([l.split()[1] for l in asked], ['40', '35', '30', '25', '20', '15', '10', '5'])
        self.assertTrue(all(l.endswith('-> 0') for l in asked))
        self.assertEqual(run.report['result.start'], '0')

    def test_tablet_context_negotiates_its_queue(self):
        run = self.session(tablet='refuse_queue_sizes=40,35,30,25,20,15,10')
        run.run(self.opened('click 1'))
        log = run.tablet_log()
        self.assertIn('name="Kestrix Warper ', log)
        self.assertIn('WTQueueSizeSet 5 -> 1', log)
        self.assertNotIn('WTQueueSizeSet 0', log)
        self.assertIn('WTOverlap', log)
        self.assertIn('WTClose', log)


class Layout(DialogTest):
    def test_closing_maximised_keeps_the_last_normal_rectangle(self):
        run = self.session()
        run.run(Script('wait-dialog', 'restore', 'move 40 30 940 730', 'click 1'))
        ini = self.env.read_ini('Kestrix.ini')['Spotclean']
        self.assertEqual((ini['Maximized'], ini['Window']), ('0', '40,30,940,730'))

        run = self.session()
        s = Script('wait-dialog', 'maximize')
        w = s.add('window')
        s.add('click 1')
        run.run(s)
        self.assertEqual(run.value(w, 'rect').split(',')[:2], ['-4', '-4'])
        ini = self.env.read_ini('Kestrix.ini')['Spotclean']
        self.assertEqual((ini['Maximized'], ini['Window']), ('1', '40,30,940,730'))

        # Reopened and restored: back at the last normal rectangle.
        run = self.session()
        s = Script('wait-dialog', 'restore')
        w = s.add('window')
        s.add('click 1')
        run.run(s)
        self.assertEqual(run.value(w, 'rect'), '40,30,940,730')

    def test_enlarging_grows_the_preview_and_keeps_buttons_right(self):
        run = self.session()
        s = self.opened()
        w0, p0 = s.add('window'), s.add('preview')
        s.add('move 10 10 1100 900')
        w1, p1 = s.add('window'), s.add('preview')
        buttons = [s.add('read %d' % i) for i in (1, 2, 4, 5)]
        s.add('move 10 10 200 150')
        small = s.add('window')
        s.add('click 1')
        run.run(s)
        cw = ints(run.value(w1, 'client'))[0]
        for n in buttons:
            self.assertEqual(ints(run.value(n, 'rect'))[2], cw - 10)
        grow_w = ints(run.value(w1, 'client'))[0] - ints(run.value(w0, 'client'))[0]
        grow_h = ints(run.value(w1, 'client'))[1] - ints(run.value(w0, 'client'))[1]
        self.assertEqual(ints(run.value(p1, 'client'))[0] - ints(run.value(p0, 'client'))[0], grow_w)
        self.assertEqual(ints(run.value(p1, 'client'))[1] - ints(run.value(p0, 'client'))[1], grow_h)
        rect0, rect_small = ints(run.value(w0, 'rect')), ints(run.value(small, 'rect'))
        self.assertGreaterEqual(rect_small[2] - rect_small[0], rect0[2] - rect0[0])
        self.assertGreaterEqual(rect_small[3] - rect_small[1], rect0[3] - rect0[1])

    def test_saved_rectangles_are_kept_on_screen(self):
        cases = [  # saved "Window" -> expected top-left (screen 1280 x 1024)
            ('1000,900,1900,1600', (380, 324)),
            ('-300,-200,600,500', (0, 0)),
            # Larger than the screen: at its top-left corner (the window system then
            # limits the size to what a window may have).
            ('100,100,2000,1500', (0, 0)),
        ]
        for saved, expected in cases:
            with self.subTest(saved=saved):
                self.env.write_ini('Kestrix.ini', '[Spotclean]\nMaximized=0\nWindow=%s\n' % saved)
                run = self.session()
                s = Script('wait-dialog')
                w = s.add('window')
                s.add('click 2')
                run.run(s)
                rect = ints(run.value(w, 'rect'))
                self.assertEqual(tuple(rect[:2]), expected)
                self.assertLessEqual(rect[2], 1280 + 16)
                if saved.startswith('1000'):
                    self.assertEqual(rect[2:], [1280, 1024])
                self.assertEqual(run.value(w, 'maximized'), '0')

    def test_malformed_window_value_is_ignored(self):
        self.env.write_ini('Kestrix.ini', '[Spotclean]\nMaximized=0\nWindow=5,6,7\n')
        run = self.session()
        s = Script('wait-dialog')
        w = s.add('window')
        s.add('click 2')
        run.run(s)
        rect = ints(run.value(w, 'rect'))
        self.assertNotEqual(rect[:2], [5, 6])
        self.assertGreater(rect[2] - rect[0], 100)


class Languages(DialogTest):
    def test_a_german_interface_writes_german_keys_and_labels(self):
        run = self.session(language='de_DE.UTF-8')
        s = self.opened()
        cancel = s.add('read 2')
        s.add('click 1')
        run.run(s)
        self.assertEqual(run.value(cancel, 'text'), 'Abbrechen')
        ini = self.env.read_ini('Kestrix.ini')
        section = ini['Spotclean']
        self.assertNotIn('Brush Size', section)
        self.assertEqual(len(section), 8, section)


class Screenshots(DialogTest):
    """Pictures of both dialogs for a person to look at, in English and German."""

    def test_dialogs_at_100_percent_and_zoomed(self):
        os.makedirs(SCREENSHOTS, exist_ok=True)
        sample = os.path.join(SCREENSHOTS, 'sample.pam')
        import subprocess, sys
        subprocess.run([sys.executable, os.path.join(harness.ROOT, 'scripts', 'make_sample.py'),
                        sample, '--width', '360', '--height', '240'], check=True)
        for module in ('spotclean', 'dustclean'):
            for language, tag in ((None, 'en'), ('de_DE.UTF-8', 'de')):
                run = self.session(module, image=sample, language=language)
                plain = run.path('plain.png')
                zoomed = run.path('zoomed.png')
                s = self.opened('move 20 20 900 700', 'screenshot %s' % self.env.win_path(plain),
                                'click 301', 'mouse down 120 90', 'mouse up 120 90',
                                'mouse down 120 90', 'mouse up 120 90', 'click 302',
                                'drag 300 250 200 200', 'screenshot %s' % self.env.win_path(zoomed),
                                'click 1')
                run.run(s)
                for name, path in (('100', plain), ('zoomed', zoomed)):
                    with open(path, 'rb') as f:
                        self.assertEqual(f.read(8), b'\x89PNG\r\n\x1a\n')
                    shutil.copy(path, os.path.join(SCREENSHOTS, '%s-%s-%s.png' % (module, tag, name)))


if __name__ == '__main__':
    unittest.main()
