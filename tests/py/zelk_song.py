"""Random songs the editor could make, written as zelk project files.

The project text and the part work files are written here from their documented layout,
without the program's own code, so the tests read what zelk-tool makes of a file that
was made independently.
"""

import gzip
import random

ROWS = 57
MAX_COLS = 9600
LANE_COLS = MAX_COLS + 1
LENGTHS = [8, 16, 24, 32, 40, 48, 4, 12, 20, 28]  # the offered time signatures
SHARP_MASKS = [16, 17, 25, 89, 93, 125, 127]
FLAT_MASKS = [2, 34, 38, 102, 110, 111, 127]
STEPS = [0, 2, 4, 5, 7, 9, 11]  # C D E F G A B

HEAD, BODY, END = 0x3F, 0x40, 0x80
SHARP, FLAT = 0x100, 0x200
TUPLET_BODY, TUPLET_HEAD, TUPLET_END = 0x1000, 0x2000, 0x4000


def row_note(r):
    k = 56 - r
    return 12 + 12 * (k // 7) + STEPS[k % 7]


class Note:
    def __init__(self, row, head, length, acc, tuplet):
        self.row, self.head, self.length, self.acc, self.tuplet = row, head, length, acc, tuplet

    @property
    def end(self):
        return self.head + self.length


class Part:
    def __init__(self):
        self.notes = []
        self.program, self.reverb, self.chorus = 0, 40, 0
        self.lanes = None  # 7 lists: sounding, vel, pit, mod, exp, pan, hol
        self.cells = {}  # (col, row) -> value

    @property
    def length(self):
        return max((n.end for n in self.notes), default=0)

    def place(self, n):
        t = n.tuplet
        self._or(n.head, n.row, HEAD | n.acc | (TUPLET_HEAD if t else 0))
        for x in range(n.head + 1, n.end):
            self._or(x, n.row, BODY | n.acc | (TUPLET_BODY if t else 0))
        self._or(n.end, n.row, END | n.acc * 4 | (TUPLET_END if t else 0))
        self.notes.append(n)

    def _or(self, x, r, bits):
        self.cells[(x, r)] = self.cells.get((x, r), 0) | bits

    def work_file_lines(self):
        length = self.length
        out = [length, self.program, self.reverb, self.chorus]
        for x in range(length + 1):
            out.extend(lane[x] for lane in self.lanes)
        run = 0
        for x in range(length + 1):
            for r in range(ROWS):
                v = self.cells.get((x, r), 0)
                if v == 0:
                    run += 1
                    continue
                if run:
                    out.extend([-1, run])
                    run = 0
                out.append(v)
        return out


class Song:
    def __init__(self):
        self.title = "title"
        self.copyright = "Copyright(C) by ?"
        self.measures = [32] * 300
        self.key_mask = [0] * 301
        self.key_shift = [0] * 301
        self.key_code = 0
        self.tempo = [120] * LANE_COLS
        self.drum = [0] * 16
        self.drum[9] = 1
        self.loop_on, self.loop_measure = 0, 0
        self.parts = {}

    def measure_start(self, m):
        """First column of measure m (1-based)."""
        return sum(self.measures[: m - 1])

    def measure_of(self, x):
        """1-based measure holding column x; count + 1 past the end."""
        total = 0
        for i, length in enumerate(self.measures):
            total += length
            if x < total:
                return i + 1
        return len(self.measures) + 1

    def channel(self, p):
        return 9 if p == 9 or self.drum[p] else p

    def key(self, p, n):
        if self.channel(p) == 9:
            return 84 - n.row
        key = row_note(n.row) + (n.acc == SHARP) - (n.acc == FLAT)
        k = self.measure_of(n.head) - 1
        if self.key_mask[k] & (1 << (n.row % 7)):
            key += self.key_shift[k]
        return max(0, min(127, key))

    def project_text(self):
        lines = []
        if self.loop_on:
            lines += ["-3", str(self.loop_measure)]
        lines += [self.title, "-4"]
        col = 0
        for length in self.measures:
            lines.append(str(length))
            lines += [str(self.tempo[c]) for c in range(col, col + length)]
            col += length
        lines += ["-5", self.copyright, "-6"]
        lines += [str(d) for d in self.drum]
        first = self.measures[0]
        lines += [str(first), str(8 if first % 8 == 0 else 4), str(self.key_code), "-1"]
        for i in range(len(self.measures) + 1):
            lines += [str(self.key_mask[i]), str(self.key_shift[i])]
        lines += ["-2", "119"]
        for p in range(16):
            part = self.parts.get(p)
            if part is not None and part.notes:
                lines += [str(v) for v in part.work_file_lines()]
            lines.append("-2")
        return "".join(line + "\r\n" for line in lines)

    def write(self, path):
        with open(path, "wb") as f:
            f.write(gzip.compress(self.project_text().encode("utf-8")))


def _slot_col(s):
    return 4 * (s // 3) + s % 3


def _fill_row(song, part, row, rng):
    song_end = sum(song.measures)
    free = rng.randint(0, 64)
    while free < song_end:
        m = song.measure_of(free)
        measure_end = song.measure_start(m + 1)
        crossing = rng.random() < 0.08  # as a time-signature change leaves them
        limit = min(measure_end + 48 if crossing else measure_end, song_end)
        acc = rng.choice([0, 0, 0, 0, SHARP, FLAT])
        tuplet = rng.random() < 0.25
        head = free
        if tuplet:
            s = 3 * (head // 4)
            while _slot_col(s) < head:
                s += 1
            head = _slot_col(s)
            length = _slot_col(s + rng.randint(1, 6)) - head
        else:
            length = rng.choice([1, 2, 3, 4, 6, 8, 12, 16, 24, 32, 48])
        if head + length > limit:
            free = measure_end + rng.randint(0, 8)
            continue
        part.place(Note(row, head, length, acc, tuplet))
        free = head + length + (0 if rng.random() < 0.5 else rng.randint(1, 40))


def _segments(rng, length, default, lo, hi, p_change):
    values = [default] * length
    x = 0
    while x < length:
        run = rng.randint(1, 200)
        if rng.random() < p_change:
            v = rng.randint(lo, hi)
            for i in range(x, min(length, x + run)):
                values[i] = v
        x += run
    return values


def _make_part(song, rng):
    part = Part()
    row = rng.randint(0, 20)
    # Rows four or more steps apart never sound the same key, whatever the accidentals.
    for _ in range(rng.randint(1, 6)):
        if row >= ROWS:
            break
        _fill_row(song, part, row, rng)
        row += rng.randint(4, 12)
    if not part.notes:
        return None
    length = part.length + 1
    sounding = [0] * length
    vel = [0] * length
    for n in part.notes:
        for x in range(n.head, n.end):
            sounding[x] = 1
    heads = {n.head for n in part.notes}
    for x in heads:
        vel[x] = rng.randint(1, 127)
    pit = _segments(rng, length, 64, 0, 127, 0.3)
    mod = _segments(rng, length, 0, 0, 127, 0.3)
    exp = _segments(rng, length, 127, 0, 127, 0.3)
    pan = _segments(rng, length, 64, 0, 127, 0.3)
    hol = _segments(rng, length, 0, 0, 127, 0.3)
    part.lanes = [sounding, vel, pit, mod, exp, pan, hol]
    part.program, part.reverb, part.chorus = (rng.randint(0, 127) for _ in range(3))
    return part


def random_song(seed):
    rng = random.Random(seed)
    song = Song()
    measures, length, total = [], 32, 0
    for _ in range(rng.randint(3, 40)):
        if rng.random() < 0.2:
            length = rng.choice(LENGTHS)
        if total + length > MAX_COLS:
            break
        measures.append(length)
        total += length
    song.measures = measures
    count = len(measures)
    song.key_mask, song.key_shift = [0] * (count + 1), [0] * (count + 1)
    mask, shift = 0, 0
    for k in range(count):
        if rng.random() < 0.25:
            n = rng.randint(0, 7)
            shift = rng.choice([1, -1])
            mask = 0 if n == 0 else (SHARP_MASKS if shift > 0 else FLAT_MASKS)[n - 1]
        song.key_mask[k] = mask | (128 if shift < 0 else 0)
        song.key_shift[k] = shift
    song.key_code = song.key_mask[0]
    for _ in range(rng.randint(0, 6)):
        start, bpm = rng.randint(0, MAX_COLS), rng.choice([rng.randint(1, 300), 0, 2])
        for x in range(start, min(LANE_COLS, start + rng.randint(1, 2000))):
            song.tempo[x] = bpm
    song.drum = [1 if rng.random() < 0.15 else 0 for _ in range(16)]
    song.loop_on = 1 if rng.random() < 0.5 else 0
    song.loop_measure = rng.randint(0, count + 2)  # sometimes past the last measure
    for p in range(16):
        if rng.random() < 0.6:
            part = _make_part(song, rng)
            if part is not None:
                song.parts[p] = part
    return song


class ReadPart:
    def __init__(self, program, reverb, chorus, lanes, cells):
        self.program, self.reverb, self.chorus = program, reverb, chorus
        self.lanes = lanes  # 7 lists: sounding, vel, pit, mod, exp, pan, hol
        self.cells = cells  # (col, row) -> value

    def notes(self):
        """(row, head, end, accidental, tuplet) of every note, by head column then row."""
        out = []
        for (x, r), v in sorted(self.cells.items()):
            if v & HEAD:
                end = x + 1
                while not self.cells.get((end, r), 0) & END:
                    end += 1
                out.append((r, x, end, v & (SHARP | FLAT), bool(v & TUPLET_HEAD)))
        return out


class ReadSong:
    """A project file as its documented layout reads, without the program's own code."""

    def __init__(self, path):
        with open(path, "rb") as f:
            lines = gzip.decompress(f.read()).decode("utf-8").split("\r\n")
        it = iter(lines)
        line = next(it)
        self.loop_measure = None
        if line == "-3":
            self.loop_measure = int(next(it))
            line = next(it)
        self.title = line
        assert next(it) == "-4"
        self.measures, self.tempo = [], []
        line = next(it)
        while line != "-5":
            self.measures.append(int(line))
            self.tempo += [int(next(it)) for _ in range(int(line))]
            line = next(it)
        self.copyright = next(it)
        assert next(it) == "-6"
        self.drum = [int(next(it)) for _ in range(16)]
        self.measure_cols, self.beat_cols, self.key_code = (int(next(it)) for _ in range(3))
        assert next(it) == "-1"
        self.key_mask = []
        for _ in range(len(self.measures) + 1):
            self.key_mask.append(int(next(it)))
            next(it)  # KeyShift
        assert next(it) == "-2"
        self.tempo_index = int(next(it))
        self.parts = {}
        for p in range(16):
            values = []
            line = next(it)
            while line != "-2":
                values.append(int(line))
                line = next(it)
            if values:
                self.parts[p] = self._part(values)

    @staticmethod
    def _part(values):
        length = values[0]
        lanes = [values[4 + 7 * x + k] for k in range(7) for x in range(length + 1)]
        lanes = [lanes[k * (length + 1):(k + 1) * (length + 1)] for k in range(7)]
        cells, pos, i = {}, 0, 4 + 7 * (length + 1)
        while i < len(values):
            if values[i] == -1:
                pos += values[i + 1]
                i += 2
                continue
            cells[(pos // ROWS, pos % ROWS)] = values[i]
            pos += 1
            i += 1
        return ReadPart(values[1], values[2], values[3], lanes, cells)
