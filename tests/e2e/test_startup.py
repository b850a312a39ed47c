"""Start-up of the real program: the first start, a second start, recording mode."""

import time
import unittest

from e2e import LIST, PING, DesktopTestCase, s


def default_file(folder):
    lines = ["[MainForm]", "Top=0", "Left=0", "Height=7320", "Width=12720", "TimeInterval=1", "[SubForm]",
             "Count=2", "Form1Top=0", "Form1Left=0", "Form1Width=5460", "Form1Height=6300", "Form1WindowType=1",
             "Form1WindowState=0", "Form2Top=0", "Form2Left=5460", "Form2Width=7080", "Form2Height=6300",
             "Form2WindowType=2", "Form2WindowState=0", "[URL]",
             'Url1="http://127.0.0.1:8642/kiri-board/radio-deck/radioobx.cgi"',
             'Url2="http://127.0.0.1:8642/kiri-board/ping-testobx.cgi"', "[Setting]", f"RF={folder}/"]
    return "".join(line + "\r\n" for line in lines).encode("cp932")


class FirstStart(DesktopTestCase):
    # The default file's start pages name the demo directory's default ports.
    ports = (8642, 8000)

    def test_first_start_writes_the_default_file_and_a_second_start_changes_nothing(self):
        p = self.program()
        since = self.now()
        window = self.start(p)
        self.assertEqual(p.settings(), default_file(p.folder))
        self.assertEqual(self.desktop.xdotool("getwindowname", window), "ソラマドORBX")

        # Both default windows load their start pages.
        self.server.wait_for(LIST, since=since, timeout=60)
        self.server.wait_for(PING, since=since, timeout=60)

        # 12720 x 7320 twips is 848 x 488 pixels with the frame, at the screen's top left corner.
        x, y, width, height = p.window_geometry(window)
        self.assertLessEqual(x, 20)
        self.assertLessEqual(y, 40)
        self.assertEqual(x + width + x, 848)  # left and right frame borders are alike
        self.assertGreater(height, 420)
        self.assertLess(height, 488)
        time.sleep(2)
        self.screenshot("first-start.png")

        # A second start ends at once and touches nothing.
        stamp = p.settings_path.stat().st_mtime_ns
        started = time.monotonic()
        self.assertEqual(p.run_to_end(timeout=60), 0)
        self.assertLess(time.monotonic() - started, 30)
        self.assertEqual(p.settings_path.stat().st_mtime_ns, stamp)
        self.assertEqual(p.settings(), default_file(p.folder))
        windows = self.desktop.xdotool("search", "--onlyvisible", "--name", "^ソラマドORBX", check=False).split()
        self.assertEqual(len(windows), 1)

        # The default layout comes back unchanged when the window manager closes the program.
        p.close_through_window_manager(window)
        self.assertEqual(p.wait_exit(30), 0)
        saved = s.read_settings(p.settings())
        expected = s.read_settings(default_file(p.folder))
        for key in expected:
            self.assertEqual(saved.get(key), expected[key], key)


class RecordingMode(DesktopTestCase):
    def test_caption_gains_premium_only_with_both_recorder_files(self):
        cases = ((["tre.dll"], "ソラマドORBX"), (["streamripper.exe"], "ソラマドORBX"),
                 (["tre.dll", "streamripper.exe"], "ソラマドORBX Premium"))
        for files, caption in cases:
            with self.subTest(files=files):
                p = self.program()
                for name in files:
                    (p.folder / name).write_bytes(b"")
                window = self.start(p, self.settings(windows=[]))
                self.assertEqual(self.desktop.xdotool("getwindowname", window), caption)
                p.kill()


if __name__ == "__main__":
    unittest.main()
