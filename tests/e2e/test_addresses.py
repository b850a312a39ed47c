"""Station addresses through the real browser: the title strip shows them as the page spells them,
the recorder gets them in plain ASCII, in a UTF-8 locale and into a folder made for it."""

import os
import re
import signal
import stat
import unittest

from e2e import FIRST_STATION, LIST, STATION, DesktopTestCase, recorder_pids, s

# A stand-in recorder: each start leaves one file with its arguments and locale, written whole and
# then renamed, so a test that sees the file reads all of it.
STAND_IN = """#!/bin/sh
f=$(mktemp ./start.XXXXXX)
{ printf 'LC_ALL=%s\\n' "$LC_ALL"; printf '%s\\n' "$@"; } > "$f"
mv "$f" "$f.log"
"""
CANNOT = "録音を開始できません。"
YES = "はい(Y)"  # as Qt's Japanese translation spells it, with its access key
CODESETS = ["--codeset-filesys=UTF-8", "--codeset-metadata=UTF-8"]


def starts(program):
    """The stand-in recorder's starts so far: its lines, in no particular order."""
    return [f.read_text(encoding="utf-8").splitlines() for f in program.folder.glob("start.*.log")]


class Addresses(DesktopTestCase):
    def program_with_stand_in(self):
        p = self.program()
        recorder = p.folder / "streamripper.exe"
        recorder.write_text(STAND_IN)
        recorder.chmod(recorder.stat().st_mode | stat.S_IXUSR)
        (p.folder / "tre.dll").write_bytes(b"")
        return p

    def record(self, program, n):
        """Presses the record button, answers Yes and waits for the n-th start; its lines."""
        program.press("録音", role="push button")
        program.answer(YES)
        s.wait_until(lambda: len(starts(program)) >= n, 30, what=f"start {n} of the recorder")
        return starts(program)

    def test_the_strip_and_the_recorder_get_the_address_as_spelled(self):
        p = self.program_with_stand_in()
        folder = p.folder.parent / "rec"
        since = self.now()
        self.start(p, self.settings(windows=[(1, 0, 0, 0, 7000, 6300)], rec_folder=f"{folder}/"))
        self.server.wait_for(LIST, since=since, timeout=60)

        # title=Kiri%20FM%E3%83%A9 ... mount=/a%20b
        since = self.now()
        p.click_link("Kiri FMラ")
        self.server.wait_for(STATION + "?ch=5", since=since, timeout=30)
        s.wait_until(lambda: p.title_strip().name == "Kiri%20FMラ", 30, what="the title as spelled")
        first = self.record(p, 1)[0]
        self.assertEqual(first, ["LC_ALL=", f"http://127.0.0.1:{self.server.stream_port}/a%20b", "-a", "-d",
                                 f"{folder}/", *CODESETS])

        # title=霧里ラ局 ... mount=/ラ, both sent by the engine as UTF-8 escapes.
        since = self.now()
        p.press("再接続")
        self.server.wait_for(LIST, since=since, timeout=30)
        p.click_link("霧里ラ局")
        self.server.wait_for(STATION + "?ch=6", since=since, timeout=30)
        s.wait_until(lambda: p.title_strip().name == "霧里ラ局", 30, what="the Japanese title as text")
        second = next(lines for lines in self.record(p, 2) if lines != first)
        self.assertEqual(second[1], f"http://127.0.0.1:{self.server.stream_port}/%E3%83%A9")

    def test_a_missing_folder_is_made_and_one_that_cannot_be_is_refused(self):
        p = self.program_with_stand_in()
        folder = p.folder.parent / "新しい" / "録音"
        since = self.now()
        self.start(p, self.settings(windows=[(1, 0, 0, 0, 7000, 6300)], rec_folder=f"{folder}/"))
        self.open_first_station(p, since)
        s.wait_until(lambda: p.title_strip().name == FIRST_STATION, 30, what="the station in the strip")
        lines = self.record(p, 1)[0]
        self.assertEqual(lines[-3], f"{folder}/")
        self.assertTrue(folder.is_dir())
        p.close_through_window_manager()
        self.assertEqual(p.wait_exit(30), 0)

        # Below a read-only folder; permissions do not stop root, whom a plain file still does.
        parent = p.folder.parent / "read-only"
        if os.geteuid() == 0:
            parent.write_bytes(b"")
        else:
            parent.mkdir()
            parent.chmod(0o555)
            self.addCleanup(parent.chmod, 0o755)
        blocked = parent / "録音"
        since = self.now()
        self.start(p, self.settings(windows=[(1, 0, 0, 0, 7000, 6300)], rec_folder=f"{blocked}/"))
        self.open_first_station(p, since)
        s.wait_until(lambda: p.title_strip().name == FIRST_STATION, 30, what="the station in the strip")
        p.press("録音", role="push button")
        p.answer(YES)
        # The question's box may still be on its way out: wait for the refusal's own.
        s.wait_until(lambda: p.find("label", re.compile("^" + CANNOT), within=p.app()), 30, what="the refusal")
        text = p.answer("OK")
        self.assertTrue(text.startswith(CANNOT), text)
        self.assertIn(f"{blocked}/", text)
        self.assertEqual(len(starts(p)), 1, "the refused start started nothing")
        self.assertFalse(os.path.lexists(blocked))

    def test_a_japanese_station_name_is_a_readable_folder_under_lang_c(self):
        p = self.program()
        p.enable_recording()
        base = p.env
        p.env = lambda: {k: v for k, v in base().items() if k not in ("LC_ALL", "LC_CTYPE")} | {"LANG": "C"}
        folder = p.folder.parent / "rec"
        self.addCleanup(lambda: [os.kill(pid, signal.SIGKILL) for pid in recorder_pids(folder)])
        since = self.now()
        # Found through the tree only: under LANG=C the window's X title is not one xdotool matches.
        p.write_settings(self.settings(windows=[(1, 0, 0, 0, 7000, 6300)], rec_folder=f"{folder}/"))
        p.start()
        p.wait_find("frame", re.compile("^ソラマドORBX"), within=p.app(90), timeout=90)
        self.server.wait_for(LIST, since=since, timeout=60)
        p.click_link("深夜の灯台")
        s.wait_until(lambda: p.title_strip().name == "深夜の灯台", 30, what="the station in the strip")
        p.press("録音", role="push button")
        p.answer(YES)
        # The recorder names its folder after the stream's name.
        s.wait_until(lambda: any(folder.rglob("*.mp3")), 60, what="an MP3 in the recording folder")
        self.assertEqual(sorted(f.name for f in folder.iterdir() if f.is_dir()), ["深夜の灯台"])


if __name__ == "__main__":
    unittest.main()
