"""A layout saved on a larger screen, restored on a 1024x600 one: the whole frame is on the
screen, and the settings file keeps the saved values until the next save."""

import re
import subprocess
import unittest

from desktops import Session, SessionTestCase
from e2e import s

TWIPS = 15  # per pixel at 96 DPI


class SmallScreen(SessionTestCase, unittest.TestCase):
    def make_session(self):
        return Session(1024, 600)

    def frame(self, window):
        """The window's outer rectangle on the screen: its client area and the frame around it."""
        shell = self.session.xdotool("getwindowgeometry", "--shell", window)
        g = dict(line.split("=", 1) for line in shell.splitlines() if "=" in line)
        left, right, top, bottom = self.extents(window)
        x, y = int(g["X"]), int(g["Y"])
        return x - left, y - top, int(g["WIDTH"]) + left + right, int(g["HEIGHT"]) + top + bottom

    def extents(self, window):
        """The window manager's frame around the window (left, right, top, bottom); None before it
        has framed it."""
        r = subprocess.run(["xprop", "-id", str(window), "_NET_FRAME_EXTENTS"], env=self.session.env(),
                           capture_output=True, text=True, timeout=30)
        numbers = re.findall(r"\d+", r.stdout.split("=", 1)[-1]) if "=" in r.stdout else []
        return tuple(map(int, numbers)) if len(numbers) == 4 else None

    def test_the_whole_frame_is_on_the_screen(self):
        p = self.program()
        # Saved on 1190x909: 1100x850 pixels at 30, 20.
        saved = self.settings(main=(20 * TWIPS, 30 * TWIPS, 850 * TWIPS, 1100 * TWIPS))
        p.write_settings(saved)
        p.start()
        window = p.main_window(90)
        s.wait_until(lambda: self.extents(window), 15, what="the window's frame")

        def inside(f):
            return f[0] >= 0 and f[1] >= 0 and f[0] + f[2] <= 1024 and f[1] + f[3] <= 600
        try:
            # The outer size is applied again once the frame is known.
            s.wait_until(lambda: inside(self.frame(window)), 15, what="the frame on the screen")
        except TimeoutError:
            pass  # the assertions below say where it is
        x, y, w, h = self.frame(window)
        self.assertGreaterEqual(x, 0)
        self.assertGreaterEqual(y, 0)
        self.assertLessEqual(x + w, 1024)
        self.assertLessEqual(y + h, 600)
        self.assertEqual(p.settings(), saved)

        # The next save writes where the window is now.
        self.assertEqual(self.terminate(p), 0)
        v = {k[1]: int(float(val)) for k, val in s.read_settings(p.settings()).items() if k[0] == "mainform"
             and k[1] in ("top", "left", "width", "height")}
        self.assertGreaterEqual(min(v["top"], v["left"]), 0)
        self.assertLessEqual(v["left"] + v["width"], 1024 * TWIPS)
        self.assertLessEqual(v["top"] + v["height"], 600 * TWIPS)


if __name__ == "__main__":
    unittest.main()
