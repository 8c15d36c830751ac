#!/usr/bin/env python3
"""The demo: a pen session in each module's editing dialog, run by the reference host
under Wine with our virtual tablet. On a photo-like sample picture with dust specks and
scratches, the pen paints along the scratches and over the dusty sky, the eraser end
paints a little of the original back, and Done hands the result to the host; the
airbrush sprays a soft tilted band, a splatter stroke and an eraser strip in orange,
warper pushes the sun, the hills and the lake about, grainwash paints grain, and the
Relief Carver carves a few grooves and a ridge lit from the top left, then the light is
moved to the bottom right; texturer sweeps textures over sky, hills and lake, and gilder
lays gold and silver leaf. Writes the before/after pictures, a screenshot of each dialog
and the run's reports to out/demo.

    python3 scripts/demo.py [--out DIR] [--build-dir DIR] [--module NAME ...]"""
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


def stroke_lines(lines, left, top):
    """A stroke maker: pen strokes in image coordinates, offset to the preview."""
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
    stroke = stroke_lines(lines, left, top)

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


def spray_session(left, top):
    """airbrush: a soft spray with the pen tilted, a splatter stroke, an eraser stroke."""
    lines = ["tablet origin control 1012", "tablet cursor 0", "click 1000"]

    def stroke(points, pressure=900):
        x0, y0 = points[0]
        lines.append("tablet packet x=%d y=%d p=0 b=0" % (left + x0, top + y0))
        for x, y in points:
            lines.append("tablet packet x=%d y=%d p=%d b=1" % (left + x, top + y, pressure))
        x1, y1 = points[-1]
        lines.append("tablet packet x=%d y=%d p=0 b=0" % (left + x1, top + y1))

    # A soft band over the sky, the pen tilted 50 degrees towards the lower right.
    lines.append("tablet packet alt=400 az=1350 post=0")
    stroke([(x, 70 + x // 12) for x in range(30, SAMPLE_W - 30, 5)])
    # Upright again, a splatter of droplets over the hills.
    lines += ["tablet packet alt=900 az=0 post=0", "click 1001", "settext 5 5"]
    stroke([(x, 230 - (x // 20) % 3 * 4) for x in range(40, SAMPLE_W - 40, 8)])
    # The eraser end takes a strip of the soft band away again.
    lines.append("tablet cursor 1")
    stroke([(x, 90) for x in range(150, 330, 6)], pressure=1023)
    lines.append("tablet cursor 0")
    return lines


def texture_session(left, top):
    """texturer: a fixed 40-pixel brush at full opacity; Swoosh swept across the sky, Big
    Bricks laid over the hills at a smaller scale with the hue turned, Wood on the lake;
    then the eraser end paints a strip of the original back."""
    lines = ["tablet origin control 1012", "tablet cursor 0", "click 1003", "settext 12 40",
             "click 1019", "settext 13 100"]
    stroke = stroke_lines(lines, left, top)
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


# grainwash paints film grain: a fixed 40-pixel brush, the amount following the pen.
# Its settings keys are crossed: "Pressure Amount" holds the brush size.
GRAIN_SETTINGS = "[Grain Wash]\nPressure Size=2\nPressure Amount=40\nBrush Size=1\nAmount=60\n"


def grain_session(left, top):
    """Gaussian grain, one value a pixel, over the sky, per-channel grain over the lake,
    and the eraser end taking it off a strip again."""
    lines = ["tablet origin control 1012", "tablet cursor 0", "click 8", "click 11"]
    stroke = stroke_lines(lines, left, top)
    for row in range(20, 190, 30):
        stroke([(x, row) for x in range(10, SAMPLE_W - 10, 8)], pressure=500 + row * 2)
    lines.append("click 11")
    for row in range(215, SAMPLE_H - 10, 30):
        stroke([(x, row) for x in range(SAMPLE_W - 10, 10, -8)], pressure=900)
    lines.append("tablet cursor 1")
    stroke([(x, 80) for x in range(260, 440, 8)], pressure=1000)
    lines.append("tablet cursor 0")
    return lines


def gild_session(left, top):
    """gilder: gold leaf with a fixed 36-pixel brush over the hills and the sun, silver on
    the lake; the eraser end takes a strip of the gold off again."""
    lines = ["tablet origin control 1012", "tablet cursor 0", "click 1016", "settext 12 36"]
    stroke = stroke_lines(lines, left, top)
    for row in range(60, 215, 14):
        stroke([(x, row + (x // 25) % 5) for x in range(10, SAMPLE_W - 10, 7)])
    lines += ["click 1002", "select 1000 1"]
    for row in range(230, SAMPLE_H - 10, 14):
        stroke([(x, row) for x in range(10, SAMPLE_W - 10, 7)])
    lines.append("tablet cursor 1")
    stroke([(x, 150) for x in range(280, 440, 6)], pressure=1000)
    lines.append("tablet cursor 0")
    return lines


def warper_session(left, top):
    """A large brush at a moderate distortion pushing the picture about like putty, then
    the eraser end calming a strip of the lake again."""
    lines = ["click 1002", "settext 12 70", "click 1019", "settext 3 45",
             "tablet origin control 1012", "tablet cursor 0"]
    stroke = stroke_lines(lines, left, top)
    sun_x, sun_y = int(SAMPLE_W * 0.68), int(SAMPLE_H * 0.36)
    # Lift the sun up and to the right.
    stroke([(sun_x - 20 + 3 * i, sun_y + 20 - 3 * i) for i in range(14)])
    # Push the hills up into a peak and the lake into waves.
    for x in (150, 175, 200):
        stroke([(x, 250 - 3 * i) for i in range(14)])
    for row in (280, 305):
        stroke([(12 + 6 * i, row + (6 if i // 8 % 2 else -6)) for i in range(76)])
    # The eraser end puts a strip of the lake back as it was.
    lines.append("tablet cursor 1")
    stroke([(x, 300) for x in range(300, 440, 6)], pressure=1023)
    lines.append("tablet cursor 0")
    return lines


def carve_lines(left, top, points, pressure=800):
    x0, y0 = points[0]
    lines = ["tablet packet x=%d y=%d p=0 b=0" % (left + x0, top + y0)]
    lines += ["tablet packet x=%d y=%d p=%d b=1" % (left + x, top + y, pressure) for x, y in points]
    x1, y1 = points[-1]
    return lines + ["tablet packet x=%d y=%d p=0 b=0" % (left + x1, top + y1)]


def light_picker_size(env, sample):
    run = DialogRun(env, "chisel", image=sample)
    s = Script(wait_dialog("chisel"), "restore", "move %d %d %d %d" % WINDOW)
    p = s.add("preview 1003")
    s.add("click 2")
    run.run(s)
    return tuple(int(v) for v in run.value(p, "client").split(","))


def carving_session(left, top, picker, first_shot, env):
    """Grooves across the hills and the lake, a wavy one over the sky and a ridge (negative
    depth) down the middle; a screenshot lit from the top left, then the light moved to
    the bottom right by a click in the light picker's corner cell."""
    lines = ["tablet origin control 1012", "tablet cursor 0", "settext 12 60", "settext 5 30"]
    lines += carve_lines(left, top, [(x, 250) for x in range(20, SAMPLE_W - 20, 5)], 1000)
    lines += carve_lines(left, top, [(x, 290 + (x // 60) % 2 * 6) for x in range(30, SAMPLE_W - 30, 5)], 700)
    lines += carve_lines(left, top, [(x, 70 + int(25 * ((x / 40.0) % 2 - 1) ** 2)) for x in range(30, 450, 5)], 900)
    lines += ["settext 6 -35", "settext 7 -60"]
    lines += carve_lines(left, top, [(240 + (y // 30) % 2 * 4, y) for y in range(110, 230, 5)], 1000)
    lines += ["screenshot %s" % env.win_path(first_shot)]
    w, h = picker
    lines += ["mouse down %d %d in=1003" % (w - 6, h - 6), "mouse up %d %d in=1003" % (w - 6, h - 6)]
    return lines


# Each module's session, what its host run needs besides, and its settings file.
SESSIONS = {
    "spotclean": (pen_session, [], None),
    "dustclean": (pen_session, [], None),
    # The host's picker answers a warm orange at once.
    "airbrush": (spray_session, ["--choose-color", "235,120,40"], "[Spray Studio]\nBrush Size=40\nInk Flow=50\n"),
    "warper": (warper_session, [], None),
    "grainwash": (grain_session, [], GRAIN_SETTINGS),
    # Its session needs the light picker's size and a screenshot of its own: see main().
    "chisel": (None, [], None),
    "texturer": (texture_session, [], None),
    "gilder": (gild_session, [], None),
}


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--out", default=os.path.join(ROOT, "out", "demo"))
    ap.add_argument("--build-dir", help="build/win32 or build/win64; by default the 32-bit "
                    "modules where this machine runs 32-bit Wine, else the 64-bit ones")
    ap.add_argument("--module", action="append", choices=sorted(SESSIONS),
                    help="run only this module's session (may be repeated); default: all")
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
        for module in args.module or list(SESSIONS):
            session, extra, settings = SESSIONS[module]
            env.clear_ini("Kestrix.ini")
            env.clear_ini("vorla.ini")
            left, top = preview_frame(env, module, sample)
            if settings:
                env.write_ini("Kestrix.ini", settings)
            run = DialogRun(env, module, image=sample, extra=extra)
            shot = os.path.join(out, f"{module}-dialog.png")
            if module == "chisel":
                first = os.path.join(out, "chisel-dialog-top-left-light.png")
                lines = carving_session(left, top, light_picker_size(env, sample), first, env)
            else:
                lines = session(left, top)
            s = Script(wait_dialog(module), "restore", "move %d %d %d %d" % WINDOW,
                       *lines, f"screenshot {env.win_path(shot)}", "click 1")
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
