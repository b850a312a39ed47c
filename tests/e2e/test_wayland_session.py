"""On a Wayland session with XWayland the program runs as an X client, so its layout comes back
where it was saved and survives a restore and a SIGTERM."""

import unittest

from e2e import LIST, DesktopTestCase, s


class WaylandSession(DesktopTestCase):
    desktop_kind = (s.WestonDesktop,)

    def test_the_main_window_is_an_x_window_and_keeps_its_layout(self):
        p = self.program()
        since = self.now()
        # With a player window, so the browser engine runs on the platform chosen too.
        # Found on the X display at all: a native Wayland window would not be there.
        self.start(p, self.settings(main=(300, 450, 6405, 10170), windows=[(1, 0, 0, 0, 5460, 4000)]))
        self.server.wait_for(LIST, since=since, timeout=90)
        p.proc.terminate()
        self.assertEqual(p.wait_exit(60), 0)
        values = s.read_settings(p.settings())
        self.assertEqual((values[("mainform", "top")], values[("mainform", "left")]), ("300", "450"))


if __name__ == "__main__":
    unittest.main()
