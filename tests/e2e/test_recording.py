"""Recording a demo station with Debian's recorder linked into the program folder."""

import os
import signal
import unittest
from pathlib import Path

from e2e import MAIN_TITLE, DesktopTestCase, recorder_pids, s


def mp3_bytes(folder):
    return sum(p.stat().st_size for p in Path(folder).rglob("*.mp3"))


class Recording(DesktopTestCase):
    def test_record_a_station_into_a_folder_with_a_space_and_keep_recording_after_exit(self):
        p = self.program()
        p.enable_recording()
        folder = p.folder.parent / "録音 フォルダ"
        folder.mkdir()
        self.addCleanup(lambda: [os.kill(pid, signal.SIGKILL) for pid in recorder_pids(folder)])
        since = self.now()
        self.start(p, self.settings(windows=[(1, 0, 0, 0, 5460, 6300)], rec_folder=f"{folder}/"))
        self.assertTrue(p.find("frame", MAIN_TITLE + " Premium"))
        self.open_first_station(p, since)

        p.press("録音", role="push button")
        question = p.answer("はい(Y)")
        self.assertTrue(question, "the question has a text")

        first = s.wait_until(lambda: mp3_bytes(folder), 30, what="an MP3 in the recording folder")
        s.wait_until(lambda: mp3_bytes(folder) > first, 30, what="the MP3 to grow")
        self.screenshot("recording.png")

        # The recorder is on its own: closing the program leaves it recording.
        p.close_through_window_manager()
        self.assertEqual(p.wait_exit(30), 0)
        after_exit = mp3_bytes(folder)
        s.wait_until(lambda: mp3_bytes(folder) > after_exit, 30, what="the MP3 to grow after the program ended")
        self.assertTrue(recorder_pids(folder))


if __name__ == "__main__":
    unittest.main()
