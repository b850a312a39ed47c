"""On a desktop with a global-menu registrar (Plasma's Global Menu, Unity-style panels) the five
menu commands stay in the window, where the accessibility tree shows them."""

import unittest

from e2e import STANDINS, DesktopTestCase, s

COMMANDS = ["新規プレイヤ", "新規観測所", "再接続", "設定", "バージョン"]
REGISTRAR = "com.canonical.AppMenu.Registrar"


class GlobalMenuRegistrar(DesktopTestCase):
    def test_the_five_commands_show_in_the_window(self):
        self.desktop.spawn([STANDINS / "appmenu_registrar.py"], bus_name=REGISTRAR)
        p = self.program()
        self.start(p, self.settings(windows=[]))

        def showing():
            names = [a.name for a in p.find_all("menu item", showing=True)]
            return names if all(c in names for c in COMMANDS) else None
        names = s.wait_until(showing, 60, interval=0.5, what="the menu commands in the window")
        self.assertEqual([n for n in names if n in COMMANDS], COMMANDS)
        # Nothing was handed to the registrar, so nothing can show twice or in the wrong place.
        self.assertNotIn("'", self.desktop.call(REGISTRAR, "/TestRegistrar", "org.sora.TestRegistrar.Windows"))


if __name__ == "__main__":
    unittest.main()
