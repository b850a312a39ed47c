"""A real stream server for tests and benchmarks: Debian's icecast2 fed by ezstream, on a free
loopback port, in a temporary folder of its own.

    with Icecast([Mount("/songs.mp3", titles=["A - One", "A - Two"], seconds=10),
                  Mount("/old.mp3", charset="SHIFT_JIS")]) as ice:
        ice.set_title("/old.mp3", "歌手 - 曲名", "cp932")
        ice.source("/songs.mp3")["title"]

A mount with titles plays an MP3 file per title (tools/tone.mp3 repeated), named after it, so
ezstream sends each title as its file starts, in turn and round again. A mount without titles
plays one such file and sends no titles of its own: the caller sets them (set_title), in the
character set the mount is declared with, as old encoders do.
"""

import base64
import json
import os
import shutil
import socket
import subprocess
import tempfile
import time
import urllib.parse
import urllib.request
from dataclasses import dataclass, field
from pathlib import Path

TONE = Path(__file__).resolve().parent / "tone.mp3"  # 2 s
SOURCE_PASSWORD = "sora-source"
ADMIN_PASSWORD = "sora-admin"


@dataclass
class Mount:
    name: str
    titles: list = field(default_factory=list)
    seconds: int = 10  # per title, a multiple of 2
    charset: str = None  # what the mount's incoming titles are declared in (icecast's <charset>)
    metaint: int = None  # audio bytes between metadata blocks to listeners (icecast's default: 16000)


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


class Icecast:
    def __init__(self, mounts, burst_size=65535):
        """burst_size: bytes a new listener gets at once (icecast2's default: 65535)."""
        self.mounts = mounts
        self.burst_size = burst_size
        self._dir = tempfile.TemporaryDirectory(prefix="sora-icecast-")
        self.folder = Path(self._dir.name)
        self.port = free_port()
        self.procs = []

    def __enter__(self):
        self.start()
        return self

    def __exit__(self, *exc):
        self.stop()

    def url(self, mount):
        return f"http://127.0.0.1:{self.port}{mount}"

    @property
    def access_log(self):
        return self.folder / "log" / "access.log"

    def start(self):
        logs = self.folder / "log"
        logs.mkdir()
        root = os.geteuid() == 0
        if root:
            # icecast2 refuses to run as root: it drops to nobody, which must write its logs.
            os.chmod(self.folder, 0o755)
            os.chmod(logs, 0o777)
        mounts = "".join(f"<mount><mount-name>{m.name}</mount-name>"
                         + (f"<charset>{m.charset}</charset>" if m.charset else "")
                         + (f"<mp3-metadata-interval>{m.metaint}</mp3-metadata-interval>" if m.metaint else "")
                         + "</mount>"
                         for m in self.mounts if m.charset or m.metaint)
        owner = ("<changeowner><user>nobody</user><group>nogroup</group></changeowner>" if root else "")
        config = self.folder / "icecast.xml"
        config.write_text(f"""<icecast>
  <limits><sources>{len(self.mounts)}</sources><burst-size>{self.burst_size}</burst-size></limits>
  <authentication><source-password>{SOURCE_PASSWORD}</source-password>
    <admin-user>admin</admin-user><admin-password>{ADMIN_PASSWORD}</admin-password></authentication>
  <hostname>127.0.0.1</hostname>
  <listen-socket><port>{self.port}</port><bind-address>127.0.0.1</bind-address></listen-socket>
  {mounts}
  <paths><basedir>/usr/share/icecast2</basedir><logdir>{logs}</logdir>
    <webroot>/usr/share/icecast2/web</webroot><adminroot>/usr/share/icecast2/admin</adminroot></paths>
  <logging><accesslog>access.log</accesslog><errorlog>error.log</errorlog><loglevel>2</loglevel></logging>
  <security><chroot>0</chroot>{owner}</security>
</icecast>
""")
        self.procs.append(subprocess.Popen(["icecast2", "-c", str(config)], stdout=subprocess.DEVNULL,
                                           stderr=subprocess.DEVNULL))
        self._wait(lambda: self._status() is not None, "icecast2 to listen")
        for i, m in enumerate(self.mounts):
            self._feed(i, m)
        for m in self.mounts:
            self._wait(lambda m=m: self.source(m.name) is not None, f"ezstream to feed {m.name}")

    def _feed(self, i, m):
        folder = self.folder / f"mount{i}"
        folder.mkdir()
        tone = TONE.read_bytes()
        names = m.titles or ["silence"]
        playlist = []
        for title in names:
            path = folder / (title.replace("/", "_") + ".mp3")
            path.write_bytes(tone * max(1, m.seconds // 2))
            playlist.append(str(path))
        (folder / "playlist.m3u").write_text("\n".join(playlist) + "\n", encoding="utf-8")
        updates = "" if m.titles else "<metadata><no_updates>Yes</no_updates></metadata>"
        config = folder / "ezstream.xml"
        config.write_text(f"""<ezstream>
  <servers><server><hostname>127.0.0.1</hostname><port>{self.port}</port>
    <password>{SOURCE_PASSWORD}</password><tls>None</tls></server></servers>
  <streams><stream><mountpoint>{m.name}</mountpoint><format>MP3</format></stream></streams>
  <intakes><intake><type>playlist</type><filename>{folder / "playlist.m3u"}</filename></intake></intakes>
  {updates}
</ezstream>
""", encoding="utf-8")
        os.chmod(config, 0o600)  # it holds the password: ezstream refuses it readable by others
        env = dict(os.environ, LC_ALL="C.UTF-8")
        self.procs.append(subprocess.Popen(["ezstream", "-c", str(config)], stdout=subprocess.DEVNULL,
                                           stderr=subprocess.DEVNULL, env=env))

    def _wait(self, predicate, what, timeout=20):
        deadline = time.monotonic() + timeout
        while not predicate():
            if time.monotonic() > deadline:
                raise RuntimeError(f"timed out waiting for {what}")
            time.sleep(0.2)

    def _status(self, mount=None):
        query = "?" + urllib.parse.urlencode({"mount": mount}) if mount else ""
        try:
            with urllib.request.urlopen(f"http://127.0.0.1:{self.port}/status-json.xsl{query}", timeout=5) as r:
                return json.loads(r.read().decode("utf-8"))
        except (OSError, ValueError):
            return None

    def source(self, mount):
        """The status document's entry of `mount`, or None."""
        status = self._status(mount) or {}
        sources = status.get("icestats", {}).get("source", [])
        for s in sources if isinstance(sources, list) else [sources]:
            if urllib.parse.urlsplit(s.get("listenurl", "")).path == mount:
                return s
        return None

    def set_title(self, mount, title, encoding="utf-8"):
        """Sets the title as an encoder does, in `encoding`, without telling the character set."""
        query = "mode=updinfo&mount=%s&song=%s" % (urllib.parse.quote(mount),
                                                   urllib.parse.quote(title.encode(encoding)))
        request = urllib.request.Request(f"http://127.0.0.1:{self.port}/admin/metadata?{query}")
        auth = ("admin:" + ADMIN_PASSWORD).encode()
        request.add_header("Authorization", "Basic " + base64.b64encode(auth).decode())
        with urllib.request.urlopen(request, timeout=5) as r:
            r.read()

    def stop(self):
        for p in reversed(self.procs):
            p.terminate()
            try:
                p.wait(5)
            except subprocess.TimeoutExpired:
                p.kill()
                p.wait()
        self.procs = []
        self._dir.cleanup()


def available():
    return all(shutil.which(t) for t in ("icecast2", "ezstream"))
