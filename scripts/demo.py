#!/usr/bin/env python3
"""The demo: a pen session in each module's editing dialog, run by the reference host
under Wine with our virtual tablet. On a photo-like sample picture with dust specks and
scratches, the speck removers paint along the scratches and over the dusty sky, the
eraser end paints a little of the original back, and Done hands the result to the host;
the Relief Carver carves a few grooves and a ridge lit from the top left, then the light
is moved to the bottom right. Writes the before/after pictures, a screenshot of each
dialog and the run's reports to out/demo."""
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


def pen_session(left, top):
    """Tablet commands: strokes in image coordinates, offset to the preview."""
    lines = ["tablet origin control 1012", "tablet cursor 0"]

    def stroke(points, pressure=800):
        x0, y0 = points[0]
        lines.append("tablet packet x=%d y=%d p=0 b=0" % (left + x0, top + y0))
        for x, y in points:
            lines.append("tablet packet x=%d y=%d p=%d b=1" % (left + x, top + y, pressure))
        x1, y1 = points[-1]
        lines.append("tablet packet x=%d y=%d p=0 b=0" % (left + x1, top + y1))

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


def stroke_lines(left, top, points, pressure=800):
    x0, y0 = points[0]
    lines = ["tablet packet x=%d y=%d p=0 b=0" % (left + x0, top + y0)]
    lines += ["tablet packet x=%d y=%d p=%d b=1" % (left + x, top + y, pressure) for x, y in points]
    x1, y1 = points[-1]
    return lines + ["tablet packet x=%d y=%d p=0 b=0" % (left + x1, top + y1)]


def light_picker_size(env, sample):
    run = DialogRun(env, "chisel", image=sample)
    s = Script("wait-dialog", "restore", "move %d %d %d %d" % WINDOW)
    p = s.add("preview 1003")
    s.add("click 2")
    run.run(s)
    return tuple(int(v) for v in run.value(p, "client").split(","))


def carving_session(left, top, picker, first_shot, env):
    """Grooves across the hills and the lake, a wavy one over the sky and a ridge (negative
    depth) down the middle; a screenshot lit from the top left, then the light moved to
    the bottom right by a click in the light picker's corner cell."""
    lines = ["tablet origin control 1012", "tablet cursor 0", "settext 12 60", "settext 5 30"]
    lines += stroke_lines(left, top, [(x, 250) for x in range(20, SAMPLE_W - 20, 5)], 1000)
    lines += stroke_lines(left, top, [(x, 290 + (x // 60) % 2 * 6) for x in range(30, SAMPLE_W - 30, 5)], 700)
    lines += stroke_lines(left, top, [(x, 70 + int(25 * ((x / 40.0) % 2 - 1) ** 2)) for x in range(30, 450, 5)], 900)
    lines += ["settext 6 -35", "settext 7 -60"]
    lines += stroke_lines(left, top, [(240 + (y // 30) % 2 * 4, y) for y in range(110, 230, 5)], 1000)
    lines += ["screenshot %s" % env.win_path(first_shot)]
    w, h = picker
    lines += ["mouse down %d %d in=1003" % (w - 6, h - 6), "mouse up %d %d in=1003" % (w - 6, h - 6)]
    return lines


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
        for module in ("spotclean", "dustclean", "chisel"):
            env.clear_ini("Kestrix.ini")
            env.clear_ini("vorla.ini")
            left, top = preview_frame(env, module, sample)
            run = DialogRun(env, module, image=sample)
            shot = os.path.join(out, f"{module}-dialog.png")
            if module == "chisel":
                first = os.path.join(out, "chisel-dialog-top-left-light.png")
                session = carving_session(left, top, light_picker_size(env, sample), first, env)
            else:
                session = pen_session(left, top)
            s = Script("wait-dialog", "restore", "move %d %d %d %d" % WINDOW,
                       *session, f"screenshot {env.win_path(shot)}", "click 1")
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
