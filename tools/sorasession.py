"""A desktop to run the real program on, driven the way a person or a screen reader does.

For the headless demo and the end-to-end tests.  Only the Python standard library, Debian's
python3-pyatspi (run with /usr/bin/python3) and Debian's X tools are used.

Desktop(width, height, window_manager=True)
    start()/stop(): an Xvfb screen, icewm (it has a notification area), a private session bus and
    its accessibility bus (at-spi-bus-launcher, registryd).  One Desktop per process can be read
    through the accessibility tree: libatspi keeps the first bus it connects to.
    env(**extra): environment for a process on this desktop and bus.
    spawn(argv, bus_name=None, **env): starts a process on the desktop, stopped with the desktop;
    with bus_name (a stand-in service), returns once it owns that name on the session bus.
    call(dest, path, method, *args): a method call on the session bus; gdbus's printed reply.
    xdotool(*args): X and window-manager actions; screenshot(path).
WestonDesktop(width, height): the same with weston's headless back end and XWayland in place of
    Xvfb and icewm, so WAYLAND_DISPLAY and DISPLAY are both set, as on a Wayland desktop.
DemoServer(port=0, stream_port=0, burst_seconds=None): the local station directory on free ports
    (burst_seconds: how much of a stream is sent at once, the demo's own default if None); requests(),
    count(prefix), wait_for(prefix, n) read its request log.  stop(keep=True) then start() again
    brings it back on the same ports with the same log, as a server that restarts.
Program(desktop, folder=None, env=None): one copy of the program in a program folder of its own,
    with its own runtime folder (the single-instance lock) and home.
    start(), run_to_end(), wait_exit(), kill(), cleanup(); settings()/write_settings().
    window(): the main window's X id; geometry(window); close_through_window_manager().
    app(): the program's application in the accessibility tree.
    find(role, name, within=None, **kw) / find_all(...): the first / all elements that match now.
    wait_find(role, name, ...): the same, polling until it exists.
    press(name, role="menu item"): presses a control through its action.
    answer(button): waits for a message box, presses its button by name, returns its text.
    status_text(): the status bar's text; wait_status(text) waits for it.  title_strip(): the player window's title label.
    click_link(name): clicks a link in a web page, found by its name, where the tree puts it.
    click(x, y, button): a real mouse click (e.g. buttons 8/9 at a position from extents()).
    focus(element): gives an element the keyboard focus (for typing with xdotool).
wait_until(predicate, timeout, what): polls until predicate() is true; its value.
Tree helpers on any element: walk(root), matches(element, role, name, ...), text_of(element),
    extents(element) (screen rectangle), do_action(element, names).
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


def _read_line_from(argv, env, flag):
    """Starts argv with `flag` and a pipe's fd appended and reads one line from the pipe."""
    read_fd, write_fd = os.pipe()
    fd = [f"{flag}{write_fd}"] if flag.endswith("=") else [flag, str(write_fd)]
    proc = subprocess.Popen([*argv, *fd], pass_fds=(write_fd,), env=env,
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, start_new_session=True)
    os.close(write_fd)
    with os.fdopen(read_fd) as f:
        line = f.readline().strip()
    if not line:
        stop_process(proc)
        raise RuntimeError(f"{argv[0]} did not start")
    return proc, line


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

_connected_bus = None  # the accessibility bus this process's libatspi uses


class Desktop:
    """Xvfb with icewm on a display number the X server picks itself, and a private session bus
    with the accessibility bus on it."""

    def __init__(self, width=1280, height=1024, window_manager=True):
        self.width, self.height = width, height
        self.window_manager = window_manager
        self.xvfb = self.wm = self.bus = None
        self.display = self.bus_address = self.a11y_address = None
        self.processes = []
        self._dir = tempfile.TemporaryDirectory(prefix="sora-desktop-")
        # The bus and what it activates (the accessibility bus launcher keeps its socket in the
        # runtime folder) stay apart from any other desktop on this machine.
        self.runtime = Path(self._dir.name) / "runtime"
        self.runtime.mkdir(mode=0o700)

    def __enter__(self):
        self.start()
        return self

    def __exit__(self, *exc):
        self.stop()

    def env(self, **extra):
        env = dict(os.environ)
        for name in ("DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "AT_SPI_BUS_ADDRESS"):
            env.pop(name, None)
        if self.display:
            env["DISPLAY"] = self.display
        if self.bus_address:
            env["DBUS_SESSION_BUS_ADDRESS"] = self.bus_address
        env.update(extra)
        return env

    def start_display(self):
        self.xvfb, number = _read_line_from(
            ["Xvfb", "-screen", "0", f"{self.width}x{self.height}x24", "-nolisten", "tcp", "-noreset"],
            None, "-displayfd")
        self.display = ":" + number

    def start(self):
        self.start_display()
        self.bus, self.bus_address = _read_line_from(
            ["dbus-daemon", "--session", "--nofork", "--nopidfile"],
            self.env(XDG_RUNTIME_DIR=str(self.runtime)), "--print-address=")
        reply = self.call("org.a11y.Bus", "/org/a11y/bus", "org.a11y.Bus.GetAddress")
        self.a11y_address = re.search(r"'([^']*)'", reply).group(1)
        if self.window_manager:
            prefs = Path(self._dir.name)
            (prefs / "preferences").write_text(ICEWM_PREFERENCES)
            self.wm = self.spawn(["icewm"], ICEWM_PRIVCFG=str(prefs))
            # The notification area exists once icewm's task bar is mapped.
            wait_until(lambda: self.xdotool("search", "--class", "icewm", check=False), 10,
                       what="icewm")

    def spawn(self, argv, bus_name=None, **env):
        proc = subprocess.Popen(list(map(str, argv)), env=self.env(**env), stdout=subprocess.DEVNULL,
                                stderr=subprocess.DEVNULL, start_new_session=True)
        self.processes.append(proc)

        def owned():
            if proc.poll() is not None:
                raise RuntimeError(f"{argv[0]} ended with {proc.returncode}")
            return "true" in self.call("org.freedesktop.DBus", "/org/freedesktop/DBus",
                                       "org.freedesktop.DBus.NameHasOwner", bus_name)
        if bus_name:
            wait_until(owned, 30, what=f"{bus_name} on the session bus")
        return proc

    def call(self, dest, path, method, *args):
        r = subprocess.run(["gdbus", "call", "--session", "--dest", dest, "--object-path", path, "--method",
                            method, *map(str, args)], env=self.env(), capture_output=True, text=True,
                           timeout=30, check=True)
        return r.stdout.strip()

    def stop(self):
        for proc in reversed(self.processes):
            stop_process(proc)
        if self.bus and self.bus.poll() is None:
            os.killpg(self.bus.pid, signal.SIGTERM)  # with the services it activated
            self.bus.wait()
        stop_process(self.xvfb)
        self._dir.cleanup()

    def accessibility(self):
        """The pyatspi module, connected to this desktop's accessibility bus."""
        global _connected_bus
        if _connected_bus not in (None, self.a11y_address):
            raise RuntimeError("this process already reads another desktop's accessibility tree")
        os.environ["AT_SPI_BUS_ADDRESS"] = self.a11y_address
        import pyatspi
        _connected_bus = self.a11y_address
        return pyatspi

    def xdotool(self, *args, check=True, timeout=30):
        r = subprocess.run(["xdotool", *map(str, args)], env=self.env(), capture_output=True, text=True,
                           timeout=timeout)
        if check and r.returncode != 0:
            raise RuntimeError(f"xdotool {' '.join(map(str, args))}: {r.stderr.strip()}")
        return r.stdout.strip() if r.returncode == 0 else ""

    def screenshot(self, path):
        """A picture of the screen; the name's ending picks the format (.png, .ppm)."""
        tool = build_dir() / "tools" / "sora-screenshot"
        subprocess.run([str(tool), str(path)], env=self.env(QT_QPA_PLATFORM="xcb"), check=True,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=30)
        return Path(path)

    def colours(self, x, y, width, height):
        """The set of (r, g, b) colours in a rectangle of the screen (read from a binary PPM)."""
        with tempfile.TemporaryDirectory() as folder:
            data = self.screenshot(Path(folder) / "screen.ppm").read_bytes()
        magic, w, h, depth, pixels = data.split(maxsplit=4)
        assert magic == b"P6" and depth == b"255", "a binary PPM with 8-bit channels"
        w = int(w)
        return {tuple(pixels[(row * w + col) * 3:(row * w + col) * 3 + 3])
                for row in range(y, y + height) for col in range(x, x + width)}


class WestonDesktop(Desktop):
    """weston, headless, with XWayland; weston is the window manager of its X windows too."""

    def __init__(self, width=1280, height=1024):
        super().__init__(width, height, window_manager=False)
        self.wayland_display = None

    def start_display(self):
        log = self.runtime / "weston.log"
        self.spawn(["weston", "--backend=headless-backend.so", "--xwayland", "--socket=sora-wayland",
                    f"--width={self.width}", f"--height={self.height}", f"--log={log}", "--idle-time=0"],
                   XDG_RUNTIME_DIR=str(self.runtime))
        socket = self.runtime / "sora-wayland"
        self.wayland_display = str(wait_until(lambda: socket.exists() and socket, 30, what="weston's socket"))
        # weston names the X display it listens on for XWayland in its log.
        found = wait_until(lambda: log.exists() and re.search(r"xserver listening on display (:\d+)",
                                                              log.read_text(errors="replace")),
                           30, what="weston's X display")
        self.display = found.group(1)

    def env(self, **extra):
        wayland = {"WAYLAND_DISPLAY": self.wayland_display} if self.wayland_display else {}
        return super().env(**{**wayland, **extra})


class DemoServer:
    """The local station directory on ports of its own (0 = any free port)."""

    def __init__(self, port=0, stream_port=0, burst_seconds=None, extra_stations=(), extra_plays_own=False,
                 info_seconds=None):
        """extra_stations: (name, stream address) pairs of other servers, listed after the demo's own;
        their pages play the first station's stream, or with extra_plays_own their own.
        info_seconds: every MP3 stream starts with an Info frame announcing that length."""
        self._dir = tempfile.TemporaryDirectory(prefix="sora-demo-")
        self.log_path = Path(self._dir.name) / "requests.log"
        self.port, self.stream_port = port, stream_port
        self.options = [] if burst_seconds is None else ["--burst-seconds", str(burst_seconds)]
        self.options += [a for name, url in extra_stations for a in ("--extra-station", f"{name}={url}")]
        self.options += [] if info_seconds is None else ["--info-seconds", str(info_seconds)]
        self.options += ["--extra-plays-own"] if extra_plays_own else []
        self.proc = None

    def __enter__(self):
        self.start()
        return self

    def __exit__(self, *exc):
        self.stop()

    def start(self):
        ready = Path(self._dir.name) / "ready"
        ready.unlink(missing_ok=True)
        self.proc = subprocess.Popen(
            ["python3", str(TOOLS / "demo-directory"), "--port", str(self.port), "--stream-port",
             str(self.stream_port), "--log", str(self.log_path), "--ready-file", str(ready), *self.options],
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        wait_until(lambda: ready.exists() or self.proc.poll() is not None, 15, what="demo server")
        if self.proc.poll() is not None:
            raise RuntimeError("the demo server did not start (port in use?)")
        values = dict(line.split("=", 1) for line in ready.read_text().split())
        self.port, self.stream_port = int(values["pages"]), int(values["stream"])

    def stop(self, keep=False):
        stop_process(self.proc)
        if not keep:
            self._dir.cleanup()

    def sources(self, present):
        """Takes the stations' sources away (listeners cut off, mounts not found) or brings them back."""
        self.proc.send_signal(signal.SIGUSR2 if present else signal.SIGUSR1)

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

    def __init__(self, desktop, folder=None, executable=None, env=None):
        self.desktop = desktop
        self.extra_env = dict(env or {})
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
        # Qt's bridge is on whether or not a screen reader runs; the web pages' trees too. The
        # built-in directory asks a catalogue on this machine (none, unless a test starts one).
        return self.desktop.env(XDG_RUNTIME_DIR=str(self.runtime), HOME=str(self.home),
                                XDG_DATA_HOME=str(self.home / ".local/share"),
                                XDG_CACHE_HOME=str(self.home / ".cache"),
                                XDG_CONFIG_HOME=str(self.home / ".config"),
                                QTWEBENGINE_DISABLE_SANDBOX="1", LANG="C.UTF-8",
                                QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1",
                                QTWEBENGINE_ENABLE_LINUX_ACCESSIBILITY="1",
                                **{"SORA_CATALOGUE": "http://127.0.0.1:9", **self.extra_env})

    def start(self):
        out = open(self.output, "ab")
        self.proc = subprocess.Popen([str(self.executable)], cwd=str(self.folder), env=self.env(),
                                     stdout=out, stderr=subprocess.STDOUT, start_new_session=True)
        out.close()
        self._app = None
        return self.proc

    def run_to_end(self, timeout=30):
        """Starts a second process of this copy and waits for it to end; its exit code."""
        out = open(self.output, "ab")
        r = subprocess.run([str(self.executable)], cwd=str(self.folder), env=self.env(), stdout=out,
                           stderr=subprocess.STDOUT, timeout=timeout)
        out.close()
        return r.returncode

    def wait_exit(self, timeout=30):
        return self.proc.wait(timeout)

    def kill(self):
        if self.proc and self.proc.poll() is None:
            os.killpg(self.proc.pid, signal.SIGKILL)
            self.proc.wait()

    # --- X windows: only for what the window manager does

    def windows(self, name="^ソラマドORBX"):
        return self.desktop.xdotool("search", "--all", "--onlyvisible", "--pid", self.proc.pid, "--name", name,
                                    check=False).split()

    def window(self, timeout=30):
        """The main window's X id, once it is mapped and the program's tree shows it ready: the
        window is created anew when its first browser view appears, so wait for the views."""
        self.wait_find("frame", re.compile("^ソラマドORBX"), within=self.app(timeout), timeout=timeout)
        return self.mapped_window(timeout)

    def mapped_window(self, timeout=30):
        """The main window's X id once exactly one is mapped, found through X alone."""
        return wait_until(lambda: (lambda ids: ids[0] if len(ids) == 1 else None)(self.windows()), timeout,
                          what="the main window")

    def geometry(self, window):
        """(x, y, width, height) of a window's client area on the screen."""
        out = self.desktop.xdotool("getwindowgeometry", "--shell", window)
        g = dict(line.split("=", 1) for line in out.splitlines())
        return int(g["X"]), int(g["Y"]), int(g["WIDTH"]), int(g["HEIGHT"])

    def close_through_window_manager(self, timeout=30):
        window = self.window(timeout)
        self.desktop.xdotool("windowactivate", "--sync", window)
        self.desktop.xdotool("key", "--clearmodifiers", "alt+F4")

    # --- the accessibility tree

    def app(self, timeout=60):
        """The program's application in the accessibility registry (found by process id)."""
        if getattr(self, "_app", None) is None:
            atspi = self.desktop.accessibility()

            def lookup():
                registry = atspi.Registry.getDesktop(0)
                for i in range(registry.childCount):
                    a = registry.getChildAtIndex(i)
                    try:
                        if a is not None and a.get_process_id() == self.proc.pid:
                            return a
                    except Exception:
                        pass  # an application going away
                return None
            def found():
                if self.proc.poll() is not None:
                    raise RuntimeError(f"the program ended with {self.proc.returncode}")
                return lookup()
            self._app = wait_until(found, timeout, interval=0.2, what="the program in the accessibility registry")
            # Read every property afresh: names and texts change while the tests look.
            from gi.repository import Atspi
            Atspi.Accessible.set_cache_mask(self._app, Atspi.Cache.NONE)
        return self._app

    def find_all(self, role=None, name=None, within=None, **kw):
        return [a for a in walk(within or self.app()) if matches(a, role, name, **kw)]

    def find(self, role=None, name=None, within=None, **kw):
        return next((a for a in walk(within or self.app()) if matches(a, role, name, **kw)), None)

    def wait_find(self, role=None, name=None, within=None, timeout=30, **kw):
        return wait_until(lambda: self.find(role, name, within, **kw), timeout, interval=0.2,
                          what=f"{role or 'an element'} {name!r}")

    def press(self, name, role="menu item", within=None, timeout=30):
        """Presses a control (a menu entry by default) through its action, as a screen reader does,
        once it is enabled."""
        do_action(self.wait_find(role, name, within, timeout=timeout, enabled=True), ("press", "click"))

    def message_box(self, timeout=30):
        """The message box on screen (titled with the application title)."""
        return self.wait_find(("alert", "dialog"), "SoraWindowEX", within=self.app(), timeout=timeout,
                              showing=True)

    def answer(self, button, timeout=30):
        """Waits for a message box, presses its button `button` and returns the box's text."""
        box = self.message_box(timeout)
        text = "\n".join(a.name for a in self.find_all("label", within=box) if a.name)
        self.press(button, role="push button", within=box, timeout=timeout)
        return text

    def wait_status(self, text, timeout=30):
        return wait_until(lambda: self.status_text() == text, timeout, what=f"the status text {text!r}")

    def status_text(self):
        element = self.find(name="ステータス", role=None)
        return element.description if element else None

    def title_strip(self, within=None):
        """The player window's title label (its name is the text shown)."""
        return self.find("label", description="放送局名", within=within)

    def click_link(self, name, within=None, timeout=30):
        """Clicks the first link whose name contains `name`, in any page of the program, where the
        tree says it is: the pages' links offer no press action, only the focus."""
        link = self.wait_find("link", re.compile(re.escape(name)), within, timeout=timeout, showing=True)
        x, y, width, height = extents(link)
        self.click(x + width // 2, y + height // 2)

    def click(self, x, y, button=1):
        self.desktop.xdotool("mousemove", "--sync", x, y)
        self.desktop.xdotool("click", button)

    def focus(self, element):
        element.queryComponent().grabFocus()


def walk(root):
    """root and everything below it, depth first."""
    stack = [root]
    while stack:
        a = stack.pop()
        try:
            children = [a.getChildAtIndex(i) for i in range(a.childCount)]
        except Exception:
            continue  # an element going away while we look
        yield a
        stack.extend(c for c in reversed(children) if c is not None)


def matches(a, role=None, name=None, description=None, showing=None, enabled=None):
    """Whether an element has the role (a name or a tuple of names), the name (text or compiled
    pattern), the description and the showing and enabled states asked for."""
    try:
        if role is not None and a.getRoleName() not in ((role,) if isinstance(role, str) else role):
            return False
        if name is not None and not (name.search(a.name or "") if hasattr(name, "search") else a.name == name):
            return False
        if description is not None and a.description != description:
            return False
        if showing is not None:
            import pyatspi
            if a.getState().contains(pyatspi.STATE_SHOWING) != showing:
                return False
        if enabled is not None:
            import pyatspi
            if a.getState().contains(pyatspi.STATE_ENABLED) != enabled:
                return False
        return True
    except Exception:
        return False


def text_of(a):
    text = a.queryText()
    return text.getText(0, text.characterCount)


def extents(a):
    """(x, y, width, height) of an element on the screen."""
    import pyatspi
    e = a.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    return e.x, e.y, e.width, e.height


def do_action(a, names):
    """Runs the element's first action whose name is one of `names` (or its only action). A menu
    entry that opens a modal dialog answers only once the dialog is closed, so a call that times out
    counts as done: the caller waits for what the action does."""
    action = a.queryAction()
    available = [action.getName(i).lower() for i in range(action.nActions)]
    for i, n in enumerate(available):
        if n in names or action.nActions == 1:
            try:
                action.doAction(i)
            except Exception as e:  # GLib.Error: no reply in time
                if "timeout" not in str(e).lower() and "noreply" not in str(e).lower():
                    raise
            return
    raise RuntimeError(f"{a.getRoleName()} {a.name!r} has no action {names}: {available}")
