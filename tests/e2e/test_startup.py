"""Start-up of the real program: the first start, a second start, recording mode."""

import re
import signal
import time
import unittest

from e2e import LIST, MAIN_TITLE, PING, DesktopTestCase, s


def default_host():
    """The directory host the build writes into the default start pages, or None: the built-in one."""
    cache = (s.build_dir() / "CMakeCache.txt").read_text()
    return re.search(r"^SORA_DIRECTORY_HOST:\w+=(.*)$", cache, re.M).group(1) or None


def default_file(folder, host):
    lines = ["[MainForm]", "Top=0", "Left=0", "Height=7320", "Width=12720", "TimeInterval=1", "[SubForm]",
             "Count=2", "Form1Top=0", "Form1Left=0", "Form1Width=5460", "Form1Height=6300", "Form1WindowType=1",
             "Form1WindowState=0", "Form2Top=0", "Form2Left=5460", "Form2Width=7080", "Form2Height=6300",
             "Form2WindowType=2", "Form2WindowState=0", "[URL]",
             f'Url1="http://{host}/kiri-board/radio-deck/radioobx.cgi"' if host else 'Url1="soramado://directory/stations"',
             f'Url2="http://{host}/kiri-board/ping-testobx.cgi"' if host else 'Url2="soramado://directory/ping"',
             "[Setting]", f"RF={folder}/"]
    return "".join(line + "\r\n" for line in lines).encode("cp932")


class FirstStart(DesktopTestCase):
    def test_first_start_writes_the_default_file_and_a_second_start_changes_nothing(self):
        p = self.program()
        self.start(p)
        self.assertEqual(p.settings(), default_file(p.folder, default_host()))
        self.assertTrue(p.find("frame", MAIN_TITLE))
        # The default start pages name the build's directory host, which may be another demo run
        # on this machine: the rest runs on this test's server, the file otherwise the same.
        p.proc.send_signal(signal.SIGKILL)
        p.wait_exit(30)
        expected = default_file(p.folder, self.server.host)
        p.write_settings(expected)

        since = self.now()
        window = self.start(p)
        # Both default windows load their start pages.
        self.server.wait_for(LIST, since=since, timeout=60)
        self.server.wait_for(PING, since=since, timeout=60)

        # 12720 x 7320 twips is 848 x 488 pixels with the frame, at the screen's top left corner.
        x, y, width, height = p.geometry(window)
        self.assertLessEqual(x, 20)
        self.assertLessEqual(y, 40)
        self.assertEqual(x + width + x, 848)  # left and right frame borders are alike
        self.assertGreater(height, 420)
        self.assertLess(height, 488)
        p.wait_status("ページが表示されました")
        self.screenshot("first-start.png")

        # A second start ends at once and touches nothing.
        stamp = p.settings_path.stat().st_mtime_ns
        started = time.monotonic()
        self.assertEqual(p.run_to_end(timeout=60), 0)
        self.assertLess(time.monotonic() - started, 30)
        self.assertEqual(p.settings_path.stat().st_mtime_ns, stamp)
        self.assertEqual(p.settings(), expected)
        self.assertEqual(len(self.desktop.xdotool("search", "--onlyvisible", "--name", f"^{MAIN_TITLE}",
                                                  check=False).split()), 1)

        # The default layout comes back unchanged when the window manager closes the program.
        p.close_through_window_manager()
        self.assertEqual(p.wait_exit(30), 0)
        saved = s.read_settings(p.settings())
        for key, value in s.read_settings(expected).items():
            self.assertEqual(saved.get(key), value, key)


class RecordingMode(DesktopTestCase):
    def test_caption_gains_premium_only_with_both_recorder_files(self):
        cases = ((["tre.dll"], MAIN_TITLE), (["streamripper.exe"], MAIN_TITLE),
                 (["tre.dll", "streamripper.exe"], MAIN_TITLE + " Premium"))
        for files, caption in cases:
            with self.subTest(files=files):
                p = self.program()
                for name in files:
                    (p.folder / name).write_bytes(b"")
                self.start(p, self.settings(windows=[]))
                self.assertEqual(p.find("frame", re.compile(f"^{MAIN_TITLE}")).name, caption)
                p.kill()


if __name__ == "__main__":
    unittest.main()
