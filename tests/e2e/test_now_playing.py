"""What is playing: the song of stations on Debian's icecast2 (fed by ezstream) on the desktop's
media panel, through Debian's playerctl, and the history of titles in the program folder."""

import html
import subprocess
import threading
import time
import unittest
from datetime import date

from e2e import LIST, STATION, IcecastTestCase, s

import icecast  # noqa: E402 (tools/, on the path through e2e)

STATION_NAME = "氷河放送"
SONGS = ["氷河の歌手 - 北の星", "氷河の歌手 - 白い道", "Glacier - Blue Ice"]
SONG_SECONDS = 20
OLD_STATION = "懐かし放送"  # its encoder sends Shift_JIS titles
OLD_SONG = "昭和の歌手 - 港の灯"


def parts(song):
    artist, _, title = song.partition(" - ")
    return artist, title


class NowPlaying(IcecastTestCase):
    @classmethod
    def icecast(cls):
        return icecast.Icecast([icecast.Mount("/glacier.mp3", titles=SONGS, seconds=SONG_SECONDS),
                                icecast.Mount("/old.mp3", charset="SHIFT_JIS")],
                               burst_size=131072)  # the page's player starts sooner

    @classmethod
    def directory_options(cls, ice):
        return dict(extra_stations=[(STATION_NAME, ice.url("/glacier.mp3")), (OLD_STATION, ice.url("/old.mp3"))],
                    extra_plays_own=True)

    def playerctl(self, *args):
        r = subprocess.run(["playerctl", *args], env=self.desktop.env(), capture_output=True, text=True,
                           timeout=30)
        return r.stdout.strip()

    def panel(self):
        return tuple(self.playerctl("metadata", key) for key in ("xesam:artist", "xesam:title", "xesam:album"))

    def wait_panel(self, song, station, timeout):
        artist, title = parts(song)
        try:
            s.wait_until(lambda: self.panel() == (artist, title, station), timeout, interval=0.5,
                         what=f"the panel to show {song} of {station}")
        except TimeoutError:
            raise AssertionError(f"the panel shows {self.panel()}; {self.requests()}")

    def requests(self):
        """The stream server's log of what the program and its page asked for, for a failure's message."""
        return [line for line in self.ice.access_log.read_text().splitlines() if "Python" not in line]

    def server_title(self):
        # icecast2 keeps characters beyond ASCII of titles sent in UTF-8 as character references.
        return html.unescape(self.ice.source("/glacier.mp3")["title"])

    def history(self, program):
        path = program.folder / f"曲名履歴-{date.today():%Y-%m}.tsv"
        lines = path.read_text(encoding="utf-8").splitlines()
        self.assertEqual(lines[0], "日時\t放送局\t曲名\tアドレス")
        return [line.split("\t") for line in lines[1:]]

    def test_the_panel_follows_the_song_and_the_history_keeps_each_title_once(self):
        p = self.program()
        since = self.now()
        # Tall enough for every station link of the directory page.
        self.start(p, self.settings(main=(0, 0, 14400, 9000), windows=[(1, 0, 0, 0, 8600, 13200)]))
        self.server.wait_for(LIST, since=since, timeout=60)

        # The station's listener count, throughout.
        listeners, done = [], threading.Event()

        def sample():
            while not done.wait(0.5):
                source = self.ice.source("/glacier.mp3")
                listeners.append((time.monotonic(), source.get("listeners") if source else None))
        sampler = threading.Thread(target=sample, daemon=True)
        sampler.start()
        self.addCleanup(done.set)

        p.click_link(STATION_NAME)
        self.server.wait_for(STATION, since=since, timeout=30)
        s.wait_until(lambda: self.playerctl("status") == "Playing", 30, what="the station to play")
        shown = []
        # The page's player starts once it has buffered enough, which a young stream takes a while for.
        s.wait_until(lambda: self.panel()[1] in [parts(t)[1] for t in SONGS], 60, interval=0.5,
                     what="the panel to show a song")
        first_shown = time.monotonic()
        artist, title, album = self.panel()
        self.assertEqual(album, STATION_NAME)
        shown.append(f"{artist} - {title}")

        # The next song the server plays: on the panel within 35 s of its start.
        now = self.server_title()
        s.wait_until(lambda: self.server_title() != now, SONG_SECONDS + 10, what="the next song on the server")
        following = self.server_title()
        self.wait_panel(following, STATION_NAME, 35)
        shown.append(following)
        done.set()
        sampler.join()

        # One listener, the page; a second only for a moment (the one look at the stream's own
        # metadata before the status document is trusted), which the server's count shows a little late.
        counts = [n for t, n in listeners if t >= first_shown + 3]
        self.assertTrue(counts)
        self.assertTrue(all(n == 1 for n in counts), (listeners, self.requests()))
        self.assertLessEqual(max(n or 0 for _, n in listeners), 2, listeners)
        self.assertLessEqual(sum(1 for _, n in listeners if n == 2), 10, listeners)  # 5 s at most

        # Titles in Shift_JIS from an old encoder.
        self.ice.set_title("/old.mp3", OLD_SONG, "cp932")
        p.click_link("放送局一覧へ戻る")
        self.server.wait_for(LIST, n=2, since=since, timeout=30)
        p.click_link(OLD_STATION)
        self.wait_panel(OLD_SONG, OLD_STATION, 35)

        history = self.history(p)
        glacier = [title for _, station, title, address in history if station == STATION_NAME]
        self.assertEqual(len(glacier), len(set(glacier)), history)  # each title once
        for song in shown:
            self.assertIn(song, glacier)
        self.assertTrue(all(title in SONGS for title in glacier), history)
        self.assertEqual({address for _, station, _, address in history if station == STATION_NAME},
                         {self.ice.url("/glacier.mp3")})
        self.assertEqual([(station, title) for _, station, title, _ in history if station == OLD_STATION],
                         [(OLD_STATION, OLD_SONG)])


if __name__ == "__main__":
    unittest.main()
