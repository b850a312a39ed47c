"""The desktop's media controls, through Debian's playerctl as a desktop's media panel uses them."""

import subprocess
import unittest

from e2e import FIRST_STATION, DesktopTestCase, s

SERVICE = "org.mpris.MediaPlayer2.sorawindowex"


class MediaControls(DesktopTestCase):
    def playerctl(self, *args):
        r = subprocess.run(["playerctl", *args], env=self.desktop.env(), capture_output=True, text=True,
                           timeout=30)
        return r.stdout.strip()

    def wait_status(self, status):
        s.wait_until(lambda: self.playerctl("status") == status, 30, what=f"the player to say {status}")

    def main_visible(self):
        return bool(self.desktop.xdotool("search", "--onlyvisible", "--name", "^ソラマドORBX$", check=False))

    def test_the_panel_shows_the_station_pauses_and_plays_it_and_brings_the_hidden_window_back(self):
        p = self.program()
        since = self.now()
        window = self.start(p, self.settings(windows=[(1, 0, 0, 0, 5460, 6300), (2, 0, 0, 5460, 7080, 6300)]))
        self.open_first_station(p, since)
        self.wait_status("Playing")
        # The engine's own bridge is off: one player, the program's.
        self.assertEqual(self.playerctl("-l").split(), ["sorawindowex"])
        # The demo stream's titles read "<station> - テストトーン <n>": the song, by the station.
        s.wait_until(lambda: self.playerctl("metadata", "xesam:title").startswith("テストトーン "), 35,
                     what="the song on the panel")
        self.assertEqual(self.playerctl("metadata", "xesam:artist"), FIRST_STATION)
        self.assertEqual(self.playerctl("metadata", "xesam:album"), FIRST_STATION)

        # The page's audio controls say what its element does: "再生" offers to play a paused one.
        self.playerctl("pause")
        self.wait_status("Paused")
        p.wait_find("push button", "再生", showing=True)
        self.playerctl("play")
        self.wait_status("Playing")
        p.wait_find("push button", "一時停止", showing=True)

        self.desktop.xdotool("windowminimize", "--sync", window)
        s.wait_until(lambda: not self.main_visible(), 15, what="the window to hide in the notification area")
        self.assertEqual(self.playerctl("status"), "Playing")  # the service works on while hidden
        subprocess.run(["dbus-send", "--session", "--print-reply", f"--dest={SERVICE}", "/org/mpris/MediaPlayer2",
                        "org.mpris.MediaPlayer2.Raise"], env=self.desktop.env(), check=True,
                       stdout=subprocess.DEVNULL, timeout=30)
        s.wait_until(self.main_visible, 15, what="the window to come back")


if __name__ == "__main__":
    unittest.main()
