"""Pen strokes through the real dialog with the virtual tablet and the recording test
effect (strokeprobe): the dabs the dialog asks for must be exactly those the native
replay of the recorded samples asks for, and paint the same pixels."""
import os
import unittest

import harness
from dialog_session import REPLAY, DialogRun, Script, pattern, replay, run_with_logs

W, H = 300, 200


def frame(client):
    """The image's frame in the preview at zoom 1 (centred where it is smaller)."""
    cw, ch = client
    return ((cw - W) // 2 if cw > W else 0, (ch - H) // 2 if ch > H else 0)


class Strokes(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        if not os.path.exists(REPLAY):
            raise unittest.SkipTest('the native replay tool is not built (%s)' % REPLAY)
        cls.env = harness.env()
        # The preview's client size at the template size, to aim packets at the image.
        run = DialogRun(cls.env, 'strokeprobe', size=(W, H))
        s = Script('wait-dialog', 'restore')
        p = s.add('preview')
        s.add('click 2')
        run.run(s)
        cls.left, cls.top = frame([int(v) for v in run.value(p, 'client').split(',')])

    def setUp(self):
        self.env.clear_ini('Kestrix.ini')

    def stroke(self, packets, before=(), after=('click 1',), tablet=''):
        """Runs the packets (image coordinates) through the dialog; returns the run, its
        sample log and dab log."""
        run = DialogRun(self.env, 'strokeprobe', size=(W, H), tablet=tablet)
        s = Script('wait-dialog', 'restore', 'tablet origin control 1012', 'tablet cursor 0', *before)
        for x, y, p, b in packets:
            s.add('tablet packet x=%d y=%d p=%d b=%d' % (x + self.left, y + self.top, p, b))
        for line in after:
            s.add(line)
        samples, dabs = run_with_logs(run, s)
        self.assertEqual(run.report.get('script.result'), 'ok', run.report.get('script.error'))
        return run, samples, dabs

    def replay(self, run, samples):
        return replay(run, samples, 'record')

    @staticmethod
    def lines(path, prefix=''):
        with open(path) as f:
            return [l.split() for l in f if l.startswith(prefix) and not l.startswith('#')]

    def test_a_stroke_through_the_dialog_equals_its_native_replay(self):
        packets = [(20, 30, 0, 0)] + [(20 + 7 * i, 30 + 4 * i, 300 + 20 * i, 1) for i in range(24)]
        packets += [(200, 130, 0, 0)]
        run, samples, dabs = self.stroke(packets)
        dialog_dabs = open(dabs).read()
        replay_dabs, replay_pixels = self.replay(run, samples)
        self.assertGreater(len(dialog_dabs.splitlines()), 50)
        self.assertEqual(dialog_dabs, replay_dabs)
        out = run.out_image()[4]
        self.assertEqual(out, replay_pixels)
        self.assertNotEqual(out, pattern(W, H, 3), 'the stroke painted')
        # Every second packet over the image became a sample.
        pressing = [l for l in self.lines(samples) if l[4] not in ('0', '65535')]
        # The first pressing packet may be handled before the button press it causes
        # reaches the preview, and so be ignored.
        self.assertIn(len(pressing), (11, 12))

    def test_leaving_and_reentering_the_image_splits_the_stroke(self):
        packets = [(50, 50, 0, 0)] + [(50 + 10 * i, 50, 500, 1) for i in range(6)]
        packets += [(50 + 10 * i, -30, 500, 1) for i in range(6, 9)]  # above the image
        packets += [(100 + 10 * i, 60, 500, 1) for i in range(8)] + [(200, 60, 0, 0)]
        run, samples, dabs = self.stroke(packets)
        pressures = [int(l[4]) for l in self.lines(samples)]
        first_lift = pressures.index(0)
        self.assertTrue(any(p > 1 for p in pressures[first_lift:]), 'pressing again after leaving')
        ops = [l[0] for l in self.lines(dabs)]
        starts = sum(1 for a, b in zip(ops, ops[1:]) if a == 'cap' and b == 'cap')
        self.assertEqual(starts, 1, 'one new stroke start after re-entering')
        self.assertEqual(open(dabs).read(), self.replay(run, samples)[0])

    def test_hovering_ends_the_stroke_while_the_button_is_held(self):
        # The button comes from the mouse here, the pressure from the pen only.
        packets = [(30 + 10 * i, 40, 600, 0) for i in range(6)]
        packets += [(90 + 10 * i, 40, 0, 0) for i in range(4)]
        packets += [(130 + 10 * i, 40, 600, 0) for i in range(6)]
        run, samples, dabs = self.stroke(
            packets, tablet='system_mouse=0',
            before=('mouse down %d %d' % (self.left + 30, self.top + 100),),
            after=('mouse up %d %d' % (self.left + 30, self.top + 100), 'click 1'))
        ops = [l[0] for l in self.lines(dabs)]
        starts = sum(1 for a, b in zip(ops, ops[1:]) if a == 'cap' and b == 'cap')
        self.assertEqual(ops[0], 'cap')
        self.assertEqual(starts, 1)
        self.assertEqual(open(dabs).read(), self.replay(run, samples)[0])

    def test_z_after_a_stroke_shows_the_image_before_it(self):
        packets = [(40, 40, 0, 0)] + [(40 + 8 * i, 40, 700, 1) for i in range(10)] + [(150, 40, 0, 0)]
        run, _, _ = self.stroke(packets, after=('key press z', 'click 1'))
        self.assertEqual(run.report['outData.isHostBuffer'], '1')
        self.assertEqual(run.out_image()[4], pattern(W, H, 3))
        run, _, _ = self.stroke(packets, after=('key press z', 'key press z', 'click 1'))
        self.assertNotEqual(run.out_image()[4], pattern(W, H, 3))

    def test_the_queue_is_drained_after_each_packet_and_before_each_stroke_step(self):
        packets = [(30, 30, 0, 0)] + [(30 + 6 * i, 30, 500, 1) for i in range(12)] + [(120, 30, 0, 0)]
        run, samples, _ = self.stroke(packets)
        log = run.tablet_log().splitlines()
        fetched = sum(1 for l in log if l.startswith('WTPacket ') and l.endswith('-> 1'))
        drains = sum(1 for l in log if l.startswith('WTPacketsGet 1 '))
        steps = len(self.lines(samples))
        self.assertGreater(fetched, 10)
        # One drain after every packet message (not the cursor change's) and one before
        # every stroke step.
        self.assertGreaterEqual(drains, fetched - 1 + steps)

    def test_the_stroke_makes_cancel_ask_and_enables_revert(self):
        packets = [(40, 40, 0, 0)] + [(40 + 8 * i, 40, 700, 1) for i in range(10)] + [(150, 40, 0, 0)]
        run, _, _ = self.stroke(packets, after=('read 4', 'answer no', 'click 2', 'read 2',
                                                'answer yes', 'click 4', 'read 4', 'click 1'))
        base = len(packets) + 4
        self.assertEqual(run.value(base + 1, 'enabled'), '1')
        self.assertEqual(run.report['messagebox.1.text'], 'Are you sure you wish to discard changes?')
        self.assertIsNotNone(run.value(base + 4, 'text'), 'No kept the dialog open')
        self.assertEqual(run.value(base + 7, 'enabled'), '0', 'Revert disables itself')
        self.assertEqual(run.out_image()[4], pattern(W, H, 3), 'Revert restored the image')

    def test_a_tablet_counting_pressure_past_32767_paints_whole_strokes(self):
        packets = [(40, 40, 0, 0)] + [(40 + 8 * i, 40, 40000 + 2500 * i, 1) for i in range(10)]
        packets += [(150, 40, 0, 0)]
        run, samples, dabs = self.stroke(packets, tablet='pressure_max=65535')
        pressing = [l for l in self.lines(samples) if l[4] not in ('0', '65535')]
        self.assertGreaterEqual(len(pressing), 4)
        for x, y, size, amount, pressure, inverted in pressing:
            # Scaled into the sample's range; the size follows the pen (25 at full).
            self.assertTrue(20000 <= int(pressure) <= 32767, pressure)
            self.assertTrue(15 <= int(size) < 25, size)
        ops = [l[0] for l in self.lines(dabs)]
        self.assertEqual(ops[0], 'cap')
        self.assertGreater(ops.count('step'), 50, 'one stroke along the whole path')
        self.assertEqual(open(dabs).read(), self.replay(run, samples)[0])

    def test_an_effect_out_of_memory_ends_the_dialog_not_the_host(self):
        # The probe's cap dab throws std::bad_alloc, deep inside the dialog procedure.
        run = DialogRun(self.env, 'strokeprobe', size=(W, H),
                        environment={'KESTRIX_PROBE_THROW': 'cap'})
        s = Script('wait-dialog', 'restore', 'tablet origin control 1012', 'tablet cursor 0')
        for x, y, p, b in [(40, 40, 0, 0)] + [(40 + 8 * i, 40, 700, 1) for i in range(6)]:
            s.add('tablet packet x=%d y=%d p=%d b=%d' % (x + self.left, y + self.top, p, b))
        s.add('sleep 300')
        run.run(s)
        self.assertNotIn('fault', run.report)
        self.assertEqual(run.report['result.start'], '-108')
        self.assertEqual(run.report['image.filtered'], '0')
        self.assertEqual(run.out_image()[4], pattern(W, H, 3), 'the host keeps its image')
        # The dialog ended the ordinary way: its settings were saved after it.
        self.assertIn('Spotclean', self.env.read_ini('Kestrix.ini'))


if __name__ == '__main__':
    unittest.main()
