"""The browser windows with real Qt WebEngine: station pages, the title strip, reconnect, reload."""

import time
import unittest

from e2e import FIRST_STATION_LINK, LIST, PING, STATION, DesktopTestCase, s


def looks_white(pixels, x0, y0, x1, y1):
    return all(pixels[y][x] == (255, 255, 255) for y in range(y0, y1) for x in range(x0, x1))


class StationPages(DesktopTestCase):
    def test_a_station_link_shows_the_title_strip_and_reconnect_sends_both_back(self):
        p = self.program()
        p.enable_recording()
        since = self.now()
        window = self.start(p, self.settings(windows=[(1, 0, 0, 0, 5460, 6300), (2, 0, 0, 5460, 7080, 6300)]))
        self.server.wait_for(LIST, since=since, timeout=60)
        self.server.wait_for(PING, since=since, timeout=60)
        time.sleep(2)  # let the page paint
        cx, cy = p.child_client_origin(window, 0, 0)

        # Before any station: the browser covers the strip, so the page's white shows there.
        _, _, before = s.read_png(self.screenshot("before-station.png"))
        self.assertTrue(looks_white(before, cx + 300, cy + 29, cx + 340, cy + 32))

        p.click(cx + FIRST_STATION_LINK[0], cy + FIRST_STATION_LINK[1])
        self.server.wait_for(STATION, since=since, timeout=30)
        time.sleep(2)
        _, _, after = s.read_png(self.screenshot("station-page.png"))
        self.assertFalse(looks_white(after, cx + 300, cy + 29, cx + 340, cy + 32),
                         "the title strip did not appear above the station page")

        # "再接続" sends both windows back to their start pages.
        entries = p.menu_entries(window, s.build_dir() / "e2e-screenshots" / "menu.png")
        self.assertEqual(len(entries), 5, entries)
        lists, pings = self.server.count(LIST), self.server.count(PING)
        _, y, _, _ = p.window_geometry(window)
        p.click(entries[2], y + p.MENU_BAR_HEIGHT // 2)
        self.server.wait_for(LIST, n=lists + 1, timeout=30)
        self.server.wait_for(PING, n=pings + 1, timeout=30)
        time.sleep(2)
        _, _, back = s.read_png(self.screenshot("reconnected.png"))
        self.assertTrue(looks_white(back, cx + 300, cy + 29, cx + 340, cy + 32))


class ReloadTimer(DesktopTestCase):
    def test_start_pages_reload_within_about_seventy_seconds_and_station_pages_do_not(self):
        p = self.program()
        since = self.now()
        # Window 1 goes to a station page; windows 2 and 3 stay on their start pages.
        window = self.start(p, self.settings(
            main=(0, 0, 10500, 13500), interval=1,
            windows=[(1, 0, 0, 0, 5460, 6300), (2, 0, 0, 5460, 7080, 3000), (1, 0, 3000, 5460, 7080, 3300)]))
        started = time.monotonic()
        self.server.wait_for(LIST, n=2, since=since, timeout=60)
        self.server.wait_for(PING, since=since, timeout=60)
        time.sleep(2)
        cx, cy = p.child_client_origin(window, 0, 0)
        p.click(cx + FIRST_STATION_LINK[0], cy + FIRST_STATION_LINK[1])
        self.server.wait_for(STATION, since=since, timeout=30)
        lists, pings, stations = self.server.count(LIST), self.server.count(PING), self.server.count(STATION)

        # The first tick comes 60 s after start.
        self.server.wait_for(LIST, n=lists + 1, timeout=max(5, 75 - (time.monotonic() - started)))
        self.server.wait_for(PING, n=pings + 1, timeout=10)
        time.sleep(3)
        self.assertEqual(self.server.count(LIST), lists + 1, "only the window on the start page reloads")
        self.assertEqual(self.server.count(STATION), stations, "a station page is never reloaded")


if __name__ == "__main__":
    unittest.main()
