#!/usr/bin/env python3
"""Checks for tools/demo-directory: run as `python3 tools/test_demo_directory.py`."""

import http.client
import os
import re
import signal
import subprocess
import sys
import tempfile
import time
import unittest
from html.parser import HTMLParser
from pathlib import Path
from urllib.parse import quote

SERVER = Path(__file__).resolve().parent / "demo-directory"
DIRECTORY = "/kiri-board/radio-deck/radioobx.cgi"
PING = "/kiri-board/ping-testobx.cgi"


def start_server(tmp):
    log, ready = os.path.join(tmp, "log"), os.path.join(tmp, "ready")
    proc = subprocess.Popen(
        [sys.executable, str(SERVER), "--port", "0", "--stream-port", "0",
         "--log", log, "--ready-file", ready, "--burst-seconds", "4"],
        stderr=subprocess.PIPE, text=True)
    deadline = time.monotonic() + 10
    while not os.path.exists(ready):
        if proc.poll() is not None or time.monotonic() > deadline:
            proc.kill()
            raise RuntimeError("server did not start: " + proc.stderr.read())
        time.sleep(0.05)
    ports = dict(line.split("=") for line in Path(ready).read_text().split())
    return proc, log, int(ports["pages"]), int(ports["stream"])


def stop_server(proc, timeout=5):
    proc.send_signal(signal.SIGTERM)
    try:
        _, err = proc.communicate(timeout=timeout)
    except subprocess.TimeoutExpired:
        proc.kill()
        proc.communicate()
        raise
    return proc.returncode, err


def value_up_to_amp(url, key):
    """How the client reads a value: after "&key=" up to the next "&"."""
    start = url.index("&%s=" % key) + len(key) + 2
    end = url.index("&", start)
    return url[start:end]


class Links(HTMLParser):
    def __init__(self):
        super().__init__()
        self.hrefs = []

    def handle_starttag(self, tag, attrs):
        if tag == "a":
            self.hrefs.append(dict(attrs).get("href", ""))


def mp3_frame_len(data, pos):
    """Length of the MPEG-1/2 Layer III frame at pos, or 0 if none starts there."""
    b1, b2 = data[pos + 1], data[pos + 2]
    if data[pos] != 0xFF or b1 & 0xE6 != 0xE2 or b2 >> 4 in (0, 15) or b2 & 0x0C == 0x0C:
        return 0
    mpeg1 = b1 & 0x08
    kbps = ([0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320] if mpeg1 else
            [0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160])[b2 >> 4]
    rate = [44100, 48000, 32000][(b2 >> 2) & 3] // (1 if mpeg1 else 2)
    return (144000 if mpeg1 else 72000) * kbps // rate + ((b2 >> 1) & 1)


class DemoDirectoryTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.tmp = tempfile.TemporaryDirectory()
        cls.proc, cls.log, cls.pages, cls.stream = start_server(cls.tmp.name)

    @classmethod
    def tearDownClass(cls):
        stop_server(cls.proc)
        cls.tmp.cleanup()

    def get(self, path, port=None):
        conn = http.client.HTTPConnection("127.0.0.1", port or self.pages, timeout=10)
        conn.request("GET", path)
        resp = conn.getresponse()
        body = resp.read().decode("utf-8")
        conn.close()
        return resp, body

    def test_directory_links_carry_cuttable_values(self):
        resp, body = self.get(DIRECTORY)
        self.assertEqual(resp.status, 200)
        self.assertEqual(resp.getheader("Content-Type"), "text/html; charset=utf-8")
        self.assertEqual(resp.getheader("Cache-Control"), "no-store")
        parser = Links()
        parser.feed(body)
        stations = [h for h in parser.hrefs if "station.cgi?" in h]
        # The plain ones: the spelled ones are checked below.
        stations = [h for h in stations if re.search(r"&mount=/station\d+&", h)]
        portless = [h for h in stations if "&port=" not in h]
        self.assertEqual(len(portless), 1)
        stations = [h for h in stations if h not in portless]
        self.assertGreaterEqual(len(stations), 3)
        for href in stations:
            with self.subTest(href=href):
                title = value_up_to_amp(href, "title")
                self.assertRegex(title, r"[\u3040-\u30ff\u4e00-\u9fff]")  # raw Japanese
                self.assertEqual(value_up_to_amp(href, "serv"), "127.0.0.1")
                self.assertEqual(value_up_to_amp(href, "port"), str(self.stream))
                mount = value_up_to_amp(href, "mount")
                self.assertRegex(mount, r"^/station\d+$")
                # Follow the link as a browser would (percent-encoded UTF-8).
                resp, page = self.get(quote(href, safe="/?&=:"))
                self.assertEqual(resp.status, 200)
                self.assertIn("<h1>%s</h1>" % title, page)
                self.assertIn('src="http://127.0.0.1:%d%s"' % (self.stream, mount), page)

    def test_spelled_titles_and_mounts_reach_their_streams(self):
        _, body = self.get(DIRECTORY)
        parser = Links()
        parser.feed(body)
        by_mount = {value_up_to_amp(h, "mount"): h for h in parser.hrefs if "station.cgi?" in h}
        cases = [("/a%20b", "Kiri%20FM%E3%83%A9", "Kiri FMラ", "/a%20b"),
                 ("/ラ", "霧里ラ局", "霧里ラ局", "/%E3%83%A9")]
        for mount, title, name, requested in cases:
            with self.subTest(mount=mount):
                href = by_mount[mount]
                self.assertEqual(value_up_to_amp(href, "title"), title)
                resp, page = self.get(quote(href, safe="/?&=:%"))
                self.assertEqual(resp.status, 200)
                self.assertIn("<h1>%s</h1>" % name, page)
                self.assertIn('src="http://127.0.0.1:%d%s"' % (self.stream, mount), page)
                # The stream answers at the path a browser or recorder asks for.
                conn = http.client.HTTPConnection("127.0.0.1", self.stream, timeout=10)
                conn.request("GET", requested)
                resp = conn.getresponse()
                self.assertEqual(resp.status, 200)
                self.assertEqual(resp.getheader("icy-name").encode("latin-1").decode("utf-8"), name)
                conn.close()
        lines = Path(self.log).read_text(encoding="utf-8").splitlines()
        self.assertTrue(any(line.endswith(" GET /%E3%83%A9 200") for line in lines))

    def test_station_title_is_escaped(self):
        _, page = self.get("/kiri-board/radio-deck/station.cgi?ch=1&title=%3Cb%3Ex&end=1")
        self.assertIn("&lt;b&gt;x", page)
        self.assertNotIn("<b>x", page)

    def test_station_page_links_out_to_its_site_and_playlist(self):
        _, body = self.get("/kiri-board/radio-deck/station.cgi?ch=2&end=1")
        self.assertIn('href="/kiri-board/radio-deck/site.cgi?ch=2" target="_blank"', body)
        self.assertNotIn("window.open", body)
        resp, pls = self.get("/kiri-board/radio-deck/listen/station2.pls")
        self.assertEqual(resp.getheader("Content-Type"), "audio/x-scpls")
        self.assertIn("File1=http://127.0.0.1:%d/station2\n" % self.stream, pls)
        self.assertEqual(self.get("/kiri-board/radio-deck/listen/station99.pls")[0].status, 404)
        self.assertEqual(self.get("/kiri-board/radio-deck/site.cgi?ch=2")[0].status, 200)
        resp, _ = self.get("/kiri-board/radio-deck/schedule.cgi?ch=2")
        self.assertEqual(resp.getheader("Content-Disposition"), 'attachment; filename="schedule2.txt"')

    def test_ping_counter_changes_per_load(self):
        counts = []
        for _ in range(2):
            resp, body = self.get(PING)
            self.assertEqual(resp.getheader("Cache-Control"), "no-store")
            self.assertIn("サーバー", body)
            counts.append(re.search(r'id="counter">(\d+)<', body).group(1))
        self.assertNotEqual(counts[0], counts[1])

    def test_unknown_path_is_404(self):
        resp, _ = self.get("/nothing-here")
        self.assertEqual(resp.status, 404)

    def test_log_has_one_line_per_request(self):
        probe = "%s?probe=%d" % (PING, time.monotonic_ns())
        self.get(probe)
        self.get(probe)
        self.get("/missing?" + probe[-10:])
        lines = Path(self.log).read_text(encoding="utf-8").splitlines()
        pat = re.compile(r"^\d+\.\d{3} GET %s 200$" % re.escape(probe))
        self.assertEqual(sum(1 for line in lines if pat.match(line)), 2)
        self.assertTrue(any(re.match(r"^\d+\.\d{3} GET /missing\?\S+ 404$", line)
                            for line in lines))

    def test_stream_without_metadata_starts_on_a_frame(self):
        conn = http.client.HTTPConnection("127.0.0.1", self.stream, timeout=10)
        conn.request("GET", "/station2")
        resp = conn.getresponse()
        self.assertEqual(resp.status, 200)
        self.assertIsNone(resp.getheader("icy-metaint"))
        head = resp.read(4)
        conn.close()
        self.assertGreater(mp3_frame_len(head + b"\0", 0), 0)

    def test_stream_metadata_blocks_and_pacing(self):
        conn = http.client.HTTPConnection("127.0.0.1", self.stream, timeout=10)
        # Chromium asks for ranges; a live stream must still answer 200.
        conn.request("GET", "/station1", headers={"Icy-MetaData": "1", "Range": "bytes=0-"})
        started = time.monotonic()
        resp = conn.getresponse()
        self.assertEqual(resp.status, 200)
        self.assertEqual(resp.getheader("Content-Type"), "audio/mpeg")
        self.assertTrue(resp.getheader("icy-name"))
        self.assertRegex(resp.getheader("icy-br") or "", r"^\d+$")
        metaint = int(resp.getheader("icy-metaint"))
        self.assertEqual(metaint, 8192)

        audio, blocks = b"", []
        for _ in range(3):
            chunk = resp.read(metaint)
            self.assertEqual(len(chunk), metaint)
            audio += chunk
            length = resp.read(1)[0] * 16
            blocks.append(resp.read(length))
        elapsed = time.monotonic() - started
        conn.close()

        self.assertRegex(blocks[0], rb"^StreamTitle='[^']+';\0*$")
        self.assertEqual(len(blocks[0]) % 16, 0)
        for block in blocks[1:]:
            self.assertTrue(block == b"" or block.startswith(b"StreamTitle='"), block)
        # With the blocks taken out, the audio must be unbroken MP3 frames
        # (24 KiB spans several loops of the tone), with no encoder tag
        # frame repeated inside the stream.
        self.assertFalse(b"Xing" in audio or b"Info" in audio, "encoder tag frame in stream")
        pos = 0
        while pos + 4 <= len(audio):
            n = mp3_frame_len(audio, pos)
            self.assertGreater(n, 0, "no frame header at byte %d" % pos)
            pos += n
        # 24 KiB at 32 kbit/s cannot arrive in a flash if the stream is paced.
        self.assertGreater(elapsed, 1.0)

    def test_a_shift_jis_station_and_an_ogg_opus_station(self):
        conn = http.client.HTTPConnection("127.0.0.1", self.stream, timeout=10)
        conn.request("GET", "/station7", headers={"Icy-MetaData": "1"})
        resp = conn.getresponse()
        resp.read(int(resp.getheader("icy-metaint")))
        block = resp.read(resp.read(1)[0] * 16).rstrip(b"\0")
        conn.close()
        self.assertRegex(block.decode("cp932"), r"^StreamTitle='懐メロ局 - .+';$")
        self.assertRaises(UnicodeDecodeError, block.decode, "utf-8")

        conn = http.client.HTTPConnection("127.0.0.1", self.stream, timeout=10)
        conn.request("GET", "/station8")
        resp = conn.getresponse()
        self.assertEqual(resp.getheader("Content-Type"), "application/ogg")
        page = resp.read(64)
        conn.close()
        self.assertEqual(page[:4], b"OggS")
        self.assertEqual(page[28:36], b"OpusHead")


class ShutdownTest(unittest.TestCase):
    def test_sigterm_with_open_stream_exits_cleanly(self):
        with tempfile.TemporaryDirectory() as tmp:
            proc, _, pages, stream = start_server(tmp)
            conn = http.client.HTTPConnection("127.0.0.1", stream, timeout=10)
            conn.request("GET", "/station3", headers={"Icy-MetaData": "1"})
            conn.getresponse().read(1000)
            code, err = stop_server(proc)
            conn.close()
            self.assertEqual(code, 0)
            self.assertNotIn("Traceback", err)
            self.assertFalse(os.path.exists(os.path.join(tmp, "ready")))

    def test_client_disconnect_is_quiet(self):
        with tempfile.TemporaryDirectory() as tmp:
            proc, _, pages, stream = start_server(tmp)
            conn = http.client.HTTPConnection("127.0.0.1", stream, timeout=10)
            conn.request("GET", "/station1")
            conn.getresponse().read(20000)   # past the initial burst, so it is pacing
            conn.close()
            time.sleep(1.5)
            # The server keeps serving after the dropped client.
            conn = http.client.HTTPConnection("127.0.0.1", pages, timeout=10)
            conn.request("GET", PING)
            self.assertEqual(conn.getresponse().status, 200)
            conn.close()
            code, err = stop_server(proc)
            self.assertEqual(code, 0)
            self.assertNotIn("Traceback", err)


if __name__ == "__main__":
    unittest.main()
