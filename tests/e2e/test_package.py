"""The Debian package: its files and control fields, lintian's verdict, and the unpacked program
run by a user who is not root, keeping its files in that user's data folder."""

import functools
import grp
import os
import pwd
import re
import shutil
import signal
import subprocess
import tempfile
import unittest
from pathlib import Path

from e2e import LIST, PING, s

SOURCE = Path(__file__).resolve().parents[2]
USER, GROUP = "nobody", "nogroup"
PROGRAM = "usr/lib/sorawindowex/SoraWindowEX"

FILES = {
    "usr/bin/SoraWindowEX",
    PROGRAM,
    "usr/lib/sorawindowex/SoraWindowEX.png",
    "usr/share/applications/sorawindowex.desktop",
    "usr/share/icons/hicolor/32x32/apps/sorawindowex.png",
    "usr/share/icons/hicolor/128x128/apps/sorawindowex.png",
    "usr/share/man/man1/SoraWindowEX.1.gz",
    "usr/share/doc/sorawindowex/copyright",
    "usr/share/doc/sorawindowex/changelog.Debian.gz",
}


@functools.cache
def build_package():
    """The package scripts/test built, or scripts/package into its usual build folder, so repeated
    runs only rebuild what changed."""
    if os.environ.get("SORA_PACKAGE"):
        return Path(os.environ["SORA_PACKAGE"])
    out = subprocess.run([str(SOURCE / "scripts" / "package")], capture_output=True, text=True)
    if out.returncode != 0:
        raise RuntimeError("scripts/package failed:\n" + out.stdout[-4000:] + out.stderr[-4000:])
    return Path(out.stdout.strip().splitlines()[-1])


def layout(data):
    """{(section, key): value} of a settings file's bytes, names lower-cased."""
    values, section = {}, None
    for line in data.decode("cp932").split("\r\n"):
        if line.startswith("["):
            section = line.strip("[]").lower()
        elif "=" in line:
            key, value = line.split("=", 1)
            values.setdefault((section, key.lower()), value)
    return values


class Package(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.deb = build_package()

    def test_file_list_and_control_fields(self):
        self.assertEqual(self.deb.name, "sorawindowex_0.7-1_amd64.deb")
        listing = subprocess.run(["dpkg-deb", "-c", str(self.deb)], capture_output=True, text=True,
                                 check=True).stdout.splitlines()
        entries = {}
        for line in listing:
            mode, owner, _size, _date, _time, path = line.split(None, 5)
            entries[path.split(" -> ")[0].removeprefix("./").rstrip("/")] = (mode, owner, path)
        files = {p for p, (mode, _, _) in entries.items() if not mode.startswith("d")}
        self.assertEqual(files, FILES)
        self.assertTrue(all(owner == "root/root" for _, owner, _ in entries.values()))
        self.assertEqual(entries[PROGRAM][0], "-rwxr-xr-x")
        self.assertEqual(entries["usr/bin/SoraWindowEX"][0][0], "l")
        self.assertTrue(entries["usr/bin/SoraWindowEX"][2].endswith(" -> ../lib/sorawindowex/SoraWindowEX"))

        def field(name):
            return subprocess.run(["dpkg-deb", "-f", str(self.deb), name], capture_output=True, text=True,
                                  check=True).stdout.strip()
        self.assertEqual((field("Package"), field("Version"), field("Architecture")),
                         ("sorawindowex", "0.7-1", "amd64"))
        depends = [d.split()[0] for d in field("Depends").split(", ")]
        for needed in ("libc6", "libqt6webenginewidgets6", "libqt6widgets6", "libxi6", "qt6-qpa-plugins"):
            self.assertIn(needed, depends)
        self.assertEqual(field("Recommends"), "streamripper, xterm, fonts-ipafont-gothic, qt6-translations-l10n, xdg-utils")
        self.assertRegex(field("Maintainer"), r"^[^<>]+ <[^<>@]+@[^<>@]+>$")
        description = field("Description")
        self.assertIn("internet-radio", description)
        self.assertIn("録音", description)

    def test_lintian_reports_no_errors(self):
        r = subprocess.run(["lintian", "--tag-display-limit", "0", str(self.deb)], capture_output=True, text=True)
        errors = [line for line in r.stdout.splitlines() if line.startswith("E:")]
        self.assertEqual(errors, [], r.stdout + r.stderr)
        self.assertNotIn("internal error", r.stderr.lower(), r.stderr)


class UnpackedAsAnotherUser(unittest.TestCase):
    """The package unpacked into a temporary root, run by nobody with a home of its own."""

    @classmethod
    def setUpClass(cls):
        if os.geteuid() != 0:
            raise unittest.SkipTest("needs root to run the program as another user")
        cls.uid, cls.gid = pwd.getpwnam(USER).pw_uid, grp.getgrnam(GROUP).gr_gid
        cls.deb = build_package()
        cls.tmp = tempfile.TemporaryDirectory(prefix="sora-package-")
        cls.base = Path(cls.tmp.name)
        os.chmod(cls.base, 0o755)  # the unprivileged user must reach the unpacked tree
        cls.root = cls.base / "root"
        subprocess.run(["dpkg-deb", "-x", str(cls.deb), str(cls.root)], check=True)
        os.chmod(cls.root, 0o755)
        # Xvfb without -auth takes any local client, so the other user needs no cookie.
        cls.desktop = s.Desktop()
        cls.desktop.start()
        cls.server = s.DemoServer()
        try:
            cls.server.start()
        except Exception:
            cls.desktop.stop()
            raise

    @classmethod
    def tearDownClass(cls):
        cls.server.stop()
        cls.desktop.stop()
        cls.tmp.cleanup()

    def setUp(self):
        self.proc = None
        self.user_dir = tempfile.mkdtemp(prefix="user-", dir=self.base)
        os.chmod(self.user_dir, 0o755)
        self.addCleanup(shutil.rmtree, self.user_dir, ignore_errors=True)
        self.addCleanup(self.kill)

    def own_folder(self, name):
        path = Path(self.user_dir) / name
        path.mkdir(mode=0o700)
        os.chown(path, self.uid, self.gid)
        return path

    def start(self, home):
        runtime = Path(self.user_dir) / "runtime"
        if not runtime.exists():
            runtime = self.own_folder("runtime")
        env = {"PATH": "/usr/bin:/bin", "DISPLAY": self.desktop.display, "HOME": str(home),
               "XDG_DATA_HOME": str(home / ".local/share"), "XDG_RUNTIME_DIR": str(runtime),
               "LANG": "C.UTF-8", "QT_QPA_PLATFORM": "xcb", "QTWEBENGINE_DISABLE_SANDBOX": "1",
               "SORA_CATALOGUE": "http://127.0.0.1:9"}
        self.log = open(Path(self.user_dir) / "output.log", "ab")
        self.proc = subprocess.Popen(
            ["setpriv", f"--reuid={USER}", f"--regid={GROUP}", "--clear-groups", str(self.root / PROGRAM)],
            cwd="/", env=env, stdout=self.log, stderr=subprocess.STDOUT, start_new_session=True)
        self.log.close()
        return self.proc

    def output(self):
        return (Path(self.user_dir) / "output.log").read_text(errors="replace")

    def wait_window(self, name):
        """The first visible window of the program with that name. Polled rather than xdotool's
        --sync, which gives up with BadWindow when a window goes while it walks the tree (the main
        window is made anew when its first browser view appears)."""
        return s.wait_until(lambda: self.desktop.xdotool("search", "--onlyvisible", "--pid", self.proc.pid, "--name",
                                                         name, check=False).split()[:1], 90, what=name)[0]

    def wait_main_window(self):
        self.wait_window("^ソラマドORBX")

    def catches_sigterm(self):
        """True once start-up has wired the termination signals to the save; a SIGTERM before
        then ends the program unsaved, by design."""
        if self.proc.poll() is not None:
            raise AssertionError("the program ended during start-up:\n" + self.output())
        status = Path(f"/proc/{self.proc.pid}/status").read_text()
        caught = int(re.search(r"^SigCgt:\s*([0-9a-f]+)$", status, re.M).group(1), 16)
        return bool(caught & (1 << (signal.SIGTERM - 1)))

    def terminate(self):
        s.wait_until(self.catches_sigterm, 90, what="the end of start-up")
        self.proc.send_signal(signal.SIGTERM)
        return self.proc.wait(30)

    def kill(self):
        if self.proc and self.proc.poll() is None:
            os.killpg(self.proc.pid, signal.SIGKILL)
            self.proc.wait()

    def test_settings_go_to_the_users_data_folder_and_a_restart_restores_the_layout(self):
        home = self.own_folder("home")
        folder = home / ".local/share/sorawindowex"
        ini = folder / "SoraWindowEX.ini"

        self.start(home)
        s.wait_until(lambda: ini.exists() or self.proc.poll() is not None, 90, what="the default settings file")
        self.assertIsNone(self.proc.poll(), self.output())
        self.wait_main_window()
        self.assertEqual(self.terminate(), 0, self.output())
        self.assertEqual((ini.stat().st_uid, folder.stat().st_uid), (self.uid, self.uid))
        self.assertEqual(folder.stat().st_mode & 0o777, 0o700)
        first = layout(ini.read_bytes())
        self.assertEqual(first[("setting", "rf")], f"{folder}/")
        self.assertEqual(first[("subform", "count")], "2")
        # The package's own start pages: the built-in directory.
        self.assertEqual((first[("url", "url1")], first[("url", "url2")]),
                         ('"soramado://directory/stations"', '"soramado://directory/ping"'))
        # Nothing is written beside the installed program.
        self.assertEqual(sorted(p.name for p in (self.root / PROGRAM).parent.iterdir()),
                         ["SoraWindowEX", "SoraWindowEX.png"])

        # The second start's browsers load from the test's own directory server, which shows
        # that the saved windows were restored; the layout is then saved again unchanged.
        data = ini.read_bytes().decode("cp932")
        data = re.sub(r'Url1="[^"]*"', f'Url1="{self.server.url1()}"', data)
        data = re.sub(r'Url2="[^"]*"', f'Url2="{self.server.url2()}"', data)
        ini.write_bytes(data.encode("cp932"))
        since = self.server.requests()[-1][0] if self.server.requests() else 0.0
        self.start(home)
        self.server.wait_for(LIST, since=since, timeout=90)
        self.server.wait_for(PING, since=since, timeout=90)
        self.wait_main_window()
        self.assertEqual(self.terminate(), 0, self.output())
        second = layout(ini.read_bytes())
        for key in [k for k in first if k[0] in ("mainform", "subform")]:
            self.assertEqual(second[key], first[key], key)

    def test_a_data_folder_that_cannot_be_made_ends_with_a_message(self):
        home = Path(self.user_dir) / "read-only-home"
        home.mkdir(mode=0o755)  # root's, so the user cannot create anything in it
        self.start(home)
        box = self.wait_window("^SoraWindowEX$")
        self.desktop.xdotool("windowactivate", "--sync", box, check=False)
        self.desktop.xdotool("key", "Return")
        self.assertEqual(self.proc.wait(30), 1, self.output())
        self.assertEqual(list(home.iterdir()), [])


if __name__ == "__main__":
    unittest.main()
