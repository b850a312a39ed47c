"""The runner's own reading of marks, logs and /proc: a fault here would put wrong figures into
RESULTS.md without any benchmark failing."""

import os
import signal
import subprocess
import tempfile
import time
import types
import unittest
from pathlib import Path

HERE = Path(__file__).resolve().parent
# bench/run is a script without a .py name: load it as a module of its own (its main() stays unrun).
run = types.ModuleType("bench_run")
run.__file__ = str(HERE / "run")
exec(compile((HERE / "run").read_text(encoding="utf-8"), run.__file__, "exec"), run.__dict__)


class Marks(unittest.TestCase):
    def test_only_whole_mark_lines_count_and_the_detail_is_optional(self):
        with tempfile.TemporaryDirectory() as d:
            path = Path(d) / "output.log"
            path.write_text("Sandboxing disabled by user.\n"
                            "sora-bench 100 created\n"
                            "[1:2:ERROR:gpu] sora-bench 5 painted\n"
                            "sora-bench 250 loaded 1\n"
                            "sora-bench 300 raw-press 8\n")
            self.assertEqual(run.marks(path), [(100, "created", None), (250, "loaded", 1), (300, "raw-press", 8)])
            self.assertEqual(run.marks(Path(d) / "missing.log"), [])


class SideButtons(unittest.TestCase):
    def test_each_press_is_paired_with_the_call_of_its_own_direction(self):
        ms = 1_000_000
        latencies, unanswered = run.side_button_latencies([
            (0, "raw-press", 1),             # a left click: not a side button
            (10 * ms, "raw-press", 8),
            (11 * ms, "go-back", None),
            (20 * ms, "raw-press", 9),
            (20 * ms + ms // 2, "go-forward", None),
            (30 * ms, "raw-press", 8),       # nothing came of it
            (40 * ms, "raw-press", 9),
            (41 * ms, "go-back", None),      # the wrong direction answers nothing
            (50 * ms, "go-back", None),      # a call with no press before it
            (60 * ms, "raw-press", 8),       # the last press, never answered
        ])
        self.assertEqual(latencies, [1.0, 0.5])
        self.assertEqual(unanswered, 3)

    def test_percentiles_are_nearest_rank(self):
        values = list(range(1, 301))
        self.assertEqual(run.percentile(values, 50), 150)
        self.assertEqual(run.percentile(values, 99), 297)
        self.assertEqual(run.percentile(values, 100), 300)
        self.assertEqual(run.percentile([7.0], 99), 7.0)
        self.assertEqual(run.percentile([3, 1, 2], 50), 2)


class FirstRequests(unittest.TestCase):
    def test_the_last_window_to_ask_for_its_page_sets_the_moment(self):
        wall0 = 1000.0
        requests = [
            (999.9, "GET", run.LIST),                # the run before
            (1000.2, "GET", run.PING),
            (1000.25, "GET", run.LIST + "?x=1"),
            (1000.3, "GET", "/favicon.ico"),
            (1000.5, "GET", run.LIST),
            (1000.9, "GET", run.PING),              # a second request of the ping window
        ]
        windows = run.layout(2) + [(1, 0, 0, 0, 5460, 6300)]  # two players, one ping window
        self.assertAlmostEqual(run.first_page_requests(requests, wall0, windows), 500.0, places=3)
        with self.assertRaises(RuntimeError):
            run.first_page_requests(requests, wall0, windows + [(1, 0, 0, 0, 5460, 6300)])

    def test_layouts_alternate_players_and_ping_windows(self):
        self.assertEqual([w[0] for w in run.layout(2)], [1, 2])
        self.assertEqual([w[0] for w in run.layout(10)], [1, 2] * 5)


class ProcessTree(unittest.TestCase):
    def test_descendants_of_descendants_are_found_and_measured(self):
        proc = subprocess.Popen(["sh", "-c", "sh -c 'sleep 60 & wait' & wait"], start_new_session=True)
        try:
            deadline = time.monotonic() + 10
            tree = run.process_tree(proc.pid)
            while len(tree) < 3 and time.monotonic() < deadline:
                time.sleep(0.02)
                tree = run.process_tree(proc.pid)
            commands = [Path(f"/proc/{pid}/comm").read_text().strip() for pid in tree]
            self.assertEqual(tree[0], proc.pid)
            self.assertEqual(sorted(commands), ["sh", "sh", "sleep"])
            self.assertGreater(run.pss_kib(tree), run.pss_kib([proc.pid]))
            self.assertEqual(run.pss_kib([2 ** 22 + 1]), 0)  # a pid that does not exist
        finally:
            os.killpg(proc.pid, signal.SIGKILL)
            proc.wait()

    def test_engine_processes_are_told_apart_by_type_whether_or_not_they_rewrote_their_title(self):
        # An engine process that set its title has all its arguments in one, spaces between.
        sleep = "import time; time.sleep(60)"
        kids = [subprocess.Popen(["bash", "-c", f'exec -a "QtWebEngineProcess --type=renderer" python3 -c "{sleep}"']),
                subprocess.Popen(["python3", "-c", sleep, "--type=utility",
                                  "--utility-sub-type=audio.mojom.AudioService"]),
                subprocess.Popen(["python3", "-c", sleep, "--type=zygote"])]
        try:
            deadline = time.monotonic() + 10
            while time.monotonic() < deadline and not all(
                    b"--type=" in Path(f"/proc/{k.pid}/cmdline").read_bytes() for k in kids):
                time.sleep(0.02)
            self.assertEqual([run.process_kind(k.pid, os.getpid()) for k in kids], ["page", "audio", "zygote"])
            self.assertEqual(run.process_kind(os.getpid(), os.getpid()), "main")
        finally:
            for k in kids:
                k.kill()
                k.wait()


class PartialReport(unittest.TestCase):
    OLD = ("# Benchmark results\n\nheader\n\n## 1. Start-up\n\nold start-up\n\n## 2. Memory\n\nold memory\n\n"
           "## 6. Soak\n\nold soak\n\n## Targets\n\n- met: start-up (a) 1.01\n- met: memory with 2 1.00\n"
           "- **missed**: soak CPU 1.3×\n")

    def test_only_the_sections_and_targets_of_the_parts_run_are_replaced(self):
        new = ("# Benchmark results\n\nnew header\n\n## 5. Memory per window: --process-per-site\n\nper-site\n\n"
               "## 6. Soak\n\nnew soak\n\n## Targets\n\n- met: per-site saves 15%\n- met: soak CPU 1.0×\n")
        merged = run.merge_report(self.OLD, new, {"soak", "persite"})
        self.assertEqual(merged, (
            "# Benchmark results\n\nheader\n\n## 1. Start-up\n\nold start-up\n\n## 2. Memory\n\nold memory\n\n"
            "## 5. Memory per window: --process-per-site\n\nper-site\n\n## 6. Soak\n\nnew soak\n\n## Targets\n\n"
            "- met: start-up (a) 1.01\n- met: memory with 2 1.00\n- met: per-site saves 15%\n- met: soak CPU 1.0×\n"))

    def test_a_file_without_targets_gets_the_new_sections_at_its_end(self):
        merged = run.merge_report("# Benchmark results\n\nheader\n", "# x\n\n## 6. Soak\n\nnew soak\n", {"soak"})
        self.assertEqual(merged, "# Benchmark results\n\nheader\n## 6. Soak\n\nnew soak\n")


class TapFigures(unittest.TestCase):
    def test_each_change_of_title_is_paired_with_the_panel_first_showing_its_song_after_it(self):
        server = [(0.0, "A - One"), (10.0, "A - Two"), (20.0, "A - One"), (30.0, "A - Three")]
        panel = [(1.0, "One"), (10.5, "Two"), (19.75, "One"), (40.0, "")]  # Three never shown
        delays, missed = run.title_delays(server, panel)
        self.assertEqual(delays, [0.5, -0.25])  # the panel's One of 1.0 is not the second One
        self.assertEqual(missed, 1)

    def test_the_tap_is_noisy_only_where_its_runs_overlap_the_direct_ones(self):
        self.assertIs(run.tap_verdict(1.3, 1.1, (1.2, 1.4), (1.0, 1.2)), True)
        self.assertEqual(run.tap_verdict(1.6, 1.1, (1.2, 1.9), (1.0, 1.3)), run.NOISY)
        self.assertIs(run.tap_verdict(2.0, 1.1, (1.9, 2.1), (1.0, 1.3)), False)


class SoakVerdicts(unittest.TestCase):
    @staticmethod
    def verdicts(fds, pss=None):
        rows = [{"minute": i, "pss_mib": (pss or [100.0] * len(fds))[i], "uss_mib": 80.0, "engine": 4, "fds": n,
                 "cpu_s": 10.0 * i, "t": 60.0 * i, "station_requests": 2 * i, "ping_requests": 2 * i}
                for i, n in enumerate(fds)]
        targets = []
        run.report_soak({"samples": {"ours": rows, "reference": rows}, "tray": {}, "load": [1.0] * len(rows)},
                        len(rows) - 1, "", targets)
        return {text.split(":")[0]: ok for text, ok in targets}

    def test_descriptors_opened_while_starting_are_not_growth_but_later_ones_are(self):
        self.assertTrue(self.verdicts([159, 161, 161, 161])["soak open descriptors"])
        self.assertFalse(self.verdicts([159, 161, 161, 162])["soak open descriptors"])

    def test_memory_grows_from_minute_ten_on(self):
        early = [50.0] * 10 + [100.0, 104.0]
        self.assertTrue(self.verdicts([161] * 12, early)["soak PSS growth minute 10–11"])
        self.assertFalse(self.verdicts([161] * 12, early[:-1] + [105.0])["soak PSS growth minute 10–11"])


if __name__ == "__main__":
    unittest.main()
