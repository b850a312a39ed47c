"""The built-in directory on a stand-in catalogue: a first start without a settings file lists
stations, search narrows the list, a station plays and records, and without a catalogue server the
last list is offered with a message."""

import os
import re
import signal
import subprocess
import sys
import tempfile
import unittest
from pathlib import Path

from e2e import MAIN_TITLE, STANDINS, DesktopTestCase, recorder_pids, s

YES = "はい(Y)"


class Catalogue:
    """The stand-in catalogue on a free port; its request log."""

    def __init__(self, stream_base):
        self.dir = tempfile.TemporaryDirectory(prefix="sora-catalogue-")
        self.log = Path(self.dir.name) / "requests.log"
        ready = Path(self.dir.name) / "ready"
        self.proc = subprocess.Popen([sys.executable, str(STANDINS / "catalogue.py"), "--stream-base", stream_base,
                                      "--log", str(self.log), "--ready-file", str(ready)])
        s.wait_until(lambda: ready.exists(), 15, what="the stand-in catalogue")
        self.base = f"http://127.0.0.1:{ready.read_text()}"

    def requests(self):
        return self.log.read_text(encoding="utf-8").splitlines() if self.log.exists() else []

    def wait_for(self, pattern, timeout=60):
        return s.wait_until(lambda: [r for r in self.requests() if re.search(pattern, r)], timeout,
                            what=f"a catalogue request {pattern}")

    def stop(self):
        s.stop_process(self.proc)
        self.dir.cleanup()


class BuiltInDirectory(DesktopTestCase):
    def test_first_start_lists_searches_plays_records_and_falls_back_to_the_last_list(self):
        catalogue = Catalogue(f"http://127.0.0.1:{self.server.stream_port}")
        self.addCleanup(catalogue.stop)
        p = self.program(env={"SORA_CATALOGUE": catalogue.base})
        p.enable_recording()
        self.addCleanup(lambda: [os.kill(pid, signal.SIGKILL) for pid in recorder_pids(p.folder)])
        self.start(p)
        self.assertIn(b'Url1="soramado://directory/stations"', p.settings())
        self.assertTrue(p.find("frame", MAIN_TITLE + " Premium"))

        # Japanese stations first, asked as the catalogue asks its clients to be.
        first = catalogue.wait_for(r"/json/stations/search\?.*countrycode=JP")[0]
        self.assertRegex(first, r"SoraWindowEX/\d+\.\d+$")
        p.wait_find("link", re.compile("^ラジオ夢見"))
        # A name from the catalogue is text: its markup shows as characters.
        self.assertTrue(p.wait_find("link", re.compile('^<img src=x onerror="document.title=1">Mark')))
        self.assertFalse(p.find_all("link", re.compile("^Broken FM")))
        # The ping window shows the catalogue server's state.
        p.wait_find("heading", "放送局一覧のサーバーは稼働中です")

        # Search by name and by tag.
        x, y, width, height = s.extents(p.wait_find("text", "検索", showing=True))
        p.click(x + width // 2, y + height // 2)
        self.desktop.xdotool("type", "--delay", "20", "jazz")
        self.desktop.xdotool("key", "Return")
        catalogue.wait_for(r"/json/stations/search\?.*tag=jazz")
        p.wait_find("link", re.compile("^Smooth Jazz Global"))
        secure = p.wait_find("link", re.compile("^Secure FM"))
        self.assertIn("https の放送は録音できません", secure.name)

        p.click_link("海風エフエム jazz")
        catalogue.wait_for(r"/json/url/00000000-0000-4000-8000-000000000003 ")
        s.wait_until(lambda: p.title_strip().name == "海風エフエム", 30, what="the station in the title strip")
        self.server.wait_for("/station4", timeout=60)

        p.press("録音", role="push button")
        p.answer(YES)
        s.wait_until(lambda: [pid for pid in recorder_pids(p.folder)], 60, what="the recorder")
        p.close_through_window_manager()
        self.assertEqual(p.wait_exit(30), 0)

        # No catalogue server: a Japanese message and the last list received.
        catalogue.stop()
        p.start()
        p.wait_find("heading", re.compile("^前回受け取った一覧"), timeout=90)
        self.assertTrue(p.wait_find("link", re.compile("^ラジオ夢見")))
        p.wait_find("heading", "放送局一覧のサーバーに接続できません")
        self.screenshot("directory-offline.png")


if __name__ == "__main__":
    unittest.main()
