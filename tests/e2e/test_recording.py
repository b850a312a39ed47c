"""Recording demo stations with Debian's recorder linked into the program folder."""

import os
import re
import signal
import subprocess
import unittest
from pathlib import Path

from e2e import LIST, MAIN_TITLE, STATION, DesktopTestCase, recorder_pids, s

YES = "はい(Y)"


def mp3_bytes(folder):
    return sum(p.stat().st_size for p in Path(folder).rglob("*.mp3"))


def recorders(folder):
    """The recorder processes themselves (not their terminals) recording into folder."""
    return [pid for pid in recorder_pids(folder)
            if Path(f"/proc/{pid}/cmdline").read_bytes().split(b"\0")[0].endswith(b"streamripper.exe")]


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
        question = p.answer(YES)
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

    def test_what_cannot_be_recorded_is_said_and_a_recording_is_listed_found_again_and_stopped(self):
        p = self.program()
        p.enable_recording()
        folder = p.folder.parent / "rec"
        self.addCleanup(lambda: [os.kill(pid, signal.SIGKILL) for pid in recorder_pids(folder)])
        since = self.now()
        # Tall enough for every station link of the directory page.
        self.start(p, self.settings(main=(0, 0, 14400, 9000), windows=[(1, 0, 0, 0, 8600, 13200)],
                                    rec_folder=f"{folder}/"))
        self.server.wait_for(LIST, since=since, timeout=60)

        def station(name, ch):
            since = self.now()
            p.press("再接続")
            self.server.wait_for(LIST, since=since, timeout=30)
            p.click_link(name)
            self.server.wait_for(f"{STATION}?ch={ch}&", since=since, timeout=30)
            s.wait_until(lambda: p.title_strip().name == name, 30, what=f"the title {name}")
            p.press("録音", role="push button")
            p.answer(YES)

        def refusal():
            """The text of the refusal on screen (the question's box may still be going), once closed."""
            label = p.wait_find("label", re.compile("^録音を開始できません。"), showing=True)
            box = p.message_box()
            p.press("OK", role="push button", within=box)
            return label.name

        # A link without &port= and an Ogg Opus stream: a message each, and no recorder.
        station("ポート無し局", 9)
        self.assertIn("（port）がありません", refusal())
        station("オーパス局", 8)
        self.assertIn("Ogg Opus", refusal())
        self.assertEqual(recorder_pids(folder), [])

        # Titles in Shift_JIS become a readable file name.
        station("懐メロ局", 7)
        track = s.wait_until(lambda: list(folder.glob("懐メロ局/incomplete/懐メロ局 - テストトーン *.mp3")), 30,
                             what="a track named from the Shift_JIS title")
        self.assertTrue(track)
        p.wait_find("push button", "● 録音中 1")
        # The terminal's name, in UTF-8 as taskbars read it.
        terminal = s.wait_until(lambda: self.desktop.xdotool("search", "--name", "^録音: 懐メロ局$", check=False).split(),
                                30, what="the recorder's terminal")
        name = subprocess.run(["xprop", "-id", terminal[0], "_NET_WM_NAME"], env=self.desktop.env(),
                              capture_output=True, text=True).stdout
        self.assertIn('"録音: 懐メロ局"', name)

        # The recorder outlives the program; a new start finds it again.
        os.kill(p.proc.pid, signal.SIGTERM)
        p.wait_exit(30)
        recorder = recorders(folder)
        self.assertEqual(len(recorder), 1)
        p.start()
        p.window(90)
        p.press("録音一覧")
        window = p.wait_find(("frame", "window", "dialog", "panel", "filler"), "録音一覧")
        p.wait_find("label", re.compile("放送局: 懐メロ局"), within=window)
        self.screenshot("recordings-window.png")
        p.press("停止", role="push button", within=window)
        s.wait_until(lambda: not Path(f"/proc/{recorder[0]}").exists(), 5, what="the recorder to end")
        p.wait_find("label", "録音していません。", within=window)
        s.wait_until(lambda: not p.find("push button", re.compile("^● 録音中"), showing=True), 10,
                     what="the indicator to clear")
        self.assertTrue(list(folder.glob("懐メロ局/sr_program_*.cue")))
        self.assertEqual(recorder_pids(folder), [], "its terminal closed too")


if __name__ == "__main__":
    unittest.main()
