"""Desktops other than Xvfb + icewm alone, for the tests of how the program fits into them.

Session: Xvfb (any size) with icewm and a private session bus, on which stand-ins for desktop
services can run.  WestonSession: weston on its headless back end with XWayland, so both
WAYLAND_DISPLAY and DISPLAY are set as on a Wayland desktop.  Both give env() and xdotool() as
the session module's Desktop does, so its Program and DemoServer run on them.  Nothing waits a
fixed time: every wait polls for what it waits for.
"""

import os
import re
import subprocess
import tempfile
from pathlib import Path

from e2e import s

STANDINS = Path(__file__).resolve().parent / "standins"


def _start_reporting(argv, env, flag):
    """Starts argv with `flag` naming a pipe and reads the one line it writes there."""
    read_fd, write_fd = os.pipe()
    extra = [f"{flag}{write_fd}"] if flag.endswith("=") else [flag, str(write_fd)]
    proc = subprocess.Popen([*argv, *extra], pass_fds=(write_fd,), env=env, stdout=subprocess.DEVNULL,
                            stderr=subprocess.DEVNULL, start_new_session=True)
    os.close(write_fd)
    with os.fdopen(read_fd) as f:
        line = f.readline().strip()
    if not line:
        s.stop_process(proc)
        raise RuntimeError(f"{argv[0]} did not start")
    return proc, line


class _Base:
    def __init__(self):
        self._dir = tempfile.TemporaryDirectory(prefix="sora-session-")
        self.root = Path(self._dir.name)
        self.runtime = self.root / "runtime"
        self.runtime.mkdir(mode=0o700)
        self.processes = []
        self.bus = self.bus_address = self.display = None
        self.wayland_display = None

    def __enter__(self):
        self.start()
        return self

    def __exit__(self, *exc):
        self.stop()

    def env(self, **extra):
        env = dict(os.environ)
        for name in ("WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "AT_SPI_BUS_ADDRESS", "DBUS_SESSION_BUS_ADDRESS"):
            env.pop(name, None)
        env["DISPLAY"] = self.display or ""
        if self.wayland_display:
            env["WAYLAND_DISPLAY"] = self.wayland_display
        if self.bus_address:
            env["DBUS_SESSION_BUS_ADDRESS"] = self.bus_address
        env.update(extra)
        return env

    def _start_bus(self):
        self.bus, self.bus_address = _start_reporting(["dbus-daemon", "--session", "--nofork", "--nopidfile"],
                                                      self.env(XDG_RUNTIME_DIR=str(self.runtime)),
                                                      "--print-address=")

    def spawn(self, argv, **env):
        proc = subprocess.Popen(list(map(str, argv)), env=self.env(**env), stdout=subprocess.DEVNULL,
                                stderr=subprocess.DEVNULL, start_new_session=True)
        self.processes.append(proc)
        return proc

    def standin(self, script):
        """Starts a stand-in service from standins/ and returns once it owns its bus name."""
        proc = subprocess.Popen([str(STANDINS / script)], env=self.env(), stdout=subprocess.PIPE,
                                stderr=subprocess.DEVNULL, text=True, start_new_session=True)
        self.processes.append(proc)
        if proc.stdout.readline().strip() != "ready":
            raise RuntimeError(f"{script} did not start")
        return proc

    def call(self, dest, path, method, *args):
        """A method call on the session bus through gdbus; its printed reply."""
        r = subprocess.run(["gdbus", "call", "--session", "--dest", dest, "--object-path", path, "--method",
                            method, *map(str, args)], env=self.env(), capture_output=True, text=True,
                           timeout=30, check=True)
        return r.stdout.strip()

    def xdotool(self, *args, check=True, timeout=30):
        r = subprocess.run(["xdotool", *map(str, args)], env=self.env(), capture_output=True, text=True,
                           timeout=timeout)
        if check and r.returncode != 0:
            raise RuntimeError(f"xdotool {' '.join(map(str, args))}: {r.stderr.strip()}")
        return r.stdout.strip() if r.returncode == 0 else ""

    def screenshot(self, path):
        tool = s.build_dir() / "tools" / "sora-screenshot"
        subprocess.run([str(tool), str(path)], env=self.env(QT_QPA_PLATFORM="xcb"), check=True,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=30)
        return Path(path)

    def stop(self):
        for proc in reversed(self.processes):
            s.stop_process(proc)
            if proc.stdout:
                proc.stdout.close()
        s.stop_process(self.bus)
        self._dir.cleanup()


class Session(_Base):
    """Xvfb of the given size, a private session bus and icewm."""

    def __init__(self, width=1280, height=1024):
        super().__init__()
        self.width, self.height = width, height

    def start(self):
        xvfb, number = _start_reporting(["Xvfb", "-screen", "0", f"{self.width}x{self.height}x24", "-nolisten",
                                         "tcp", "-noreset"], None, "-displayfd")
        self.processes.append(xvfb)
        self.display = ":" + number
        self._start_bus()
        (self.root / "preferences").write_text(s.ICEWM_PREFERENCES)
        self.spawn(["icewm"], ICEWM_PRIVCFG=str(self.root))
        s.wait_until(lambda: self.xdotool("search", "--class", "icewm", check=False), 10, what="icewm")


class WestonSession(_Base):
    """weston, headless, with XWayland: a Wayland session that also has an X display."""

    def start(self):
        self._start_bus()
        log = self.root / "weston.log"
        self.spawn(["weston", "--backend=headless-backend.so", "--xwayland", "--socket=sora-wayland",
                    "--width=1280", "--height=1024", f"--log={log}", "--idle-time=0"],
                   XDG_RUNTIME_DIR=str(self.runtime))
        s.wait_until(lambda: (self.runtime / "sora-wayland").exists(), 30, what="weston's socket")
        self.wayland_display = "sora-wayland"
        # weston names the X display it listens on for XWayland in its log.
        found = s.wait_until(lambda: log.exists() and re.search(r"xserver listening on display (:\d+)",
                                                                log.read_text(errors="replace")),
                             30, what="weston's X display")
        self.display = found.group(1)

    def env(self, **extra):
        # The Wayland socket lives in weston's runtime folder.
        base = super().env()
        if self.wayland_display:
            base["WAYLAND_DISPLAY"] = str(self.runtime / self.wayland_display)
        base.update(extra)
        return base


class SessionTestCase:
    """Mixin for a unittest.TestCase whose every test runs in a session of its own, made by
    `make_session()`, with one copy of the program on it."""

    def make_session(self):
        raise NotImplementedError

    def setUp(self):
        self.session = self.make_session()
        self.session.start()
        self.addCleanup(self.session.stop)

    def program(self, **env):
        p = s.Program(self.session)
        if env:
            base = p.env
            p.env = lambda: {**base(), **env}
        self.addCleanup(p.cleanup)
        self.addCleanup(self._keep_output, p)
        return p

    def _keep_output(self, program):
        if program.output.exists() and os.environ.get("SORA_E2E_VERBOSE"):
            import sys
            sys.stderr.write(program.output.read_text(errors="replace"))

    def settings(self, main=(300, 450, 6405, 10170)):
        """A layout without child windows: (top, left, height, width) of the main window."""
        return s.settings_file("http://127.0.0.1:9/list.cgi", "http://127.0.0.1:9/ping.cgi", main=main,
                               windows=[])

    def main_windows(self, program):
        """The program's main windows that are mapped on the X display."""
        return self.session.xdotool("search", "--all", "--onlyvisible", "--pid", program.proc.pid, "--name",
                                    "^ソラマドORBX", check=False).split()

    def terminate(self, program):
        """Ends the program the way a logout or `kill` does; waits for it to end."""
        program.proc.terminate()
        return program.proc.wait(60)
