"""On a Wayland session with XWayland the program runs as an X client, so its layout comes back
where it was saved and survives a restore and a SIGTERM."""

import unittest

from desktops import SessionTestCase, WestonSession
from e2e import s


class WaylandSession(SessionTestCase, unittest.TestCase):
    def make_session(self):
        return WestonSession()

    def test_the_main_window_is_an_x_window_and_keeps_its_layout(self):
        p = self.program()
        saved = self.settings(main=(300, 450, 6405, 10170))
        p.write_settings(saved)
        p.start()
        # Found on the X display at all: a native Wayland window would not be there.
        p.main_window(90)
        self.assertEqual(self.terminate(p), 0)
        values = s.read_settings(p.settings())
        self.assertEqual((values[("mainform", "top")], values[("mainform", "left")]), ("300", "450"))


if __name__ == "__main__":
    unittest.main()
