"""The browser windows with real Qt WebEngine: station pages, the title strip, reconnect, reload."""

import time
import unittest

from e2e import FIRST_STATION, LIST, PING, STATION, DesktopTestCase, s

WHITE = (255, 255, 255)  # the pages' background; the strip has none
LOADED = "ページが表示されました"


class StationPages(DesktopTestCase):
    def test_a_station_link_shows_the_title_strip_and_reconnect_sends_both_back(self):
        p = self.program()
        p.enable_recording()
        since = self.now()
        self.start(p, self.settings(windows=[(1, 0, 0, 0, 5460, 6300), (2, 0, 0, 5460, 7080, 6300)]))
        self.server.wait_for(PING, since=since, timeout=60)
        strip = p.title_strip()
        self.assertEqual(strip.name, "")
        # Before any station the browser covers the strip, so the page's white shows where it lies.
        area = s.extents(strip)
        s.wait_until(lambda: WHITE in self.desktop.colours(*area), 30, what="the page over the strip")

        self.open_first_station(p, since)
        s.wait_until(lambda: p.title_strip().name == FIRST_STATION, 30, what="the station name in the strip")
        s.wait_until(lambda: WHITE not in self.desktop.colours(*area), 30, what="the strip above the station page")
        self.screenshot("station-page.png")

        # "再接続" sends both windows back to their start pages.
        lists, pings = self.server.count(LIST), self.server.count(PING)
        p.press("再接続")
        self.server.wait_for(LIST, n=lists + 1, timeout=30)
        self.server.wait_for(PING, n=pings + 1, timeout=30)
        s.wait_until(lambda: p.title_strip().name == "", 30, what="the strip to empty")
        s.wait_until(lambda: WHITE in self.desktop.colours(*area), 30, what="the page over the strip again")

        # As the strip goes and comes the browser moves inside its window, and the tree puts the
        # page where it is drawn: clicks at the places it reports follow the links named.
        p.click_link(FIRST_STATION)
        s.wait_until(lambda: p.title_strip().name == FIRST_STATION, 30, what="the first station again")
        browser = min(p.find_all(name="ブラウザ"), key=lambda a: s.extents(a)[0])
        bx, by, bw, bh = s.extents(browser)
        hx, hy, hw, hh = s.extents(p.wait_find("heading", FIRST_STATION))
        self.assertTrue(bx <= hx and by <= hy and hy + hh <= by + bh,
                        f"the heading at {(hx, hy, hw, hh)}, the browser at {(bx, by, bw, bh)}")
        lists = self.server.count(LIST)
        p.click_link("放送局一覧へ戻る")
        self.server.wait_for(LIST, n=lists + 1, timeout=30)


class ReloadTimer(DesktopTestCase):
    def test_start_pages_reload_within_about_seventy_seconds_and_station_pages_do_not(self):
        p = self.program()
        since = self.now()
        # Window 1 goes to a station page; windows 2 and 3 stay on their start pages.
        self.start(p, self.settings(
            main=(0, 0, 10500, 13500), interval=1,
            windows=[(1, 0, 0, 0, 5460, 6300), (2, 0, 0, 5460, 7080, 3000), (1, 0, 3000, 5460, 7080, 3300)]))
        started = time.monotonic()
        self.server.wait_for(LIST, n=2, since=since, timeout=60)
        self.server.wait_for(PING, since=since, timeout=60)
        first = min(p.find_all("frame", "ソラマド"), key=lambda w: s.extents(w)[0])
        p.click_link(FIRST_STATION, within=first)
        self.server.wait_for(STATION, since=since, timeout=30)
        p.wait_status(LOADED)
        lists, pings, stations = self.server.count(LIST), self.server.count(PING), self.server.count(STATION)

        # The first tick comes 60 s after start; every reload of a tick starts at once, so once
        # the pages it reloads have loaded, nothing more of it is on its way.
        self.server.wait_for(LIST, n=lists + 1, timeout=max(5, 75 - (time.monotonic() - started)))
        self.server.wait_for(PING, n=pings + 1, timeout=10)
        p.wait_status(LOADED)
        self.assertEqual(self.server.count(LIST), lists + 1, "only the window on the start page reloads")
        self.assertEqual(self.server.count(STATION), stations, "a station page is never reloaded")


if __name__ == "__main__":
    unittest.main()
