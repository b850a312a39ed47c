#!/usr/bin/python3
"""録音一覧 with big station folders, and what the recordings watch costs while nobody looks.

    bench/recordings_window.py [--files N ...] [--seconds S] [--build DIR]

One recording of a stream server of its own (Debian's recorder linked into a program folder),
under Xvfb with a private session bus, as the end-to-end tests run the program:

1. For each N (default 0, 10000 and 100000 files put into the recorder's station folder):
   录音一覧 shown for S seconds (default 10) while the accessibility tree asks it for its text
   every 100 ms: the slowest and the median answer, and how long until the sizes first showed.
2. With the recording running, over S seconds: the main thread's wake-ups (its context switches,
   from /proc) per second, and (where strace is installed) how often the program opens files
   under /proc or the recordings' state folder: with 録音一覧 closed (the watch sleeps and the
   recorder's end is told by a process descriptor) and shown (the watch reads the recorders
   every 2 s, as it did whenever a recording ran before).

Prints a Markdown table. Only the Python standard library and the test tools are used.
"""

import argparse
import os
import re
import shutil
import signal
import statistics
import subprocess
import sys
import threading
import time
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer
from pathlib import Path

SOURCE = Path(__file__).resolve().parents[1]
sys.path.insert(0, str(SOURCE / "tools"))
import sorasession as s  # noqa: E402

TONE = (SOURCE / "tools" / "tone.mp3").read_bytes()


class Station(BaseHTTPRequestHandler):
    def do_GET(self):
        self.wfile.write(b"HTTP/1.0 200 OK\r\nContent-Type: audio/mpeg\r\nicy-name: Bench\r\n\r\n")
        start, sent = time.monotonic(), 0
        try:
            while not self.server.done.is_set():
                delay = start + (sent - 16000) / 4000 - time.monotonic()
                if delay > 0 and self.server.done.wait(delay):
                    break
                block = (TONE * 2)[sent % len(TONE):][:1000]
                sent += len(block)
                self.wfile.write(block)
        except (BrokenPipeError, ConnectionResetError):
            pass

    def log_message(self, *args):
        pass


def recorder_pids(folder):
    """The recorder and its terminal: the processes whose command line names the folder."""
    pids = []
    for entry in Path("/proc").iterdir():
        try:
            if entry.name.isdigit() and os.fsencode(str(folder)) + b"/" in (entry / "cmdline").read_bytes().split(b"\0"):
                pids.append(int(entry.name))
        except OSError:
            pass
    return pids


def main_thread_switches(pid):
    status = Path(f"/proc/{pid}/task/{pid}/status").read_text()
    return sum(int(v) for v in re.findall(r"(?:non)?voluntary_ctxt_switches:\s+(\d+)", status))


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("--files", type=int, nargs="+", default=[0, 10000, 100000])
    ap.add_argument("--seconds", type=float, default=10)
    ap.add_argument("--build", default=os.environ.get("SORA_BUILD_DIR", str(SOURCE / "build")))
    args = ap.parse_args()
    os.environ["SORA_BUILD_DIR"] = args.build
    os.environ.setdefault("QTWEBENGINE_DISABLE_SANDBOX", "1")
    os.environ.setdefault("ASAN_OPTIONS", "detect_leaks=0:new_delete_type_mismatch=0")

    stream = ThreadingHTTPServer(("127.0.0.1", 0), Station)
    stream.daemon_threads = True
    stream.done = threading.Event()
    threading.Thread(target=stream.serve_forever, daemon=True).start()
    rows = []
    with s.Desktop() as desktop, s.DemoServer(
            extra_stations=[("ベンチ局", f"http://127.0.0.1:{stream.server_port}/bench")]) as server:
        p = s.Program(desktop)
        folder = p.folder.parent / "rec"
        try:
            p.enable_recording()
            folder.mkdir()
            p.write_settings(s.settings_file(server.url1(), server.url2(), main=(0, 0, 14400, 9000),
                                             windows=[(1, 0, 0, 0, 8600, 13200)], rec_folder=f"{folder}/"))
            p.start()
            p.window(90)
            p.click_link("ベンチ局")
            s.wait_until(lambda: p.title_strip().name == "ベンチ局", 30, what="the station's title")
            p.press("録音", role="push button")
            p.answer("はい(Y)")
            station = s.wait_until(lambda: [d for d in folder.iterdir() if d.is_dir() and any(d.rglob("*.mp3"))],
                                   60, what="the recorder's station folder")[0]
            made = 0
            for n in args.files:
                for i in range(made, n):
                    (station / f"old {i:06}.mp3").touch()
                made = max(made, n)
                shown = time.monotonic()
                p.press("録音一覧")
                window = p.wait_find(("frame", "window", "dialog", "panel", "filler"), "録音一覧")
                details = p.wait_find("label", re.compile("放送局: ベンチ局"), within=window)
                s.wait_until(lambda: "（確認中）" not in details.name, 120, interval=0.05, what="the sizes")
                first = time.monotonic() - shown
                answers, end = [], time.monotonic() + args.seconds
                while time.monotonic() < end:
                    t = time.monotonic()
                    _ = details.name
                    answers.append(time.monotonic() - t)
                    time.sleep(0.1)
                rows.append((f"{n} files, 録音一覧 shown {args.seconds:g} s (answers to the accessibility tree)",
                             f"slowest {max(answers) * 1000:.1f} ms, median {statistics.median(answers) * 1000:.1f} ms"
                             f" ({len(answers)} answers); sizes shown {first * 1000:.0f} ms after the command"))
                # Closed as a person does, through the window manager.
                for x_window in p.desktop.xdotool("search", "--name", "^録音一覧$", check=False).split():
                    p.desktop.xdotool("windowactivate", "--sync", x_window)
                    p.desktop.xdotool("key", "--clearmodifiers", "alt+F4")
                s.wait_until(lambda: not p.find(("frame", "window"), "録音一覧"), 30, what="録音一覧 to close")

            for label, shown in (("録音一覧 closed", False), ("録音一覧 shown", True)):
                if shown:
                    p.press("録音一覧")
                    p.wait_find(("frame", "window", "dialog", "panel", "filler"), "録音一覧")
                trace = p.folder.parent / "strace.txt"
                tracer = None
                if shutil.which("strace"):
                    tracer = subprocess.Popen(["strace", "-f", "-qq", "-e", "trace=openat,readlink", "-o", str(trace),
                                               "-p", str(p.proc.pid)], stderr=subprocess.DEVNULL)
                before, t = main_thread_switches(p.proc.pid), time.monotonic()
                time.sleep(args.seconds)
                elapsed = time.monotonic() - t
                rate = (main_thread_switches(p.proc.pid) - before) / elapsed
                rows.append((f"main thread wake-ups, recording, {label}", f"{rate:.2f} /s"))
                if tracer:
                    tracer.send_signal(signal.SIGINT)
                    tracer.wait()
                    recorder = recorder_pids(folder)
                    opens = [line for line in trace.read_text().splitlines()
                             if "SoraWindowEX-recordings" in line or any(f'"/proc/{pid}/' in line for pid in recorder)]
                    rows.append((f"reads of the state folder and the recorder's /proc, recording, {label}",
                                 f"{len(opens) / elapsed:.2f} /s"))
        finally:
            for pid in recorder_pids(folder):
                os.kill(pid, signal.SIGKILL)
            p.cleanup()
            stream.done.set()
            stream.shutdown()
    print("| Case | Figure |\n|---|---|")
    for case, figure in rows:
        print(f"| {case} | {figure} |")


if __name__ == "__main__":
    shutil.which("streamripper") or sys.exit("Debian's streamripper is needed")
    main()
