"""What the end-to-end tests share: the session module and a test case with a desktop."""

import os
import sys
import time
import unittest
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[2] / "tools"))
import sorasession as s  # noqa: E402,F401

LIST = "/kiri-board/radio-deck/radioobx.cgi"
PING = "/kiri-board/ping-testobx.cgi"
STATION = "/kiri-board/radio-deck/station.cgi"
# Where the first station link of the directory page lies inside the page, in pixels.
FIRST_STATION_LINK = (100, 85)


def artifacts():
    """Folder for screenshots that a person can look at after a run."""
    folder = s.build_dir() / "e2e-screenshots"
    folder.mkdir(parents=True, exist_ok=True)
    return folder


class DesktopTestCase(unittest.TestCase):
    """A desktop for the whole class and a demo server; `ports` None means any free ones."""

    ports = None

    @classmethod
    def setUpClass(cls):
        cls.desktop = s.Desktop()
        cls.desktop.start()
        cls.server = s.DemoServer(*(cls.ports or (0, 0)))
        try:
            cls.server.start()
        except Exception:
            cls.desktop.stop()
            raise

    @classmethod
    def tearDownClass(cls):
        cls.server.stop()
        cls.desktop.stop()

    def program(self):
        p = s.Program(self.desktop)
        self.addCleanup(p.cleanup)
        self.addCleanup(self._keep_output, p)
        return p

    def _keep_output(self, program):
        if program.output.exists() and os.environ.get("SORA_E2E_VERBOSE"):
            sys.stderr.write(program.output.read_text(errors="replace"))

    def start(self, program, settings=None, timeout=90):
        """Starts the program (on `settings` bytes if given); its main window id."""
        if settings is not None:
            program.write_settings(settings)
        program.start()
        return program.main_window(timeout)

    def settings(self, **kw):
        return s.settings_file(self.server.url1(), self.server.url2(), **kw)

    def screenshot(self, name):
        return self.desktop.screenshot(artifacts() / name)

    def now(self):
        return time.time()
