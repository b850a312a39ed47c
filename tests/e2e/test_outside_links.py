"""What a page opens outside itself reaches the desktop: a link to a new window opens in the
desktop's browser, a playlist link in the desktop's player (the default for the type the server
sent, on a desktop that sets no name), other files land in the download folder; a pop-up is
dropped."""

import os
import tempfile
import unittest
import urllib.request
from pathlib import Path

from e2e import STANDINS, STATION, DesktopTestCase, s

SITE = "/kiri-board/radio-deck/site.cgi"


class OutsideLinks(DesktopTestCase):
    def test_new_window_and_playlist_links_are_handed_to_the_desktop(self):
        folder = tempfile.TemporaryDirectory(prefix="sora-opened-")
        self.addCleanup(folder.cleanup)
        opened = Path(folder.name) / "opened.log"
        # The desktop's browser stands in; its MIME associations are the real xdg-mime's, as a
        # desktop without a session of its own has them. The playlist's temporary file goes with
        # the test too.
        browser = Path(folder.name) / "bin"
        browser.mkdir()
        (browser / "xdg-open").symlink_to(STANDINS / "xdg-open")
        p = self.program(env={"PATH": f"{browser}:{os.environ['PATH']}", "SORA_OPENED": str(opened),
                              "TMPDIR": folder.name})
        calls = lambda: opened.read_text().splitlines() if opened.exists() else []
        (p.home / ".config").mkdir(parents=True, exist_ok=True)
        (p.home / ".config/mimeapps.list").write_text(
            "[Default Applications]\naudio/x-scpls=sora-test-player.desktop\n")
        # The default player for playlists: a program that logs what it was given, started
        # through its desktop entry.
        player = Path(folder.name) / "player"
        player.write_text('#!/bin/sh\nprintf "player %s\\n" "$*" >> "$SORA_OPENED"\n')
        player.chmod(0o755)
        applications = p.home / ".local/share/applications"
        applications.mkdir(parents=True)
        (applications / "sora-test-player.desktop").write_text(
            f"[Desktop Entry]\nType=Application\nName=Player\nExec={player} --play %U\n"
            "MimeType=audio/x-scpls;\n")
        # A station page that also tries a pop-up as it opens.
        station = (f"http://{self.server.host}{STATION}?ch=1&title=Links&serv=127.0.0.1"
                   f"&port={self.server.stream_port}&mount=/station1&end=1&popup=1")
        since = self.now()
        self.start(p, s.settings_file(station, self.server.url2(), interval=99,
                                      windows=[(1, 0, 0, 0, 7000, 6300)]))
        self.server.wait_for(f"{STATION}?ch=1&", since=since, timeout=60)
        p.wait_find("document web", "Links")

        p.click_link("放送局のサイト")
        site = f"http://{self.server.host}{SITE}?ch=1"
        s.wait_until(lambda: site in calls(), 30, what="the site handed over")

        p.click_link("プレイリスト")
        handed = s.wait_until(lambda: [c for c in calls() if c.endswith(".pls")], 30, what="the playlist handed over")
        self.assertEqual(len(handed), 1)
        self.assertTrue(handed[0].startswith("player --play /"), handed)
        path = Path(handed[0].removeprefix("player --play "))
        # The page stays, and the status bar says what happened to the playlist.
        p.wait_status(f"{path} をプレイヤーで開きました。")
        with urllib.request.urlopen(f"http://{self.server.host}/kiri-board/radio-deck/listen/station1.pls") as r:
            self.assertEqual(path.read_bytes(), r.read())
        self.assertEqual((path.name, path.parent.parent), ("station1.pls", Path(folder.name)))

        # Any other file goes to the download folder, never over a file of the same name.
        downloads = p.home / "Downloads"
        for name in ("schedule1.txt", "schedule1 (1).txt"):
            p.click_link("番組表")
            p.wait_status(f"{downloads / name} をダウンロードしました。")
            self.assertEqual((downloads / name).read_text(), "ラジオ夢見 番組表\n00:00-24:00 テストトーン\n")

        # The window kept its page: nothing else was loaded in it, and the pop-up went nowhere.
        self.assertEqual(self.server.count(STATION, since=since), 1)
        self.assertEqual(self.server.count(SITE, since=since), 0)
        self.assertIsNotNone(p.find("document web", "Links"))
        self.assertEqual(calls(), [site, handed[0]])


if __name__ == "__main__":
    unittest.main()
