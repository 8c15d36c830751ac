"""The real spotclean, dustclean and warper modules in the reference host under Wine."""
import os
import re
import struct
import subprocess
import tempfile
import unittest

import harness

MODULES = ("spotclean", "dustclean", "warper")
# Every module whose files (imports, exports, PiPL) are checked here.
FILE_MODULES = MODULES + ("airbrush",)
SYSTEM_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "msvcrt.dll", "comdlg32.dll",
               "advapi32.dll", "shell32.dll", "comctl32.dll", "ole32.dll"}

PIPL = {  # module: (menu name, unique string, mode flags, enable expression)
    "spotclean": ("Spotclean...", "VORLA Spotclean", 0x58,
                  "in (PSHOP_ImageMode, RGBMode, CMYKMode, GrayScaleMode)"),
    "dustclean": ("Kestrix Dustclean...", "VORLA Kestrix Dustclean", 0x58,
                  "in (PSHOP_ImageMode, RGBMode, CMYKMode, GrayScaleMode)"),
    "airbrush": ("Spray Studio...", "VORLA Spray Studio", 0x18, "in (PSHOP_ImageMode, RGBMode, CMYKMode)"),
    "warper": ("Kestrix(tm) Warper...", "VORLA Kestrix(tm) Warper", 0x18,
               "in (PSHOP_ImageMode, RGBMode, CMYKMode)"),
}

KINDS = {  # tupltype: depth
    "GRAYSCALE": 1, "GRAYSCALE_ALPHA": 2, "RGB": 3, "RGB_ALPHA": 4, "CMYK": 4, "CMYK_ALPHA": 5,
}
# The kinds a module's PiPL enables, when not all of them.
KINDS_OF = {"warper": ("RGB", "RGB_ALPHA", "CMYK", "CMYK_ALPHA")}


def expected_pipl(name, unique, mode, enable, entry_key):
    def prop(key, data):
        data += b"\0" * (-len(data) % 4)
        return b"MIB8" + key[::-1] + struct.pack("<ii", 0, len(data)) + data
    out = struct.pack("<hii", 1, 0, 9)
    out += prop(b"kind", b"MFB8")
    out += prop(b"name", bytes([len(name)]) + name.encode())
    out += prop(b"catg", b"\x0bKestrix(tm)")
    out += prop(b"vers", struct.pack("<i", 0x00040000))
    out += prop(entry_key.encode(), b"ENTRYPOINT\0")
    out += prop(b"hstm", struct.pack("<i4s4sh", 0, b"1Kds", b"1Kds", 16000) + unique.encode() + b"\0")
    out += prop(b"mode", bytes([mode, 0, 0, 0]))
    out += prop(b"enbl", enable.encode() + b"\0")
    out += prop(b"fici", bytes([1, 1, 1, 0] * 5 + [8, 1, 1, 0] * 2))
    return out


def pattern(w, h, depth):
    return bytes((1 + x * 7 + y * 31 + c * 50) % 256
                 for y in range(h) for x in range(w) for c in range(depth))


class ModuleFiles(unittest.TestCase):
    """What a host sees of the files before it calls anything."""

    def test_imports_only_windows_system_dlls_and_exports_only_the_entry(self):
        for module in FILE_MODULES:
            path = harness.module_path(module)
            dump = subprocess.run([harness.objdump(), "-p", path],
                                  capture_output=True, text=True, check=True).stdout
            dlls = {line.split(":", 1)[1].strip().lower()
                    for line in dump.splitlines() if "DLL Name:" in line}
            self.assertTrue(dlls, module)
            self.assertLessEqual(dlls, SYSTEM_DLLS, module)
            self.assertNotIn("wintab32.dll", dlls, "wintab must be loaded at run time")
            exports = dump.split("[Ordinal/Name Pointer] Table", 1)[1]
            names = [l.split("]")[1].strip() for l in exports.splitlines() if l.strip().startswith("[")]
            self.assertEqual(names, ["ENTRYPOINT"], module)
            fmt = "pei-i386" if harness.build_bits() == 32 else "pei-x86-64"
            self.assertIn("file format " + fmt, subprocess.run(
                [harness.objdump(), "-f", path], capture_output=True, text=True).stdout)

    def test_no_module_rounds_transcendentals_its_own_way(self):
        # The native replay computes with glibc; a module that took sin, log and the like
        # from mingw-w64 (the x87 unit's fsincos, fyl2x, ...) or from msvcrt would round
        # some arguments differently and its sessions would not replay bit for bit.
        x87 = re.compile(r"\s(fsin|fcos|fsincos|fptan|fpatan|fyl2x|fyl2xp1|f2xm1)\b")
        maths = re.compile(r"^\s+[0-9a-f]+\s+\d+\s+_?(a?sin|a?cos|a?tan|atan2|sinh|cosh|tanh|exp2?|expm1|"
                           r"log|log2|log10|log1p|pow|cbrt|hypot)f?$", re.M)
        for module in ("spotclean", "dustclean", "airbrush", "chisel", "texturer", "gilder", "warper", "grainwash"):
            path = harness.module_path(module)
            code = subprocess.run([harness.objdump(), "-d", path], capture_output=True, text=True, check=True).stdout
            self.assertEqual(sorted(set(m.group(1) for m in x87.finditer(code))), [], module)
            imports = subprocess.run([harness.objdump(), "-p", path], capture_output=True, text=True, check=True).stdout
            self.assertEqual(maths.findall(imports), [], module)

    def test_pipl_resource_is_byte_for_byte_the_table(self):
        env = harness.env()
        for module in FILE_MODULES:
            with tempfile.TemporaryDirectory() as tmp:
                dump = os.path.join(tmp, "pipl.bin")
                rc, _, out = env.run_host(["pipl", "--plugin", env.win_path(harness.module_path(module)),
                                           "--dump", env.win_path(dump)], report=False)
                self.assertEqual(rc, 0, out)
                with open(dump, "rb") as f:
                    self.assertEqual(f.read(), expected_pipl(*PIPL[module], harness.entry_key()), module)
                # A host of this width finds its own entry key and not the other one.
                lines = harness.parse_report(out)
                other = "8664" if harness.entry_key() == "wx86" else "wx86"
                self.assertEqual(lines.get(harness.entry_key()), "ENTRYPOINT", module)
                self.assertNotIn(other, lines, module)


class Selectors(unittest.TestCase):
    """Result codes and hand-back through the real entry point."""

    def setUp(self):
        self.env = harness.env()
        self.tmp = tempfile.TemporaryDirectory()
        self.env.clear_ini("Kestrix.ini")
        self.env.clear_ini("vorla.ini")

    def tearDown(self):
        self.tmp.cleanup()

    def path(self, name):
        return os.path.join(self.tmp.name, name)

    def image(self, tupltype="RGB", w=7, h=5, name="in.pam"):
        p = self.path(name)
        harness.write_pam(p, w, h, tupltype, pattern(w, h, KINDS[tupltype]))
        return p

    def run_module(self, module, *extra, image=None, out=True, dialog=True):
        """Runs the selectors; when the dialog opens, the driver presses Done in it."""
        args = ["run", "--plugin", self.env.win_path(harness.module_path(module)),
                "--image", self.env.win_path(image or self.image())]
        if out:
            args += ["--out", self.env.win_path(self.path("out.pam"))]
        if dialog:
            script = self.path("done.txt")
            with open(script, "w") as f:
                f.write("wait-dialog\nclick 1\n")
            args += ["--script", self.env.win_path(script)]
        rc, report, stdout = self.env.run_host(args + list(extra), dll_overrides="wintab32=n")
        self.assertEqual(rc, 0, stdout)
        return report

    def test_every_image_kind_comes_back_unchanged_in_the_hosts_own_buffer(self):
        mask = self.path("mask.pam")
        harness.write_pam(mask, 7, 5, "GRAYSCALE", bytes(range(0, 35 * 7, 7)))
        for module in MODULES:
            for tupltype in KINDS_OF.get(module, KINDS):
                depth = KINDS[tupltype]
                for extra in ([], ["--mask", self.env.win_path(mask)],
                              ["--mask", self.env.win_path(mask), "--floating"], ["--guard", "front"]):
                    with self.subTest(module=module, kind=tupltype, extra=extra):
                        report = self.run_module(module, *extra, image=self.image(tupltype))
                        self.assertNotIn("fault", report)
                        self.assertEqual(report["result.start"], "0")
                        self.assertEqual(report["result.finish"], "0")
                        self.assertEqual(report["advanceState.calls"], "1")
                        self.assertEqual(report["outData.isHostBuffer"], "1")
                        self.assertEqual(report["after.start.outRect"], "0,0,0,0")
                        w, h, d, t, data = harness.read_pam(self.path("out.pam"))
                        self.assertEqual((w, h, d, t), (7, 5, depth, tupltype))
                        self.assertEqual(data, pattern(7, 5, depth))

    def test_whole_filter_rectangle_is_requested_with_all_planes_and_edge_padding(self):
        report = self.run_module("spotclean", "--filter-rect", "1,2,6,5", image=self.image("CMYK_ALPHA"))
        self.assertEqual(report["advanceState.1.inRect"], "2,1,5,6")
        self.assertEqual(report["advanceState.1.outRect"], "2,1,5,6")
        self.assertEqual(report["advanceState.1.inPlanes"], "0,4")
        self.assertEqual(report["advanceState.1.outPlanes"], "0,4")
        self.assertEqual(report["advanceState.1.inputPadding"], "-1")
        self.assertEqual(report["advanceState.1.outputPadding"], "-1")
        self.assertEqual(report["result.start"], "0")

    def test_bad_selectors_are_rejected(self):
        for selector in ("6", "-1"):
            report = self.run_module("spotclean", "--selectors", selector, out=False, dialog=False)
            self.assertEqual(report["result.selector" + selector], "-30100")

    def test_host_without_display_pixels_or_advance_state(self):
        report = self.run_module("spotclean", "--no-display-pixels", dialog=False)
        self.assertEqual(report["result.start"], "-1")
        self.assertEqual(report.get("advanceState.calls", "0"), "0")
        report = self.run_module("dustclean", "--no-advance-state", dialog=False)
        self.assertEqual(report["result.start"], "-30900")

    def test_advance_state_error_is_the_result_and_the_image_is_untouched(self):
        report = self.run_module("spotclean", "--advance-state-error", "-50", dialog=False)
        self.assertEqual(report["result.start"], "-50")
        _, _, _, _, data = harness.read_pam(self.path("out.pam"))
        self.assertEqual(data, pattern(7, 5, 3))

    # Issue 18, item 8: nothing was done, so Start must not answer success.
    def test_a_host_answering_advance_state_without_buffers_gets_an_error(self):
        for module in MODULES:
            with self.subTest(module=module):
                report = self.run_module(module, "--advance-state-no-buffers", dialog=False)
                self.assertEqual(report["advanceState.1.buffers"], "0")
                self.assertNotIn("fault", report)
                self.assertNotEqual(report["result.start"], "0")
                self.assertEqual(report["image.filtered"], "0")
                _, _, _, _, data = harness.read_pam(self.path("out.pam"))
                self.assertEqual(data, pattern(7, 5, 3))

    def test_a_window_class_that_cannot_be_registered_gives_an_error(self):
        for module in MODULES:
            for name in ("DlgWndClass", "ProxyWndClass"):
                with self.subTest(module=module, window_class=name):
                    report = self.run_module(module, "--hold-class", name, dialog=False)
                    self.assertEqual(report["holdClass.registered"], "1")
                    self.assertNotEqual(report["result.start"], "0")
                    self.assertEqual(report["advanceState.calls"], "0", "no dialog, no image asked for")
                    self.assertEqual(report["image.filtered"], "0")

    def test_a_dialog_that_cannot_be_made_gives_an_error(self):
        # The host names a window that no longer exists as the dialog's owner.
        for module in MODULES:
            with self.subTest(module=module):
                report = self.run_module(module, "--invalid-owner", dialog=False)
                self.assertNotIn("fault", report)
                self.assertNotEqual(report["result.start"], "0")
                self.assertEqual(report["image.filtered"], "0")

    def test_about_box_shows_the_modules_strings(self):
        report = self.run_module("spotclean", "--selectors", "about", out=False, dialog=False)
        self.assertEqual(report["result.about"], "0")
        self.assertEqual(report["messagebox.1.caption"], "About Kestrix Spotclean")
        self.assertTrue(report["messagebox.1.text"].startswith("Kestrix Spotclean"))
        self.assertLessEqual(len(report["messagebox.1.text"].replace("\\n", "\n")), 255)
        self.assertEqual(report.get("parameters.tag", "none"), "none")

    def test_parameters_handle_survives_a_repeat_run(self):
        params = self.path("params.bin")
        report = self.run_module("spotclean", "--params-out", self.env.win_path(params))
        self.assertEqual(report["parameters.tag"], "FOTO")
        with open(params, "rb") as f:
            data = f.read()
        self.assertEqual(len(data), 16)
        self.assertEqual(struct.unpack("<hhiiB", data[:13]), (25, 2, 1, 1, 1))

        # The host passes its handle back; values out of range are brought into range.
        self.env.clear_ini("Kestrix.ini")
        with open(params, "wb") as f:
            f.write(struct.pack("<hhiiB3x", 70, 40, 2, 0, 0))
        params_out = self.path("params2.bin")
        self.run_module("spotclean", "--params-in", self.env.win_path(params), "--params-tag", "foto",
                        "--params-out", self.env.win_path(params_out))
        with open(params_out, "rb") as f:
            self.assertEqual(struct.unpack("<hhiiB", f.read()[:13]), (70, 15, 2, 0, 0))

    # The parameters handle as hosts may hand it over: only one of ours that holds a
    # whole record is read or written; anything else gives the defaults in a new handle.
    DEFAULTS = (25, 2, 1, 1, 1)
    STORED = struct.pack("<hhiiB", 70, 9, 2, 0, 0) + b"xyz"  # padding bytes included

    def params_run(self, content, *flags, selectors=None, dialog=True):
        source, result = self.path("params-in.bin"), self.path("params-out.bin")
        with open(source, "wb") as f:
            f.write(content)
        if os.path.exists(result):
            os.remove(result)
        extra = ["--params-in", self.env.win_path(source), "--params-out", self.env.win_path(result)]
        if selectors:
            extra += ["--selectors", selectors]
        report = self.run_module("spotclean", *(extra + list(flags)), dialog=dialog)
        self.assertNotIn("fault", report)
        with open(result, "rb") as f:
            return report, f.read()

    def test_a_foreign_or_short_handle_gives_defaults_and_no_fault(self):
        # Four bytes at the very end of a page, a PAGE_NOACCESS page after them: reading
        # or writing a whole record there faults at once.
        for flags in (["--params-guard"], ["--params-guard", "--handle-procs"],
                      ["--params-guard", "--params-tag", "foto"],
                      ["--params-guard", "--params-tag", "foto", "--handle-procs"]):
            with self.subTest(flags=flags):
                self.env.clear_ini("Kestrix.ini")
                report, data = self.params_run(b"\x46\x00\x09\x00", *flags)
                self.assertEqual(report["result.parameters"], "0")
                self.assertEqual(report["result.finish"], "0")
                self.assertEqual(report["parameters.tag"], "FOTO", "a new handle of ours")
                self.assertEqual(struct.unpack("<hhiiB", data[:13]), self.DEFAULTS)
                if "--handle-procs" in flags and "foto" in flags:
                    self.assertGreaterEqual(int(report["handleProcs.getSize.calls"]), 1)

    def test_a_handle_of_ours_holding_the_record_is_read(self):
        for flags in ([], ["--handle-procs"], ["--params-guard", "--handle-procs"]):
            with self.subTest(flags=flags):
                self.env.clear_ini("Kestrix.ini")
                report, data = self.params_run(self.STORED, "--params-tag", "foto", *flags)
                self.assertEqual(report["parameters.tag"], "host", "the host's handle kept")
                self.assertEqual(struct.unpack("<hhiiB", data[:13]), (70, 9, 2, 0, 0))
                if "--handle-procs" in flags:
                    self.assertGreaterEqual(int(report["handleProcs.getSize.calls"]), 1)
                else:
                    self.assertNotIn("handleProcs.getSize.calls", report)

    def test_finish_as_the_first_call_leaves_the_handle_byte_identical(self):
        for flags in ([], ["--handle-procs"]):
            with self.subTest(flags=flags):
                report, data = self.params_run(self.STORED, "--params-tag", "foto", *flags,
                                               selectors="finish", dialog=False)
                self.assertEqual(report["result.finish"], "0")
                self.assertEqual(data, self.STORED)

    def test_about_after_a_dropped_invocation_does_not_fault(self):
        # Parameters and Prepare, then the host drops the invocation and frees the record
        # (its pages decommitted): About must not touch it.
        report = self.run_module("spotclean", "--selectors", "parameters,prepare,drop,about",
                                 out=False, dialog=False)
        self.assertNotIn("fault", report)
        self.assertEqual(report["dropped"], "1")
        self.assertEqual(report["result.about"], "0")
        self.assertEqual(report["messagebox.count"], "1")

    def test_a_new_invocation_after_a_dropped_one_starts_clean(self):
        params = self.path("params.bin")
        with open(params, "wb") as f:
            f.write(self.STORED)
        report = self.run_module("spotclean", "--selectors",
                                 "parameters,prepare,drop,parameters,prepare,start,finish",
                                 "--params-in", self.env.win_path(params), "--params-tag", "foto")
        self.assertNotIn("fault", report)
        self.assertEqual(report["dropped"], "1")
        self.assertEqual(report["result.start"], "0")
        self.assertEqual(report["result.finish"], "0")
        self.assertEqual(report["image.filtered"], "1")
        _, _, _, _, data = harness.read_pam(self.path("out.pam"))
        self.assertEqual(data, pattern(7, 5, 3))

    def test_settings_are_written_after_the_dialog_and_read_clamped(self):
        self.run_module("spotclean")
        ini = self.env.read_ini("Kestrix.ini")
        params = {k: v for k, v in ini["Spotclean"].items() if k not in ("Window", "Maximized")}
        self.assertEqual(params, {"Current Tool": "2", "Pressure Size": "1",
                                  "Pressure Amount": "1", "Brush Size": "25",
                                  "Amount": "2", "Buildup": "1"})
        self.assertIn("Maximized", ini["Spotclean"])
        self.env.write_ini("Kestrix.ini", "[Spotclean]\nBrush Size=500\nAmount=-4\nCurrent Tool=1\n")
        params = self.path("params.bin")
        self.run_module("spotclean", "--params-out", self.env.win_path(params))
        with open(params, "rb") as f:
            self.assertEqual(struct.unpack("<hh", f.read()[:4]), (99, 1))
        self.assertEqual(self.env.read_ini("Kestrix.ini")["Spotclean"]["Current Tool"], "1")

    def test_dustclean_keeps_its_settings_in_the_driver_file(self):
        self.env.write_ini("vorla.ini", "[Dustclean]\nRadius=99\nLevel=7\n")
        params = self.path("params.bin")
        self.run_module("dustclean", "--params-out", self.env.win_path(params))
        with open(params, "rb") as f:
            self.assertEqual(struct.unpack("<hhhxxiB", f.read()[:13]), (25, 16, 7, 1, 0))
        section = self.env.read_ini("vorla.ini")["Dustclean"]
        self.assertEqual(section["Radius"], "16")
        keys = [k for k in section if k not in ("Window", "Maximized")]
        self.assertEqual(keys, ["Radius", "Level", "Current Tool", "Pressure Size",
                                "Brush Size", "Buildup"])
        self.assertIn("Maximized", section)
        self.assertNotIn("Dustclean", self.env.read_ini("Kestrix.ini"))

    def test_without_a_tablet_driver_prepare_switches_tilt_off(self):
        # wintab32 disabled: LoadLibrary fails; the module still loads, About, Parameters
        # and Prepare work, and Start tells the user there is no tablet.
        rc, report, out = self.env.run_host(
            ["run", "--plugin", self.env.win_path(harness.module_path("spotclean")),
             "--image", self.env.win_path(self.image()), "--out", self.env.win_path(self.path("out.pam")),
             "--selectors", "about,parameters,prepare,start,finish"],
            dll_overrides="wintab32=d")
        self.assertEqual(rc, 0, out)
        self.assertEqual(report["result.about"], "0")
        self.assertEqual(report["result.parameters"], "0")
        self.assertEqual(report["result.prepare"], "0")
        self.assertEqual(report["result.start"], "1")
        self.assertIn("No pen tablet", report["messagebox.2.text"])
        self.assertEqual(self.env.read_ini("vorla.ini")["Parameters"]["NoTilt"], "1")
        _, _, _, _, data = harness.read_pam(self.path("out.pam"))
        self.assertEqual(data, pattern(7, 5, 3))


if __name__ == "__main__":
    unittest.main()
