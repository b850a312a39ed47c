"""On a desktop whose notification area is a StatusNotifier host (Plasma, GNOME with the indicator
extension, Xfce, LXQt): the icon's activation and a second start bring a hidden window back."""

import unittest

from e2e import STANDINS, DesktopTestCase, s

WATCHER = ("org.kde.StatusNotifierWatcher", "/TestWatcher")


class StatusNotifierHost(DesktopTestCase):
    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.desktop.spawn([STANDINS / "status_notifier_watcher.py"], bus_name=WATCHER[0])

    def setUp(self):
        self.p = self.program()
        self.window = self.start(self.p, self.settings(windows=[]))

    def items(self):
        return "'" in self.desktop.call(*WATCHER, "org.sora.TestWatcher.Items")

    def minimise(self):
        self.desktop.xdotool("windowminimize", "--sync", self.window)
        s.wait_until(lambda: not self.p.windows(), 15, what="the window to hide")
        # Hidden behind an item the host knows of, not merely minimised.
        s.wait_until(self.items, 15, what="the item to register")

    def test_activating_the_item_brings_the_window_back(self):
        for round_ in range(2):
            with self.subTest(round=round_):
                self.minimise()
                reply = self.desktop.call(*WATCHER, "org.sora.TestWatcher.ActivateItems")
                self.assertIn("1", reply)
                s.wait_until(self.p.windows, 15, what="the window to come back")
                s.wait_until(lambda: not self.items(), 15, what="the item to go")
                self.window = self.p.window(30)

    def test_a_second_start_brings_the_window_back_and_ends_writing_nothing(self):
        self.minimise()
        before = self.p.settings()
        self.assertEqual(self.p.run_to_end(60), 0)
        windows = s.wait_until(self.p.windows, 15, what="the window to come back")
        s.wait_until(lambda: not self.items(), 15, what="the item to go")
        s.wait_until(lambda: self.desktop.xdotool("getactivewindow", check=False) in windows, 15,
                     what="the window to be active")
        self.assertIsNone(self.p.proc.poll(), "the running program goes on")
        self.assertEqual(self.p.settings(), before)


if __name__ == "__main__":
    unittest.main()
