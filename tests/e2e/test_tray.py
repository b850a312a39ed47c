"""The notification-area icon, and the hidden command typed into the reload-interval dialog."""

import unittest

from e2e import DesktopTestCase, s


class Tray(DesktopTestCase):
    def tray_icon(self):
        for candidate in self.desktop.xdotool("search", "--onlyvisible", "--class", "^SoraWindowEX$",
                                              check=False).split():
            shell = self.desktop.xdotool("getwindowgeometry", "--shell", candidate, check=False)
            g = dict(line.split("=", 1) for line in shell.splitlines() if "=" in line)
            if g and int(g["WIDTH"]) <= 32 and int(g["HEIGHT"]) <= 32:
                return candidate
        return None

    def main_visible(self):
        return bool(self.desktop.xdotool("search", "--onlyvisible", "--name", "^ソラマドORBX$", check=False))

    def test_minimising_hides_behind_the_icon_and_a_double_click_brings_it_back(self):
        p = self.program()
        window = self.start(p, self.settings(windows=[]))
        for round_ in range(2):
            with self.subTest(round=round_):
                self.desktop.xdotool("windowminimize", "--sync", window)
                s.wait_until(lambda: not self.main_visible(), 15, what="the window to hide")
                icon = s.wait_until(self.tray_icon, 15, what="the notification icon")
                self.screenshot(f"tray-{round_}.png")
                self.desktop.xdotool("mousemove", "--sync", "--window", icon, 11, 11)
                self.desktop.xdotool("click", "--repeat", 2, "--delay", 100, 1)
                s.wait_until(self.main_visible, 15, what="the window to come back")
                s.wait_until(lambda: self.tray_icon() is None, 15, what="the icon to go")
                window = p.window(30)

    def test_the_hidden_sequence_writes_the_readme(self):
        p = self.program()
        self.start(p, self.settings(windows=[]))
        p.press("設定")
        dialog = p.wait_find(("dialog", "frame"), "タイマー設定", showing=True)
        # The command is typed, key by key, into the dialog's text box.
        self.desktop.xdotool("windowactivate", "--sync", s.wait_until(
            lambda: self.desktop.xdotool("search", "--onlyvisible", "--name", "^タイマー設定$", check=False), 15,
            what="the dialog's window").split()[0])
        p.focus(p.wait_find("text", within=dialog))
        self.desktop.xdotool("type", "--delay", 60, "premiumorb")
        p.message_box()
        self.screenshot("hidden-command.png")
        p.answer("OK")
        readme = p.folder / "readme2.txt"
        s.wait_until(lambda: readme.exists() and readme.read_bytes().count(b"\r\n") == 36, 15,
                     what="readme2.txt")
        data = readme.read_bytes()
        lines = data.split(b"\r\n")
        self.assertEqual(len(lines), 37)  # 36 lines, each ended by CR LF
        self.assertEqual(lines[-1], b"")
        self.assertEqual(lines[0], b"=" * 77)
        self.assertEqual(lines[2].decode("cp932"), "          ソラマドORBX Premium")
        for i in (4, 5, 7):
            self.assertEqual(len(lines[i]), 77)
        self.assertEqual(lines[35].decode("cp932"), "では、楽しいインターネットラジオライフをお送りください。")
        self.assertFalse(b"\n" in data.replace(b"\r\n", b""))


if __name__ == "__main__":
    unittest.main()
