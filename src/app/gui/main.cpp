// The zelk window program: creates the song, its folder and the synthesizer, and wires
// them into the main window.
#include "editor/EditorState.h"
#include "editor/SongReset.h"
#include "model/AppFolder.h"
#include "model/Song.h"
#include "platform/SoundFontLookup.h"
#include "platform/SynthOpening.h"
#include "ui/MainWindow.h"

#include <QApplication>
#include <QMessageBox>

#include <cstdio>
#include <memory>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    using namespace zelk;
    AppFolder folder = AppFolder::fromEnvironment();
    auto song = std::make_unique<Song>();
    EditorState editor;
    ColorTable colors = defaultColorTable();
    clearForNewSong(*song);
    ResetSong(*song, editor);

    SynthOptions options;
    options.soundFont = findSoundFontFromEnvironment();
    SynthOpening synth = openSoundFontSynth(options);

    ui::MainWindow window({*song, folder, *synth.synth, editor, colors});
    window.show();
    if (synth.status != OpenStatus::Ok) {
        std::fprintf(stderr, "zelk: %s\n", synth.detail.c_str());
        QMessageBox::information(
            &window, window.windowTitle(),
            QString::fromUtf8(kMidiOpenFailedMessage.data(),
                              static_cast<int>(kMidiOpenFailedMessage.size())));
    }
    return app.exec();
}
