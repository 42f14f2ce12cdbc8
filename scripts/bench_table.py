#!/usr/bin/env python3
"""Turns the JSON of every benchmark program into one table: each figure with its
baseline from the same run (or its goal) and the ratio. Usage: bench_table.py DIR"""

import json
import os
import sys


def load(directory):
    figures, counters = {}, {}
    for name in sorted(os.listdir(directory)):
        if not name.endswith(".json"):
            continue
        with open(os.path.join(directory, name)) as f:
            data = json.load(f)
        for b in data.get("benchmarks", []):
            if b.get("aggregate_name", "median") != "median":
                continue
            key = b.get("run_name", b["name"]).replace("/real_time", "")
            scale = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}[b.get("time_unit", "ns")]
            figures[key] = b["real_time"] * scale
            counters[key] = {k: v for k, v in b.items() if isinstance(v, (int, float))}
    return figures, counters


# (what, benchmark, baseline benchmark or None, goal in ms or None)
ROWS = [
    ("Save of the large song", "BM_SaveProject", "BM_ZlibCompressAlone", None),
    ("Load of the large song", "BM_LoadProject", "BM_ZlibExpandAlone", None),
    ("MIDI export of the large song", "BM_ExportDenseSong", "BM_ReadWorkFilesLineByLine", None),
    ("Draw + paint, 7 measures, 1920x1080", "BM_DrawAndPaint/7", None, 16.7),
    ("Draw + paint with 15 dense parts ghosted", "BM_DrawAndPaintWithGhosts/1",
     "BM_DrawAndPaintWithGhosts/0", None),
    ("Ghost cache refresh after a part switch", "BM_GhostRefreshAfterPartSwitch", None, 30.0),
    ("Backup: window thread stall", "BM_BackupUiThread", "BM_SaveProject", 50.0),
    ("Play start, large song", "BM_PlayStartDenseSong", None, 20.0),
    ("Playback file, tracks kept / all built", "BM_WritePlaybackFileDenseSong/1",
     "BM_WritePlaybackFileDenseSong/0", None),
    ("Measure copy, 100 measures x 16 parts", "BM_CopyHundredMeasuresOfAllParts", None, 100.0),
    ("Undo of that copy", "BM_UndoOfTheCopy", None, 100.0),
    ("Octave shift of a dense part", "BM_OctaveShiftOfADensePart", None, 100.0),
    ("Freehand lane move", "BM_FreehandMove", None, 2.0),
    ("Move of 1,000 selected notes", "BM_MoveThousandSelectedNotes", None, 20.0),
    ("Paste of 1,000 notes", "BM_PasteThousandNotes", None, 20.0),
    ("Drag outline of 1,000 notes, 1920x1080", "BM_SelectionDragOutline/0", None, 4.0),
    ("Same, score painted again", "BM_SelectionDragOutline/1", None, 4.0),
    ("Synth render of 1 s, 16 voices", "renderOneSecond/16", None, 1000.0),
    ("Scheduler on the rendering thread, per 64-frame block", "BM_SchedulerPerBlock", None,
     0.0145),
    ("Sound output open at start (no sound card)", "BM_OpenSoundOutput/iterations:3",
     "BM_OpenSilentClock/iterations:3", 1000.0),
    ("MIDI import of the large song's export", "BM_ImportDenseSongExport", None, 100.0),
    ("MIDI import of a 1 MB file of another program", "BM_ImportForeignMegabyte", None, 100.0),
    ("Render of 30 s of the large song from its MIDI file", "BM_RenderFrom/1/iterations:2",
     "BM_RenderFrom/0/iterations:2", None),
]

# (what, benchmark, goal in MB): peak memory held during one run
PEAKS = [
    ("MIDI import of the large song's export, peak memory", "BM_ImportDenseSongExport", 50.0),
    ("MIDI import of a 1 MB file, peak memory", "BM_ImportForeignMegabyte", 50.0),
]


def main():
    figures, counters = load(sys.argv[1])
    print("| figure | time (ms) | baseline or goal (ms) | ratio |")
    print("|---|---|---|---|")
    for what, bench, base, goal in ROWS:
        if bench not in figures:
            print(f"| {what} | not measured | | |")
            continue
        t = figures[bench]
        if base and base in figures:
            ref, label = figures[base], f"{figures[base]:.2f} ({base})"
        else:
            ref, label = goal, f"goal {goal}"
        ratio = f"{t / ref:.2f}x" if ref else ""
        print(f"| {what} | {t:.3f} | {label} | {ratio} |")
    for what, bench, goal in PEAKS:
        peak = counters.get(bench, {}).get("peak_MB")
        if peak is not None:
            print(f"| {what} | {peak:.1f} MB | goal {goal} MB | {peak / goal:.2f}x |")
    onset = counters.get("BM_OnsetAccuracy/iterations:3", {})
    if "worst_onset_ms" in onset:
        value = onset["worst_onset_ms"]
        print(f"| Player onset, worst distance from ideal | {value:.3f} | goal 1.45 (one block) "
              f"| {value / 1.45:.2f}x |")


if __name__ == "__main__":
    main()
