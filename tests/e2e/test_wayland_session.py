"""On a Wayland session with XWayland the program runs as an X client, so its layout comes back
where it was saved and survives a restore and a SIGTERM."""

import unittest

from desktops import SessionTestCase, WestonSession
from e2e import LIST, s


class WaylandSession(SessionTestCase, unittest.TestCase):
    def make_session(self):
        return WestonSession()

    def test_the_main_window_is_an_x_window_and_keeps_its_layout(self):
        server = s.DemoServer()
        server.start()
        self.addCleanup(server.stop)
        p = self.program()
        # With a player window, so the browser engine runs on the platform chosen too.
        p.write_settings(s.settings_file(server.url1(), server.url2(), main=(300, 450, 6405, 10170),
                                         windows=[(1, 0, 0, 0, 5460, 4000)]))
        p.start()
        # Found on the X display at all: a native Wayland window would not be there.
        p.main_window(90)
        server.wait_for(LIST, 1, timeout=90)
        self.assertEqual(self.terminate(p), 0)
        values = s.read_settings(p.settings())
        self.assertEqual((values[("mainform", "top")], values[("mainform", "left")]), ("300", "450"))


if __name__ == "__main__":
    unittest.main()
