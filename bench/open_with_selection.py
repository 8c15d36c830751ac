#!/usr/bin/env python3
"""How long the editing dialog takes to open over a complex selection: a measured run in
the reference host under Wine, not a test (nothing here passes or fails).

    python3 bench/open_with_selection.py [--build-dir build/win64] [--runs 200000]

The picture is W x H RGB; the selection a checkerboard of --cell x --cell pixels, so every
row has W / (2 x cell) runs of selected pixels; H is chosen to give --runs runs in all. The same picture
is opened once without a selection and then with it (each --repeat times); the script
prints, for each, how long the host took until the dialog was visible ("shown", from the
driver's wait-dialog) and until it had painted the preview with its outline and answered
again ("settled": the whole host run, which also reads the picture and writes it back).
The outline's cost is the difference between the two lines."""
import argparse
import os
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, '..', 'tests', 'system'))
import harness  # noqa: E402
from dialog_session import DialogRun, Script  # noqa: E402


def checkerboard(w, h, cell):
    row_a = bytes(255 if (x // cell) % 2 == 0 else 0 for x in range(w))
    row_b = bytes(255 - v for v in row_a)
    return b''.join(row_a if (y // cell) % 2 == 0 else row_b for y in range(h))


def opened(env, image, mask, label, timeout_ms):
    extra = ['--mask', env.win_path(mask)] if mask else []
    run = DialogRun(env, 'spotclean', image=image, extra=extra)
    # Cancel without changes: the dialog closes at once. The 'window' command runs only
    # once the dialog's thread has handled everything queued, the first paint included.
    s = Script('wait-dialog timeout=%d' % timeout_ms)
    shown = s.add('window')
    s.add('click 2')
    started = time.monotonic()
    run.run(s, timeout_ms=timeout_ms + 30000)
    total = time.monotonic() - started
    if run.report.get('script.result') != 'ok':
        raise SystemExit('%s: %s' % (label, run.report.get('script.error')))
    waited = int(run.value(1, 'waited')) / 1000.0
    return waited, total, run.value(shown, 'rect')


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument('--build-dir', default=os.path.join(harness.ROOT, 'build', 'win64'))
    ap.add_argument('--width', type=int, default=2000)
    ap.add_argument('--runs', type=int, default=200000)
    ap.add_argument('--cell', type=int, default=1)
    ap.add_argument('--repeat', type=int, default=3)
    ap.add_argument('--timeout', type=int, default=120, help='seconds to wait for the dialog')
    opts = ap.parse_args()
    harness.set_build_dir(opts.build_dir)
    env = harness.env()
    w, cell = opts.width, opts.cell
    per_row = w // (2 * cell)
    h = -(-opts.runs // per_row)
    image, mask = env.temp_path('picture.pam'), env.temp_path('mask.pam')
    harness.write_pam(image, w, h, 'RGB', bytes((x * 7 + y * 3) % 256 for y in range(h) for x in range(w) for _ in range(3)))
    harness.write_pam(mask, w, h, 'GRAYSCALE', checkerboard(w, h, cell))
    print('%s, %d x %d RGB, checkerboard selection of %d x %d cells: %d runs'
          % (os.path.basename(opts.build_dir), w, h, cell, cell, per_row * h))
    for label, m in (('no selection', None), ('selection', mask)):
        for _ in range(opts.repeat):
            shown, settled, rect = opened(env, image, m, label, opts.timeout * 1000)
            print('  %-13s shown after %.2f s, settled after %.2f s (host run)' % (label, shown, settled))
    env.close()


if __name__ == '__main__':
    main()
