"""Windows whose page process is killed (the out-of-memory killer, a crashing page) load their page
again, and a page process that keeps dying cannot make the program spin or end."""

import os
import signal
import unittest
from pathlib import Path

from e2e import PING, STATION, DesktopTestCase, s


def page_processes(root):
    """Pids of the engine's page processes in the process tree of root: forked by the engine's
    zygote, they may still carry its command line, so an engine process whose parent is one too
    counts as well as one that says --type=renderer."""
    children = {}
    for entry in Path("/proc").iterdir():
        if not entry.name.isdigit():
            continue
        try:
            stat = (entry / "stat").read_text()
        except OSError:
            continue
        children.setdefault(int(stat[stat.rfind(")") + 2:].split()[1]), []).append(int(entry.name))
    def is_engine(pid):
        try:
            return "QtWebEngineProc" in Path(f"/proc/{pid}/comm").read_text()
        except OSError:
            return False

    found, todo = [], [(root, False)]
    while todo:
        pid, parent_engine = todo.pop()
        engine = is_engine(pid)
        todo.extend((child, engine) for child in children.get(pid, []))
        try:
            argv = Path(f"/proc/{pid}/cmdline").read_bytes().split(b"\0")
        except OSError:
            continue
        if engine and (parent_engine or b"--type=renderer" in argv):
            found.append(pid)
    return found


class CrashedPages(DesktopTestCase):
    def station(self):
        # A player whose start page is a station page: it plays at once, no click needed.
        return (f"http://{self.server.host}{STATION}?ch=1&title=Crash&serv=127.0.0.1"
                f"&port={self.server.stream_port}&mount=/station1&end=1")

    def kill_pages(self, p, killed):
        """Kills every page process that has not been killed before, once both windows have one."""
        fresh = s.wait_until(lambda: [pid for pid in page_processes(p.proc.pid) if pid not in killed], 30,
                             what="page processes")
        for pid in fresh:
            os.kill(pid, signal.SIGKILL)
        killed.update(fresh)

    def test_killed_pages_are_loaded_again_and_repeated_kills_are_rate_limited(self):
        p = self.program()
        # The reload timer at its longest, so that every request after a kill is the recovery's.
        p.write_settings(s.settings_file(self.station(), self.server.url2(), interval=99))
        since = self.now()
        p.start()
        self.server.wait_for(f"{STATION}?ch=1&", since=since, timeout=90)
        self.server.wait_for(PING, since=since, timeout=90)

        killed = set()
        # Three times in a row, each as soon as the pages were requested again: the first is
        # answered at once, the next ones once the interval since the last reload has passed.
        for round_ in range(3):
            with self.subTest(round=round_):
                since = self.now()
                self.kill_pages(p, killed)
                self.server.wait_for(f"{STATION}?ch=1&", since=since, timeout=30)
                self.server.wait_for(PING, since=since, timeout=30)
                self.assertIsNone(p.proc.poll(), "the program ended")

        # Still answering its window manager: a close saves and ends the program normally.
        p.close_through_window_manager(30)
        self.assertEqual(p.wait_exit(30), 0)
        # Each kill brought exactly one load of each page: no reload loop.
        self.assertEqual(self.server.count(f"{STATION}?ch=1&"), 4)
        self.assertEqual(self.server.count(PING), 4)


if __name__ == "__main__":
    unittest.main()
