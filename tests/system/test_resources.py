"""The resources inside the built modules: dialogs and string tables in seven languages,
the preview patterns, tool icons and cursors, the logo, the PiPL. Reads the PE files
directly (peres.py), so no Wine is needed."""
import importlib.util
import os
import sys
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
import harness  # noqa: E402
from peres import (RT_BITMAP, RT_CURSOR, RT_DIALOG, RT_GROUP_CURSOR, RT_GROUP_ICON, RT_ICON,  # noqa: E402
                   PeResources, cursor_hotspot, parse_dialog, parse_dib, parse_group)

LANGS = {0x0409: 'English (US)', 0x0407: 'German', 0x040C: 'French', 0x0410: 'Italian',
         0x0411: 'Japanese', 0x0416: 'Portuguese (Brazil)', 0x0C0A: 'Spanish'}
WESTERN = [0x0409, 0x0407, 0x040C, 0x0410, 0x0416, 0x0C0A]

WS_POPUP, WS_CAPTION, WS_SYSMENU, WS_THICKFRAME = 0x80000000, 0x00C00000, 0x00080000, 0x00040000
WS_MINIMIZEBOX, WS_MAXIMIZEBOX, DS_SETFONT = 0x00020000, 0x00010000, 0x40
WS_GROUP, WS_TABSTOP, WS_DISABLED = 0x00020000, 0x00010000, 0x08000000
BS_TYPEMASK, BS_DEFPUSHBUTTON, BS_AUTOCHECKBOX, BS_GROUPBOX, BS_AUTORADIOBUTTON = 0xF, 1, 3, 7, 9
BS_ICON, BS_PUSHLIKE = 0x40, 0x1000
ES_NUMBER, SS_TYPEMASK, SS_BITMAP, SS_BLACKFRAME, SBS_VERT = 0x2000, 0x1F, 0x0E, 0x07, 1
DIALOG_STYLE = (WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX |
                WS_MAXIMIZEBOX | DS_SETFONT)

# Controls every module's dialog has at these places (x, y, cx, cy in dialog units).
FRAMEWORK_CONTROLS = {
    303: (87, 181, 24, 24), 302: (87, 205, 24, 24), 301: (87, 229, 24, 24),
    4: (391, 180, 34, 14), 2: (392, 218, 34, 14), 1: (392, 237, 34, 14),
    1012: (0, 0, 425, 165), 1013: (425, 0, 10, 165), 1015: (0, 165, 425, 11),
    1006: (125, 229, 64, 15), 12: (193, 230, 20, 12), 1002: (127, 198, 54, 10),
}
MODULES = {
    'spotclean': {
        'title': 'Kestrix Spotclean', 'logo': 123, 'apply': 5,
        'ids': {303, 302, 301, 1002, 1003, 1004, 1006, 12, 1007, 1008, 1009, 1005, 3, 1001,
                4, 5, 2, 1, 1012, 1013, 1015},
        'rects': {1003: (127, 208, 43, 10), 1004: (127, 218, 33, 10), 1007: (235, 198, 54, 10),
                  1008: (235, 208, 43, 10), 1009: (235, 218, 33, 10), 1005: (233, 229, 64, 15),
                  3: (301, 230, 20, 12), 1001: (336, 195, 39, 10), 5: (391, 199, 34, 14)},
        'radio_groups': [(1002, 1003, 1004), (1007, 1008, 1009)],
        'trackbars': (1006, 1005), 'edits': (12, 3),
        'strings': list(range(10000, 10016)) + [16000, 16001, 17007, 17010, 17011],
        'ini_keys': [10001, 10002, 10003] + list(range(10008, 10014)),
        'english': {
            10000: 'Please enter an integer between %d and %d.', 10001: 'Spotclean',
            10002: 'Window', 10003: 'Maximized', 10004: 'Do you wish to save your changes?',
            10005: 'Are you sure you wish to discard changes?', 10006: 'Reset', 10007: 'Cancel',
            10008: 'Current Tool', 10009: 'Pressure Size', 10010: 'Pressure Amount',
            10011: 'Brush Size', 10012: 'Amount', 10013: 'Buildup', 16001: 'About Kestrix Spotclean',
        },
        'texts': {303: 'Brush', 302: 'Hand', 301: 'Zoom', 1002: 'Fingerwheel', 1003: 'Pressure',
                  1004: 'Fixed', 1001: 'Buildup', 4: 'Revert', 5: 'Apply', 2: 'Cancel', 1: 'Done'},
    },
    'dustclean': {
        'title': 'Kestrix Dustclean', 'logo': 124, 'apply': 6,
        'ids': {303, 302, 301, 1002, 1003, 1006, 12, 1005, 3, 1007, 5, 1001, 4, 6, 2, 1,
                1012, 1013, 1015},
        'rects': {6: (391, 199, 34, 14)},
        'radio_groups': [(1002, 1003)],
        'trackbars': (1006, 1005, 1007), 'edits': (12, 3, 5),
        'strings': [10000, 10001, 10004, 10005, 10006, 10007, 16000, 16001, 17007, 17010, 17011],
        'ini_keys': [],
        'english': {10000: 'Please enter an integer between %d and %d.', 10001: 'Dustclean',
                    10006: 'Reset', 10007: 'Cancel', 16001: 'About Kestrix Dustclean'},
        'texts': {303: 'Brush', 302: 'Hand', 301: 'Zoom', 1002: 'Pressure', 1003: 'Fixed',
                  1001: 'Buildup', 4: 'Revert', 6: 'Apply', 2: 'Cancel', 1: 'Done'},
    },
}
MODULES['warper'] = {
    'title': 'Kestrix Warper', 'logo': 131, 'apply': 5, 'dialog': 101, 'checks': (),
    'ids': {303, 302, 301, 1000, 1001, 1002, 1006, 12, 1017, 1018, 1019, 1005, 3, 4, 5, 2, 1, 1012, 1013, 1015},
    'rects': {1000: (127, 198, 54, 10), 1001: (127, 208, 43, 10), 1002: (127, 218, 33, 10),
              1017: (235, 198, 54, 10), 1018: (235, 208, 43, 10), 1019: (235, 218, 33, 10),
              1005: (233, 229, 64, 15), 3: (301, 230, 20, 12), 5: (391, 199, 34, 14)},
    'radio_groups': [(1000, 1001, 1002), (1017, 1018, 1019)],
    'trackbars': (1006, 1005), 'edits': (12, 3),
    'strings': list(range(10000, 10013)) + [10014, 10015, 16000, 16001, 17007, 17010, 17011, 17012],
    'ini_keys': [10001, 10002, 10003] + list(range(10008, 10013)),
    'english': {
        10000: 'Please enter an integer between %d and %d.', 10001: 'Warper',
        10002: 'Window', 10003: 'Maximized', 10004: 'Do you wish to save your changes?',
        10005: 'Are you sure you wish to discard changes?', 10006: 'Reset', 10007: 'Cancel',
        10008: 'Current Tool', 10009: 'Pressure Size', 10010: 'Pressure Distort',
        10011: 'Brush Size', 10012: 'Distortion', 16001: 'About Kestrix Warper',
        17012: 'Unable to set tablet queue size.',
    },
    'texts': {303: 'Brush', 302: 'Hand', 301: 'Zoom', 1000: 'Fingerwheel', 1001: 'Pressure', 1002: 'Fixed',
              1017: 'Fingerwheel', 1018: 'Pressure', 1019: 'Fixed', 4: 'Revert', 5: 'Apply', 2: 'Cancel',
              1: 'Done'},
}
NO_TABLET_EN = ('No pen tablet is available. Kestrix filters are painted with a pen tablet; '
                'install or connect its driver and start the filter again.')


def load_module(name):
    path = harness.module_path(name)
    if not os.path.exists(path):
        raise unittest.SkipTest('%s not built (run cmake --build --preset win32)' % path)
    return PeResources.load(path)


class ModuleResourcesBase:
    module = None

    @classmethod
    def setUpClass(cls):
        cls.res = load_module(cls.module)
        cls.layout = MODULES[cls.module]

    def dialog(self, lang):
        return parse_dialog(self.res.get(RT_DIALOG, self.layout.get('dialog', 114), lang))

    def test_dialog_frame_in_every_language(self):
        self.assertEqual(sorted(self.res.languages(RT_DIALOG, self.layout.get('dialog', 114))), sorted(LANGS))
        for lang, lname in LANGS.items():
            with self.subTest(language=lname):
                d = self.dialog(lang)
                self.assertEqual(d['style'], DIALOG_STYLE)
                self.assertEqual((d['cx'], d['cy']), (436, 260))
                # windres stores window class names upper-cased; classes match case-blind.
                self.assertEqual(d['cls'].upper(), 'DLGWNDCLASS')
                self.assertEqual(d['title'], self.layout['title'])
                self.assertEqual(d['font'], (8, 'MS Sans Serif'))

    def test_controls_ids_places_and_kinds(self):
        d = self.dialog(0x0409)
        by_id = {c['id']: c for c in d['controls'] if c['id'] != -1}
        self.assertEqual(set(by_id), self.layout['ids'])
        rects = {**FRAMEWORK_CONTROLS, **self.layout['rects']}
        for cid, rect in rects.items():
            c = by_id[cid]
            self.assertEqual((c['x'], c['y'], c['cx'], c['cy']), rect, 'control %d' % cid)

        tools = [by_id[i] for i in (303, 302, 301)]
        for t in tools:
            self.assertEqual(t['cls'], 'BUTTON')
            self.assertEqual(t['style'] & BS_TYPEMASK, BS_AUTORADIOBUTTON)
            self.assertTrue(t['style'] & BS_PUSHLIKE and t['style'] & BS_ICON, t)
        self.assertEqual([bool(t['style'] & WS_GROUP) for t in tools], [True, False, False])

        for group in self.layout['radio_groups']:
            styles = [by_id[i]['style'] for i in group]
            self.assertTrue(all(s & BS_TYPEMASK == BS_AUTORADIOBUTTON for s in styles))
            self.assertEqual([bool(s & WS_GROUP) for s in styles], [True] + [False] * (len(group) - 1))
        order = [c['id'] for c in d['controls']]
        for group in self.layout['radio_groups']:
            # The control after a radio group must start a new group, or the arrow keys
            # would walk from the last radio into it.
            after = d['controls'][order.index(group[-1]) + 1]
            self.assertTrue(after['style'] & WS_GROUP, after)

        for tb in self.layout['trackbars']:
            self.assertEqual(by_id[tb]['cls'].lower(), 'msctls_trackbar32')
        for ed in self.layout['edits']:
            self.assertEqual(by_id[ed]['cls'], 'EDIT')
            self.assertFalse(by_id[ed]['style'] & ES_NUMBER, 'edit %d must accept "-"' % ed)

        for box in self.layout.get('checks', (1001,)):
            self.assertEqual(by_id[box]['style'] & BS_TYPEMASK, BS_AUTOCHECKBOX)
        self.assertEqual(by_id[1]['style'] & BS_TYPEMASK, BS_DEFPUSHBUTTON)
        for b in (4, self.layout['apply'], 2):
            self.assertEqual(by_id[b]['style'] & BS_TYPEMASK, 0, 'button %d is a plain push button' % b)
        ph = by_id[1012]
        self.assertEqual((ph['cls'], ph['style'] & SS_TYPEMASK), ('STATIC', SS_BLACKFRAME))
        self.assertTrue(ph['style'] & WS_DISABLED)
        self.assertEqual(by_id[1013]['cls'], 'SCROLLBAR')
        self.assertTrue(by_id[1013]['style'] & SBS_VERT)
        self.assertFalse(by_id[1015]['style'] & SBS_VERT)

        logos = [c for c in d['controls'] if c['cls'] == 'STATIC' and c['style'] & SS_TYPEMASK == SS_BITMAP]
        self.assertEqual(len(logos), 1)
        self.assertEqual((logos[0]['text'], logos[0]['x'], logos[0]['y'], logos[0]['cx'], logos[0]['cy']),
                         (self.layout['logo'], 10, 198, 67, 36))
        boxes = [c['text'] for c in d['controls'] if c['cls'] == 'BUTTON' and c['style'] & BS_TYPEMASK == BS_GROUPBOX]
        self.assertIn('Tool Control', boxes)
        self.assertIn('Size:', boxes)
        for cid, text in self.layout['texts'].items():
            self.assertEqual(by_id[cid]['text'], text)

    def test_translations_change_only_texts(self):
        english = self.dialog(0x0409)
        for lang in LANGS:
            if lang == 0x0409:
                continue
            with self.subTest(language=LANGS[lang]):
                d = self.dialog(lang)
                self.assertEqual(len(d['controls']), len(english['controls']))
                changed = 0
                for a, b in zip(english['controls'], d['controls']):
                    self.assertEqual({k: v for k, v in a.items() if k != 'text'},
                                     {k: v for k, v in b.items() if k != 'text'})
                    changed += a['text'] != b['text']
                # "Zoom" and the like may stay, but most texts must be translated.
                self.assertGreater(changed, len(self.layout['texts']) // 2)
                if lang in WESTERN:
                    for c in d['controls']:
                        if isinstance(c['text'], str):
                            c['text'].encode('cp1252')  # survives the ANSI code page

    def test_string_tables_in_every_language(self):
        english = self.res.strings(0x0409)
        for sid, text in self.layout['english'].items():
            self.assertEqual(english[sid], text)
        self.assertEqual(english[17010], NO_TABLET_EN)
        self.assertLessEqual(len(english[16000]), 255)
        self.assertTrue(english[16000].startswith(self.layout['title'] + ' 1.0\n'))
        for lang, lname in LANGS.items():
            with self.subTest(language=lname):
                s = self.res.strings(lang)
                self.assertEqual(sorted(s), sorted(self.layout['strings']))
                self.assertEqual(s[10000].count('%d'), 2)
                self.assertEqual(s[10000].replace('%d', ''), s[10000].replace('%d', '').replace('%', ''),
                                 'no stray format specifier')
                self.assertLessEqual(len(s[16000]), 255)
                self.assertLessEqual(len(s[16001]), 60)
                self.assertIn(self.layout['title'], s[16000])
                self.assertIn('Kestrix', s[17010])
                self.assertLessEqual(len(s[17011]), 1023)  # Apply's message buffer
                for sid in self.layout['ini_keys']:
                    self.assertLessEqual(len(s[sid]), 40)
                    self.assertFalse(set(s[sid]) & set('[]=;'), 'INI key %r' % s[sid])
                if lang != 0x0409:
                    for sid in (10005, 17007, 17010, 17011):
                        self.assertNotEqual(s[sid], english[sid], 'string %d untranslated' % sid)
                if lang in WESTERN:
                    for text in s.values():
                        text.encode('cp1252')

    def test_non_ascii_text_decodes_to_the_right_characters(self):
        # Wrong source code pages show up as mojibake here (e.g. 'Ã¤' for 'ä').
        self.assertEqual(self.res.strings(0x0407)[10004], 'Möchten Sie die Änderungen speichern?')
        self.assertEqual(self.res.strings(0x0411)[10007], '\u30ad\u30e3\u30f3\u30bb\u30eb')  # キャンセル
        self.assertEqual(self.res.strings(0x0C0A)[10004], '¿Desea guardar los cambios?')
        self.assertIn('Größe:', [c['text'] for c in self.dialog(0x0407)['controls']])

    def test_pipl_kept_under_its_language(self):
        self.assertEqual(self.res.languages('PIPL', 16000), [0x0C0A])
        generated = os.path.join(harness.build_dir(), 'pipl', self.module, self.module + '.pipl')
        if os.path.exists(generated):
            with open(generated, 'rb') as f:
                self.assertEqual(self.res.get('PIPL', 16000, 0x0C0A), f.read())

    def test_logo_bitmap(self):
        w, h, _, rows = parse_dib(self.res.get(RT_BITMAP, self.layout['logo']))
        self.assertEqual((w, h), (100, 54))
        self.assertGreater(len({c for r in rows for c in r}), 4, 'a coloured logo, not a blank')
        other = MODULES['dustclean' if self.module == 'spotclean' else 'spotclean']['logo']
        self.assertNotIn(other, self.res.names(RT_BITMAP))


class SpotcleanResources(ModuleResourcesBase, unittest.TestCase):
    module = 'spotclean'


class DustcleanResources(ModuleResourcesBase, unittest.TestCase):
    module = 'dustclean'


class AirbrushResources(unittest.TestCase):
    """Dialog 107 with its own controls, its strings and keys, the eyedropper and the logo."""
    AIRBRUSH_IDS = {303, 302, 301, 1002, 1003, 1004, 1006, 12, 1017, 1018, 1019, 1005, 3, 1001,
                    1007, 5, 1000, 4, 6, 2, 1, 1012, 1013, 1015}
    ENGLISH = {10001: 'Spray Studio', 10008: 'Current Tool', 10009: 'Pressure Size',
               10010: 'Pressure Ink Flow', 10011: 'Brush Size', 10012: 'Ink Flow',
               10013: 'Splatter Brush', 10014: 'Splatter Size', 10015: 'Brush Red',
               10016: 'Brush Green', 10017: 'Brush Blue', 17012: 'Select airbrush color'}

    @classmethod
    def setUpClass(cls):
        cls.res = load_module('airbrush')

    def test_dialog_in_every_language(self):
        self.assertEqual(sorted(self.res.languages(RT_DIALOG, 107)), sorted(LANGS))
        english = parse_dialog(self.res.get(RT_DIALOG, 107, 0x0409))
        for lang, lname in LANGS.items():
            with self.subTest(language=lname):
                d = parse_dialog(self.res.get(RT_DIALOG, 107, lang))
                self.assertEqual(d['style'], DIALOG_STYLE)
                self.assertEqual(d['title'], 'Kestrix Spray Studio')
                self.assertEqual(d['cls'].upper(), 'DLGWNDCLASS')
                by_id = {c['id']: c for c in d['controls'] if c['id'] != -1}
                self.assertEqual(set(by_id), self.AIRBRUSH_IDS)
                self.assertEqual([(c['id'], c['x'], c['y'], c['cx'], c['cy']) for c in d['controls']],
                                 [(c['id'], c['x'], c['y'], c['cx'], c['cy']) for c in english['controls']])
                self.assertEqual(by_id[1000]['style'] & BS_TYPEMASK, 0xB, 'the swatch is owner-drawn')
                self.assertEqual(by_id[1001]['style'] & BS_TYPEMASK, BS_AUTOCHECKBOX)
                self.assertEqual(by_id[1]['style'] & BS_TYPEMASK, BS_DEFPUSHBUTTON)
                for tb in (1006, 1005, 1007):
                    self.assertEqual(by_id[tb]['cls'].lower(), 'msctls_trackbar32')
        texts = {c['id']: c['text'] for c in english['controls'] if c['id'] != -1}
        self.assertEqual((texts[1001], texts[6], texts[1017]), ('Splatter Size:', 'Apply', 'Fingerwheel'))

    def test_strings_keys_and_prompt(self):
        english = self.res.strings(0x0409)
        for sid, text in self.ENGLISH.items():
            self.assertEqual(english[sid], text)
        self.assertIn(17007, english)  # the undo warning keeps its id
        for lang, lname in LANGS.items():
            with self.subTest(language=lname):
                s = self.res.strings(lang)
                self.assertEqual(sorted(s), sorted(english))
                self.assertEqual(s[10001], 'Spray Studio')
                self.assertTrue(all(len(s[k]) < 40 for k in range(10008, 10018)))

    def test_eyedropper_cursor_and_logo(self):
        entries = parse_group(self.res.get(RT_GROUP_CURSOR, 132))
        self.assertEqual([(w, h, bpp) for w, h, bpp, _ in entries], [(32, 64, 1)])
        self.assertEqual(cursor_hotspot(self.res.get(RT_CURSOR, entries[0][3])), (0, 13))
        w, h, _, rows = parse_dib(self.res.get(RT_BITMAP, 131))
        self.assertEqual((w, h), (100, 54))
        self.assertNotIn(123, self.res.names(RT_BITMAP))
        self.assertEqual(self.res.languages('PIPL', 16000), [0x0C0A])


class WarperResources(ModuleResourcesBase, unittest.TestCase):
    module = 'warper'


class ChiselResources(unittest.TestCase):
    """chisel's dialog 101 and string table, numbered its own way, and its pickers' art."""
    SS_WHITERECT, SS_SUNKEN, SS_NOTIFY = 0x06, 0x1000, 0x100
    IDS = {303, 302, 301, 1004, 1005, 1006, 12, 1007, 5, 1008, 6, 1010, 7, 1011, 9, 1002, 1003,
           4, 8, 2, 1, 1012, 1013, 1015}
    STRINGS = list(range(10000, 10016)) + [16000, 16001, 17010, 17011]
    ENGLISH = {10000: 'Please enter an integer between %d and %d.', 10001: 'Window', 10002: 'Maximized',
               10004: 'Are you sure you wish to discard changes?', 10007: 'Current Tool',
               10008: 'Pressure Groove', 10009: 'Groove Size', 10010: 'Tip Size', 10011: 'Tip Depth',
               10012: 'Tip Sharpness', 10013: 'Intensity', 10014: 'Light Source', 10015: 'Relief Carver',
               16001: 'About Kestrix Relief Carver'}

    @classmethod
    def setUpClass(cls):
        cls.res = load_module('chisel')

    def test_dialog_101_in_every_language(self):
        self.assertEqual(sorted(self.res.languages(RT_DIALOG, 101)), sorted(LANGS))
        self.assertEqual(self.res.languages(RT_DIALOG, 114), [])
        english = parse_dialog(self.res.get(RT_DIALOG, 101, 0x0409))
        for lang, lname in LANGS.items():
            with self.subTest(language=lname):
                d = parse_dialog(self.res.get(RT_DIALOG, 101, lang))
                self.assertEqual((d['style'], d['cx'], d['cy'], d['title']),
                                 (DIALOG_STYLE, 436, 260, 'Kestrix Relief Carver'))
                self.assertEqual(d['cls'].upper(), 'DLGWNDCLASS')
                by_id = {c['id']: c for c in d['controls'] if c['id'] != -1}
                self.assertEqual(set(by_id), self.IDS)
                for a, b in zip(english['controls'], d['controls']):
                    self.assertEqual({k: v for k, v in a.items() if k != 'text'},
                                     {k: v for k, v in b.items() if k != 'text'})
                for cid in (1002, 1003):
                    c = by_id[cid]
                    self.assertEqual((c['cls'], c['style'] & SS_TYPEMASK), ('STATIC', self.SS_WHITERECT))
                    self.assertTrue(c['style'] & self.SS_SUNKEN)
                # Clicks reach the light picker only with SS_NOTIFY (no HTTRANSPARENT).
                self.assertTrue(by_id[1003]['style'] & self.SS_NOTIFY)
                for tb in (1006, 1007, 1008, 1010, 1011):
                    self.assertEqual(by_id[tb]['cls'].lower(), 'msctls_trackbar32')
                for ed in (12, 5, 6, 7, 9):
                    self.assertEqual(by_id[ed]['cls'], 'EDIT')
                    self.assertFalse(by_id[ed]['style'] & ES_NUMBER)
                self.assertEqual(by_id[1]['style'] & BS_TYPEMASK, BS_DEFPUSHBUTTON)
                self.assertEqual([bool(by_id[i]['style'] & WS_GROUP) for i in (1004, 1005)], [True, False])
                for cid, rect in FRAMEWORK_CONTROLS.items():
                    if cid in (303, 302, 301, 4, 2, 1, 1012, 1013, 1015):
                        c = by_id[cid]
                        self.assertEqual((c['x'], c['y'], c['cx'], c['cy']), rect, 'control %d' % cid)
                if lang in WESTERN:
                    for c in d['controls']:
                        if isinstance(c['text'], str):
                            c['text'].encode('cp1252')
        texts = {c['id']: c['text'] for c in english['controls'] if c['id'] != -1}
        self.assertEqual((texts[1004], texts[1005], texts[8]), ('Pressure', 'Fixed', 'Apply'))
        labels = [c['text'] for c in english['controls'] if c['id'] == -1]
        for label in ('Groove:', 'Size', 'Depth', 'Sharpness', 'Contrast', 'Tip:', 'Light:'):
            self.assertIn(label, labels)

    def test_string_tables(self):
        english = self.res.strings(0x0409)
        for sid, text in self.ENGLISH.items():
            self.assertEqual(english[sid], text)
        for lang, lname in LANGS.items():
            with self.subTest(language=lname):
                s = self.res.strings(lang)
                self.assertEqual(sorted(s), self.STRINGS)
                self.assertEqual(s[10000].count('%d'), 2)
                self.assertEqual(s[10015], 'Relief Carver')  # the section: the product's name
                for sid in range(10007, 10015):
                    self.assertLessEqual(len(s[sid]), 40)
                    self.assertFalse(set(s[sid]) & set('[]=;'))
                if lang != 0x0409:
                    for sid in (10003, 10004, 10008, 10011, 17010):
                        self.assertNotEqual(s[sid], english[sid], 'string %d untranslated' % sid)

    def test_light_markers_and_logo(self):
        for bitmap in (123, 124):
            w, h, _, rows = parse_dib(self.res.get(RT_BITMAP, bitmap))
            self.assertEqual((w, h), (11, 11))
            self.assertEqual(rows[0][0], rows[10][10], 'white corners')
            self.assertNotEqual(rows[5][5] if bitmap == 123 else rows[1][5], rows[0][0])
        w, h, _, rows = parse_dib(self.res.get(RT_BITMAP, 125))
        self.assertEqual((w, h), (100, 54))
        self.assertEqual(self.res.languages('PIPL', 16000), [0x0C0A])


def ants_rule(phase):
    """Colours (0 black, 1 white) of the ants bitmap of a phase, built step by step from
    the rule: row 0 of phase 0 is black in columns 0-3, each row is the one above shifted
    left by one pixel, and phase k is phase 0 moved down k rows."""
    rows = [[0, 0, 0, 0, 1, 1, 1, 1]]
    for _ in range(7):
        rows.append(rows[-1][1:] + rows[-1][:1])
    return [rows[(y - phase) % 8] for y in range(8)]


class SharedArt(unittest.TestCase):
    """Same art in both modules; checked in each."""

    def modules(self):
        for name in MODULES:
            path = harness.module_path(name)
            if os.path.exists(path):
                yield name, PeResources.load(path)

    def setUp(self):
        if not list(self.modules()):
            self.skipTest('no module built (run cmake --build --preset win32)')

    def test_marching_ants_follow_the_stripe_rule(self):
        for name, res in self.modules():
            for k in range(8):
                with self.subTest(module=name, phase=k):
                    w, h, palette, rows = parse_dib(res.get(RT_BITMAP, 101 + k))
                    self.assertEqual((w, h, len(palette)), (8, 8, 2))
                    colours = [[0 if palette[i] == 0x000000 else 1 for i in r] for r in rows]
                    self.assertTrue(all(palette[i] in (0x000000, 0xFFFFFF) for r in rows for i in r))
                    self.assertEqual(colours, ants_rule(k))

    def test_checkerboard(self):
        for name, res in self.modules():
            raw = res.get(RT_BITMAP, 122)
            self.assertEqual(raw[14], 4, 'bits per pixel')
            w, h, palette, rows = parse_dib(raw)
            self.assertEqual((w, h), (8, 8))
            for y in range(8):
                for x in range(8):
                    want = 0xC0C0C0 if (x < 4) == (y < 4) else 0xFFFFFF
                    self.assertEqual(palette[rows[y][x]], want, '%s (%d, %d)' % (name, x, y))

    def test_icons_and_cursors(self):
        for name, res in self.modules():
            for icon in (115, 116, 117):
                entries = parse_group(res.get(RT_GROUP_ICON, icon))
                self.assertIn((32, 32), [(w, h) for w, h, _, _ in entries], '%s icon %d' % (name, icon))
                for _, _, _, rid in entries:
                    self.assertIn(rid, res.names(RT_ICON))
            hotspots = {}
            for cursor in (119, 120, 121, 302):
                entries = parse_group(res.get(RT_GROUP_CURSOR, cursor))
                self.assertEqual([(w, h, bpp) for w, h, bpp, _ in entries], [(32, 64, 1)])
                hotspots[cursor] = cursor_hotspot(res.get(RT_CURSOR, entries[0][3]))
                self.assertTrue(all(0 <= v < 32 for v in hotspots[cursor]))
            self.assertEqual(hotspots[119], (15, 15), 'brush cursor hotspot at its centre')
            self.assertEqual(hotspots[120], hotspots[121], 'both magnifiers point with the lens')


class ArtIsRegenerable(unittest.TestCase):
    def test_committed_files_match_the_generator(self):
        path = os.path.join(harness.ROOT, 'resources', 'common', 'make_art.py')
        found = importlib.util.spec_from_file_location('make_art', path)
        make_art = importlib.util.module_from_spec(found)
        found.loader.exec_module(make_art)
        art_dir = os.path.join(harness.ROOT, 'resources', 'common', 'art')
        generated = make_art.artwork()
        self.assertEqual(sorted(generated), sorted(os.listdir(art_dir)))
        for name, data in generated.items():
            with open(os.path.join(art_dir, name), 'rb') as f:
                self.assertEqual(f.read(), data, '%s differs from make_art.py output' % name)


if __name__ == '__main__':
    unittest.main()
