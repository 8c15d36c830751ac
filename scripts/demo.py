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
from dialog_session import DialogRun, Script, wait_dialog  # noqa: E402

SAMPLE_W, SAMPLE_H = 480, 320
WINDOW = (20, 20, 1100, 820)  # the dialog's rectangle on the 1280 x 1024 screen


def to_png(pam, png):
    subprocess.run(["convert", pam, png], check=True)


def preview_frame(env, module, sample):
    """Where the picture lies in the preview at zoom 1 with the dialog at WINDOW."""
    run = DialogRun(env, module, image=sample)
    s = Script(wait_dialog(module), "restore", "move %d %d %d %d" % WINDOW)
    p = s.add("preview")
    s.add("click 2")
    run.run(s)
    cw, ch = (int(v) for v in run.value(p, "client").split(","))
    return (cw - SAMPLE_W) // 2 if cw > SAMPLE_W else 0, (ch - SAMPLE_H) // 2 if ch > SAMPLE_H else 0


def strokes_into(lines, left, top):
    """A function adding one pen stroke through image points to `lines`."""
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
    stroke = strokes_into(lines, left, top)

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


# grainwash paints film grain: a fixed 40-pixel brush, the amount following the pen.
# Its settings keys are crossed: "Pressure Amount" holds the brush size.
GRAIN_SETTINGS = "[Grain Wash]\nPressure Size=2\nPressure Amount=40\nBrush Size=1\nAmount=60\n"


def grain_session(left, top):
    """Gaussian grain, one value a pixel, over the sky, per-channel grain over the lake,
    and the eraser end taking it off a strip again."""
    lines = ["tablet origin control 1012", "tablet cursor 0", "click 8", "click 11"]
    stroke = strokes_into(lines, left, top)
    for row in range(20, 190, 30):
        stroke([(x, row) for x in range(10, SAMPLE_W - 10, 8)], pressure=500 + row * 2)
    lines.append("click 11")
    for row in range(215, SAMPLE_H - 10, 30):
        stroke([(x, row) for x in range(SAMPLE_W - 10, 10, -8)], pressure=900)
    lines.append("tablet cursor 1")
    stroke([(x, 80) for x in range(260, 440, 8)], pressure=1000)
    lines.append("tablet cursor 0")
    return lines


SESSIONS = {"spotclean": (pen_session, None), "dustclean": (pen_session, None),
            "grainwash": (grain_session, GRAIN_SETTINGS)}


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
        for module, (session, settings) in SESSIONS.items():
            env.clear_ini("Kestrix.ini")
            env.clear_ini("vorla.ini")
            left, top = preview_frame(env, module, sample)
            if settings:
                env.write_ini("Kestrix.ini", settings)
            run = DialogRun(env, module, image=sample)
            shot = os.path.join(out, f"{module}-dialog.png")
            s = Script(wait_dialog(module), "restore", "move %d %d %d %d" % WINDOW,
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
