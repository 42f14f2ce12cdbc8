// The zelk window program: creates the song, its folder and the synthesizer, and wires
// them into the main window.
#include "editor/ColorTable.h"
#include "editor/EditorState.h"
#include "editor/KeyAssign.h"
#include "editor/SongReset.h"
#include "midi/LiveMidiOut.h"
#include "model/AppFolder.h"
#include "model/Song.h"
#include "platform/FluidFilePlayer.h"
#include "platform/GzipCompressor.h"
#include "platform/IconvShiftJis.h"
#include "platform/SoundFontLookup.h"
#include "platform/SynthOpening.h"
#include "storage/Project.h"
#include "storage/SettingsFile.h"
#include "storage/Snapshots.h"
#include "ui/MainWindow.h"

#include <QApplication>
#include <QMessageBox>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

namespace {

// A project named on the command line; double quotes are dropped as a shell would.
void openFromCommandLine(zelk::Song& song, const zelk::AppFolder& folder, zelk::MidiOut& out,
                         std::string path) {
    std::erase(path, '"');
    song.FilePath = path;
    song.FileName = std::filesystem::path(path).filename().string();
    try {
        zelk::LoadProject(song, folder, zelk::GzipCompressor(), out);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "zelk: %s\n", e.what());
        song.FilePath.clear();
        song.FileName.clear();
        QMessageBox::information(nullptr, QStringLiteral("ゼルク式ＭＩＤＩシーケンサ"),
                                 QStringLiteral("MOpen@オープンできません"));
    }
}

// The end of an orderly run: temporary files go, the settings are written. An open
// key-assignment window commits its lists first, so a choice made there is kept.
void shutdown(const zelk::Song& song, const zelk::AppFolder& folder, zelk::EditorState& editor,
              const zelk::ColorTable& colors, zelk::Settings& settings) {
    using namespace zelk;
    if (editor.keys.windowLoaded)
        Form4_Unload(editor.keys);
    ClearTempFiles(song, folder);
    std::error_code ec;
    std::filesystem::remove(folder.playbackMidi(), ec);
    std::filesystem::remove(folder.backup(), ec);
    settings.KeyAssign = editor.keys.KeyAssign;
    settings.ColorTable = toRgb(colors);
    try {
        writeSettingsFile(folder, settings);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "zelk: settings not saved: %s\n", e.what());
    }
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    using namespace zelk;
    AppFolder folder = AppFolder::fromEnvironment();
    auto song = std::make_unique<Song>();
    EditorState editor;
    Settings settings = readSettingsFile(folder);
    editor.keys.KeyAssign = settings.KeyAssign;
    ColorTable colors = toColorTable(settings.ColorTable);
    clearForNewSong(*song);
    ResetSong(*song, editor);

    SynthOptions options;
    options.soundFont = findSoundFontFromEnvironment();
    SynthOpening synth = openSoundFontSynth(options);
    // Declared after the synthesizer: gone before it.
    LiveMidiOut live(*synth.synth);
    FluidFilePlayer player(*synth.synth);

    if (argc > 1)
        openFromCommandLine(*song, folder, live, argv[1]);

    const GzipCompressor compressor;
    const IconvShiftJis shiftJis;
    ui::MainWindow window(
        {*song, folder, live, editor, colors, compressor, shiftJis, &live, &player});
    window.show();
    if (synth.status != OpenStatus::Ok) {
        std::fprintf(stderr, "zelk: %s\n", synth.detail.c_str());
        QMessageBox::information(
            &window, window.windowTitle(),
            QString::fromUtf8(kMidiOpenFailedMessage.data(),
                              static_cast<int>(kMidiOpenFailedMessage.size())));
    }
    const int status = app.exec();
    window.stopAndClose();
    shutdown(*song, folder, editor, colors, settings);
    return status;
}
