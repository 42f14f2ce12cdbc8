#pragma once

#include "editor/EditContext.h"
#include "platform/GzipCompressor.h"
#include "support/FakeMidiOut.h"
#include "support/SongBuilder.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

namespace zelk::test {

// A fresh song with the editor around it, as the main window holds them, in a folder of
// its own.
class EditingFixture : public ::testing::Test {
protected:
    Song song = freshSong();
    EditorState ed;
    TempFolder temp;
    FakeMidiOut midi;
    GzipCompressor gzip;
    EditContext ctx{song, ed, temp.folder(), midi, gzip};
};

} // namespace zelk::test
