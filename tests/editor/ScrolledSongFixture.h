#pragma once

#include "editor/EditorState.h"
#include "editor/view/ViewPosition.h"
#include "support/SongBuilder.h"

#include <gtest/gtest.h>

namespace zelk::test {

// A fresh song with the editor state beside it, scrolled the way the scroll bar does.
class ScrolledSongFixture : public ::testing::Test {
protected:
    Song song = freshSong();
    EditorState ed;

    void scrollTo(int measure) {
        ed.view.FirstMeasure = measure;
        HScroll1_Change(song, ed.view, ed.signatures);
    }
};

} // namespace zelk::test
