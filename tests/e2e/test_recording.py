"""Recording demo stations with Debian's recorder linked into the program folder."""

import os
import re
import signal
import subprocess
import threading
import time
import unittest
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer
from pathlib import Path
from urllib.parse import unquote, urlsplit

from e2e import LIST, MAIN_TITLE, STANDINS, STATION, DesktopTestCase, recorder_pids, s

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


TONE = (Path(__file__).resolve().parents[2] / "tools" / "tone.mp3").read_bytes()
META_INTERVAL = 8000


class SlashStation(BaseHTTPRequestHandler):
    """A stream server that names its station "/": the tone at its own rate (32 kbit/s) after a
    short burst, with a title every 8000 bytes when asked for."""

    def do_GET(self):
        meta = self.headers.get("Icy-MetaData", "").strip() == "1"
        head = ["HTTP/1.0 200 OK", "Content-Type: audio/mpeg", "icy-name: /", "icy-br: 32"]
        if meta:
            head.append(f"icy-metaint: {META_INTERVAL}")
        self.wfile.write(("\r\n".join(head) + "\r\n\r\n").encode())
        start, sent = time.monotonic(), 0
        try:
            while not self.server.done.is_set():
                delay = start + (sent - 16000) / 4000 - time.monotonic()
                if delay > 0 and self.server.done.wait(delay):
                    break
                block = (TONE * 2)[sent % len(TONE):][:META_INTERVAL - sent % META_INTERVAL][:1000]
                sent += len(block)
                if meta and sent % META_INTERVAL == 0:
                    text = f"StreamTitle='../.. - Tone {sent // 40000}';".encode()
                    text += b"\0" * (-len(text) % 16)
                    block += bytes([len(text) // 16]) + text
                self.wfile.write(block)
        except (BrokenPipeError, ConnectionResetError):
            pass

    def log_message(self, *args):
        pass


class HostileStation(DesktopTestCase):
    """A station whose server names itself "/", recorded and listed, with a desktop portal."""

    @classmethod
    def setUpClass(cls):
        cls.stream = ThreadingHTTPServer(("127.0.0.1", 0), SlashStation)
        cls.stream.daemon_threads = True
        cls.stream.done = threading.Event()
        threading.Thread(target=cls.stream.serve_forever, daemon=True).start()
        cls.server_options = {"extra_stations": [("スラッシュ局", f"http://127.0.0.1:{cls.stream.server_port}/slash")]}
        super().setUpClass()

    @classmethod
    def tearDownClass(cls):
        super().tearDownClass()
        cls.stream.done.set()
        cls.stream.shutdown()
        cls.stream.server_close()

    def portal_log(self):
        reply = self.desktop.call("org.freedesktop.portal.Desktop", "/TestPortal", "org.sora.TestPortal.Log")
        return re.findall(r"'([^']*)'", reply)

    def test_a_station_named_slash_is_recorded_listed_without_a_freeze_and_opened_inside_the_folder(self):
        portal = self.desktop.spawn([STANDINS / "inhibit_portal.py"], bus_name="org.freedesktop.portal.Desktop")
        self.addCleanup(s.stop_process, portal)
        opened = Path(self.desktop.runtime.parent) / "opened.txt"
        opened.write_text("")
        p = self.program(env={"PATH": f"{STANDINS}:{os.environ['PATH']}", "SORA_OPENED": str(opened)})
        p.enable_recording()
        folder = p.folder.parent / "rec"
        folder.mkdir()
        self.addCleanup(lambda: [os.kill(pid, signal.SIGKILL) for pid in recorder_pids(folder)])
        since = self.now()
        self.start(p, self.settings(main=(0, 0, 14400, 9000), windows=[(1, 0, 0, 0, 8600, 13200)],
                                    rec_folder=f"{folder}/"))
        self.server.wait_for(LIST, since=since, timeout=60)
        p.click_link("スラッシュ局")
        s.wait_until(lambda: p.title_strip().name == "スラッシュ局", 30, what="the station's title")
        # The station plays: suspend is held off while it does.
        playing = s.wait_until(lambda: [e for e in self.portal_log() if e.endswith(" 再生中")], 30,
                               what="the portal to be asked to hold off suspend while playing")
        p.press("録音", role="push button")
        p.answer(YES)
        p.wait_find("push button", "● 録音中 1")
        inhibit = s.wait_until(lambda: [e for e in self.portal_log() if e.endswith(" 録音中: スラッシュ局")], 30,
                               what="the portal to be asked to hold off suspend")
        self.assertTrue(inhibit[0].startswith("inhibit 4 "), inhibit)
        request = inhibit[0].split()[2]

        # The recorder makes its station folder; a big one, so reading it would show.
        station = s.wait_until(lambda: [d for d in folder.iterdir() if d.is_dir() and any(d.rglob("*.mp3"))], 30,
                               what="the recorder's station folder")[0]
        for i in range(10000):
            (station / f"old {i:05}.mp3").touch()

        p.press("録音一覧")
        window = p.wait_find(("frame", "window", "dialog", "panel", "filler"), "録音一覧")
        details = p.wait_find("label", re.compile("放送局: スラッシュ局"), within=window)
        s.wait_until(lambda: "書き込み済み: （確認中）" not in details.name, 30, what="the sizes read")
        # Shown for 10 s, the list answers the accessibility tree at once throughout.
        answers, end = [], time.monotonic() + 10

        def answered():
            t = time.monotonic()
            self.assertIn("放送局: スラッシュ局", details.name)
            answers.append(time.monotonic() - t)
            return time.monotonic() > end
        s.wait_until(answered, 30, interval=0.2, what="10 s of answers")
        self.assertLess(max(answers), 1.0, "the list answered the accessibility tree late")

        p.press("フォルダを開く", role="push button", within=window)
        line = s.wait_until(lambda: opened.read_text().strip(), 30, what="the folder handed to the desktop")
        handed = Path(unquote(urlsplit(line).path)).resolve()
        self.assertEqual(handed.parent, folder.resolve(), line)
        self.assertEqual(handed, station.resolve())

        recorder = recorders(folder)
        p.press("停止", role="push button", within=window)
        s.wait_until(lambda: not any(Path(f"/proc/{pid}").exists() for pid in recorder), 10,
                     what="the recorder to end")
        s.wait_until(lambda: f"close {request}" in self.portal_log(), 30, what="the inhibition to be released")
        self.assertEqual(list(folder.parent.glob("*.mp3")), [], "nothing written outside the recording folder")

        # Paused from the desktop's media panel: the computer may sleep again.
        subprocess.run(["playerctl", "pause"], env=self.desktop.env(), timeout=30, check=True)
        s.wait_until(lambda: f"close {playing[0].split()[2]}" in self.portal_log(), 30,
                     what="the playing's inhibition to be released")


if __name__ == "__main__":
    unittest.main()
