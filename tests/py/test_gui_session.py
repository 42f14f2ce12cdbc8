"""The zelk window program as a user's session lives it: a crash after a backup, the
recovery at the next start, and a second start that hands its file to the running one.

Runs the real program on Qt's offscreen platform with a private program folder.
"""

import os
import signal
import subprocess
import sys
import tempfile
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from zelk_song import Note, Part, Song  # noqa: E402

BUILD = os.environ.get("ZELK_BUILD", "build")
ZELK = os.path.join(BUILD, "zelk")


def song_with_note(path, title, part, row, head):
    s = Song()
    s.title = title
    p = Part()
    p.place(Note(row, head, 8, 0, False))
    n = p.length + 1
    sounding = [1 if head <= x < head + 8 else 0 for x in range(n)]
    vel = [100 if x == head else 0 for x in range(n)]
    p.lanes = [sounding, vel, [64] * n, [0] * n, [127] * n, [64] * n, [0] * n]
    s.parts[part] = p
    s.write(path)


def wait_for(check, seconds=15.0):
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        if check():
            return True
        time.sleep(0.05)
    return False


def first_line(path):
    try:
        with open(path, "rb") as f:
            return f.readline().strip()
    except OSError:
        return None


class SessionTest(unittest.TestCase):
    def setUp(self):
        self.tmp = tempfile.TemporaryDirectory()
        self.home = os.path.join(self.tmp.name, "home")
        os.mkdir(self.home)
        self.env = dict(os.environ, ZELK_HOME=self.home, QT_QPA_PLATFORM="offscreen",
                        ZELK_BACKUP_MS="200", XDG_RUNTIME_DIR=self.tmp.name)
        self.procs = []

    def tearDown(self):
        for p in self.procs:
            if p.poll() is None:
                p.kill()
            p.wait()
            p.stderr.close()
        self.tmp.cleanup()

    def start(self, *args):
        p = subprocess.Popen([ZELK, *args], env=self.env, stderr=subprocess.PIPE,
                             stdout=subprocess.DEVNULL, stdin=subprocess.DEVNULL)
        os.set_blocking(p.stderr.fileno(), False)
        p.said = b""
        self.procs.append(p)
        return p

    def said(self, p, text):
        chunk = p.stderr.read()
        if chunk:
            p.said += chunk
        return text.encode() in p.said

    def test_crash_recovery_and_handover(self):
        song_a = os.path.join(self.tmp.name, "a.zelk")
        song_b = os.path.join(self.tmp.name, "b.zelk")
        song_with_note(song_a, "A", 0, 28, 16)  # part 1 ends at column 24
        song_with_note(song_b, "B", 3, 30, 40)  # part 4 ends at column 48
        log = os.path.join(self.home, "log")

        first = self.start(song_a)
        self.assertTrue(wait_for(lambda: os.path.exists(log)), "no backup was written")
        time.sleep(0.3)
        first.send_signal(signal.SIGKILL)
        first.wait()
        self.assertTrue(os.path.exists(log))
        # What the crashed run left in its work files does not count: only "log" does.
        for leftover in ("0", "5"):
            with open(os.path.join(self.home, leftover), "wb") as f:
                f.write(b"99\r\n")

        second = self.start()
        self.assertTrue(wait_for(lambda: self.said(second, "復元しました")),
                        second.said.decode(errors="replace"))
        self.assertEqual(first_line(os.path.join(self.home, "0")), b"24")
        self.assertFalse(os.path.exists(os.path.join(self.home, "5")))
        self.assertIsNone(second.poll())

        third = self.start(song_b)
        self.assertEqual(third.wait(timeout=15), 0, third.stderr.read())
        # The running window opened b.zelk: its part 4 is in the program folder now.
        self.assertTrue(wait_for(lambda: first_line(os.path.join(self.home, "3")) == b"48"))
        self.assertFalse(os.path.exists(os.path.join(self.home, "0")))
        self.assertIsNone(second.poll())

    def test_crash_before_the_first_backup_leaves_no_old_notes(self):
        # A run that died before its first backup left a work file and a snapshot.
        with open(os.path.join(self.home, "0"), "wb") as f:
            f.write(b"8\r\n")
        with open(os.path.join(self.home, "undo3"), "wb") as f:
            f.write(b"x")
        self.env["ZELK_BACKUP_MS"] = "60000"
        p = self.start()
        self.assertTrue(wait_for(lambda: not os.path.exists(os.path.join(self.home, "0"))))
        self.assertFalse(os.path.exists(os.path.join(self.home, "undo3")))
        self.assertIsNone(p.poll())


if __name__ == "__main__":
    unittest.main()
