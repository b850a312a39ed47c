"""A station that was playing plays again by itself after its server went away for a while; one
the listener paused stays paused; a stream that announced a file's length is brought back too."""

import re
import time
import unittest

from e2e import STATION, DesktopTestCase, s

PLAYING = re.compile("^(pause|一時停止)$")
PAUSED = re.compile("^(play|再生)$")
ELAPSED = re.compile(r"^(?:経過時間|elapsed time): (\d+):(\d\d)", re.IGNORECASE)


class NetworkBlip(DesktopTestCase):
    # Streams that hold a few seconds, so the station falls silent while the server is away and
    # the first tries to bring it back fail.
    server_options = {"burst_seconds": 5}

    def media_button(self, p, station, name, timeout=30):
        """The play/pause button of the page titled `station`, once it is named `name`."""
        def find():
            page = p.find("document web", station)
            return page and p.find("push button", name, within=page)
        try:
            return s.wait_until(find, timeout, interval=0.3, what=f"{station}: {name.pattern}")
        except TimeoutError:
            page = p.find("document web", station)
            names = [(a.getRoleName(), a.name) for a in s.walk(page)] if page else "no page"
            raise AssertionError(f"{station}: {names} {self.server.requests()}")

    def test_a_playing_station_comes_back_and_a_paused_one_stays_paused(self):
        p = self.program()
        # Two players side by side; the timer at its longest, so that every load after the
        # blip is the program's recovery.
        windows = [(1, 0, 0, 0, 6000, 6300), (1, 0, 0, 6000, 6000, 6300)]
        since = self.now()
        self.start(p, self.settings(interval=99, windows=windows, main=(0, 0, 7320, 12600)))
        self.server.wait_for("/kiri-board/radio-deck/radioobx.cgi", 2, since=since, timeout=60)
        p.click_link("ラジオ夢見")
        self.server.wait_for("/station1", since=since, timeout=30)
        self.media_button(p, "ラジオ夢見", PLAYING, timeout=60)
        # The second station from the window still on the directory.
        directory = s.wait_until(lambda: (lambda d: d[0] if len(d) == 1 else None)(
            p.find_all("document web", "ラジオデッキ 放送局一覧")), 30, what="one directory page")
        p.click_link("深夜の灯台", within=directory)
        self.server.wait_for("/station2", since=since, timeout=30)
        button = self.media_button(p, "深夜の灯台", PLAYING, timeout=60)
        x, y, width, height = s.extents(button)
        p.click(x + width // 2, y + height // 2)
        self.media_button(p, "深夜の灯台", PAUSED)

        stopped = self.now()
        self.server.stop(keep=True)
        # The station falls silent within the blip, and the program says what it does.
        p.wait_status("接続が切れたため、再接続します。", timeout=30)
        time.sleep(max(0.0, stopped + 10 - self.now()))  # the rest of the blip itself
        self.server.start()
        back = self.now()

        self.server.wait_for("/station1", since=back, timeout=45)
        # Streams this short take a while to buffer before they play.
        self.media_button(p, "ラジオ夢見", PLAYING, timeout=60)
        p.wait_status("ページが表示されました")
        self.assertIsNone(p.proc.poll(), "the program ended")
        self.assertLessEqual(self.server.count("/station1", since=back), 4)
        self.assertLessEqual(self.server.count(STATION, since=stopped), 5)
        self.assertEqual(self.server.count("/station2", since=stopped), 0)


class LiveFileDrop(DesktopTestCase):
    # Every stream starts with an MP3 file's Info frame, as a source client relays a file's head
    # to a listener who joins early: the engine takes the stream for a file of that length.
    server_options = {"burst_seconds": 5, "info_seconds": 2}
    media_button = NetworkBlip.media_button

    def test_the_end_of_a_stream_that_announced_a_length_is_a_drop(self):
        p = self.program()
        station = (f"http://{self.server.host}{STATION}?ch=1&title=Info&serv=127.0.0.1"
                   f"&port={self.server.stream_port}&mount=/station1&end=1")
        since = self.now()
        self.start(p, s.settings_file(station, self.server.url2(), interval=99,
                                      windows=[(1, 0, 0, 0, 7000, 6300)]))
        self.server.wait_for("/station1", since=since, timeout=60)
        self.media_button(p, "Info", PLAYING, timeout=60)
        # Played past the length the stream announced, as a listener does for minutes.
        def elapsed():
            page = p.find("document web", "Info")
            for a in s.walk(page) if page else ():
                m = ELAPSED.match(a.name or "")
                if m:
                    return int(m[1]) * 60 + int(m[2])
            return 0

        # The source leaves: the server cuts the listener off, and the engine, asking for the rest
        # of what it takes for a file, gets no more audio: the stream ends.
        # Twice in a row: the second drop, of a stream loaded fresh, is loaded fresh again.
        for _ in range(2):
            s.wait_until(lambda: elapsed() >= 5, 60, interval=0.5, what="5 s played")
            self.server.sources(False)
            p.wait_status("接続が切れたため、再接続します。", timeout=45)
            self.server.sources(True)
            back = self.now()
            # Asked of the server anew, under an address the engine kept nothing of: the engine
            # asks for the old one too, and may play that from memory.
            self.server.wait_for("/station1?sora-fresh=", since=back, timeout=45)
            self.media_button(p, "Info", PLAYING, timeout=60)
        self.assertIsNone(p.proc.poll(), "the program ended")


if __name__ == "__main__":
    unittest.main()
