"""What the preview shows, pixel for pixel: after a pen stroke every preview pixel over the
image is the painted picture's pixel, converted for display the way the host converts it.

Run in the reference host as it is and with --display-ignores-origin, where displayPixels
draws from the pixel map's origin whatever srcRect's top and left say (as some hosts do),
for grayscale, RGB and CMYK, at zoom 1, 4 and 1/4 and after scrolling; and on an 8000 x
8000 RGB picture, whose preview must work without an off-screen bitmap of the whole image."""
import random
import unittest

import harness
from dialog_session import DialogRun, Script, pen_stroke

W, H = 960, 560  # larger than the preview at zoom 1 (it scrolls), smaller at 1/4
MODES = ('GRAYSCALE', 'RGB', 'CMYK')


def noise(w, h, depth, seed):
    """Every pixel different from its neighbours: spotclean changes most of what it
    touches, and a pixel taken from the wrong place shows."""
    return random.Random(seed).randbytes(w * h * depth)


def shown(tupltype, px):
    """The host's display conversion (tools/host/pixel_ops.cpp pixelToRGB)."""
    if tupltype == 'GRAYSCALE':
        return bytes((px[0],) * 3)
    if tupltype == 'CMYK':
        return bytes((px[i] * px[3] + 127) // 255 for i in range(3))
    return bytes(px[:3])


def frame(client, extent, zoom):
    """The image frame along one axis (framework/dialog/preview_map.cpp computeImageFrame)."""
    z = int(extent * zoom)
    return (client - z) // 2 if z < client else 0


class PreviewShows:
    """The comparison of one screenshot of the preview with the pictures it may show."""

    def __init__(self, shot, geometry, width, height, depth, tupltype):
        self.w, self.h, self.ch, self.rows = harness.read_png(shot)
        self.zoom = float(geometry['zoom'])
        self.hpos, self.vpos = int(geometry['hpos']), int(geometry['vpos'])
        cw, chh = (int(v) for v in geometry['client'].split(','))
        self.left, self.top = frame(cw, width, self.zoom), frame(chh, height, self.zoom)
        self.right = min(cw, self.left + int(width * self.zoom))
        self.bottom = min(chh, self.top + int(height * self.zoom))
        self.width, self.height, self.depth, self.tupltype = width, height, depth, tupltype

    def screen(self, sx, sy):
        return self.rows[sy][sx * self.ch:sx * self.ch + 3]

    def sources(self, sx, sy):
        """Image pixels a screen pixel may show: its own at zoom >= 1, any of the block it
        stands for when zoomed out (the stretch keeps one of each block)."""
        rx, ry = self.hpos + sx - self.left, self.vpos + sy - self.top
        if self.zoom >= 1:
            z = int(self.zoom)
            return [(rx // z, ry // z)]
        n = int(round(1 / self.zoom))
        return [(x, y) for y in range(ry * n, min(ry * n + n, self.height))
                for x in range(rx * n, min(rx * n + n, self.width))]

    def pixel(self, data, x, y):
        i = (y * self.width + x) * self.depth
        return shown(self.tupltype, data[i:i + self.depth])

    def compare(self, painted, source):
        """(wrong pixels over the painted area, wrong pixels elsewhere, painted pixels in
        view): a screen pixel is right when it shows one of its source pixels in `painted`."""
        wrong_painted = wrong_around = painted_in_view = 0
        for sy in range(self.top, self.bottom):
            for sx in range(self.left, self.right):
                pts = self.sources(sx, sy)
                changed = any(self.pixel(painted, x, y) != self.pixel(source, x, y) for x, y in pts)
                painted_in_view += changed
                if self.screen(sx, sy) not in [self.pixel(painted, x, y) for x, y in pts]:
                    if changed:
                        wrong_painted += 1
                    else:
                        wrong_around += 1
        return wrong_painted, wrong_around, painted_in_view


class PreviewPixels(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.env = harness.env()

    def setUp(self):
        self.env.clear_ini('Kestrix.ini')

    def session(self, tupltype, view, host, size=(W, H), image=None):
        """A stroke through the middle of the preview after `view`, a screenshot of what
        the preview shows then, and Done; returns the comparison, the source picture,
        the painted picture (handed back on Done) and the run."""
        w, h = size
        depth = harness.DEPTHS[tupltype]
        if image is None:
            image = self.env.temp_path('%s.pam' % tupltype)
            harness.write_pam(image, w, h, tupltype, noise(w, h, depth, seed=len(tupltype)))
        run = DialogRun(self.env, 'spotclean', image=image, extra=host)
        shot = run.path('preview.png')
        # A large picture takes the host a while to hand over.
        s = Script('wait-dialog timeout=60000', 'restore', 'tablet origin control 1012', 'tablet cursor 0',
                   *view)
        # The preview is 745 x 268 at the template's size; the stroke stays within the
        # image at every zoom used here (240 x 140 at 1/4, centred).
        s.add('click 303')
        for line in pen_stroke([(x, 134 + (x - 300) // 6) for x in range(300, 450, 5)], (0, 0), 700):
            s.add(line)
        s.add('screenshot %s of=preview redraw=0' % self.env.win_path(shot))
        geometry = s.add('preview')
        s.add('click 1')
        run.run(s, timeout_ms=120000)
        self.assertEqual(run.report.get('script.result'), 'ok', run.report.get('script.error'))
        self.assertEqual(run.report['result.start'], '0')
        g = {k: run.value(geometry, k) for k in ('zoom', 'hpos', 'vpos', 'client')}
        source = harness.read_pam(image)[4]
        painted = run.out_image()[4]
        return PreviewShows(shot, g, w, h, depth, tupltype), source, painted, run

    def assertShowsThePaintedPicture(self, shows, source, painted):
        wrong_painted, wrong_around, painted_in_view = shows.compare(painted, source)
        self.assertGreater(painted_in_view, 100, 'the stroke painted where the preview shows it')
        self.assertEqual((wrong_painted, wrong_around), (0, 0),
                         'preview pixels not showing the picture (over the stroke, around it); '
                         'zoom %g, scrolled to %d,%d' % (shows.zoom, shows.hpos, shows.vpos))

    VIEWS = {
        'zoom 1': [],
        'zoom 4': ['click 301'] + ['mouse down 372 134', 'mouse up 372 134'] * 2,
        # Alt with the pointer over the preview (elsewhere it opens the menu mode).
        'zoom 1/4': ['click 301', 'mouse move 372 134', 'key down alt']
                    + ['mouse down 372 134', 'mouse up 372 134'] * 2 + ['key up alt'],
        'scrolled': ['click 302', 'drag 400 200 250 100'],
    }
    HOSTS = {'honours srcRect': [], 'ignores srcRect origin': ['--display-ignores-origin']}

    def test_the_preview_shows_the_painted_pixels_in_every_host(self):
        for host, switch in self.HOSTS.items():
            for tupltype in MODES:
                for view, lines in self.VIEWS.items():
                    with self.subTest(host=host, mode=tupltype, view=view):
                        shows, source, painted, run = self.session(tupltype, lines, switch)
                        expected_zoom = {'zoom 4': 4, 'zoom 1/4': 0.25}.get(view, 1)
                        self.assertEqual(shows.zoom, expected_zoom)
                        if view == 'scrolled':
                            self.assertEqual((shows.hpos, shows.vpos), (150, 100))
                        self.assertShowsThePaintedPicture(shows, source, painted)
                        self.assertEqual(run.report.get('displayPixels.rowOverruns', '0'), '0')
                        self.assertEqual(run.report.get('displayPixels.errors', '0'), '0')

    def test_an_8000_pixel_square_picture_previews_and_paints(self):
        # Noise where the stroke lands at zoom 1 after scrolling and at 1/4 (top left),
        # flat grey elsewhere.
        w = h = 8000
        image = self.env.temp_path('large.pam')
        data = bytearray(b'\x80') * (w * h * 3)
        pw, ph = 2048, 1024
        patch = noise(pw, ph, 3, seed=8000)
        for y in range(ph):
            data[y * w * 3:(y * w + pw) * 3] = patch[y * pw * 3:(y + 1) * pw * 3]
        harness.write_pam(image, w, h, 'RGB', data)
        del data, patch
        # The module's off-screen bitmap holds one paint's fetch, not the whole picture: at
        # zoom 1 at most the 1280 x 1024 screen (the dialog opens maximised) plus the
        # 8-pixel margins; at 1/4 the fetch is wider than the bitmap's 2048-pixel limit
        # and the preview is drawn in tiles.
        for view, largest in (('scrolled', (1280 + 25, 1024 + 25)), ('zoom 1/4', (2048, 2048))):
            with self.subTest(view=view):
                shows, source, painted, run = self.session('RGB', self.VIEWS[view], [], size=(w, h),
                                                           image=image)
                self.assertShowsThePaintedPicture(shows, source, painted)
                target = [int(v) for v in run.report['displayPixels.largestTarget'].split(',')]
                self.assertLessEqual(target[0], largest[0])
                self.assertLessEqual(target[1], largest[1])

if __name__ == '__main__':
    unittest.main()
