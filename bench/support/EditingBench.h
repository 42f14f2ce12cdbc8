#pragma once

#include "BenchFolder.h"
#include "editor/EditContext.h"
#include "model/Song.h"
#include "platform/GzipCompressor.h"
#include "ports/NullMidiOut.h"

namespace zelk::bench {

// A song with the editor around it, as the main window holds them, in a folder of its own;
// previews go nowhere.
struct EditingBench {
    BenchFolder tmp;
    Song song;
    EditorState editor;
    NullMidiOut midi;
    GzipCompressor gzip;
    EditContext ctx{song, editor, tmp.folder(), midi, gzip};
};

} // namespace zelk::bench
