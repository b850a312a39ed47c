"""Whatever lands in the settings file, however the program is started or its disk fills up:
a working main window, a clean end, nothing lost that was already saved."""

import os
import re
import subprocess
import unittest
from pathlib import Path

from e2e import DesktopTestCase, s

HOSTILE = Path(__file__).resolve().parent / "hostile"
SAVE_FAILED = "設定保存に失敗しますた。"


class Robustness(DesktopTestCase):
    def close_and_end(self, p):
        """Closes through the window manager, answers a message box if one comes, and waits for
        the end; the exit code (never a signal)."""
        p.close_through_window_manager()

        def ended():
            if p.proc.poll() is not None:
                return True
            box = p.find(("alert", "dialog"), "SoraWindowEX", showing=True)
            if box:
                p.press(re.compile("^(OK|Yes)$"), role="push button", within=box, timeout=5)
            return False
        s.wait_until(ended, 60, interval=0.3, what="the program to end")
        code = p.wait_exit(5)
        self.assertGreaterEqual(code, 0, "the program died from a signal")
        return code

    def hostile_cases(self):
        for path in sorted(HOSTILE.glob("*.ini")):
            yield path.name, lambda target, data=path.read_bytes(): target.write_bytes(data)
        yield "binary", lambda target: target.write_bytes(bytes((i * 37 + 11) % 256 for i in range(65536)))
        yield "ten-megabytes", lambda target: target.write_bytes(
            b"[MainForm]\r\nWidth=9000\r\n" + b"x" * (10 * 1024 * 1024) + b"\r\n[SubForm]\r\nCount=1\r\n")
        yield "directory", lambda target: target.mkdir()
        yield "fifo", lambda target: os.mkfifo(target)
        yield "dangling-link", lambda target: os.symlink(target.parent / "nowhere.ini", target)
        yield "link-loop", lambda target: os.symlink(target, target)

    def test_hostile_settings_files_give_a_working_window_and_a_clean_end(self):
        for name, make in self.hostile_cases():
            with self.subTest(file=name):
                p = self.program()
                make(p.settings_path)
                window = self.start(p, timeout=90)
                x, y, width, height = p.geometry(window)
                self.assertGreater(width, 50)
                self.assertGreater(height, 50)
                self.assertTrue(p.find("menu item", "再接続"), "a working menu")
                self.assertIn(self.close_and_end(p), (0, 1))
                p.cleanup()

    def test_two_starts_at_the_same_instant_leave_exactly_one_program(self):
        p = self.program()
        p.write_settings(self.settings(windows=[]))
        for trial in range(20):
            with self.subTest(trial=trial):
                procs = [subprocess.Popen([str(p.executable)], cwd=str(p.folder), env=p.env(),
                                          stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                                          start_new_session=True) for _ in range(2)]
                s.wait_until(lambda: any(q.poll() is not None for q in procs), 60, what="one start to end")
                ended = [q for q in procs if q.poll() is not None]
                running = [q for q in procs if q.poll() is None]
                self.assertEqual(len(ended), 1)
                self.assertEqual(ended[0].returncode, 0)
                self.assertEqual(len(running), 1)
                p.proc, p._app = running[0], None
                p.window(60)
                self.assertIsNone(p.proc.poll())
                p.kill()

    def test_a_read_only_settings_file_or_folder_loses_nothing(self):
        for what in ("file", "folder"):
            with self.subTest(read_only=what):
                p = self.program()
                original = self.settings(windows=[(1, 0, 150, 300, 4500, 4500)])
                self.start(p, original)
                (p.settings_path if what == "file" else p.folder).chmod(0o444 if what == "file" else 0o555)
                try:
                    self.assertEqual(self.close_and_end(p), 1)
                finally:
                    p.folder.chmod(0o755)
                self.assertEqual(p.settings(), original)

    def test_a_full_disk_fails_the_save_with_the_message_and_keeps_the_old_file(self):
        mount = Path(self.program().folder.parent) / "small-disk"
        mount.mkdir()
        size = os.path.getsize(s.build_dir() / "bin" / "SoraWindowEX") + 512 * 1024
        if subprocess.run(["mount", "-t", "tmpfs", "-o", f"size={size}", "tmpfs", str(mount)],
                          stderr=subprocess.DEVNULL).returncode != 0:
            self.skipTest("cannot mount a small file system here")
        self.addCleanup(subprocess.run, ["umount", "-l", str(mount)])
        p = s.Program(self.desktop, folder=mount / "program")
        self.addCleanup(p.cleanup)
        original = self.settings(windows=[(2, 0, 0, 0, 4500, 4500)])
        self.start(p, original)
        filler = mount / "filler"
        fd = os.open(filler, os.O_WRONLY | os.O_CREAT)
        try:
            while True:
                os.write(fd, b"\0" * 4096)
        except OSError:
            pass
        finally:
            os.close(fd)
        p.close_through_window_manager()
        p.message_box()
        self.screenshot("full-disk.png")
        self.assertIn(SAVE_FAILED, p.answer("OK"))
        self.assertEqual(p.wait_exit(30), 1)
        self.assertEqual(p.settings(), original)
        self.assertEqual(sorted(x.name for x in p.folder.iterdir()), ["SoraWindowEX", "SoraWindowEX.ini"])


if __name__ == "__main__":
    unittest.main()
