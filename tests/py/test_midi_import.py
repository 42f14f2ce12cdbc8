"""zelk-tool import-midi on files made with mido (by hand where mido cannot: running status).

The project that comes out is read from its documented layout (zelk_song.ReadSong), not by
the program's own code, and the grid is compared with where the notes of each file belong.
"""

import os
import random
import struct
import subprocess
import sys
import tempfile
import unittest

import mido

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import zelk_song  # noqa: E402

TOOL = os.environ.get("ZELK_TOOL", "zelk-tool")

# Rows of C4 .. C5 (row 28 is C4) and the cell accidentals.
C4, D4, E4, F4, G4, A4, B4, C5 = 28, 27, 26, 25, 24, 23, 22, 21
SHARP, FLAT = zelk_song.SHARP, zelk_song.FLAT


def track_of(events):
    """A mido track from (absolute tick, message) pairs."""
    track, last = mido.MidiTrack(), 0
    for tick, msg in sorted(events, key=lambda e: e[0]):
        track.append(msg.copy(time=tick - last))
        last = tick
    return track


def notes(spec, channel=0):
    """(key, on, off) triples as note events."""
    out = []
    for key, on, off in spec:
        out.append((on, mido.Message("note_on", note=key, velocity=90, channel=channel)))
        out.append((off, mido.Message("note_off", note=key, velocity=0, channel=channel)))
    return out


def events_by_column(path):
    """Each track's events as a sorted list per column (60 ticks)."""
    out = []
    for track in mido.MidiFile(path).tracks:
        columns, tick = {}, 0
        for msg in track:
            tick += msg.time
            columns.setdefault(tick // 60, []).append(msg.bytes())
        out.append({c: sorted(v) for c, v in columns.items()})
    return out


class ImportMidi(unittest.TestCase):
    def setUp(self):
        self.tmp = tempfile.TemporaryDirectory()
        self.dir = self.tmp.name

    def tearDown(self):
        self.tmp.cleanup()

    def run_tool(self, *args):
        res = subprocess.run([TOOL, *args], capture_output=True)
        return res.returncode, res.stdout.decode(), res.stderr.decode()

    def imported(self, mid, name="in.mid"):
        """The project of a mido file (or raw bytes) and the report's lines."""
        path = os.path.join(self.dir, name)
        if isinstance(mid, bytes):
            with open(path, "wb") as f:
                f.write(mid)
        else:
            mid.save(path)
        out = os.path.join(self.dir, "out.zelk")
        code, stdout, stderr = self.run_tool("import-midi", "--report", path, out)
        self.assertEqual(code, 0, stderr)
        return zelk_song.ReadSong(out), stdout.splitlines()

    def song(self, division, events, conductor=()):
        mid = mido.MidiFile(ticks_per_beat=division)
        mid.tracks.append(track_of(list(conductor)))
        mid.tracks.append(track_of(events))
        return mid

    def test_our_exports_come_back_byte_for_byte(self):
        """Byte for byte; or, where the report says so, the same events in the same columns
        of every track (their order within a column, or a head held back with a tuplet end
        in its cell, may differ)."""
        exact = 0
        for seed in range(1, 31):
            with self.subTest(seed=seed):
                src = os.path.join(self.dir, "song.zelk")
                zelk_song.random_song(seed).write(src)
                first, back = os.path.join(self.dir, "a.mid"), os.path.join(self.dir, "b.zelk")
                second = os.path.join(self.dir, "c.mid")
                self.assertEqual(self.run_tool("export-midi", src, first)[0], 0)
                code, report, err = self.run_tool("import-midi", "--report", first, back)
                self.assertEqual(code, 0, err)
                self.assertEqual(self.run_tool("export-midi", back, second)[0], 0)
                with open(first, "rb") as a, open(second, "rb") as b:
                    same = a.read() == b.read()
                if report == "":
                    self.assertTrue(same)
                    exact += 1
                    continue
                self.assertRegex(report, r"^parts whose notes of one tick now sound in another "
                                         r"order: \d+ \(part \d+ measure 1(, |\)|, \.\.\.\))")
                self.assertEqual(events_by_column(first), events_by_column(second))
        self.assertGreaterEqual(exact, 27)

    def test_every_division_gives_the_same_grid_humanized_or_not(self):
        # Sixteenths C D E F, an eighth-note triplet G A B, a quarter C5 (ticks at 480).
        spec = [(60, 0, 120), (62, 120, 240), (64, 240, 360), (65, 360, 480),
                (67, 480, 640), (69, 640, 800), (71, 800, 960), (72, 960, 1440)]
        want = [(C4, 0, 2, 0, False), (D4, 2, 4, 0, False), (E4, 4, 6, 0, False),
                (F4, 6, 8, 0, False), (G4, 8, 10, 0, True), (A4, 10, 13, 0, True),
                (B4, 13, 16, 0, True), (C5, 16, 24, 0, False)]
        rng = random.Random(7)
        for division in (96, 192, 480, 960):
            for jitter in (0, 10):
                with self.subTest(division=division, jitter=jitter):
                    moved = [(k, max(0, on + rng.randint(-jitter, jitter)),
                              off + rng.randint(-jitter, jitter)) for k, on, off in spec]
                    scaled = [(k, on * division // 480, off * division // 480)
                              for k, on, off in moved]
                    song, report = self.imported(self.song(division, notes(scaled)))
                    self.assertEqual(song.parts[0].notes(), want)
                    self.assertEqual(song.measures[0], 32)
                    if jitter == 0:
                        self.assertEqual(report, [])

    def test_format_0_with_running_status(self):
        # One track: C4 and E4 on channel 1, G4 on channel 2, note-offs by running status.
        body = bytes([0x00, 0x90, 60, 90, 0x00, 64, 90, 0x83, 0x60, 60, 0, 0x00, 64, 0,
                      0x00, 0x91, 67, 80, 0x83, 0x60, 67, 0, 0x00, 0xFF, 0x2F, 0x00])
        data = b"MThd" + struct.pack(">IHHH", 6, 0, 1, 480) + b"MTrk" + struct.pack(
            ">I", len(body)) + body
        song, report = self.imported(data)
        self.assertEqual(song.parts[0].notes(), [(E4, 0, 8, 0, False), (C4, 0, 8, 0, False)])
        self.assertEqual(song.parts[1].notes(), [(G4, 8, 16, 0, False)])
        self.assertEqual(report, [])

    def test_overlaps_chords_and_bar_lines(self):
        # G major. An F held into the F# after it, a chord of F# and G (F# stays, as the
        # key's), a B across the bar line of measure 2 (stays whole), and D major from
        # measure 3 with a G held across its bar line (split there).
        key = lambda tick, k: (tick, mido.MetaMessage("key_signature", key=k))
        spec = [(65, 0, 540), (66, 480, 960), (66, 960, 1440), (67, 960, 1440),
                (71, 1440, 2400), (67, 3600, 4320)]
        song, report = self.imported(
            self.song(480, notes(spec), [key(0, "G"), key(3840, "D")]))
        self.assertEqual(song.parts[0].notes(), [
            (F4, 0, 8, FLAT, False), (F4, 8, 16, 0, False),   # F natural, then F#
            (G4, 16, 24, 0, False), (F4, 16, 24, 0, False),    # the chord
            (B4, 24, 40, 0, False),                            # across the bar line, whole
            (G4, 60, 64, 0, False), (G4, 64, 72, 0, False),    # split at the key change
        ])
        self.assertIn("overlapping notes in one row shortened: 1 (part 1 measure 1)", report)
        self.assertIn("notes split where the key signature changes: 1 (part 1 measure 3)",
                      report)

    def test_chord_notes_are_respelled_or_dropped(self):
        # C major: F and F# together (F# becomes Gb), then F, F# and G together.
        spec = [(65, 0, 480), (66, 0, 480), (65, 960, 1440), (66, 960, 1440), (67, 960, 1440)]
        song, report = self.imported(self.song(480, notes(spec)))
        self.assertEqual(song.parts[0].notes(), [
            (G4, 0, 8, FLAT, False), (F4, 0, 8, 0, False),
            (G4, 16, 24, 0, False), (F4, 16, 24, 0, False)])
        self.assertEqual(report, ["chord notes without a free row dropped: 1 (part 1 measure 1)"])

    def test_a_tempo_of_97_and_a_half_beats(self):
        conductor = [(0, mido.MetaMessage("set_tempo", tempo=mido.bpm2tempo(97.5))),
                     (1920, mido.MetaMessage("set_tempo", tempo=mido.bpm2tempo(140)))]
        song, report = self.imported(self.song(480, notes([(60, 0, 3840)]), conductor))
        self.assertIn(song.tempo[0], (97, 98))
        self.assertEqual(song.tempo[31], song.tempo[0])
        self.assertEqual(song.tempo[32], 140)
        self.assertEqual(report,
                         ["tempos rounded to whole beats per minute in 1..300: 1 (measure 1)"])


if __name__ == "__main__":
    unittest.main()
