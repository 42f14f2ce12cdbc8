"""zelk-tool export-midi, read back with mido.

Random editor-made songs are written as project files, exported through the command line
and parsed with mido; what the file says is compared with what the song says: track
count, event kinds and absolute times.
"""

import os
import subprocess
import sys
import tempfile
import unittest

import mido

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import zelk_song  # noqa: E402
from zelk_song import Note, Part, Song  # noqa: E402

TOOL = os.environ.get("ZELK_TOOL", "zelk-tool")
MAJOR_KEYS = {-7: "Cb", -6: "Gb", -5: "Db", -4: "Ab", -3: "Eb", -2: "Bb", -1: "F", 0: "C",
              1: "G", 2: "D", 3: "A", 4: "E", 5: "B", 6: "F#", 7: "C#"}
LANE_CONTROLLERS = [None, 1, 11, 10, 64]  # pitch bend, modulation, expression, pan, hold


def run_tool(*args):
    return subprocess.run([TOOL, "export-midi", *args], capture_output=True, text=True)


def absolute(track):
    """(tick, message) pairs of a mido track."""
    tick, out = 0, []
    for msg in track:
        assert msg.time >= 0, "negative delta"
        tick += msg.time
        out.append((tick, msg))
    return out


class Expectation:
    """What a song must sound like, from its notes, lanes and tables."""

    def __init__(self, song, first_measure=None, ticked=None):
        self.song = song
        self.exporting = first_measure is None
        self.first = 1 if self.exporting else first_measure
        self.view = song.measure_start(self.first)
        self.ticked = ticked

    def included(self):
        return [p for p in range(16) if p in self.song.parts
                and (self.exporting or p in self.ticked)]

    def tick(self, col_tick):
        return 480 + col_tick if self.exporting else col_tick - 60 * self.view

    def tempo(self):
        """Tempo in force per column: a column of 0 keeps the one before."""
        song_end = sum(self.song.measures)
        lane = [self.song.tempo[x] if x < song_end else 120 for x in range(zelk_song.LANE_COLS)]
        start = next((t for t in lane[self.view:] if t > 0), 120)
        eff = {}
        cur = start
        for x in range(self.view, zelk_song.LANE_COLS):
            cur = lane[x] if lane[x] > 0 else cur
            eff[x] = cur
        return eff

    def conductor(self):
        song, out = self.song, []
        first_len = song.measures[0]
        sig = (first_len // 8, 4) if first_len % 8 == 0 else (first_len // 4, 8)
        sf = bin(song.key_code & 0x7F).count("1") * (-1 if song.key_code >= 128 else 1)
        out.append((0, "time_signature", (1, 4)))
        at = 0
        if self.exporting:
            at = 480
            out.append((480, "time_signature", sig))
        out.append((at, "key_signature", MAJOR_KEYS[sf]))
        eff = self.tempo()
        us = lambda bpm: (60000000 // bpm) & 0xFFFFFF  # noqa: E731
        out.append((at, "set_tempo", us(eff[self.view])))
        end = max((song.parts[p].length for p in self.included()), default=0)
        starts = {song.measure_start(m): m for m in range(self.first + 1, len(song.measures) + 1)}
        for x in range(self.view + 1, end):
            m = starts.get(x)
            if m is not None and (m == self.first + 1
                                  or song.measures[m - 1] != song.measures[m - 2]):
                n = song.measures[m - 1]
                sig = (n // 8, 4) if n % 8 == 0 else (n // 4, 8)
                out.append((self.tick(60 * x), "time_signature", sig))
            if eff[x] != eff[x - 1]:
                out.append((self.tick(60 * x), "set_tempo", us(eff[x])))
        return out

    def notes(self, p):
        song, part = self.song, self.song.parts[p]
        tuplet_ends = {(n.row, n.end) for n in part.notes if n.tuplet}
        out = []
        for n in part.notes:
            if n.end < self.view:
                continue
            key = song.key(p, n)
            off = self.tick(60 * n.end + (20 * (n.end % 4) if n.tuplet else 0))
            if n.head < self.view:
                out.append((None, off, key, None))
                continue
            # An ordinary head in the cell of a tuplet end follows that end.
            shifted = n.tuplet or (n.row, n.head) in tuplet_ends
            on = self.tick(60 * n.head + (20 * (n.head % 4) if shifted else 0))
            out.append((on, off, key, part.lanes[1][n.head]))
        return sorted(out, key=repr)

    def loop_col(self):
        song = self.song
        if not self.exporting or not song.loop_on or song.loop_measure >= len(song.measures):
            return None
        return song.measure_start(song.loop_measure + 1)

    def other_events(self, p, last_note_tick):
        """Everything but the notes, in file order."""
        part, ch = self.song.parts[p], self.song.channel(p)
        t0, step = (180, 60) if self.exporting else (0, 0)
        out = [(t0, "control_change", ch, 121, 0), (t0 + step, "control_change", ch, 7, 127),
               (t0 + 2 * step, "control_change", ch, 10, 64),
               (t0 + 3 * step, "control_change", ch, 91, part.reverb),
               (t0 + 4 * step, "control_change", ch, 93, part.chorus),
               (t0 + 5 * step, "program_change", ch, part.program)]
        with_cell = sorted({x for n in part.notes for x in range(n.head, n.end + 1)})
        last = [64, 0, 127, 64, 0]
        q, marked = self.loop_col(), False
        for x in with_cell:
            if x < self.view:
                continue
            if q is not None and not marked and x >= q:
                out.append((self.tick(60 * q), "control_change", 0, 111, 0))
                marked = True
            if x >= len(part.lanes[0]) or part.lanes[0][x] != 1:
                continue
            for k in range(5):
                v = part.lanes[k + 2][x]
                if v == last[k]:
                    continue
                last[k] = v
                if k == 0:
                    out.append((self.tick(60 * x), "pitchwheel", ch, v * 128 - 8192))
                else:
                    out.append((self.tick(60 * x), "control_change", ch, LANE_CONTROLLERS[k], v))
        end = max(out[-1][0], last_note_tick)
        if q is None:
            end += 480
            out.append((end, "program_change", ch, 0))
        out.append((end, "end_of_track"))
        return out


def heard(test, track, view):
    """Notes of a track, checking that every key is turned on and off in turn."""
    sounding, notes, others = {}, [], []
    for tick, msg in absolute(track):
        if msg.type != "note_on":
            test.assertNotEqual(msg.type, "note_off", "note-offs are written as note-ons")
            if msg.type == "control_change":
                others.append((tick, msg.type, msg.channel, msg.control, msg.value))
            elif msg.type == "program_change":
                others.append((tick, msg.type, msg.channel, msg.program))
            elif msg.type == "pitchwheel":
                others.append((tick, msg.type, msg.channel, msg.pitch))
            else:
                others.append((tick, msg.type))
            continue
        key = (msg.channel, msg.note)
        if msg.velocity > 0:
            test.assertNotIn(key, sounding, "key on again at %d" % tick)
            sounding[key] = (tick, msg.velocity)
        elif key in sounding:
            on, vel = sounding.pop(key)
            notes.append((on, tick, msg.note, vel))
        else:
            test.assertGreater(view, 0, "key %s off without on at %d" % (key, tick))
            notes.append((None, tick, msg.note, None))
    test.assertEqual(sounding, {}, "notes left sounding")
    return sorted(notes, key=repr), others


class ExportCase(unittest.TestCase):
    def setUp(self):
        self.tmp = tempfile.TemporaryDirectory()
        self.dir = self.tmp.name

    def tearDown(self):
        self.tmp.cleanup()

    def export(self, song, *options):
        src = os.path.join(self.dir, "song.zelk")
        out = os.path.join(self.dir, "song.mid")
        song.write(src)
        res = run_tool(*options, src, out)
        self.assertEqual(res.returncode, 0, res.stderr)
        return mido.MidiFile(out)

    def check(self, song, mid, want):
        parts = want.included()
        self.assertEqual(mid.type, 1)
        self.assertEqual(mid.ticks_per_beat, 480)
        self.assertEqual(len(mid.tracks), 1 + len(parts))
        conductor = absolute(mid.tracks[0])
        kinds = [m.type for _, m in conductor]
        self.assertEqual(kinds[:3], ["track_name", "copyright", "sysex"])
        self.assertEqual(conductor[2][1].data, (0x7E, 0x7F, 0x09, 0x01))
        self.assertEqual(kinds[-1], "end_of_track")
        got = []
        for tick, m in conductor[3:-1]:
            if m.type == "time_signature":
                self.assertEqual((m.clocks_per_click, m.notated_32nd_notes_per_beat), (24, 8))
                got.append((tick, m.type, (m.numerator, m.denominator)))
            elif m.type == "key_signature":
                got.append((tick, m.type, m.key))
            else:
                got.append((tick, m.type, m.tempo))
        self.assertEqual(got, want.conductor())
        for track, p in zip(mid.tracks[1:], parts):
            notes, others = heard(self, track, want.view)
            expected = want.notes(p)
            self.assertEqual(notes, expected, "part %d" % (p + 1))
            last = max((n[1] for n in expected), default=0)
            self.assertEqual(others, want.other_events(p, last), "part %d" % (p + 1))


class RandomSongs(ExportCase):
    def test_export_sounds_like_the_song(self):
        for seed in range(1, 21):
            with self.subTest(seed=seed):
                song = zelk_song.random_song(seed)
                self.check(song, self.export(song), Expectation(song))

    def test_playback_from_any_measure_sounds_like_the_rest(self):
        for seed in range(101, 121):
            with self.subTest(seed=seed):
                song = zelk_song.random_song(seed)
                rng = zelk_song.random.Random(seed)
                first = rng.randint(1, len(song.measures))
                ticked = sorted(rng.sample(range(16), rng.randint(1, 16)))
                mid = self.export(song, "--from-measure", str(first), "--parts",
                                  ",".join(str(p + 1) for p in ticked))
                self.check(song, mid, Expectation(song, first, ticked))

    def test_playback_defaults_to_every_part(self):
        song = zelk_song.random_song(7)
        mid = self.export(song, "--from-measure", "2")
        self.check(song, mid, Expectation(song, 2, list(range(16))))


class Texts(ExportCase):
    def test_title_and_copyright_are_shift_jis(self):
        song = Song()
        song.title = "ゼルク式ＭＩＤＩ ｼｰｹﾝｻ"
        song.copyright = "© 2024 ～"
        mid = self.export(song)
        track = mid.tracks[0]
        self.assertEqual(track[0].name.encode("latin-1"), song.title.encode("cp932"))
        self.assertEqual(track[1].text.encode("latin-1"), "? 2024 ～".encode("cp932"))

    def test_title_longer_than_255_characters_is_written_whole(self):
        song = Song()
        song.title = "t" * 300
        song.copyright = "ゼ" * 200  # 400 bytes
        mid = self.export(song)
        self.assertEqual(mid.tracks[0][0].name, "t" * 300)
        self.assertEqual(len(mid.tracks[0][1].text.encode("latin-1")), 400)


class CommandLine(ExportCase):
    def song_file(self):
        song = Song()
        part = Part()
        part.place(Note(28, 0, 8, 0, False))
        part.lanes = [[1] * 8 + [0], [100] + [0] * 8, [64] * 9, [0] * 9, [127] * 9,
                      [64] * 9, [0] * 9]
        song.parts[0] = part
        path = os.path.join(self.dir, "in.zelk")
        song.write(path)
        return path

    def test_usage_errors_exit_2_and_write_nothing(self):
        src = self.song_file()
        out = os.path.join(self.dir, "out.mid")
        cases = [
            [],                                           # no files
            [src],                                        # no output
            [src, out, "extra"],                          # one file too many
            ["--from-measure", "0", src, out],            # measures count from 1
            ["--from-measure", "301", src, out],          # past the last measure
            ["--from-measure", "x", src, out],            # not a number
            ["--from-measure", src, out],                 # value missing
            ["--from-measure", "1", "--parts", "0", src, out],   # parts are 1..16
            ["--from-measure", "1", "--parts", "17", src, out],
            ["--from-measure", "1", "--parts", "1,,2", src, out],
            ["--parts", "1", src, out],                   # parts only with --from-measure
            ["--bogus", src, out],
        ]
        for args in cases:
            with self.subTest(args=args):
                res = run_tool(*args)
                self.assertEqual(res.returncode, 2, res.stderr)
                self.assertTrue(res.stderr)
                self.assertFalse(os.path.exists(out))

    def test_bad_input_exits_1_with_one_line_and_no_output(self):
        out = os.path.join(self.dir, "out.mid")
        damaged = os.path.join(self.dir, "damaged.zelk")
        with open(damaged, "wb") as f:
            f.write(b"not a project")
        for src in [os.path.join(self.dir, "missing.zelk"), damaged]:
            with self.subTest(src=src):
                res = run_tool(src, out)
                self.assertEqual(res.returncode, 1)
                self.assertEqual(len(res.stderr.strip().splitlines()), 1, res.stderr)
                self.assertFalse(os.path.exists(out))

    def test_unwritable_output_exits_1_and_leaves_no_file(self):
        src = self.song_file()
        out = os.path.join(self.dir, "no-such-folder", "out.mid")
        res = run_tool(src, out)
        self.assertEqual(res.returncode, 1)
        self.assertIn("out.mid", res.stderr)
        self.assertEqual(sorted(os.listdir(self.dir)), ["in.zelk"])

    def test_existing_output_is_replaced(self):
        src = self.song_file()
        out = os.path.join(self.dir, "out.mid")
        with open(out, "wb") as f:
            f.write(b"x" * 10000)
        res = run_tool(src, out)
        self.assertEqual(res.returncode, 0, res.stderr)
        mid = mido.MidiFile(out)
        self.assertEqual(len(mid.tracks), 2)
        self.assertEqual(sorted(os.listdir(self.dir)), ["in.zelk", "out.mid"])


if __name__ == "__main__":
    unittest.main()
