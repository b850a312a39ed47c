"""What the end-to-end tests share: the session module and a test case with a desktop."""

import atexit
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
FIRST_STATION = "ラジオ夢見"  # the first link of the directory page
MAIN_TITLE = "ソラマドORBX"

STANDINS = Path(__file__).resolve().parent / "standins"

_desktop = _kind = None


def desktop(kind=s.Desktop, *args):
    """One desktop for the whole test process: its accessibility bus is the one this process reads.
    A file that needs another kind or size asks for it (CTest runs each file in a process of its own)."""
    global _desktop, _kind
    if _desktop is None:
        _desktop, _kind = kind(*args), (kind, args)
        _desktop.start()
        atexit.register(_desktop.stop)
    elif _kind != (kind, args):
        raise RuntimeError(f"this process already has a desktop {_kind}")
    return _desktop


def artifacts():
    """Folder for screenshots that a person can look at after a run."""
    folder = s.build_dir() / "e2e-screenshots"
    folder.mkdir(parents=True, exist_ok=True)
    return folder


def recorder_pids(folder):
    """Processes whose command line names the recording folder: the recorder and its terminal."""
    pids = []
    for entry in Path("/proc").iterdir():
        if entry.name.isdigit():
            try:
                args = (entry / "cmdline").read_bytes().split(b"\0")
            except OSError:
                continue
            if os.fsencode(str(folder)) + b"/" in args:
                pids.append(int(entry.name))
    return pids


class DesktopTestCase(unittest.TestCase):
    """The desktop (of `desktop_kind`, e.g. (s.Desktop, 1024, 600)) and a demo server on free ports
    (with `server_options`)."""

    desktop_kind = (s.Desktop,)
    server_options = {}  # for s.DemoServer

    @classmethod
    def setUpClass(cls):
        cls.desktop = desktop(*cls.desktop_kind)
        cls.server = s.DemoServer(**cls.server_options)
        cls.server.start()

    @classmethod
    def tearDownClass(cls):
        cls.server.stop()

    def program(self, **kw):
        p = s.Program(self.desktop, **kw)
        self.addCleanup(p.cleanup)
        self.addCleanup(self._keep_output, p)
        return p

    def _keep_output(self, program):
        if program.output.exists() and os.environ.get("SORA_E2E_VERBOSE"):
            sys.stderr.write(program.output.read_text(errors="replace"))

    def start(self, program, settings=None, timeout=90):
        """Starts the program (on `settings` bytes if given); its main window's X id."""
        if settings is not None:
            program.write_settings(settings)
        program.start()
        return program.window(timeout)

    def settings(self, **kw):
        return s.settings_file(self.server.url1(), self.server.url2(), **kw)

    def open_first_station(self, program, since):
        """Follows the first station link of the directory page and waits for the station page."""
        self.server.wait_for(LIST, since=since, timeout=60)
        program.click_link(FIRST_STATION)
        self.server.wait_for(STATION, since=since, timeout=30)

    def screenshot(self, name):
        return self.desktop.screenshot(artifacts() / name)

    def now(self):
        return time.time()


class IcecastTestCase(DesktopTestCase):
    """A desktop test case with an icecast2 of its own (`cls.ice`), started before the demo
    directory, which may list its mounts (`directory_options`), and stopped after it."""

    @classmethod
    def icecast(cls):
        raise NotImplementedError  # the test's icecast.Icecast

    @classmethod
    def directory_options(cls, ice):
        return cls.server_options

    @classmethod
    def setUpClass(cls):
        cls.ice = cls.icecast()
        cls.ice.start()
        cls.server_options = cls.directory_options(cls.ice)
        try:
            super().setUpClass()
        except BaseException:
            cls.ice.stop()
            raise

    @classmethod
    def tearDownClass(cls):
        super().tearDownClass()
        cls.ice.stop()
