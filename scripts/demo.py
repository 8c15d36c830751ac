#!/usr/bin/env python3
"""The demo: runs spotclean and dustclean in the reference host under Wine on the sample
picture, through every selector a host calls, then once more as a "repeat" with the
parameters the first run left. The editing dialog is driven by a script through our
virtual tablet driver. Writes images, screenshots, parameters and reports to out/demo."""
import argparse
import os
import subprocess
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(ROOT, "tests", "system"))
import harness  # noqa: E402


def to_png(pam, png):
    subprocess.run(["convert", pam, png], check=True)


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--out", default=os.path.join(ROOT, "out", "demo"))
    args = ap.parse_args()
    out = os.path.abspath(args.out)
    os.makedirs(out, exist_ok=True)

    sample = os.path.join(out, "sample.pam")
    subprocess.run([sys.executable, os.path.join(ROOT, "scripts", "make_sample.py"), sample], check=True)
    to_png(sample, os.path.join(out, "sample.png"))

    env = harness.env()
    try:
        for module in ("spotclean", "dustclean"):
            folder = os.path.join(out, module)
            os.makedirs(folder, exist_ok=True)
            plugin = env.win_path(harness.module_path(module))
            params = os.path.join(folder, "parameters.bin")
            runs = [
                ("first", ["--selectors", "about,parameters,prepare,start,continue,finish",
                           "--params-out", env.win_path(params)]),
                ("repeat", ["--selectors", "parameters,prepare,start,finish",
                            "--params-in", env.win_path(params),
                            "--params-out", env.win_path(params)]),
            ]
            for name, extra in runs:
                result = os.path.join(folder, f"result-{name}.pam")
                shot = os.path.join(folder, f"dialog-{name}.png")
                script = os.path.join(folder, f"drive-{name}.txt")
                with open(script, "w") as f:
                    # Open the dialog at a comfortable size, zoom in once, look, press Done.
                    f.write("wait-dialog\nrestore\nmove 20 20 1000 760\nclick 301\n"
                            "mouse down 300 200\nmouse up 300 200\nclick 303\n"
                            f"screenshot {env.win_path(shot)}\nclick 1\n")
                rc, report, stdout = env.run_host(
                    ["run", "--plugin", plugin, "--image", env.win_path(sample),
                     "--out", env.win_path(result), "--script", env.win_path(script)] + extra,
                    dll_overrides="wintab32=n")
                with open(os.path.join(folder, f"report-{name}.txt"), "w") as f:
                    f.write("".join(f"{k}={v}\n" for k, v in report.items()))
                if rc != 0:
                    print(stdout)
                    raise SystemExit(f"demo: the host failed on {module} ({name} run), exit {rc}")
                to_png(result, result[:-4] + ".png")
                codes = ", ".join(f"{k[7:]} {v}" for k, v in report.items() if k.startswith("result."))
                print(f"{module} {name} run: {codes}")
                about = report.get("messagebox.1.text")
                if about:
                    print(f"  About box: {report.get('messagebox.1.caption')}: "
                          f"{about.splitlines()[0] if chr(10) in about else about.split(chr(92) + 'n')[0]}")
            ini = env.read_ini("Kestrix.ini" if module == "spotclean" else "vorla.ini")
            section = "Spotclean" if module == "spotclean" else "Dustclean"
            print(f"  settings [{section}]: {ini.get(section, {})}")
            print(f"  results, parameters and reports: {folder}")
        print(f"demo: sample picture {os.path.join(out, 'sample.png')}")
        print("demo: painting is not built yet, so the results equal the sample; "
              "dialog-*.png show each dialog as the run left it.")
    finally:
        env.close()


if __name__ == "__main__":
    main()
