"""Recording a demo station with Debian's recorder linked into the program folder."""

import os
import signal
import time
import unittest
from pathlib import Path

from e2e import FIRST_STATION_LINK, LIST, STATION, DesktopTestCase, s

# The record button of a player window 5460 twips wide, inside its client area.
RECORD_BUTTON = (331, 17)


def mp3_bytes(folder):
    return sum(p.stat().st_size for p in Path(folder).rglob("*.mp3"))


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


class Recording(DesktopTestCase):
    def test_record_a_station_into_a_folder_with_a_space_and_keep_recording_after_exit(self):
        p = self.program()
        p.enable_recording()
        folder = p.folder.parent / "録音 フォルダ"
        folder.mkdir()
        self.addCleanup(lambda: [os.kill(pid, signal.SIGKILL) for pid in recorder_pids(folder)])
        since = self.now()
        window = self.start(p, self.settings(windows=[(1, 0, 0, 0, 5460, 6300)], rec_folder=f"{folder}/"))
        self.assertEqual(self.desktop.xdotool("getwindowname", window), "ソラマドORBX Premium")
        self.server.wait_for(LIST, since=since, timeout=60)
        time.sleep(2)
        cx, cy = p.child_client_origin(window, 0, 0)
        p.click(cx + FIRST_STATION_LINK[0], cy + FIRST_STATION_LINK[1])
        self.server.wait_for(STATION, since=since, timeout=30)
        time.sleep(2)

        p.click(cx + RECORD_BUTTON[0], cy + RECORD_BUTTON[1])
        box = s.wait_until(lambda: self.desktop.xdotool("search", "--onlyvisible", "--name", "^SoraWindowEX$",
                                                        check=False).split(), 20, what="the question")[0]
        self.screenshot("record-question.png")
        self.desktop.xdotool("windowactivate", "--sync", box, check=False)
        self.desktop.xdotool("key", "y")  # the Yes button's mnemonic

        first = s.wait_until(lambda: mp3_bytes(folder), 30, what="an MP3 in the recording folder")
        s.wait_until(lambda: mp3_bytes(folder) > first, 30, what="the MP3 to grow")
        self.screenshot("recording.png")

        # The recorder is on its own: closing the program leaves it recording.
        p.close_through_window_manager(window)
        self.assertEqual(p.wait_exit(30), 0)
        after_exit = mp3_bytes(folder)
        s.wait_until(lambda: mp3_bytes(folder) > after_exit, 30, what="the MP3 to grow after the program ended")
        self.assertTrue(recorder_pids(folder))


if __name__ == "__main__":
    unittest.main()
