"""On a desktop with a global-menu registrar (Plasma's Global Menu, Unity-style panels) the five
menu commands stay in the window, where the accessibility tree shows them."""

import json
import subprocess
import unittest

from desktops import STANDINS, Session, SessionTestCase
from e2e import s

COMMANDS = ["新規プレイヤ", "新規観測所", "再接続", "設定", "バージョン"]


class GlobalMenuRegistrar(SessionTestCase, unittest.TestCase):
    def make_session(self):
        return Session()

    def menu_items(self, program):
        r = subprocess.run([str(STANDINS / "menu_items.py"), str(program.proc.pid)], env=self.session.env(),
                           capture_output=True, text=True, timeout=60)
        return json.loads(r.stdout) if r.returncode == 0 and r.stdout.strip() else []

    def test_the_five_commands_show_in_the_window(self):
        self.session.standin("appmenu_registrar.py")
        p = self.program(QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1")
        p.write_settings(self.settings())
        p.start()
        p.main_window(90)

        def showing():
            names = [i["name"] for i in self.menu_items(p) if i["showing"]]
            return names if all(c in names for c in COMMANDS) else None
        names = s.wait_until(showing, 60, interval=0.5, what="the menu commands in the window")
        self.assertEqual([n for n in names if n in COMMANDS], COMMANDS)
        # Nothing was handed to the registrar, so nothing can show twice or in the wrong place.
        self.assertNotIn("'", self.session.call("com.canonical.AppMenu.Registrar", "/TestRegistrar",
                                                "org.sora.TestRegistrar.Windows"))


if __name__ == "__main__":
    unittest.main()
