"""The reference host (host.exe) driven through probe.8bf under Wine."""
import os
import random
import struct
import sys
import unittest

import harness

sys.path.insert(0, os.path.join(harness.ROOT, 'tools', 'probe_plugin'))
import make_pipl  # noqa: E402  the probe's PiPL bytes, to find and patch them in copies

COLOUR_PLANES = {'GRAYSCALE': 1, 'GRAYSCALE_ALPHA': 1, 'RGB': 3, 'RGB_ALPHA': 3, 'CMYK': 4, 'CMYK_ALPHA': 4}
BAD_PARAMETERS = -30100


def random_pixels(n, seed):
    rnd = random.Random(seed)
    return bytes(rnd.randrange(256) for _ in range(n))


def inverted(data, depth, colour):
    return bytes(255 - b if i % depth < colour else b for i, b in enumerate(data))


class HostTest(unittest.TestCase):
    def setUp(self):
        self.env = harness.env()
        self.probe = harness.module_path('probe')
        if not os.path.exists(self.env.host_exe) or not os.path.exists(self.probe):
            self.fail('build host.exe and probe.8bf first (bash scripts/build.sh)')
        self.arch = 'x86' if self.env.bits == 32 else 'x64'
        self.key = harness.entry_key()

    def path(self, name):
        return self.env.temp_path(name)

    def image(self, tupltype='RGB', w=7, h=5, seed=1):
        p = self.path('in.pam')
        data = random_pixels(w * h * harness.DEPTHS[tupltype], seed)
        harness.write_pam(p, w, h, tupltype, data)
        return p, data

    def run_probe(self, mode, image, *extra, plugin=None, env_extra=None, timeout=60):
        """Runs the probe; returns (rc, report, probe log dict, out path)."""
        log, out = self.path('probe.log'), self.path('out.pam')
        env = {'PROBE_MODE': mode, 'PROBE_LOG': self.env.win_path(log)}
        env.update(env_extra or {})
        args = ['run', '--plugin', self.env.win_path(plugin or self.probe), '--image', self.env.win_path(image),
                '--out', self.env.win_path(out)] + list(extra)
        rc, report, stdout = self.env.run_host(args, timeout=timeout, env_extra=env)
        probe_log = {}
        if os.path.exists(log):
            with open(log) as f:
                probe_log = harness.parse_report(f.read())
        self.last_stdout = stdout
        return rc, report, probe_log, out


class PiplChecks(HostTest):
    def patched_probe(self, offset_in_pipl, new_bytes):
        """A copy of probe.8bf with bytes of its PiPL resource replaced."""
        with open(self.probe, 'rb') as f:
            module = bytearray(f.read())
        pipl = make_pipl.pipl(self.arch)
        at = module.find(pipl)
        self.assertGreater(at, 0, 'PiPL bytes not found in probe.8bf')
        self.assertEqual(module.find(pipl, at + 1), -1)
        module[at + offset_in_pipl:at + offset_in_pipl + len(new_bytes)] = new_bytes
        path = self.path('patched.8bf')
        with open(path, 'wb') as f:
            f.write(module)
        return path

    def prop_offset(self, key):
        """Offset of a property's data in the probe's PiPL."""
        pipl, pos = make_pipl.pipl(self.arch), 10
        while True:
            k = pipl[pos + 4:pos + 8][::-1].decode()
            length = struct.unpack_from('<I', pipl, pos + 12)[0]
            if k == key:
                return pos + 16
            pos += 16 + length

    def test_good_pipl_prints_each_property_and_dumps_the_resource(self):
        dump = self.path('pipl.bin')
        rc, _, out = self.env.run_host(['pipl', '--plugin', self.env.win_path(self.probe),
                                        '--dump', self.env.win_path(dump)])
        self.assertEqual(rc, 0, out)
        lines = harness.parse_report(out)
        self.assertEqual(list(lines), ['kind', 'name', 'catg', 'vers', self.key, 'hstm', 'mode', 'enbl', 'fici'])
        self.assertEqual(lines['name'], 'Probe...')
        self.assertEqual(lines['hstm'], 'sdK1/sdK1/16000/kestrix probe')
        self.assertEqual(lines['mode'], 'gray,rgb,cmyk')
        with open(dump, 'rb') as f:
            self.assertEqual(f.read(), make_pipl.pipl(self.arch))

    def test_each_broken_property_is_named(self):
        o = self.prop_offset
        cases = [
            ('header', 6, struct.pack('<I', 8)),                      # property count
            ('kind', o('kind') - 4, struct.pack('<I', 5)),             # length not a multiple of 4
            ('kind', o('kind'), b'XFB8'),
            ('name', o('name'), b'\x00'),                              # empty Pascal string
            ('name', o('name') - 12, b'MAN'),                          # key 'NAMe' out of order
            ('catg', o('catg') + 8, b'TM'),
            ('vers', o('vers'), struct.pack('<I', 0x00050000)),
            (self.key, o(self.key), b'ENTRYPOINX'),
            ('hstm', o('hstm') + 4, b'2Kds'),
            ('hstm', o('hstm') + 12, struct.pack('<h', 16001)),
            ('mode', o('mode'), b'\x80'),                              # bitmap only
            ('mode', o('mode') + 1, b'\x01'),
            ('enbl', o('enbl'), b'on'),
            ('fici', o('fici') - 4, struct.pack('<I', 24)),
            ('name', o('name') - 16, b'MIB9'),                         # vendor
        ]
        for key, offset, data in cases:
            with self.subTest(key=key, offset=offset):
                module = self.patched_probe(offset, data)
                rc, _, out = self.env.run_host(['pipl', '--plugin', self.env.win_path(module)])
                self.assertEqual(rc, 1, out)
                self.assertIn('pipl: bad %s: ' % key, out)

        module = self.patched_probe(o('vers'), struct.pack('<I', 0x00050000))
        image, _ = self.image()
        rc, report, log, out = self.run_probe('invert', image, plugin=module)
        self.assertEqual(rc, 2)
        self.assertTrue(report['pipl'].startswith('bad vers: '), report)
        self.assertEqual(log, {}, 'the entry must not be called')
        self.assertFalse(os.path.exists(out))

    def test_image_mode_not_in_the_mode_flags_is_refused(self):
        module = self.patched_probe(self.prop_offset('mode'), b'\x10')  # RGB only
        image, _ = self.image('GRAYSCALE')
        rc, report, log, _ = self.run_probe('invert', image, plugin=module)
        self.assertEqual(rc, 2)
        self.assertEqual(report.get('mode.enabled'), '0')
        self.assertEqual(log, {})
        rgb, _ = self.image('RGB')
        rc, report, _, _ = self.run_probe('invert', rgb, plugin=module)
        self.assertEqual((rc, report['result.start']), (0, '0'))


    def test_a_module_of_the_other_width_is_refused(self):
        other = os.path.join(harness.other_build_dir(), 'probe.8bf')
        if not os.path.exists(other):
            self.fail('%s not built (bash scripts/build.sh builds both widths)' % other)
        bits, other_bits = self.env.bits, 96 - self.env.bits
        want = '%s is a %d-bit module; this %d-bit host loads only %d-bit modules' % (
            self.env.win_path(other), other_bits, bits, bits)
        rc, _, out = self.env.run_host(['pipl', '--plugin', self.env.win_path(other)])
        self.assertEqual(rc, 1, out)
        self.assertIn('pipl: bad module: ' + want, out)
        image, _ = self.image()
        rc, report, log, out_path = self.run_probe('invert', image, plugin=other)
        self.assertEqual(rc, 2)
        self.assertEqual(report['pipl'], 'bad module: ' + want.replace('\\', '\\\\'))  # the report escapes
        self.assertEqual(log, {}, 'the entry must not be called')
        self.assertFalse(os.path.exists(out_path))

    def test_the_other_widths_entry_key_is_refused_with_its_reason(self):
        # A module of this width whose PiPL names its entry for the other width is not
        # listed, as a real host of this width would not list it.
        other_key = 'wx86' if self.key == '8664' else '8664'
        module = self.patched_probe(self.prop_offset(self.key) - 12, other_key[::-1].encode())
        rc, _, out = self.env.run_host(['pipl', '--plugin', self.env.win_path(module)])
        self.assertEqual(rc, 1, out)
        self.assertIn("pipl: bad %s: the module names its entry under '%s'" % (self.key, other_key), out)


class Pixels(HostTest):
    def test_every_image_kind_round_trips_through_the_probe(self):
        w, h = 9, 4
        for tupltype, depth in harness.DEPTHS.items():
            with self.subTest(tupltype=tupltype):
                image, data = self.image(tupltype, w, h, seed=depth)
                rc, report, log, out = self.run_probe('invert', image)
                self.assertEqual(rc, 0, self.last_stdout)
                self.assertEqual(report['advanceState.1.inRect'], '0,0,%d,%d' % (h, w))
                self.assertEqual(report['advanceState.1.inPlanes'], '0,%d' % (depth - 1))
                self.assertEqual(report['outData.isHostBuffer'], '1')
                self.assertEqual(report['after.start.outRect'], '0,0,0,0')
                self.assertEqual(log['filterCase'], '4' if tupltype.endswith('_ALPHA') else '1')
                self.assertEqual(log['imageMode'], {'G': '1', 'R': '3', 'C': '4'}[tupltype[0]])
                self.assertEqual(log['planes'], str(depth))
                ow, oh, od, ot, odata = harness.read_pam(out)
                self.assertEqual((ow, oh, od, ot), (w, h, depth, tupltype))
                self.assertEqual(odata, inverted(data, depth, COLOUR_PLANES[tupltype]))

    def test_pgm_and_ppm_are_written_back_in_their_own_format(self):
        for depth in (1, 3):
            with self.subTest(depth=depth):
                image = self.path('in.pnm')
                data = random_pixels(5 * 3 * depth, depth)
                harness.write_pnm(image, 5, 3, data)
                rc, _, _, out = self.run_probe('invert', image)
                self.assertEqual(rc, 0)
                with open(out, 'rb') as f:
                    self.assertEqual(f.read(2), b'P5' if depth == 1 else b'P6')
                self.assertEqual(harness.read_pam(out)[4], inverted(data, depth, depth))

    def test_filter_rect_limits_the_request_and_the_write_back(self):
        w, h = 8, 6
        image, data = self.image('RGB', w, h)
        rc, report, _, out = self.run_probe('invert', image, '--filter-rect', '2,1,5,4')  # L,T,R,B
        self.assertEqual(rc, 0)
        self.assertEqual(report['advanceState.1.outRect'], '1,2,4,5')
        want = bytearray(data)
        for y in range(1, 4):
            for x in range(2, 5):
                for c in range(3):
                    want[(y * w + x) * 3 + c] = 255 - data[(y * w + x) * 3 + c]
        self.assertEqual(harness.read_pam(out)[4], bytes(want))

    def test_mask_is_delivered_and_sets_the_filter_case(self):
        w, h = 6, 4
        mask_data = bytes((x * 40 + y) % 256 for y in range(h) for x in range(w))
        mask = self.path('mask.pgm')
        harness.write_pnm(mask, w, h, mask_data)
        image, _ = self.image('RGB', w, h)
        rc, report, log, out = self.run_probe('mask', image, '--mask', self.env.win_path(mask))
        self.assertEqual(rc, 0)
        self.assertEqual((log['haveMask'], log['filterCase'], log['maskData.null']), ('1', '2', '0'))
        self.assertEqual(report['advanceState.1.maskRect'], '0,0,%d,%d' % (h, w))
        self.assertEqual(harness.read_pam(out)[4], bytes(b for b in mask_data for _ in range(3)))

        alpha, _ = self.image('RGB_ALPHA', w, h)
        _, _, log, _ = self.run_probe('invert', alpha, '--mask', self.env.win_path(mask))
        self.assertEqual(log['filterCase'], '5')
        _, _, log, _ = self.run_probe('invert', image, '--floating')
        self.assertEqual((log['filterCase'], log['isFloating']), ('3', '1'))

        small = self.path('small.pgm')
        harness.write_pnm(small, w - 1, h, bytes((w - 1) * h))
        rc, _, _, _ = self.run_probe('mask', image, '--mask', self.env.win_path(small))
        self.assertEqual(rc, 1)

    def test_padding_outside_the_image(self):
        w, h, pad = 5, 3, 2
        image, data = self.image('GRAYSCALE_ALPHA', w, h)

        def expected(rule):
            out = bytearray()
            for y in range(-pad, h + pad):
                for x in range(-pad, w + pad):
                    inside = 0 <= x < w and 0 <= y < h
                    cx, cy = min(max(x, 0), w - 1), min(max(y, 0), h - 1)
                    for c in range(2):
                        out.append(data[(cy * w + cx) * 2 + c] if inside or rule == -1 else rule)
            return bytes(out)

        for rule in (-1, 0, 77, 255):
            with self.subTest(padding=rule):
                dump = self.path('in.bin')
                rc, report, log, out = self.run_probe('pad', image, env_extra={
                    'PROBE_PAD': str(pad), 'PROBE_PADDING': str(rule), 'PROBE_DUMP_IN': self.env.win_path(dump)})
                self.assertEqual((rc, log['advanceState']), (0, '0'))
                self.assertEqual(report['advanceState.1.inRect'], '%d,%d,%d,%d' % (-pad, -pad, h + pad, w + pad))
                self.assertEqual(log['inRowBytes'], str((w + 2 * pad) * 2))
                with open(dump, 'rb') as f:
                    self.assertEqual(f.read(), expected(rule))
                self.assertEqual(harness.read_pam(out)[4], data)

        for rule in (-3, 256, -4):
            with self.subTest(padding=rule):
                rc, report, log, out = self.run_probe('pad', image, env_extra={'PROBE_PADDING': str(rule)})
                self.assertEqual((rc, log['advanceState'], report['result.start']), (0, str(BAD_PARAMETERS), str(BAD_PARAMETERS)))
                self.assertIn('advanceState.1.error', report)
                self.assertEqual(report['image.filtered'], '0')

    def test_start_error_leaves_the_image_and_stops_the_selectors(self):
        image, data = self.image('CMYK')
        rc, report, log, out = self.run_probe('result', image, env_extra={'PROBE_RESULT': '-128'})
        self.assertEqual(rc, 0)
        self.assertEqual(report['result.start'], '-128')
        self.assertEqual(report['stopped.after'], 'start')
        self.assertNotIn('result.finish', report)
        self.assertNotIn('5', [v for k, v in log.items() if k == 'selector'])
        self.assertEqual(harness.read_pam(out)[4], data)

    def test_continue_is_called_while_the_plugin_asks_for_rows(self):
        w, h = 4, 5
        image, data = self.image('RGB', w, h)
        rc, report, _, out = self.run_probe('rows', image, '--selectors', 'parameters,prepare,start,continue,finish')
        self.assertEqual(rc, 0)
        self.assertEqual(report['continue.calls'], str(h))
        self.assertEqual(report['result.finish'], '0')
        self.assertEqual(harness.read_pam(out)[4], inverted(data, 3, 3))
        # Nothing pending after Start: Continue is not called.
        _, report, _, _ = self.run_probe('invert', image, '--selectors', 'start,continue')
        self.assertEqual(report['continue.skipped'], '1')
        self.assertNotIn('result.continue', report)

    def test_unsupported_rate_and_forced_advance_state_errors(self):
        image, data = self.image('RGB')
        rc, report, log, _ = self.run_probe('rate', image)
        self.assertEqual((rc, log['advanceState']), (0, str(BAD_PARAMETERS)))
        self.assertEqual(report['advanceState.1.inputRate'], str(0x8000))
        rc, report, log, out = self.run_probe('invert', image, '--advance-state-error', '-108')
        self.assertEqual((rc, log['advanceState'], report['result.start']), (0, '-108', '-108'))
        self.assertEqual(harness.read_pam(out)[4], data)


class Faults(HostTest):
    def test_writes_past_the_buffer_fault_at_once(self):
        image, _ = self.image('RGB', 5, 3)
        for mode, guard in (('overrun', 'back'), ('underrun', 'front')):
            with self.subTest(mode=mode):
                rc, report, log, out = self.run_probe(mode, image, '--guard', guard, timeout=60)
                self.assertEqual(rc, 3, self.last_stdout)
                self.assertEqual(log['touching'], mode)
                self.assertRegex(report['fault'], r'^access violation writing 0x[0-9A-F]{8} at 0x[0-9A-F]{8} \(probe\.8bf\+')
                self.assertNotIn('result.start', report)
                self.assertFalse(os.path.exists(out))

    def test_hung_plugin_is_stopped_by_the_watchdog(self):
        image, _ = self.image('GRAY' 'SCALE')
        rc, report, _, _ = self.run_probe('hang', image, '--timeout-ms', '1500', timeout=40)
        self.assertEqual(rc, 4)
        self.assertEqual(report['timeout'], '1')
        self.assertEqual(report['result.prepare'], '0')
        self.assertNotIn('result.start', report)


class Callbacks(HostTest):
    def test_display_pixels_draws_and_rejects_bad_maps(self):
        # First pixel of each image and the colour it must show as.
        for tupltype, first, shown in (('RGB', b'\x10\x80\xf0', '1080f0'),
                                       ('GRAYSCALE', b'\x5a', '5a5a5a'),
                                       ('CMYK', b'\xff\x80\x00\xc8', 'c86400')):
            with self.subTest(tupltype=tupltype):
                image = self.path('in.pam')
                depth = harness.DEPTHS[tupltype]
                harness.write_pam(image, 4, 4, tupltype, first + random_pixels(15 * depth, 3))
                rc, report, log, _ = self.run_probe('display', image)
                self.assertEqual(rc, 0)
                self.assertEqual((log['display.good'], log['display.badRect'], log['display.badVersion']),
                                 ('0', str(BAD_PARAMETERS), str(BAD_PARAMETERS)))
                self.assertEqual(log['display.pixel00'], shown)
                self.assertEqual((report['displayPixels.calls'], report['displayPixels.errors']), ('3', '2'))

    def test_color_services_converts_between_rgb_and_cmyk(self):
        image, _ = self.image('RGB')
        rc, report, log, _ = self.run_probe('color', image)
        self.assertEqual(rc, 0)
        # Bytes are 255 - ink: K lets 200 through, C none of its light is removed.
        self.assertEqual((log['color.toCmyk.result'], log['color.toCmyk']), ('0', '255,128,64,200'))
        self.assertEqual((log['color.toRgb.result'], log['color.toRgb']), ('0', '200,100,50'))
        self.assertEqual(log['color.shortInfo'], str(BAD_PARAMETERS))
        self.assertEqual(report['colorServices.calls'], '3')

    def test_missing_callbacks_reach_the_plugin_as_null(self):
        image, _ = self.image('RGB')
        for flags, code in (([], 1000), (['--no-advance-state'], 1001), (['--no-display-pixels'], 1002),
                            (['--no-advance-state', '--no-display-pixels'], 1003)):
            with self.subTest(flags=flags):
                rc, report, _, _ = self.run_probe('nulls', image, *flags)
                self.assertEqual((rc, report['result.start']), (0, str(code)))

    def test_parameters_handle_round_trip(self):
        image, _ = self.image('RGB')
        params = self.path('params.bin')
        probe_bytes = b'KXPR\x01\x00\xff\x7f\x80\x10\x20\x30\x42'
        rc, report, log, _ = self.run_probe('params', image, '--params-out', self.env.win_path(params))
        self.assertEqual(rc, 0)
        self.assertEqual((report['parameters.tag'], report['parameters.size']), ('FOTO', str(len(probe_bytes))))
        with open(params, 'rb') as f:
            self.assertEqual(f.read(), probe_bytes)
        self.assertNotIn('params.in', log)

        again = self.path('params2.bin')
        rc, report, log, _ = self.run_probe('params', image, '--params-in', self.env.win_path(params),
                                            '--params-out', self.env.win_path(again))
        self.assertEqual(rc, 0)
        self.assertEqual(log['params.in'], probe_bytes.hex())
        self.assertEqual((report['parameters.tag'], report['parameters.size']), ('host', str(len(probe_bytes))))
        with open(again, 'rb') as f:
            self.assertEqual(f.read(), probe_bytes)

        rc, report, _, _ = self.run_probe('invert', image)
        self.assertEqual(report['parameters.tag'], 'none')
        self.assertNotIn('parameters.size', report)

    def test_message_boxes_are_recorded_and_answered(self):
        image, _ = self.image('RGB')
        # A yes/no box has no OK button: the default answer falls back to No.
        for answer, returned in (('yes', '6'), ('no', '7'), (None, '7')):
            with self.subTest(answer=answer):
                extra = ['--answer-messagebox', answer] if answer else []
                rc, report, log, _ = self.run_probe('msgbox', image, *extra, timeout=60)
                self.assertEqual(rc, 0)
                self.assertEqual(report['messagebox.count'], '1')
                self.assertEqual(report['messagebox.1.caption'], 'Probe caption')
                self.assertEqual(report['messagebox.1.text'], 'Probe says hello\\nsecond line')
                self.assertEqual(log['msgbox.ret'], returned)

    def test_about_gets_an_about_record_with_the_main_window(self):
        image, _ = self.image('RGB')
        rc, report, log, _ = self.run_probe('invert', image, '--selectors', 'about')
        self.assertEqual(rc, 0)
        self.assertEqual(log['about.isWindow'], '1')
        self.assertNotIn('data', log, 'About must not count as a filtering call')
        self.assertEqual((report['result.about'], report['messagebox.1.caption']), ('0', 'About Probe'))
        self.assertEqual(report['messagebox.1.answer'], 'ok')


class CommandLine(HostTest):
    def test_selectors_by_number_and_bad_arguments(self):
        image, _ = self.image('RGB')
        rc, report, log, _ = self.run_probe('invert', image, '--selectors', '6,-1,prepare')
        self.assertEqual(rc, 0)
        self.assertEqual((report['result.selector6'], report['result.selector-1'], report['result.prepare']), ('0', '0', '0'))
        self.assertEqual([v for k, v in log.items() if k == 'selector'], ['2'])  # dict keeps the last
        for args in (['run', '--plugin', 'x.8bf'], ['run', '--image', 'x.pam'], ['frobnicate'],
                     ['run', '--plugin', 'x', '--image', 'y', '--selectors', 'start,bogus'],
                     ['run', '--plugin', 'x', '--image', 'y', '--guard', 'middle']):
            with self.subTest(args=args):
                rc, _, _ = self.env.run_host(args)
                self.assertEqual(rc, 1)
        rc, report, _, _ = self.run_probe('invert', image, '--filter-rect', '0,0,99,2')
        self.assertEqual(rc, 1)


if __name__ == '__main__':
    unittest.main()
