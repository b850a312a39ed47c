"""A save killed at any moment leaves the previous layout or the new one, never a torn file."""

import os
import random
import re
import signal
import subprocess
import sys
import tempfile
import time
import unittest
from pathlib import Path

SAVE_LOOP = os.environ.get("SORA_SAVE_LOOP", "save_loop")
WINDOWS = 20


def layout_value(data):
    """The one value every key of a whole layout holds, or None for a torn or mixed file."""
    text = data.decode("cp932")
    if not text.endswith("\r\n"):
        return None
    lines = text[:-2].split("\r\n")
    if lines[0] != "[MainForm]" or "[SubForm]" not in lines:
        return None
    values = {line.split("=", 1)[1] for line in lines if "=" in line and not line.startswith("Count=")}
    counts = [line for line in lines if line.startswith("Count=")]
    if len(values) != 1 or counts != [f"Count={WINDOWS}"] or len(lines) != 2 + 5 + 6 * WINDOWS + 1:
        return None
    return values.pop()


class KillDuringSave(unittest.TestCase):
    def test_a_hundred_kills_leave_a_whole_layout_every_time(self):
        rng = random.Random(20261207)
        with tempfile.TemporaryDirectory() as folder:
            path = Path(folder) / "SoraWindowEX.ini"
            seen = set()
            for trial in range(100):
                proc = subprocess.Popen([SAVE_LOOP, str(path), str(WINDOWS)], stdout=subprocess.PIPE)
                self.assertEqual(proc.stdout.readline().strip(), b"ready")
                time.sleep(rng.uniform(0, 0.05))
                proc.send_signal(signal.SIGKILL)
                proc.wait()
                value = layout_value(path.read_bytes())
                self.assertIsNotNone(value, f"trial {trial}: torn settings file")
                seen.add(value)
                leftovers = [p.name for p in Path(folder).iterdir() if p.name != path.name]
                for name in leftovers:  # a killed save may leave its temporary file, never the target
                    self.assertTrue(re.fullmatch(r"SoraWindowEX\.ini\.\w{6}", name), name)
                    (Path(folder) / name).unlink()
            self.assertTrue(seen & {"2", "3"}, "the loop never got to save")


if __name__ == "__main__":
    unittest.main()
