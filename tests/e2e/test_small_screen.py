"""A layout saved on a larger screen, restored on a 1024x600 one: the whole frame is on the
screen, and the settings file keeps the saved values until the next save."""

import re
import subprocess
import unittest

from e2e import DesktopTestCase, s

TWIPS = 15  # per pixel at 96 DPI


class SmallScreen(DesktopTestCase):
    desktop_kind = (s.Desktop, 1024, 600)

    def frame_extents(self, window):
        """The window manager's frame around the window (left, right, top, bottom); None before it
        has framed it."""
        r = subprocess.run(["xprop", "-id", str(window), "_NET_FRAME_EXTENTS"], env=self.desktop.env(),
                           capture_output=True, text=True, timeout=30)
        numbers = re.findall(r"\d+", r.stdout.split("=", 1)[-1]) if "=" in r.stdout else []
        return tuple(map(int, numbers)) if len(numbers) == 4 else None

    def frame(self, program, window):
        """The window's outer rectangle on the screen: its client area and the frame around it."""
        left, right, top, bottom = self.frame_extents(window)
        x, y, width, height = program.geometry(window)
        return x - left, y - top, width + left + right, height + top + bottom

    def test_the_whole_frame_is_on_the_screen(self):
        p = self.program()
        # Saved on 1190x909: 1100x850 pixels at 30, 20.
        saved = self.settings(main=(20 * TWIPS, 30 * TWIPS, 850 * TWIPS, 1100 * TWIPS), windows=[])
        window = self.start(p, saved)
        s.wait_until(lambda: self.frame_extents(window), 15, what="the window's frame")

        def inside(f):
            return f[0] >= 0 and f[1] >= 0 and f[0] + f[2] <= 1024 and f[1] + f[3] <= 600
        try:
            # The outer size is applied again once the frame is known.
            s.wait_until(lambda: inside(self.frame(p, window)), 15, what="the frame on the screen")
        except TimeoutError:
            pass  # the assertions below say where it is
        x, y, w, h = self.frame(p, window)
        self.assertGreaterEqual(x, 0)
        self.assertGreaterEqual(y, 0)
        self.assertLessEqual(x + w, 1024)
        self.assertLessEqual(y + h, 600)
        self.assertEqual(p.settings(), saved)

        # The next save writes where the window is now.
        p.proc.terminate()
        self.assertEqual(p.wait_exit(60), 0)
        v = {k[1]: int(float(val)) for k, val in s.read_settings(p.settings()).items() if k[0] == "mainform"
             and k[1] in ("top", "left", "width", "height")}
        self.assertGreaterEqual(min(v["top"], v["left"]), 0)
        self.assertLessEqual(v["left"] + v["width"], 1024 * TWIPS)
        self.assertLessEqual(v["top"] + v["height"], 600 * TWIPS)


if __name__ == "__main__":
    unittest.main()
