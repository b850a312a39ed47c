"""cmake --install: a program folder of its own, a link in bin, a valid desktop entry and icons."""

import subprocess
import tempfile
import unittest
from pathlib import Path

from e2e import DesktopTestCase, s


class Install(DesktopTestCase):
    def test_installed_program_runs_from_its_own_folder(self):
        with tempfile.TemporaryDirectory(prefix="sora install ") as root:
            prefix = Path(root) / "pre fix"
            subprocess.run(["cmake", "--install", str(s.build_dir()), "--prefix", str(prefix)], check=True,
                           stdout=subprocess.DEVNULL)
            folder = prefix / "lib" / "sorawindowex"
            self.assertTrue((folder / "SoraWindowEX").is_file())
            self.assertTrue((folder / "SoraWindowEX.png").is_file())
            link = prefix / "bin" / "SoraWindowEX"
            self.assertTrue(link.is_symlink())
            self.assertEqual(link.resolve(), (folder / "SoraWindowEX").resolve())
            for size in ("32x32", "128x128"):
                self.assertTrue((prefix / "share/icons/hicolor" / size / "apps/sorawindowex.png").is_file())
            entry = prefix / "share/applications/sorawindowex.desktop"
            check = subprocess.run(["desktop-file-validate", str(entry)], capture_output=True, text=True)
            self.assertEqual(check.returncode, 0, check.stdout + check.stderr)
            self.assertIn(f'Exec="{folder}/SoraWindowEX"', entry.read_text(encoding="utf-8"))

            # Started through the link, the program keeps its settings beside itself.
            p = s.Program(self.desktop, folder=folder)
            self.addCleanup(p.cleanup)
            p.executable = link
            self.start(p)
            ini = s.read_settings((folder / "SoraWindowEX.ini").read_bytes())
            self.assertEqual(ini[("setting", "rf")], f"{folder}/")
            self.assertFalse((prefix / "bin" / "SoraWindowEX.ini").exists())


if __name__ == "__main__":
    unittest.main()
