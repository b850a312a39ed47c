"""The stream tap: a station on Debian's icecast2 (fed by ezstream) plays through the program, which
hears each title on the page's own connection: one listener, the panel on time, and the relay
refuses whoever does not know the stream's token."""

import html
import os
import re
import signal
import socket
import stat
import subprocess
import tempfile
import threading
import time
import unittest
from pathlib import Path

from e2e import LIST, STATION, IcecastTestCase, recorder_pids, s

import icecast  # noqa: E402 (tools/, on the path through e2e)

STATION_NAME = "氷河放送"
SONGS = ["氷河の歌手 - 北の星", "Glacier - Blue Ice", "氷河の歌手 - 白い道"]
SONG_SECONDS = 12
YES = "はい(Y)"


def as_sent(title):
    """A title as icecast2 sends it in the stream, and so as the recorder names its file: characters
    beyond ASCII as character references."""
    return "".join(c if ord(c) < 128 else f"&#{ord(c)};" for c in title)


def loopback_listeners(pid):
    """The loopback TCP ports process `pid` listens on."""
    inodes = set()
    for fd in os.listdir(f"/proc/{pid}/fd"):
        try:
            m = re.fullmatch(r"socket:\[(\d+)\]", os.readlink(f"/proc/{pid}/fd/{fd}"))
        except OSError:
            continue
        if m:
            inodes.add(m.group(1))
    ports = []
    with open(f"/proc/{pid}/net/tcp") as f:
        for line in f.readlines()[1:]:
            fields = line.split()
            if fields[3] == "0A" and fields[9] in inodes and fields[1].startswith("0100007F:"):
                ports.append(int(fields[1].split(":")[1], 16))
    return ports


def ask(port, path):
    with socket.create_connection(("127.0.0.1", port), timeout=10) as c:
        c.sendall(f"GET {path} HTTP/1.1\r\nHost: 127.0.0.1\r\nRange: bytes=0-\r\n\r\n".encode())
        answer = b""
        while chunk := c.recv(4096):
            answer += chunk
        return answer


@unittest.skipUnless(icecast.available(), "icecast2 and ezstream are needed")
class StreamTap(IcecastTestCase):
    @classmethod
    def icecast(cls):
        # Blocks about half a second apart, as a station of 128 kbit/s has them every second: a
        # title is told no sooner than the stream's next block.
        return icecast.Icecast([icecast.Mount("/glacier.mp3", titles=SONGS, seconds=SONG_SECONDS, metaint=2048)],
                               burst_size=131072)  # the page's player starts sooner

    @classmethod
    def directory_options(cls, ice):
        return dict(extra_stations=[(STATION_NAME, ice.url("/glacier.mp3"))], extra_plays_own=True)

    def panel_title(self):
        r = subprocess.run(["playerctl", "metadata", "xesam:title"], env=self.desktop.env(),
                             capture_output=True, text=True, timeout=30)
        return r.stdout.strip()

    def server_title(self):
        source = self.ice.source("/glacier.mp3")
        return html.unescape(source["title"]) if source else None

    def test_one_listener_titles_on_time_and_the_relay_wants_its_token(self):
        p = self.program()
        since = self.now()
        self.start(p, self.settings(main=(0, 0, 14400, 9000), windows=[(1, 0, 0, 0, 8600, 13200)]))
        self.server.wait_for(LIST, since=since, timeout=60)

        # What the station and the panel say, each on its own, sampled often.
        seen, done = {"server": [], "panel": [], "listeners": []}, threading.Event()

        def sample(key, read, every):
            while not done.wait(every):
                value = read()
                if not seen[key] or seen[key][-1][1] != value:
                    seen[key].append((time.monotonic(), value))

        def listeners():
            source = self.ice.source("/glacier.mp3")
            return source.get("listeners") if source else None
        samplers = [threading.Thread(target=sample, args=a, daemon=True)
                    for a in (("server", self.server_title, 0.05), ("panel", self.panel_title, 0.05),
                              ("listeners", listeners, 0.2))]
        for t in samplers:
            t.start()
        self.addCleanup(done.set)

        p.click_link(STATION_NAME)
        self.server.wait_for(STATION, since=since, timeout=30)
        short = [song.partition(" - ")[2] for song in SONGS]
        s.wait_until(lambda: seen["panel"] and seen["panel"][-1][1] in short, 60, interval=0.2,
                     what="the panel to show a song")
        # Two changes of song on the server, each on the panel within a second (plus the samples' own gap).
        changes = len(seen["server"])
        s.wait_until(lambda: len(seen["server"]) >= changes + 2, 2 * SONG_SECONDS + 10, interval=0.2,
                     what="two changes of song on the server")
        s.wait_until(lambda: seen["panel"][-1][1] == seen["server"][-1][1].partition(" - ")[2], 5,
                     interval=0.1, what="the panel to follow")
        done.set()
        for t in samplers:
            t.join()
        for at, song in seen["server"][changes:changes + 2]:
            title = song.partition(" - ")[2]
            shown = [t for t, value in seen["panel"] if value == title and t >= at - 0.5]
            self.assertTrue(shown, (song, seen))
            self.assertLess(shown[0] - at, 1.25, (song, seen))

        # The station saw one listener, the program's relay, never the page's own or a reader's beside it.
        counts = [n for _, n in seen["listeners"] if n]
        self.assertEqual(set(counts), {1}, seen["listeners"])
        self.assertNotIn("stream tap", p.output.read_text(errors="replace"))

        # The relay answers only the stream's own path.
        ports = loopback_listeners(p.proc.pid)
        self.assertEqual(len(ports), 1, ports)
        for path in ("/", "/" + "0" * 48, "/glacier.mp3"):
            self.assertTrue(ask(ports[0], path).startswith(b"HTTP/1.1 403 "), path)

    def play_in_recording_mode(self):
        """The program in recording mode, recording into a folder of its own, playing the station."""
        p = self.program()
        p.enable_recording()
        folder = Path(tempfile.mkdtemp(prefix="sora-rec-"))
        self.addCleanup(subprocess.run, ["rm", "-rf", str(folder)])
        self.addCleanup(lambda: [os.kill(pid, signal.SIGKILL) for pid in recorder_pids(folder)])
        since = self.now()
        self.start(p, self.settings(main=(0, 0, 14400, 9000), windows=[(1, 0, 0, 0, 8600, 13200)],
                                    rec_folder=f"{folder}/"))
        self.server.wait_for(LIST, since=since, timeout=60)
        p.click_link(STATION_NAME)
        self.server.wait_for(STATION, since=since, timeout=30)
        return p, folder

    def test_a_song_heard_whole_is_kept_and_saved_into_the_stations_folder(self):
        p, folder = self.play_in_recording_mode()
        spool = p.home / ".cache" / "SoraWindowEX" / f"spool-{p.proc.pid}"
        s.wait_until(spool.exists, 60, what="the spool")
        self.assertEqual(stat.S_IMODE(spool.stat().st_mode), 0o700)

        # A song from its first byte to its last: two changes of title on the server.
        first = self.server_title()
        s.wait_until(lambda: self.server_title() != first, SONG_SECONDS + 10, what="a new song")
        song = self.server_title()
        s.wait_until(lambda: self.server_title() != song, SONG_SECONDS + 10, what="the song after it")

        p.press("録音一覧")
        window = p.wait_find(("frame", "window", "dialog", "panel", "filler"), "録音一覧")
        songs = p.wait_find("list", "最近の曲", within=window)
        item = p.wait_find("list item", re.compile("^" + re.escape(song) + ".*全体$"), within=songs, timeout=10)
        s.do_action(item, ("toggle", "select", "press"))
        p.press("保存", role="push button", within=window)
        self.assertIn("曲を保存しました。", p.answer("OK"))

        saved = [f for f in folder.rglob(as_sent(song) + ".mp3") if "incomplete" not in f.parts]
        self.assertEqual(len(saved), 1, list(folder.rglob("*")))
        # The whole song: the encoder's file of it, within a second (the stream tells a title at
        # its next block, every 2048 bytes).
        tone = (Path(icecast.__file__).parent / "tone.mp3").stat().st_size
        self.assertLess(abs(saved[0].stat().st_size - tone * SONG_SECONDS // 2), tone // 2)

        os.kill(p.proc.pid, signal.SIGTERM)  # the session ending: the program's own close
        p.wait_exit(60)
        self.assertFalse(spool.exists())

    def test_a_recording_begun_mid_song_holds_that_song_from_its_start(self):
        p, folder = self.play_in_recording_mode()

        # Pressed once the panel shows a song that began while the station played.
        s.wait_until(lambda: self.panel_title() in [t.partition(" - ")[2] for t in SONGS], 60, interval=0.2,
                     what="the station to play")
        first = self.server_title()
        s.wait_until(lambda: self.server_title() != first, SONG_SECONDS + 10, what="a new song")
        song = self.server_title()
        s.wait_until(lambda: self.panel_title() == song.partition(" - ")[2], 5, what="the panel to show it")
        p.press("録音", role="push button")
        p.answer(YES)
        s.wait_until(lambda: self.server_title() != song, SONG_SECONDS + 10, what="the song to end")

        def whole():
            return [f for f in folder.rglob(as_sent(song) + ".mp3") if "incomplete" not in f.parts]
        try:
            saved = s.wait_until(whole, 60, what=f"{song} in the station's folder")
        except TimeoutError:
            raise AssertionError((list(folder.rglob("*")), p.output.read_text(errors="replace")[-3000:]))
        self.assertEqual(len(saved), 1, list(folder.rglob("*")))
        tone = (Path(icecast.__file__).parent / "tone.mp3").stat().st_size
        self.assertLess(abs(saved[0].stat().st_size - tone * SONG_SECONDS // 2), tone // 2)
        # Beside what the recorder itself writes.
        self.assertEqual(saved[0].parent, next(folder.rglob("incomplete")).parent)


if __name__ == "__main__":
    unittest.main()
