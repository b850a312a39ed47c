"""Scheduled recording: an entry set through 予約録音 records a station of Debian's icecast2 at its
start and stops the recorder at its end."""

import os
import re
import signal
import time
import unittest
from datetime import datetime, timedelta
from pathlib import Path

from e2e import IcecastTestCase, recorder_pids, s

import icecast  # noqa: E402 (tools/, on the path through e2e)

WINDOWS = ("frame", "window", "dialog", "panel", "filler")


def recorder(folder):
    """The recorder process itself (not its terminal) recording into folder, or None."""
    for pid in recorder_pids(folder):
        try:
            if Path(f"/proc/{pid}/cmdline").read_bytes().split(b"\0")[0].endswith(b"streamripper.exe"):
                return pid
        except OSError:
            pass
    return None


class Schedule(IcecastTestCase):
    @classmethod
    def icecast(cls):
        return icecast.Icecast([icecast.Mount("/yoru.mp3")])

    def test_an_entry_set_a_minute_ahead_records_at_its_start_and_stops_at_its_end(self):
        p = self.program()
        p.enable_recording()
        folder = p.folder.parent / "rec"
        self.addCleanup(lambda: [os.kill(pid, signal.SIGKILL) for pid in recorder_pids(folder)])
        self.start(p, self.settings(rec_folder=f"{folder}/"))

        p.press("録音一覧")
        recordings = p.wait_find(WINDOWS, "録音一覧")
        p.press("予約録音…", role="push button", within=recordings)
        window = p.wait_find(WINDOWS, "予約録音")
        # The editor offers the next whole minute: at least 20 s ahead, so the timer starts it.
        s.wait_until(lambda: datetime.now().second < 40, 30, what="20 s before the next minute")
        p.press("追加", role="push button", within=window)
        editor = p.wait_find(WINDOWS, "予約の編集")
        address = (f"http://127.0.0.1/radio-deck/station.cgi?ch=1&title=夜の局&serv=127.0.0.1"
                   f"&port={self.ice.port}&mount=/yoru.mp3")
        p.wait_find("text", "放送局", within=editor).queryEditableText().setTextContents(address)
        p.wait_find("spin button", "長さ", within=editor).queryValue().currentValue = 1
        for box in ("開始", "終了", "繰り返し", "有効"):
            self.assertTrue(p.find(name=box, within=editor), box)
        p.press("OK", role="push button", within=editor)
        p.wait_find("list item", re.compile("^夜の局　"), within=window)

        kept = (p.folder / "SoraWindowEX-schedule.txt").read_text(encoding="utf-8")
        start = datetime.strptime(re.search(r"^start=(.*)$", kept, re.M).group(1), "%Y-%m-%d %H:%M")
        self.assertIn("minutes=1\n", kept)
        self.assertGreater(start, datetime.now())

        pid = s.wait_until(lambda: recorder(folder), (start - datetime.now()).total_seconds() + 30,
                           what="the scheduled recorder")
        self.assertLess(datetime.now(), start + timedelta(seconds=5), "started within 5 s of its start")
        p.wait_find("push button", "● 録音中 1")
        self.screenshot("schedule.png")

        end = start + timedelta(minutes=1)
        s.wait_until(lambda: not Path(f"/proc/{pid}").exists(), (end - datetime.now()).total_seconds() + 30,
                     what="the recorder to end")
        self.assertLess(datetime.now(), end + timedelta(seconds=5), "stopped within 5 s of its end")
        self.assertGreater(datetime.now(), end - timedelta(seconds=1), "not before its end")
        self.assertTrue(list(folder.rglob("*.mp3")), "it recorded")


if __name__ == "__main__":
    unittest.main()
