"""The user packages: one zip per width holding exactly that width's modules."""
import os
import re
import subprocess
import tempfile
import unittest
import zipfile

import harness
import wine_arch

DELIVERABLES = ('spotclean', 'dustclean', 'grainwash', 'chisel', 'airbrush', 'texturer', 'gilder', 'warper')


class Packages(unittest.TestCase):
    def test_each_zip_holds_the_modules_of_its_width_and_the_note(self):
        with tempfile.TemporaryDirectory() as out:
            r = subprocess.run(['bash', os.path.join(harness.ROOT, 'scripts', 'package.sh'), '--out', out],
                               stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                               text=True, timeout=600)
            self.assertEqual(r.returncode, 0, r.stdout)
            zips = sorted(os.listdir(out))
            self.assertEqual(len(zips), 2, zips)
            for name, width in zip(zips, (32, 64)):
                with self.subTest(zip=name):
                    m = re.fullmatch(r'kestrix-filters-(\d+\.\d+\.\d+)-win(32|64)\.zip', name)
                    self.assertTrue(m, name)
                    self.assertEqual(int(m.group(2)), width)
                    built = {d for d in DELIVERABLES
                             if os.path.exists(os.path.join(harness.ROOT, 'build', 'win%d' % width, d + '.8bf'))}
                    self.assertIn('spotclean', built)
                    with zipfile.ZipFile(os.path.join(out, name)) as z:
                        files = [n for n in z.namelist() if not n.endswith('/')]
                        top = name[:-4] + '/'
                        self.assertTrue(all(n.startswith(top) for n in files), files)
                        self.assertEqual(sorted(n[len(top):] for n in files),
                                         sorted(['INSTALL.txt'] + [d + '.8bf' for d in built]))
                        for d in built:
                            data = z.read(top + d + '.8bf')
                            with tempfile.NamedTemporaryFile(suffix='.8bf') as f:
                                f.write(data)
                                f.flush()
                                self.assertEqual(wine_arch.pe_bits(f.name), width, d)
                        note = z.read(top + 'INSTALL.txt').decode('ascii')
                        self.assertIn('%d-bit' % width, note)
                        self.assertIn('plug-ins folder', note)
                        self.assertIn('Wintab', note)
                        self.assertNotIn('@', note)


if __name__ == '__main__':
    unittest.main()
