"""Side buttons over the main window, and the layout saved at exit and restored at the next start."""

import signal
import unittest

from e2e import FIRST_STATION, LIST, STATION, DesktopTestCase, s

DIRECTORY = "ラジオデッキ 放送局一覧"
LOADED = "ページが表示されました"

LAYOUT = dict(main=(300, 450, 9000, 11400), interval=7,
              windows=[(1, 0, 150, 300, 4800, 5400), (2, 0, 600, 5250, 5700, 4200), (2, 1, 0, 0, 4500, 4500)])


class SideButtons(DesktopTestCase):
    def test_buttons_eight_and_nine_move_the_active_child_only_over_the_main_window(self):
        p = self.program()
        since = self.now()
        window = self.start(p, self.settings(windows=[(1, 0, 0, 0, 5460, 6300)]))
        self.open_first_station(p, since)
        p.wait_find("document web", FIRST_STATION)

        # Over the main window's status bar: back, then forward; one press, one step.
        x, y, width, height = s.extents(p.find("status bar"))
        lists, stations = self.server.count(LIST), self.server.count(STATION)
        p.click(x + width // 2, y + height // 2, button=8)
        self.server.wait_for(LIST, n=lists + 1, timeout=15)
        p.wait_find("document web", DIRECTORY)
        p.click(x + width // 2, y + height // 2, button=9)
        self.server.wait_for(STATION, n=stations + 1, timeout=15)
        p.wait_find("document web", FIRST_STATION)
        p.wait_status(LOADED)
        self.assertEqual(self.server.count(LIST), lists + 1)
        self.assertEqual(self.server.count(STATION), stations + 1)

        # Elsewhere on the screen nothing moves: the next press over the window takes one step.
        wx, wy, wwidth, wheight = p.geometry(window)
        p.click(wx + wwidth + 200, wy + wheight + 200, button=8)
        p.click(x + width // 2, y + height // 2, button=8)
        self.server.wait_for(LIST, n=lists + 2, timeout=15)
        p.wait_find("document web", DIRECTORY)
        p.wait_status(LOADED)
        self.assertEqual(self.server.count(LIST), lists + 2)
        self.assertEqual(self.server.count(STATION), stations + 1)


class SaveAndRestore(DesktopTestCase):
    def saved_layout(self, p):
        values = s.read_settings(p.settings())
        keys = [("mainform", k) for k in ("top", "left", "height", "width", "timeinterval")]
        keys += [("subform", "count")]
        for i in range(1, int(values[("subform", "count")]) + 1):
            keys += [("subform", f"form{i}{k}") for k in ("top", "left", "height", "width", "windowtype",
                                                          "windowstate")]
        return {k: values.get(k) for k in keys}

    def test_the_window_manager_close_saves_the_layout_and_the_next_start_restores_it(self):
        p = self.program()
        self.start(p, self.settings(**LAYOUT))
        first = self.saved_layout(p)
        p.close_through_window_manager()
        self.assertEqual(p.wait_exit(30), 0)
        saved = self.saved_layout(p)
        # Normal windows come back where they were; the minimised one keeps its state.
        for key in [k for k in first if not k[1].startswith("form3") or k[1].endswith(("type", "state"))]:
            self.assertEqual(saved[key], first[key], key)

        self.start(p)
        self.screenshot("restored.png")
        p.close_through_window_manager()
        self.assertEqual(p.wait_exit(30), 0)
        self.assertEqual(self.saved_layout(p), saved)

    def test_sigterm_saves_the_same_way(self):
        p = self.program()
        self.start(p, self.settings(**LAYOUT))
        first = self.saved_layout(p)
        p.write_settings(self.settings(windows=[]))  # the file must be written anew, not left
        p.proc.send_signal(signal.SIGTERM)
        self.assertEqual(p.wait_exit(30), 0)
        saved = self.saved_layout(p)
        self.assertEqual(saved[("subform", "count")], "3")
        for key in ("top", "left", "height", "width", "timeinterval"):
            self.assertEqual(saved[("mainform", key)], first[("mainform", key)], key)


if __name__ == "__main__":
    unittest.main()
