"""The rooms of src/editor depend downward only: an include that runs upward, or into a
room the layer table does not list, fails here before it tangles the folders."""

import os
import re
import unittest

SRC = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "src")

# Which rooms each room may include, besides itself and the shared files of src/editor.
MAY_USE = {
    "": set(),
    "view": set(),
    "prefs": {"view"},
    "lanes": {"view"},
    "entry": {"view", "lanes"},
    "tools": {"view", "lanes", "entry"},
    "session": {"view", "prefs", "lanes", "entry", "tools"},
    "transport": {"view", "prefs", "lanes", "entry", "tools"},
}

INCLUDE = re.compile(r'#include "editor/(?:([a-z]+)/)?[A-Za-z0-9]+\.h"')


def upward_includes(editor_dir):
    found = []
    for folder, _, names in os.walk(editor_dir):
        room = os.path.relpath(folder, editor_dir)
        room = "" if room == "." else room
        for name in names:
            with open(os.path.join(folder, name), encoding="utf-8") as f:
                for target in INCLUDE.findall(f.read()):
                    if target not in MAY_USE.get(room, set()) | {room, ""}:
                        found.append(f"{room or 'editor'}/{name} -> {target or 'editor'}")
    return found


class EditorRoomsTest(unittest.TestCase):
    def test_every_room_is_in_the_table(self):
        editor = os.path.join(SRC, "editor")
        rooms = {d for d in os.listdir(editor) if os.path.isdir(os.path.join(editor, d))}
        self.assertEqual(rooms, set(MAY_USE) - {""})

    def test_no_include_runs_upward(self):
        self.assertEqual(upward_includes(os.path.join(SRC, "editor")), [])

    def test_the_check_sees_an_upward_include(self):
        import tempfile

        with tempfile.TemporaryDirectory() as d:
            os.makedirs(os.path.join(d, "view"))
            with open(os.path.join(d, "view", "X.h"), "w", encoding="utf-8") as f:
                f.write('#include "editor/tools/UndoRedo.h"\n#include "editor/EditContext.h"\n')
            self.assertEqual(upward_includes(d), ["view/X.h -> tools"])


if __name__ == "__main__":
    unittest.main()
