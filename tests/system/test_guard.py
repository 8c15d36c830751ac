"""The largest brush at the strongest setting at every border and corner, with the host's
buffers placed against no-access pages (behind them, then in front): any step outside an
image, mask or work buffer faults at once. Each run must end cleanly and paint as its
native replay."""
import unittest

import harness
from dialog_session import REPLAY, DialogRun, Script, pen_stroke, preview_frame, replay, run_with_logs, wait_dialog

W, H = 37, 29
# The strongest setting of each module, fixed so the pen's pressure cannot lower it.
STRONGEST = {
    'spotclean': ('Kestrix.ini', '[Spotclean]\nBrush Size=99\nPressure Size=2\nAmount=15\nPressure Amount=2\nBuildup=1\n'),
    'dustclean': ('vorla.ini', '[Dustclean]\nBrush Size=99\nPressure Size=2\nRadius=16\nLevel=1\nBuildup=1\n'),
    'airbrush': ('Kestrix.ini', '[Spray Studio]\nBrush Size=99\nPressure Size=2\nInk Flow=100\n'
                                'Pressure Ink Flow=2\nSplatter Size=99\n'),
    'warper': ('Kestrix.ini', '[Warper]\nBrush Size=99\nPressure Size=2\nDistortion=100\nPressure Distort=2\n'),
    # Its keys are crossed: "Pressure Amount" holds the brush size, "Brush Size" the
    # amount source. Gaussian per channel with buildup.
    'grainwash': ('Kestrix.ini', '[Grain Wash]\nPressure Amount=99\nPressure Size=2\nAmount=99\n'
                                 'Brush Size=2\nBuildup=1\nMonochromatic=0\nUniform=0\n'),
    'chisel': ('Kestrix.ini', '[Relief Carver]\nPressure Groove=0\nGroove Size=99\nTip Size=99\nTip Depth=99\n'
                              'Tip Sharpness=-100\nIntensity=10\nLight Source=7\n'),
    'texturer': ('Kestrix.ini', '[Texturer]\nBrush Size=99\nPressure Size=2\nOpacity=100\nPressure Opacity=2\n'
                                'Texture=0\nScale=150\n'),
    'gilder': ('Kestrix.ini', '[Gilder]\nBrush Size=99\nPressure Size=3\nTexture=2\nScale=150\n'),
}
# Settings tried one after the other on top of the strongest ones (each a run of its own).
VARIANTS = {'airbrush': ('Splatter Brush=0\n', 'Splatter Brush=1\n')}
# The pen held before the strokes: airbrush's widest footprint comes at full tilt.
PEN = {'airbrush': ['tablet packet alt=300 az=450 post=0']}
KINDS = ('GRAYSCALE', 'RGB_ALPHA', 'CMYK_ALPHA')
# Image modes a module's PiPL leaves out are never handed to it.
COLOUR_ONLY = ('RGB', 'RGB_ALPHA', 'CMYK_ALPHA')
MODULE_KINDS = {'airbrush': COLOUR_ONLY, 'warper': COLOUR_ONLY, 'chisel': COLOUR_ONLY,
                'grainwash': ('RGB_ALPHA', 'CMYK_ALPHA'),
                # The texture effects: RGB and CMYK, each with and without transparency.
                'texturer': ('RGB', 'RGB_ALPHA', 'CMYK', 'CMYK_ALPHA'),
                'gilder': ('RGB', 'RGB_ALPHA', 'CMYK', 'CMYK_ALPHA')}


def border_strokes(origin):
    """Strokes that press on each corner, run along each border and leave the image."""
    right, bottom = W - 1, H - 1
    corners = [(0, 0), (right, 0), (0, bottom), (right, bottom)]
    lines = []
    for x, y in corners:
        lines += pen_stroke([(x, y), (x + (1 if x == 0 else -1), y + (1 if y == 0 else -1))], origin, 1000)
    edges = [[(x, 0) for x in range(0, W, 3)], [(right, y) for y in range(0, H, 3)],
             [(x, bottom) for x in range(right, -1, -3)], [(0, y) for y in range(bottom, -1, -3)]]
    for edge in edges:
        lines += pen_stroke(edge, origin, 1000)
    # Out past each corner and back in.
    lines += pen_stroke([(-6, -6), (3, 3), (W + 5, H + 5)], origin, 1000)
    return lines


class GuardPages(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        if not harness.os.path.exists(REPLAY):
            raise unittest.SkipTest('the native replay tool is not built (%s)' % REPLAY)
        cls.env = harness.env()
        cls.origin = {m: preview_frame(cls.env, m, W, H) for m in STRONGEST}

    def test_largest_brush_at_every_border_and_corner(self):
        for module, (ini, text) in STRONGEST.items():
            for variant in VARIANTS.get(module, ('',)):
                for kind in MODULE_KINDS.get(module, KINDS):
                    for guard in ('back', 'front'):
                        with self.subTest(module=module, variant=variant.strip(), kind=kind, guard=guard):
                            self.run_guarded(module, ini, text + variant, kind, guard)

    def run_guarded(self, module, ini, text, kind, guard):
        self.env.clear_ini('Kestrix.ini')
        self.env.clear_ini('vorla.ini')
        self.env.write_ini(ini, text)
        mask = None
        extra = ['--guard', guard]
        if kind == 'RGB_ALPHA':
            mask = self.env.temp_path('mask.pam')
            harness.write_pam(mask, W, H, 'GRAYSCALE',
                              bytes(255 if (x + y) % 5 else 0 for y in range(H) for x in range(W)))
            extra += ['--mask', self.env.win_path(mask)]
        run = DialogRun(self.env, module, tupltype=kind, size=(W, H), extra=extra)
        lines = PEN.get(module, []) + border_strokes(self.origin[module])
        lines += ['tablet cursor 1'] + border_strokes(self.origin[module]) + ['tablet cursor 0']
        s = Script(wait_dialog(module), 'restore', 'tablet origin control 1012', 'tablet cursor 0',
                   *lines, 'click 1')
        samples, _ = run_with_logs(run, s, timeout_ms=120000)
        self.assertNotIn('fault', run.report)
        self.assertEqual(run.report.get('script.result'), 'ok', run.report.get('script.error'))
        self.assertEqual(run.report.get('result.start'), '0')
        if mask is None:  # the replay paints without a selection
            out = run.out_image()[4]
            self.assertEqual(out, replay(run, samples, module, done=True)[1])


if __name__ == '__main__':
    unittest.main()
