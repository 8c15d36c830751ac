"""Scripted dialog driving (host.exe run --script) against the probe's dialog mode:
clicks, text, real keys and mouse, message box answers, reads, window commands,
screenshots, tablet commands, and how a failing script ends the dialog."""
import os
import struct
import sys
import unittest
import zlib

import harness

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import test_host  # noqa: E402


def png_info(path):
    """(width, height, distinct RGB colours) of a PNG written by the host (8-bit RGB)."""
    with open(path, 'rb') as f:
        data = f.read()
    assert data[:8] == b'\x89PNG\r\n\x1a\n', 'not a PNG'
    pos, idat, w, h = 8, b'', 0, 0
    while pos < len(data):
        n, kind = struct.unpack('>I4s', data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + n]
        assert zlib.crc32(kind + body) == struct.unpack('>I', data[pos + 8 + n:pos + 12 + n])[0], kind
        if kind == b'IHDR':
            w, h, depth, colour = struct.unpack('>IIBB', body[:10])
            assert (depth, colour) == (8, 2), (depth, colour)
        elif kind == b'IDAT':
            idat += body
        pos += 12 + n
    raw = zlib.decompress(idat)
    stride = 1 + 3 * w
    assert len(raw) == stride * h
    colours = set()
    for y in range(0, h, 3):
        row = raw[y * stride + 1:(y + 1) * stride]
        colours.update(row[i:i + 3] for i in range(0, len(row), 9))
    return w, h, len(colours)


def size_of(rect):
    l, t, r, b = map(int, rect.split(','))
    return r - l, b - t


class DriverTest(test_host.HostTest):
    def drive(self, script, mode='dialog', dll_overrides=None):
        """Runs the probe with a script; returns (rc, report, probe log, script log text)."""
        image, _ = self.image('RGB', 6, 4)
        path, log, probe_log = self.path('driver.script'), self.path('driver.log'), self.path('probe.log')
        with open(path, 'w') as f:
            f.write(script)
        rc, report, _ = self.env.run_host(
            ['run', '--plugin', self.env.win_path(self.probe), '--image', self.env.win_path(image),
             '--script', self.env.win_path(path), '--script-log', self.env.win_path(log), '--timeout-ms', '30000'],
            timeout=60, env_extra={'PROBE_MODE': mode, 'PROBE_LOG': self.env.win_path(probe_log)},
            dll_overrides=dll_overrides)
        probe = {}
        if os.path.exists(probe_log):
            with open(probe_log) as f:
                probe = harness.parse_report(f.read())
        text = ''
        if os.path.exists(log):
            with open(log) as f:
                text = f.read()
        return rc, report, probe, text

    def assertScriptOk(self, rc, report, log):
        self.assertEqual(rc, 0, log)
        self.assertEqual(report.get('script.result'), 'ok', log)
        self.assertNotIn('script.error', report)


class Text(DriverTest):
    def test_settext_raises_en_change_and_type_sends_keystrokes(self):
        rc, report, probe, log = self.drive(
            'wait-dialog\n'
            '# WM_SETTEXT: one EN_CHANGE\n'
            'settext 12 hello  world\n'
            'read 12\n'
            '\n'
            'type 12 Ab 9!\n'
            'read 12\n'
            'settext 12\n'
            'read 12\n'
            'type 12 q\n'
            'click 1\n')
        self.assertScriptOk(rc, report, log)
        self.assertEqual(report['script.4.text'], 'hello  world', 'blanks inside the text are kept')
        # The control gets the focus with its text selected, so typing replaces it.
        self.assertEqual(report['script.7.text'], 'Ab 9!')
        self.assertEqual(report['script.9.text'], '')
        self.assertEqual(probe['dialog.edit'], 'q')
        self.assertEqual(probe['dialog.edit.changes'], '8', '1 + 5 characters + 1 + 1')
        self.assertEqual(probe['dialog.result'], '1')
        self.assertEqual(report['result.start'], '0')
        self.assertEqual(report['script.11.dialog'], 'closed')
        self.assertEqual(report['script.commands'], '9', 'comments and blank lines are no commands')
        self.assertIn('line 4: read 12 -> ok\n  text=hello  world\n', log)


class MessageBoxes(DriverTest):
    def test_queued_answers_then_default_and_expect(self):
        rc, report, probe, log = self.drive(
            'wait-dialog\n'
            'answer yes\n'
            'click 30\n'
            'read 40\n'
            'answer no\n'
            'click 30\n'
            'read 40\n'
            'expect-messagebox\n'
            'click 30\n'
            'read 40\n'
            'click 1\n')
        self.assertScriptOk(rc, report, log)
        self.assertEqual((report['script.4.text'], report['script.7.text']), ('yes', 'no'))
        self.assertEqual(report['script.3.messagebox'], 'Keep the changes?')
        self.assertEqual(report['messagebox.count'], '3')
        self.assertEqual([report['messagebox.%d.answer' % i] for i in (1, 2, 3)], ['yes', 'no', 'button7'],
                         'an answer is used once; then the host default (ok, so the box\'s No)')
        self.assertEqual(report['messagebox.1.caption'], 'Kestrix')
        # expect-messagebox takes the newest box shown since the last one.
        self.assertEqual((report['script.8.caption'], report['script.8.answer']), ('Kestrix', 'no'))
        self.assertEqual(report['script.10.text'], 'no')
        self.assertEqual(probe['dialog.answer'], 'no')

    def test_expect_without_a_new_box_fails_and_cancels_the_dialog(self):
        rc, report, probe, log = self.drive(
            'wait-dialog\nclick 30\nexpect-messagebox\nexpect-messagebox timeout=300\nclick 1\n')
        self.assertEqual(rc, 0, log)
        self.assertEqual(report['script.error'], 'line 4: no message box within 300 ms')
        self.assertEqual(report['script.result'], 'error')
        self.assertEqual(report['script.commands'], '4', 'line 5 never ran')
        self.assertEqual(probe['dialog.result'], '2', 'ended with IDCANCEL')
        self.assertEqual(report['result.start'], '-128')


class Keys(DriverTest):
    def test_keys_reach_the_dialogs_keyboard_hook(self):
        rc, report, probe, log = self.drive(
            'wait-dialog\n'
            'key press z\n'
            'read 41\n'
            'key press alt\n'
            'key down ctrl\n'
            'key press space\n'
            'key up ctrl\n'
            'key repeat z 3\n'
            'key press vk=0x5A\n'
            'read 41\n'
            'click 1\n')
        self.assertScriptOk(rc, report, log)
        self.assertEqual(report['script.3.text'], 'key z-')
        self.assertEqual(report['script.10.text'], 'key z-')
        # Bit 30 marks the auto-repeated downs; the driver's own sync key never shows.
        self.assertEqual(probe['dialog.keys'].split(),
                         ['z+', 'z-', 'alt+', 'alt-', 'ctrl+', 'space+', 'space-', 'ctrl-',
                          'z+', 'z+r', 'z+r', 'z-', 'z+', 'z-'])
        self.assertEqual(probe['dialog.result'], '1', 'Alt alone left no menu loop behind')


class Mouse(DriverTest):
    def test_drag_and_single_events_in_client_coordinates(self):
        rc, report, probe, log = self.drive(
            'wait-dialog\n'
            'mouse move 5 5\n'
            'mouse down 5 6\n'
            'read 42\n'
            'mouse move 30 40\n'
            'mouse up 31 41\n'
            'read 42\n'
            'drag 10 20 60 50 steps=4\n'
            'read 42\n'
            'drag 0 0 3 3 in=1012 steps=1\n'
            'click 1\n')
        self.assertScriptOk(rc, report, log)
        # (Under Wine each absolute move also comes back as a second WM_MOUSEMOVE from
        # the X pointer warp, so move counts are lower bounds.)
        self.assertTrue(report['script.4.text'].startswith('down 1 move '), report['script.4.text'])
        self.assertTrue(report['script.4.text'].endswith(' up 0 at 5,6'))
        self.assertTrue(report['script.7.text'].startswith('down 1 move '), report['script.7.text'])
        self.assertTrue(report['script.7.text'].endswith(' up 1 at 31,41'))
        down, moves, up = map(int, report['script.9.text'].split()[1:6:2])
        self.assertEqual((down, up), (2, 2))
        self.assertGreaterEqual(moves, 1 + 4, 'captured moves of both drags')
        self.assertTrue(report['script.9.text'].endswith(' at 60,50'))
        self.assertEqual((probe['dialog.mouse.down'], probe['dialog.mouse.up']), ('0,0', '3,3'))
        self.assertFalse([k for k in report if k.endswith('.cursor')], 'the pointer landed where asked')


class Reads(DriverTest):
    def test_controls_preview_and_window(self):
        rc, report, probe, log = self.drive(
            'wait-dialog\n'
            'trackbar 1006\n'
            'scroll 1015\n'
            'scroll 1013\n'
            'preview\n'
            'read 1012\n'
            'click 1001\n'
            'read 1001\n'
            'read 40\n'
            'move 10 20 410 330\n'
            'window\n'
            'maximize\n'
            'window\n'
            'restore\n'
            'window\n'
            'click 1\n')
        self.assertScriptOk(rc, report, log)
        self.assertEqual((report['script.2.pos'], report['script.2.range']), ('37', '1,99'))
        self.assertEqual([report['script.3.' + k] for k in ('pos', 'min', 'max', 'page', 'enabled')],
                         ['65600', '0', '70000', '1000', '1'], 'positions past 16 bits')
        self.assertEqual((report['script.4.pos'], report['script.4.enabled']), ('12', '0'))
        self.assertEqual([report['script.5.' + k] for k in ('zoom', 'hpos', 'vpos')], ['0.0625', '65600', '12'])
        cw, ch = map(int, report['script.5.client'].split(','))
        ww, wh = size_of(report['script.6.rect'])
        self.assertGreater(cw, 100)
        self.assertEqual(ww - cw, wh - ch, 'the same border all round')
        self.assertIn(ww - cw, (2, 4), 'client inside the border')
        self.assertEqual((report['script.8.checked'], report['script.8.text']), ('1', 'Option'))
        self.assertEqual((report['script.9.text'], report['script.9.visible'], report['script.9.enabled']), ('', '1', '1'))
        self.assertNotIn('script.9.checked', report, 'a static has no check state')
        self.assertEqual(probe['dialog.checked'], '1')
        self.assertEqual((report['script.11.rect'], report['script.11.maximized']), ('10,20,410,330', '0'))
        self.assertEqual(report['script.13.maximized'], '1')
        self.assertEqual(report['script.13.client'].split(',')[0], '1280', 'the whole Xvfb screen wide')
        self.assertEqual(report['script.15.rect'], '10,20,410,330', 'restored to where it was moved')


class Screenshots(DriverTest):
    def test_dialog_and_preview_pictures(self):
        shot, preview = self.path('dialog.png'), self.path('preview.png')
        rc, report, _, log = self.drive(
            'wait-dialog\nwindow\nread 1012\nscreenshot %s\nscreenshot %s of=preview\nclick 1\n'
            % (self.env.win_path(shot), self.env.win_path(preview)))
        self.assertScriptOk(rc, report, log)
        w, h, colours = png_info(shot)
        self.assertEqual((w, h), size_of(report['script.2.rect']))
        self.assertEqual(report['script.4.size'], '%d,%d' % (w, h))
        self.assertGreater(colours, 3, 'a real picture, not one flat colour')
        w, h, colours = png_info(preview)
        self.assertEqual((w, h), size_of(report['script.3.rect']))
        self.assertGreater(colours, 3)


class Failures(DriverTest):
    def test_failed_commands_end_the_dialog_with_cancel(self):
        cases = [
            ('wait-dialog class=Nope timeout=400\nclick 1\n', 'line 1: no visible Nope window within 400 ms'),
            ('wait-dialog\nclick 999\nclick 1\n', 'line 2: no control 999 in the dialog'),
        ]
        for script, error in cases:
            with self.subTest(error=error):
                rc, report, probe, log = self.drive(script)
                self.assertEqual(rc, 0, log)
                self.assertEqual(report['script.error'], error)
                self.assertEqual(probe['dialog.result'], '2')
                self.assertEqual(report['result.start'], '-128')

    def test_sysclose_and_commands_after_the_dialog_closed(self):
        rc, report, probe, log = self.drive('wait-dialog\nsysclose\nread 12\n')
        self.assertEqual(report['script.2.dialog'], 'closed')
        self.assertEqual(report['script.error'], 'line 3: no dialog (wait-dialog first, or it has closed)')
        self.assertEqual(probe['dialog.result'], '2')

    def test_plugin_without_a_dialog_fails_wait_dialog_early(self):
        rc, report, _, log = self.drive('wait-dialog timeout=20000\n', mode='invert')
        self.assertEqual(rc, 0, log)
        self.assertEqual(report['script.error'], 'line 1: the plug-in finished without showing a DlgWndClass window')
        self.assertEqual(report['image.filtered'], '1')

    def test_bad_scripts_are_refused_before_the_run(self):
        for script, why in [('frob 1\n', "line 1: unknown command 'frob'"),
                            ('# c\n\nkey press banana\n', "line 3: unknown key 'banana'"),
                            ('click\n', 'line 1: click wants 1 argument(s), got 0'),
                            ('mouse move 1 y\n', "line 1: 'y' is not a number")]:
            with self.subTest(script=script):
                rc, report, probe, _ = self.drive(script)
                self.assertEqual(rc, 1)
                self.assertIn(why, self.env.last_stderr)
                self.assertEqual(probe, {}, 'the plug-in was never called')


class Tablet(DriverTest):
    def test_without_the_virtual_tablet_the_command_fails_cleanly(self):
        rc, report, _, log = self.drive('tablet origin screen\n', mode='invert', dll_overrides='wintab32=b')
        self.assertScriptOk(rc, report, log)
        self.assertEqual(report['script.1.ok'], '0')
        self.assertEqual(report['script.1.why'], 'wintab32.dll has no KxTabletCommand')

    def test_commands_reach_the_virtual_tablet(self):
        dll = os.path.join(harness.build_dir(), 'wintab32.dll')
        if not os.path.exists(dll):
            self.skipTest('wintab32.dll not built')
        rc, report, _, log = self.drive('tablet origin screen\ntablet frobnicate now\n', mode='invert',
                                        dll_overrides='wintab32=n')
        self.assertScriptOk(rc, report, log)
        self.assertEqual((report['script.1.ok'], report['script.2.ok']), ('1', '0'))


if __name__ == '__main__':
    unittest.main()
