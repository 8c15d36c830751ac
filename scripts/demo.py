#!/usr/bin/env python3
"""The demo: a pen session in each module's editing dialog, run by the reference host
under Wine with our virtual tablet. On a photo-like sample picture with dust specks and
scratches, the pen paints along the scratches and over the dusty sky, the eraser end
paints a little of the original back, and Done hands the result to the host. Writes the
before/after pictures, a screenshot of each dialog and the run's reports to out/demo."""
import argparse
import os
import subprocess
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(ROOT, "tests", "system"))
import harness  # noqa: E402
import wine_arch  # noqa: E402
from dialog_session import DialogRun, Script  # noqa: E402

SAMPLE_W, SAMPLE_H = 480, 320
WINDOW = (20, 20, 1100, 820)  # the dialog's rectangle on the 1280 x 1024 screen


def to_png(pam, png):
    subprocess.run(["convert", pam, png], check=True)


def preview_frame(env, module, sample):
    """Where the picture lies in the preview at zoom 1 with the dialog at WINDOW."""
    run = DialogRun(env, module, image=sample)
    s = Script("wait-dialog", "restore", "move %d %d %d %d" % WINDOW)
    p = s.add("preview")
    s.add("click 2")
    run.run(s)
    cw, ch = (int(v) for v in run.value(p, "client").split(","))
    return (cw - SAMPLE_W) // 2 if cw > SAMPLE_W else 0, (ch - SAMPLE_H) // 2 if ch > SAMPLE_H else 0


def stroker(lines, left, top):
    """stroke(points, pressure): tablet commands for one stroke in image coordinates."""
    def stroke(points, pressure=800):
        x0, y0 = points[0]
        lines.append("tablet packet x=%d y=%d p=0 b=0" % (left + x0, top + y0))
        for x, y in points:
            lines.append("tablet packet x=%d y=%d p=%d b=1" % (left + x, top + y, pressure))
        x1, y1 = points[-1]
        lines.append("tablet packet x=%d y=%d p=0 b=0" % (left + x1, top + y1))
    return stroke


def pen_session(left, top):
    """Tablet commands: strokes in image coordinates, offset to the preview."""
    lines = ["tablet origin control 1012", "tablet cursor 0"]
    stroke = stroker(lines, left, top)

    # Back and forth over the sky, where the dust shows most.
    for row in range(12, 190, 14):
        xs = range(6, SAMPLE_W - 6, 6) if row % 28 == 12 else range(SAMPLE_W - 6, 6, -6)
        stroke([(x, row) for x in xs])
    # Down the four scratches and over the hills and the lake.
    for x in (45, 150, 238, 340, 372):
        stroke([(x + (y // 40) % 3, y) for y in range(4, SAMPLE_H - 4, 5)])
    for row in range(200, SAMPLE_H - 6, 16):
        stroke([(x, row) for x in range(6, SAMPLE_W - 6, 6)])
    # The eraser end paints a strip of the original back.
    lines.append("tablet cursor 1")
    stroke([(x, 60) for x in range(300, 420, 6)], pressure=1000)
    lines.append("tablet cursor 0")
    return lines


def texture_session(left, top):
    """texturer: a fixed 40-pixel brush at full opacity; Swoosh swept across the sky, Big
    Bricks laid over the hills at a smaller scale with the hue turned, Wood on the lake;
    then the eraser end paints a strip of the original back."""
    lines = ["tablet origin control 1012", "tablet cursor 0", "click 1003", "settext 12 40",
             "click 1019", "settext 13 100"]
    stroke = stroker(lines, left, top)
    for row in range(20, 120, 18):
        stroke([(x, row + (x // 30) % 4) for x in range(10, SAMPLE_W - 10, 8)])
    lines += ["select 1000 0", "focus 3", "type 3 70", "focus 5", "type 5 120"]
    for row in range(150, 215, 16):
        stroke([(x, row) for x in range(10, SAMPLE_W - 10, 8)])
    lines += ["select 1000 5", "focus 5", "type 5 180"]
    for row in range(240, SAMPLE_H - 10, 16):
        stroke([(x, row) for x in range(10, SAMPLE_W - 10, 8)])
    lines.append("tablet cursor 1")
    stroke([(x, 60) for x in range(300, 420, 6)], pressure=1000)
    lines.append("tablet cursor 0")
    return lines


def gild_session(left, top):
    """gilder: gold leaf with a fixed 36-pixel brush over the hills and the sun, silver on
    the lake; the eraser end takes a strip of the gold off again."""
    lines = ["tablet origin control 1012", "tablet cursor 0", "click 1016", "settext 12 36"]
    stroke = stroker(lines, left, top)
    for row in range(60, 215, 14):
        stroke([(x, row + (x // 25) % 5) for x in range(10, SAMPLE_W - 10, 7)])
    lines += ["click 1002", "select 1000 1"]
    for row in range(230, SAMPLE_H - 10, 14):
        stroke([(x, row) for x in range(10, SAMPLE_W - 10, 7)])
    lines.append("tablet cursor 1")
    stroke([(x, 150) for x in range(280, 440, 6)], pressure=1000)
    lines.append("tablet cursor 0")
    return lines


SESSIONS = {"spotclean": pen_session, "dustclean": pen_session,
            "texturer": texture_session, "gilder": gild_session}


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--out", default=os.path.join(ROOT, "out", "demo"))
    ap.add_argument("--build-dir", help="build/win32 or build/win64; by default the 32-bit "
                    "modules where this machine runs 32-bit Wine, else the 64-bit ones")
    args = ap.parse_args()
    if args.build_dir:
        build_dir = args.build_dir
    else:
        ok, why = wine_arch.usable(32)
        build_dir = os.path.join(ROOT, "build", "win32" if ok else "win64")
        if not ok:
            print(f"demo: 32-bit Wine cannot run here ({why})")
    harness.set_build_dir(build_dir)
    print(f"demo: using the {harness.build_bits()}-bit modules and host in {build_dir}")
    out = os.path.abspath(args.out)
    os.makedirs(out, exist_ok=True)

    sample = os.path.join(out, "before.pam")
    subprocess.run([sys.executable, os.path.join(ROOT, "scripts", "make_sample.py"), sample,
                    "--width", str(SAMPLE_W), "--height", str(SAMPLE_H)], check=True)
    to_png(sample, os.path.join(out, "before.png"))

    env = harness.env()
    try:
        for module, session in SESSIONS.items():
            env.clear_ini("Kestrix.ini")
            env.clear_ini("vorla.ini")
            left, top = preview_frame(env, module, sample)
            run = DialogRun(env, module, image=sample)
            shot = os.path.join(out, f"{module}-dialog.png")
            s = Script("wait-dialog", "restore", "move %d %d %d %d" % WINDOW,
                       *session(left, top), f"screenshot {env.win_path(shot)}", "click 1")
            report = run.run(s, timeout_ms=240000)
            if report.get("script.result") != "ok":
                raise SystemExit(f"demo: the pen session in {module} failed: {report.get('script.error')}")
            after = os.path.join(out, f"{module}-after.pam")
            os.replace(run.path("out.pam"), after)
            to_png(after, after[:-4] + ".png")
            with open(os.path.join(out, f"{module}-report.txt"), "w") as f:
                f.write("".join(f"{k}={v}\n" for k, v in report.items()))
            codes = ", ".join(f"{k[7:]} {v}" for k, v in report.items() if k.startswith("result."))
            print(f"{module}: {codes}; after: {after[:-4]}.png; dialog: {shot}")
        print(f"demo: before: {os.path.join(out, 'before.png')}")
        print(f"demo: everything is in {out}")
    finally:
        env.close()


if __name__ == "__main__":
    main()
