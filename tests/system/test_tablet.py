"""The virtual tablet driver (build/win32/wintab32.dll) driven by tablet_probe.exe under
Wine: device answers from the configuration, context and queue negotiation, messages and
serials, WTPacket/WTPacketsGet queue semantics, scripted replay and the call log."""
import os
import re
import shutil
import sys
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
import harness  # noqa: E402
from peres import PeImage  # noqa: E402

ORDINALS = {20: 'WTInfoA', 21: 'WTOpenA', 22: 'WTClose', 23: 'WTPacketsGet', 24: 'WTPacket',
            40: 'WTEnable', 41: 'WTOverlap', 84: 'WTQueueSizeGet', 85: 'WTQueueSizeSet'}


def built(name):
    path = os.path.join(harness.build_dir(), name)
    if not os.path.exists(path):
        raise unittest.SkipTest('%s not built (run cmake --build --preset win32)' % path)
    return path


class Exports(unittest.TestCase):
    def test_ordinals_name_the_right_functions(self):
        with open(built('wintab32.dll'), 'rb') as f:
            exports = PeImage(f.read()).exports()
        for ordinal, name in ORDINALS.items():
            self.assertEqual(exports.get(ordinal), name)
        self.assertIn('KxTabletCommand', exports.values())
        self.assertFalse([n for n in exports.values() if n and '@' in n], 'decorated names leaked')


def packets(lines):
    """'pk ...' lines as dicts of ints."""
    return [{k: int(v) for k, v in re.findall(r'(\w+)=(-?\d+)', l)} for l in lines if l.startswith('pk ')]


class TabletUnderWine(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        dll, probe = built('wintab32.dll'), built('tablet_probe.exe')
        cls.env = harness.env()
        # The DLL sits beside the exe and is forced native, so Wine's own wintab32
        # never answers in its place.
        cls.dir = cls.env.temp_path('tablet')
        os.makedirs(cls.dir)
        shutil.copy(dll, cls.dir)
        shutil.copy(probe, cls.dir)

    def probe(self, actions, config='', script=None):
        cfg_path = self.env.temp_path('tablet.cfg')
        log_path = self.env.temp_path('tablet.log')
        with open(cfg_path, 'w') as f:
            f.write('log=%s\n%s' % (self.env.win_path(log_path), config))
        extra = {'KX_TABLET_CONFIG': self.env.win_path(cfg_path)}
        if script is not None:
            script_path = self.env.temp_path('tablet.script')
            with open(script_path, 'w') as f:
                f.write(script)
            extra['KX_TABLET_SCRIPT'] = self.env.win_path(script_path)
        exe = os.path.join(self.dir, 'tablet_probe.exe')
        r = self.env.run_wine([exe, self.env.win_path(os.path.join(self.dir, 'wintab32.dll'))] + actions,
                              timeout=60, env_extra=extra, dll_overrides='wintab32=n')
        self.assertEqual(r.returncode, 0, r.stdout + r.stderr)
        log = ''
        if os.path.exists(log_path):
            with open(log_path) as f:
                log = f.read()
        return r.stdout.splitlines(), log

    def line(self, lines, prefix):
        found = [l for l in lines if l.startswith(prefix)]
        self.assertTrue(found, 'no "%s" line in %s' % (prefix, lines))
        return found[0]

    # --- device answers -------------------------------------------------------------
    def test_device_info_defaults(self):
        out, _ = self.probe(['ordinals', 'info'])
        self.assertEqual([l for l in out if l.startswith('ordinal')],
                         ['ordinal %d ok' % o for o in ORDINALS])
        self.assertEqual(self.line(out, 'info size='), 'info size=172')
        self.assertEqual(self.line(out, 'info npressure'), 'info npressure=16 0..1023')
        self.assertEqual(self.line(out, 'info tpressure'), 'info tpressure=16 0..1023')
        self.assertEqual(self.line(out, 'info orientation'),
                         'info orientation=48 need=48 az=0..3599 res=10 alt=-900..900')
        self.assertEqual([l for l in out if l.startswith('info cursor')],
                         ['info cursor0 type=0x0802 name=Pressure Stylus', 'info cursor1 type=0x080a name=Eraser'])
        self.assertEqual(self.line(out, 'info sysctx'),
                         'info sysctx=172 name=System options=0x1 btndn=0xffffffff msgbase=0x7ff0')
        self.assertEqual(self.line(out, 'info unknown'), 'info unknown=0')

    def test_names_and_ordinals_reach_the_same_functions(self):
        # 32-bit modules resolve the driver by ordinal, 64-bit ones by name.
        out, _ = self.probe(['names'])
        self.assertEqual([l for l in out if l.startswith('name ')], ['name %s ok' % n for n in ORDINALS.values()])

    def test_device_info_follows_config(self):
        out, _ = self.probe(['info'], 'pressure_max=2047\nwheel_max=0\norientation=0\n'
                                      'cursors=airbrush,puck,pen\n')
        self.assertEqual(self.line(out, 'info npressure'), 'info npressure=16 0..2047')
        self.assertEqual(self.line(out, 'info tpressure'), 'info tpressure=0 0..0', 'no wheel axis')
        self.assertTrue(self.line(out, 'info orientation').startswith('info orientation=0 need=0 '))
        self.assertEqual([l.split()[2] for l in out if l.startswith('info cursor')],
                         ['type=0x0902', 'type=0x0006', 'type=0x0802'])
        out, _ = self.probe(['info'], 'azimuth_resolution=0\n')
        self.assertIn(' res=0 ', self.line(out, 'info orientation'))

    # --- contexts and queue sizes -------------------------------------------------------
    def test_queue_negotiation_and_refusals(self):
        out, log = self.probe(['open'], 'refuse_queue_sizes=40,35,30,25,20,15,10\n')
        self.assertEqual([l for l in out if l.startswith('queue_set')],
                         ['queue_set %d 0' % n for n in range(40, 5, -5)] + ['queue_set 5 1'])
        self.assertEqual(self.line(out, 'queue_size'), 'queue_size 5')
        self.assertIn('WTQueueSizeSet 40 -> 0\n', log)
        self.assertIn('WTQueueSizeSet 5 -> 1\n', log)

        out, _ = self.probe(['open'], 'refuse_queue_sizes=all\ndefault_queue=12\n')
        self.assertEqual(len([l for l in out if l.startswith('queue_set') and l.endswith(' 0')]), 8)
        self.assertEqual(self.line(out, 'queue_size'), 'queue_size 12', 'the default queue stays')

        out, log = self.probe(['open', 'cmd', 'packet x=1'], 'refuse_open=1\n')
        self.assertTrue(self.line(out, 'open ').startswith('open null'))
        self.assertEqual(self.line(out, 'cmd '), 'cmd packet x=1 -> 0', 'no context to queue on')
        self.assertIn('-> null', log)

    def test_log_records_the_plugin_context(self):
        out, log = self.probe(['open', 'close'])
        self.assertEqual(self.line(out, 'queue_set'), 'queue_set 40 1')
        m = re.search(r'^WTOpenA name="Kestrix Warper [0-9a-f]+" options=0x000d pktdata=0x1de0 pktmode=0x0 '
                      r'movemask=0x1de0 btnup=0xffffffff out=0,0,(\d+),-(\d+) enable=1 -> ok$', log, re.M)
        self.assertTrue(m, log)
        self.assertEqual(m.group(1), '1280')  # the harness' Xvfb screen
        self.assertIn('WTClose -> 1\n', log)

    # --- packets, messages and queue semantics ----------------------------------------------
    def test_messages_carry_serials_and_wtpacket_discards_older(self):
        out, _ = self.probe(['open',
                             'cmd', 'packet x=100 y=200 p=500 w=40 b=1 alt=600 az=1200',
                             'cmd', 'cursor 1',
                             'cmd', 'packet x=101',
                             'pump', '300',
                             'wtpacket', '2', 'get', '10'], 'system_mouse=0\n')
        self.assertEqual([l for l in out if l.startswith('msg')],
                         ['msg packet serial=1 ctx=ours', 'msg csrchange serial=2 ctx=ours',
                          'msg packet serial=3 ctx=ours'])
        self.assertEqual(self.line(out, 'wtpacket'), 'wtpacket 2 -> 1')
        pk = packets(out)
        # Serial 2 is the cursor change: the eraser end (negative altitude), fields kept.
        self.assertEqual(pk[0], {'cursor': 1, 'buttons': 1, 'x': 100, 'y': 200, 'p': 500, 'w': 40,
                                 'az': 1200, 'alt': -600, 'twist': 0})
        self.assertEqual(self.line(out, 'get'), 'get 10 -> 1', 'serial 1 went with serial 2')
        self.assertEqual((pk[1]['x'], pk[1]['y'], pk[1]['cursor']), (101, 200, 1))

    def test_unknown_serial_leaves_the_queue(self):
        out, _ = self.probe(['open', 'cmd', 'packet x=1 post=0', 'cmd', 'packet x=2 post=0',
                             'wtpacket', '7', 'pump', '100', 'get', '10'], 'system_mouse=0\n')
        self.assertEqual(self.line(out, 'wtpacket'), 'wtpacket 7 -> 0')
        self.assertEqual([l for l in out if l.startswith('msg')], [], 'post=0 posts nothing')
        self.assertEqual([p['x'] for p in packets(out)], [1, 2])

    def test_overflow_keeps_the_newest_packets(self):
        cmds = []
        for x in range(1, 8):
            cmds += ['cmd', 'packet x=%d post=0' % x]
        out, _ = self.probe(['open'] + cmds + ['get', '3', 'get', '10'],
                            'refuse_queue_sizes=all\ndefault_queue=4\nsystem_mouse=0\n')
        self.assertEqual(self.line(out, 'queue_size'), 'queue_size 4')
        self.assertEqual([l for l in out if l.startswith('get')], ['get 3 -> 3', 'get 10 -> 1'])
        self.assertEqual([p['x'] for p in packets(out)], [4, 5, 6, 7])

    def test_burst_posts_only_its_last_packet(self):
        out, _ = self.probe(['open', 'cmd', 'packet x=9', 'cmd', 'burst 5 x=30 p=100', 'pump', '300',
                             'wtpacket', '6', 'get', '10'], 'system_mouse=0\n')
        self.assertEqual([l for l in out if l.startswith('msg')],
                         ['msg packet serial=1 ctx=ours', 'msg packet serial=6 ctx=ours'])
        self.assertEqual(self.line(out, 'get'), 'get 10 -> 0', 'WTPacket 6 drained the burst')

    def test_bad_commands_fail_and_are_logged(self):
        out, log = self.probe(['open', 'cmd', 'packet q=1', 'cmd', 'cursor', 'cmd', 'frobnicate',
                               'cmd', 'burst 0', 'cmd', 'packet x=abc', 'get', '10'], 'system_mouse=0\n')
        self.assertEqual([l.rsplit(' ', 1)[1] for l in out if l.startswith('cmd')], ['0'] * 5)
        self.assertEqual(self.line(out, 'get'), 'get 10 -> 0', 'nothing queued by a bad command')
        self.assertIn('unknown packet field "q"', log)
        self.assertIn('unknown command "frobnicate"', log)

    def test_client_origin(self):
        out, _ = self.probe(['open', 'cmd', 'origin client', 'cmd', 'packet x=3 y=4 post=0',
                             'cmd', 'origin screen', 'cmd', 'packet x=3 y=4 post=0', 'get', '10'],
                            'system_mouse=0\n')
        ox, oy = map(int, re.search(r'client_origin=(-?\d+),(-?\d+)', self.line(out, 'open ')).groups())
        self.assertNotEqual((ox, oy), (0, 0))
        pk = packets(out)
        self.assertEqual([(p['x'], p['y']) for p in pk], [(ox + 3, oy + 4), (3, 4)])

    def test_tip_presses_the_left_button_of_a_system_context(self):
        out, _ = self.probe(['open', 'cmd', 'origin client',
                             'cmd', 'packet x=20 y=30 p=0 b=0', 'cmd', 'packet x=21 y=31 p=400 b=1',
                             'cmd', 'packet x=25 y=33 p=0 b=0', 'pump', '500'])
        clicks = [l for l in out if l.startswith('msg l')]
        self.assertEqual(clicks, ['msg lbuttondown x=21 y=31', 'msg lbuttonup x=25 y=33'])
        out, _ = self.probe(['open', 'cmd', 'origin client', 'cmd', 'packet x=21 y=31 p=400 b=1',
                             'cmd', 'packet b=0', 'pump', '300'], 'system_mouse=0\n')
        self.assertEqual([l for l in out if l.startswith('msg l')], [])

    def test_script_replays_after_open(self):
        script = 'delay 100\n# a hover, then the eraser\npacket x=5 y=6 p=0\nwait 50\ncursor 1\n'
        out, log = self.probe(['open', 'pump', '1500', 'get', '10'], 'system_mouse=0\n', script)
        self.assertEqual([l for l in out if l.startswith('msg')],
                         ['msg packet serial=1 ctx=ours', 'msg csrchange serial=2 ctx=ours'])
        self.assertEqual([(p['x'], p['cursor']) for p in packets(out)], [(5, 0), (5, 1)])
        self.assertIn('script done', log)


if __name__ == '__main__':
    unittest.main()
