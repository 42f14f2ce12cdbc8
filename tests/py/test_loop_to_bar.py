"""zelk-tool export-midi --loop-to-bar, read back with mido.

With a playable loop point the conductor track must end on the bar line that ends the
measure of the last note-off, and the part tracks stay as the plain export writes them;
without one the file stays byte for byte the same. The bar line is worked out here from
the song's measures and the notes mido reads, not from the writer's code.
"""

import os
import subprocess
import sys
import tempfile
import unittest

import mido

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import zelk_song  # noqa: E402

TOOL = os.environ.get("ZELK_TOOL", "zelk-tool")


def absolute(track):
    tick, out = 0, []
    for msg in track:
        tick += msg.time
        out.append((tick, msg))
    return out


def last_note_off(mid):
    return max((tick for track in mid.tracks for tick, m in absolute(track)
                if m.type == "note_off" or (m.type == "note_on" and m.velocity == 0)),
               default=0)


def bar_line_at_or_after(song, tick):
    """Column of the first bar line at or after a file tick (the set-up beat first)."""
    col = max(0, -(-(tick - 480) // 60))
    total = 0
    for length in [0] + song.measures:
        total += length
        if total >= col:
            return total
    return col


class LoopToBar(unittest.TestCase):
    def setUp(self):
        self.tmp = tempfile.TemporaryDirectory()
        self.dir = self.tmp.name

    def tearDown(self):
        self.tmp.cleanup()

    def export(self, src, name, *options):
        out = os.path.join(self.dir, name)
        res = subprocess.run([TOOL, "export-midi", *options, src, out], capture_output=True,
                             text=True)
        self.assertEqual(res.returncode, 0, res.stderr)
        return out

    def test_conductor_ends_on_the_loops_bar_line(self):
        looped = unchanged = 0
        for seed in range(1, 31):
            with self.subTest(seed=seed):
                song = zelk_song.random_song(seed)
                song.loop_on = 1 if seed % 3 else song.loop_on
                src = os.path.join(self.dir, "song.zelk")
                song.write(src)
                plain_path = self.export(src, "plain.mid")
                bar_path = self.export(src, "bar.mid", "--loop-to-bar")
                plain = mido.MidiFile(plain_path)
                end = bar_line_at_or_after(song, last_note_off(plain))
                count = len(song.measures)
                playable = (song.loop_on and 0 <= song.loop_measure < count
                            and end > song.measure_start(song.loop_measure + 1))
                if not playable:
                    unchanged += 1
                    with open(plain_path, "rb") as a, open(bar_path, "rb") as b:
                        self.assertEqual(a.read(), b.read())
                    continue
                looped += 1
                bar = mido.MidiFile(bar_path)
                conductor = absolute(bar.tracks[0])
                self.assertEqual(conductor[-1][1].type, "end_of_track")
                self.assertEqual(conductor[-1][0], 480 + 60 * end)
                self.assertTrue(all(t <= 480 + 60 * end for t, _ in conductor))
                self.assertEqual(bar.tracks[1:], plain.tracks[1:])
        self.assertGreater(looped, 0)
        self.assertGreater(unchanged, 0)


if __name__ == "__main__":
    unittest.main()
