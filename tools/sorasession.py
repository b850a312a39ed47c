"""A desktop to run the real program on, for the headless demo and the end-to-end tests.

Desktop: an Xvfb screen with the icewm window manager (it has a notification
area).  DemoServer: the local station directory.  Program: one copy of the
program in a program folder of its own, with its own runtime folder (the
single-instance lock) and home (browser profile), started on the desktop.
Only the Python standard library and Debian's X tools are used.
"""

import os
import re
import shutil
import signal
import subprocess
import tempfile
import time
from pathlib import Path

TOOLS = Path(__file__).resolve().parent
SOURCE = TOOLS.parent


def build_dir():
    return Path(os.environ.get("SORA_BUILD_DIR", SOURCE / "build"))


def wait_until(predicate, timeout, interval=0.1, what="condition"):
    deadline = time.monotonic() + timeout
    while True:
        value = predicate()
        if value:
            return value
        if time.monotonic() > deadline:
            raise TimeoutError(f"timed out after {timeout}s waiting for {what}")
        time.sleep(interval)


def stop_process(proc, timeout=5):
    if proc is None or proc.poll() is not None:
        return
    proc.terminate()
    try:
        proc.wait(timeout)
    except subprocess.TimeoutExpired:
        proc.kill()
        proc.wait()


ICEWM_PREFERENCES = """\
TitleFontNameXft="IPAGothic:size=10"
MenuFontNameXft="IPAGothic:size=10"
StatusFontNameXft="IPAGothic:size=10"
ToolTipFontNameXft="IPAGothic:size=10"
NormalTaskBarFontNameXft="IPAGothic:size=10"
ActiveTaskBarFontNameXft="IPAGothic:size=10"
TaskBarShowClock=0
TaskBarShowWorkspaces=0
TaskBarShowStartMenu=0
TaskBarShowWindowListMenu=0
TaskBarShowCPUStatus=0
TaskBarShowNetStatus=0
TaskBarShowMailboxStatus=0
ShowWelcomeScreen=0
"""


class Desktop:
    """Xvfb with icewm on a display number the X server picks itself."""

    def __init__(self, width=1280, height=1024, window_manager=True):
        self.width, self.height = width, height
        self.window_manager = window_manager
        self.xvfb = self.wm = None
        self.display = None
        self._config = tempfile.TemporaryDirectory(prefix="sora-desktop-")

    def __enter__(self):
        self.start()
        return self

    def __exit__(self, *exc):
        self.stop()

    def env(self, **extra):
        env = dict(os.environ)
        env["DISPLAY"] = self.display
        env.pop("WAYLAND_DISPLAY", None)
        env.update(extra)
        return env

    def start(self):
        read_fd, write_fd = os.pipe()
        self.xvfb = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_fd), "-screen", "0", f"{self.width}x{self.height}x24",
             "-nolisten", "tcp", "-noreset"],
            pass_fds=(write_fd,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_fd)
        with os.fdopen(read_fd) as f:
            number = f.readline().strip()
        if not number:
            raise RuntimeError("Xvfb did not start")
        self.display = ":" + number
        if self.window_manager:
            prefs = Path(self._config.name)
            (prefs / "preferences").write_text(ICEWM_PREFERENCES)
            self.wm = subprocess.Popen(["icewm"], env=self.env(ICEWM_PRIVCFG=str(prefs)),
                                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            # The notification area exists once icewm's task bar is mapped.
            wait_until(lambda: self.xdotool("search", "--class", "icewm", check=False), 10,
                       what="icewm")

    def stop(self):
        stop_process(self.wm)
        stop_process(self.xvfb)
        self._config.cleanup()

    def xdotool(self, *args, check=True, timeout=30):
        r = subprocess.run(["xdotool", *map(str, args)], env=self.env(), capture_output=True, text=True,
                           timeout=timeout)
        if check and r.returncode != 0:
            raise RuntimeError(f"xdotool {' '.join(map(str, args))}: {r.stderr.strip()}")
        return r.stdout.strip() if r.returncode == 0 else ""

    def screenshot(self, path):
        tool = build_dir() / "tools" / "sora-screenshot"
        subprocess.run([str(tool), str(path)], env=self.env(QT_QPA_PLATFORM="xcb"), check=True,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=30)
        return Path(path)


class DemoServer:
    """The local station directory on ports of its own (0 = any free port)."""

    def __init__(self, port=0, stream_port=0):
        self._dir = tempfile.TemporaryDirectory(prefix="sora-demo-")
        self.log_path = Path(self._dir.name) / "requests.log"
        self.port, self.stream_port = port, stream_port
        self.proc = None

    def __enter__(self):
        self.start()
        return self

    def __exit__(self, *exc):
        self.stop()

    def start(self):
        ready = Path(self._dir.name) / "ready"
        self.proc = subprocess.Popen(
            ["python3", str(TOOLS / "demo-directory"), "--port", str(self.port), "--stream-port",
             str(self.stream_port), "--log", str(self.log_path), "--ready-file", str(ready)],
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        wait_until(lambda: ready.exists() or self.proc.poll() is not None, 15, what="demo server")
        if self.proc.poll() is not None:
            raise RuntimeError("the demo server did not start (port in use?)")
        values = dict(line.split("=", 1) for line in ready.read_text().split())
        self.port, self.stream_port = int(values["pages"]), int(values["stream"])

    def stop(self):
        stop_process(self.proc)
        self._dir.cleanup()

    @property
    def host(self):
        return f"127.0.0.1:{self.port}"

    def url1(self):
        return f"http://{self.host}/kiri-board/radio-deck/radioobx.cgi"

    def url2(self):
        return f"http://{self.host}/kiri-board/ping-testobx.cgi"

    def requests(self):
        """(time, method, path) of every request so far."""
        if not self.log_path.exists():
            return []
        out = []
        for line in self.log_path.read_text(encoding="utf-8", errors="replace").splitlines():
            parts = line.split(" ")
            if len(parts) >= 4:
                out.append((float(parts[0]), parts[1], " ".join(parts[2:-1])))
        return out

    def count(self, path_prefix, since=0.0):
        return sum(1 for t, _, p in self.requests() if p.startswith(path_prefix) and t >= since)

    def wait_for(self, path_prefix, n=1, since=0.0, timeout=30):
        return wait_until(lambda: self.count(path_prefix, since) >= n, timeout,
                          what=f"{n} request(s) for {path_prefix}")


def settings_file(url1, url2, main=(0, 0, 7320, 12720), interval=1, windows=None, rec_folder=None):
    """A settings file's bytes: code page 932, CR LF. windows: (type, state, top, left, width, height)."""
    windows = windows if windows is not None else [(1, 0, 0, 0, 5460, 6300), (2, 0, 0, 5460, 7080, 6300)]
    top, left, height, width = main
    lines = ["[MainForm]", f"Top={top}", f"Left={left}", f"Height={height}", f"Width={width}",
             f"TimeInterval={interval}", "[SubForm]", f"Count={len(windows)}"]
    for i, (kind, state, wtop, wleft, wwidth, wheight) in enumerate(windows, 1):
        lines += [f"Form{i}Top={wtop}", f"Form{i}Left={wleft}", f"Form{i}Width={wwidth}",
                  f"Form{i}Height={wheight}", f"Form{i}WindowType={kind}", f"Form{i}WindowState={state}"]
    lines += ["[URL]", f'Url1="{url1}"', f'Url2="{url2}"']
    if rec_folder is not None:
        lines += ["[Setting]", f"RF={rec_folder}"]
    return ("\r\n".join(lines) + "\r\n").encode("cp932")


def read_settings(data):
    """{(section, key): value} of a settings file's bytes (first of each, names lower-cased)."""
    values, section = {}, None
    for raw in re.split(rb"\r\n|\r|\n", data):
        line = raw.decode("cp932", errors="replace").strip()
        if line.startswith("["):
            section = line[1:].split("]")[0].strip().lower()
        elif "=" in line and section is not None:
            key, value = line.split("=", 1)
            values.setdefault((section, key.strip().lower()), value.strip())
    return values


class Program:
    """One copy of the program in its own program folder, on a desktop."""

    def __init__(self, desktop, folder=None, executable=None):
        self.desktop = desktop
        self._tmp = tempfile.TemporaryDirectory(prefix="sora-program-")
        self.folder = Path(folder) if folder else Path(self._tmp.name) / "program"
        self.folder.mkdir(parents=True, exist_ok=True)
        self.runtime = Path(self._tmp.name) / "runtime"
        self.runtime.mkdir(mode=0o700)
        self.home = Path(self._tmp.name) / "home"
        self.home.mkdir()
        self.executable = self.folder / "SoraWindowEX"
        if not self.executable.exists():
            shutil.copy2(executable or build_dir() / "bin" / "SoraWindowEX", self.executable)
        self.proc = None
        self.output = Path(self._tmp.name) / "output.log"

    def cleanup(self):
        self.kill()
        self._tmp.cleanup()

    @property
    def settings_path(self):
        return self.folder / "SoraWindowEX.ini"

    def write_settings(self, data):
        self.settings_path.write_bytes(data)

    def settings(self):
        return self.settings_path.read_bytes() if self.settings_path.exists() else None

    def enable_recording(self):
        os.symlink(shutil.which("streamripper") or "/usr/bin/streamripper", self.folder / "streamripper.exe")
        (self.folder / "tre.dll").write_bytes(b"")

    def env(self):
        return self.desktop.env(XDG_RUNTIME_DIR=str(self.runtime), HOME=str(self.home),
                                XDG_DATA_HOME=str(self.home / ".local/share"),
                                XDG_CACHE_HOME=str(self.home / ".cache"),
                                XDG_CONFIG_HOME=str(self.home / ".config"),
                                QTWEBENGINE_DISABLE_SANDBOX="1", LANG="C.UTF-8")

    def start(self):
        out = open(self.output, "ab")
        self.proc = subprocess.Popen([str(self.executable)], cwd=str(self.folder), env=self.env(),
                                     stdout=out, stderr=subprocess.STDOUT, start_new_session=True)
        out.close()
        return self.proc

    def run_to_end(self, timeout=30):
        """Starts a second process of this copy and waits for it to end; its exit code."""
        out = open(self.output, "ab")
        r = subprocess.run([str(self.executable)], cwd=str(self.folder), env=self.env(), stdout=out,
                           stderr=subprocess.STDOUT, timeout=timeout)
        out.close()
        return r.returncode

    def main_window(self, timeout=30):
        """The main window's X id, once it is mapped and stays the same: the window is created
        anew when its first browser appears, so the first id seen may not last."""
        def find():
            ids = self.desktop.xdotool("search", "--all", "--onlyvisible", "--pid", self.proc.pid, "--name",
                                       "^ソラマドORBX", check=False).split()
            return ids[0] if len(ids) == 1 else None
        seen = {"id": None, "since": 0.0}

        def stable():
            current = find()
            now = time.monotonic()
            if current != seen["id"]:
                seen.update(id=current, since=now)
                return None
            return current if current and now - seen["since"] >= 1.0 else None
        return wait_until(stable, timeout, interval=0.2, what="the main window")

    def window_geometry(self, window):
        """(x, y, width, height) of a window's client area on the screen."""
        out = self.desktop.xdotool("getwindowgeometry", "--shell", window)
        g = dict(line.split("=", 1) for line in out.splitlines())
        return int(g["X"]), int(g["Y"]), int(g["WIDTH"]), int(g["HEIGHT"])

    # Measures of the main window's inside under this desktop (Qt's Fusion style at 96 DPI): the
    # menu bar's height, and where a child window's client area starts inside its frame.
    MENU_BAR_HEIGHT = 19
    CHILD_CLIENT_OFFSET = (4, 24)

    def child_client_origin(self, window, top_twips, left_twips):
        """Screen position of the client area of a child window placed at top/left (twips)."""
        x, y, _, _ = self.window_geometry(window)
        dx, dy = self.CHILD_CLIENT_OFFSET
        return (x + round(left_twips / 15) + dx, y + self.MENU_BAR_HEIGHT + round(top_twips / 15) + dy)

    def click(self, x, y, button=1):
        self.desktop.xdotool("mousemove", "--sync", x, y)
        self.desktop.xdotool("click", button)

    def menu_entries(self, window, screenshot):
        """Screen x of the middle of each menu entry, found from the text pixels in a screenshot."""
        x, y, w, _ = self.window_geometry(window)
        _, _, px = read_png(self.desktop.screenshot(screenshot))
        dark = [any(sum(px[y + dy][x + dx]) < 300 for dy in range(4, self.MENU_BAR_HEIGHT - 3))
                for dx in range(w)]
        entries, start, gap = [], None, 0
        for dx, is_dark in enumerate(dark + [False] * 12):
            if is_dark:
                start = dx if start is None else start
                gap = 0
            elif start is not None:
                gap += 1
                if gap > 10:
                    entries.append(x + (start + dx - gap) // 2)
                    start = None
        return entries

    def close_through_window_manager(self, window):
        self.desktop.xdotool("windowactivate", "--sync", window)
        self.desktop.xdotool("key", "--clearmodifiers", "alt+F4")

    def wait_exit(self, timeout=30):
        return self.proc.wait(timeout)

    def kill(self):
        if self.proc and self.proc.poll() is None:
            os.killpg(self.proc.pid, signal.SIGKILL)
            self.proc.wait()


def read_png(path):
    """(width, height, pixels) of an 8-bit RGB or RGBA PNG; pixels[y][x] = (r, g, b)."""
    import struct
    import zlib
    data = Path(path).read_bytes()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        raise ValueError("not a PNG file")
    pos, idat, width = 8, b"", None
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        chunk = data[pos + 8:pos + 8 + length]
        pos += 12 + length
        if kind == b"IHDR":
            width, height, depth, color = struct.unpack(">IIBB", chunk[:10])
            if depth != 8 or color not in (2, 6):
                raise ValueError("only 8-bit RGB or RGBA")
            channels = 3 if color == 2 else 4
        elif kind == b"IDAT":
            idat += chunk
    raw = zlib.decompress(idat)
    stride = width * channels
    rows, prev = [], bytearray(stride)
    for y in range(height):
        f = raw[y * (stride + 1)]
        line = bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride):
            a = line[i - channels] if i >= channels else 0
            b = prev[i]
            c = prev[i - channels] if i >= channels else 0
            if f == 1:
                line[i] = (line[i] + a) & 0xFF
            elif f == 2:
                line[i] = (line[i] + b) & 0xFF
            elif f == 3:
                line[i] = (line[i] + (a + b) // 2) & 0xFF
            elif f == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                line[i] = (line[i] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 0xFF
        rows.append([tuple(line[x * channels:x * channels + 3]) for x in range(width)])
        prev = line
    return width, height, rows
