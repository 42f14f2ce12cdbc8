#pragma once

// The main window on a freshly reset song with a fake MIDI output, for the window tests.

#include "editor/session/SongReset.h"
#include "model/Song.h"
#include "platform/GzipCompressor.h"
#include "platform/IconvShiftJis.h"
#include "support/FakeMidiOut.h"
#include "support/SongBuilder.h"
#include "support/TempFolder.h"
#include "ui/main/MainWindow.h"

#include <QAction>

#include <functional>
#include <memory>

namespace zelk::test {

struct WindowFixture {
    std::unique_ptr<Song> song = std::make_unique<Song>(freshSong());
    TempFolder tmp; // the program folder
    FakeMidiOut midi;
    EditorState editor;
    ColorTable colors = defaultColorTable();
    GzipCompressor compressor;
    IconvShiftJis shiftJis;
    RecentFiles recent{};
    std::unique_ptr<ui::MainWindow> window;

    // prepare runs on the reset song before the window is made.
    explicit WindowFixture(const std::function<void(Song&)>& prepare = {}) {
        ResetSong(*song, editor);
        if (prepare)
            prepare(*song);
        window = std::make_unique<ui::MainWindow>(ui::MainWindowContext{
            *song, tmp.folder(), midi, editor, colors, compressor, shiftJis, recent});
        window->show();
    }
    template <typename T> T* find(const char* name) {
        return window->findChild<T*>(QString::fromLatin1(name));
    }
    QAction* action(const char* name) { return find<QAction>(name); }
};

} // namespace zelk::test
