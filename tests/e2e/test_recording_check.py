"""The check before a recording against stream servers of the test's own: what Debian's recorder
records is recorded, what it cannot is said, and a closed window does not drop a recording."""

import os
import re
import signal
import socket
import socketserver
import threading
import unittest
from pathlib import Path

from e2e import LIST, STATION, DesktopTestCase, recorder_pids, s

YES = "はい(Y)"
TONE = (Path(__file__).resolve().parents[2] / "tools" / "tone.mp3").read_bytes()  # no tags: loops cleanly
TONE_SECONDS = 2


class StreamServer(socketserver.ThreadingTCPServer):
    """One behaviour on a free loopback port: its `head` after `delay` seconds, then (for a 200)
    tone.mp3 looped at about its own rate."""

    daemon_threads = True
    allow_reuse_address = True

    def __init__(self, head, delay=0.0):
        self.head, self.delay, self.stop = head, delay, threading.Event()
        super().__init__(("127.0.0.1", 0), StreamHandler)
        threading.Thread(target=self.serve_forever, daemon=True).start()

    def url(self, mount):
        return f"http://127.0.0.1:{self.server_address[1]}{mount}"

    def close(self):
        self.stop.set()
        self.shutdown()
        self.server_close()


class StreamHandler(socketserver.BaseRequestHandler):
    def handle(self):
        server = self.server
        try:
            self.request.recv(4096)  # the request; what it asks does not matter here
            if server.stop.wait(server.delay):
                return
            self.request.sendall(server.head.replace(b"\n", b"\r\n") + b"\r\n")
            if b" 200 " not in server.head.split(b"\n")[0] + b" ":
                return
            self.request.sendall(TONE * 5)  # a burst first, as stream servers send
            while not server.stop.wait(TONE_SECONDS):
                self.request.sendall(TONE)
        except (BrokenPipeError, ConnectionResetError, socket.timeout):
            pass


def mp3s(folder):
    return [p for p in Path(folder).rglob("*.mp3") if p.stat().st_size > 0]


class RecordingCheck(DesktopTestCase):
    @classmethod
    def setUpClass(cls):
        cls.octet = StreamServer(b"HTTP/1.0 200 OK\nContent-Type: application/octet-stream\nicy-name: octet\n")
        cls.slow = StreamServer(b"ICY 200 OK\ncontent-type: audio/mpeg\nicy-name: slow\n", delay=7)
        cls.tls = StreamServer(b"HTTP/1.0 302 Found\nLocation: https://127.0.0.1:8443/secure\n")
        cls.server_options = {"extra_stations": [("八進局", cls.octet.url("/octet")),
                                                 ("遅延局", cls.slow.url("/slow")),
                                                 ("転送局", cls.tls.url("/tls"))]}
        super().setUpClass()

    @classmethod
    def tearDownClass(cls):
        super().tearDownClass()
        for server in (cls.octet, cls.slow, cls.tls):
            server.close()

    def test_slow_and_untyped_streams_are_recorded_a_tls_redirect_is_refused_and_a_closed_window_records(self):
        p = self.program()
        p.enable_recording()
        folder = p.folder.parent / "rec"
        self.addCleanup(lambda: [os.kill(pid, signal.SIGKILL) for pid in recorder_pids(folder)])
        since = self.now()
        self.start(p, self.settings(main=(0, 0, 14400, 9000), windows=[(1, 0, 0, 0, 8600, 13200)],
                                    rec_folder=f"{folder}/"))
        self.server.wait_for(LIST, since=since, timeout=60)

        def record(name):
            since = self.now()
            p.press("再接続")
            self.server.wait_for(LIST, since=since, timeout=30)
            p.click_link(name)
            self.server.wait_for(STATION, since=since, timeout=30)
            s.wait_until(lambda: p.title_strip().name == name, 30, what=f"the title {name}")
            p.press("録音", role="push button")
            p.answer(YES)

        # A redirection to https:// would crash the recorder: it is refused, and says why.
        record("転送局")
        label = p.wait_find("label", re.compile("^録音を開始できません。"), showing=True)
        self.assertIn("https://127.0.0.1:8443/secure", label.name)
        self.assertIn("streamripper 1.64.6", label.name)
        p.press("OK", role="push button", within=p.message_box())
        self.assertEqual(recorder_pids(folder), [])

        # MP3 sent as application/octet-stream is recorded.
        record("八進局")
        s.wait_until(lambda: mp3s(folder / "octet"), 30, what="an MP3 of the untyped stream")

        # A server that answers only after 7 s, its window closed while the check waits for it.
        record("遅延局")
        window = p.wait_find("frame", "ソラマド")
        x, y, width, _ = s.extents(window)
        # The question's box first goes: until then it holds the clicks (the check takes 5 s).
        s.wait_until(lambda: not p.find(("alert", "dialog"), "SoraWindowEX", showing=True), 4,
                     what="the question to close")
        self.assertTrue(p.find("push button", "録音", enabled=False), "the check is under way")
        p.click(x + width - 12, y + 10)  # the window's own close button, top right
        s.wait_until(lambda: not p.find("frame", "ソラマド"), 5, what="the player window to close")
        s.wait_until(lambda: mp3s(folder / "slow"), 40, what="an MP3 of the slow stream")
        self.assertFalse(p.find(("alert", "dialog"), "SoraWindowEX", showing=True), "nothing to say")
        p.wait_find("push button", "● 録音中 2")


if __name__ == "__main__":
    unittest.main()
