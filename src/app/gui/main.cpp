// The zelk window program: creates the song, its folder and the synthesizer, and wires
// them into the main window. Start-up runs in this order: the single-instance check, the
// leftovers of a crashed run, the song reset, the command-line project, the settings, the
// synthesizer, the recovery from the backup "log".
#include "editor/EditorState.h"
#include "editor/session/FileCommands.h"
#include "editor/session/SessionLife.h"
#include "editor/session/SongReset.h"
#include "editor/transport/MidiConnections.h"
#include "editor/view/ColorTable.h"
#include "midi/LiveMidiOut.h"
#include "midi/PartRouting.h"
#include "model/AppFolder.h"
#include "model/PartSwitch.h"
#include "model/Song.h"
#include "platform/EncodedAudioFileWriter.h"
#include "platform/FfmpegWmaEncoder.h"
#include "platform/FluidSynthRenderer.h"
#include "platform/GzipCompressor.h"
#include "platform/IconvShiftJis.h"
#include "platform/MidiBackends.h"
#include "platform/SchedulePlayer.h"
#include "platform/SoundFontLookup.h"
#include "platform/SoundSwitch.h"
#include "platform/SynthOpening.h"
#include "platform/WavRecorder.h"
#include "ports/NullMidiOut.h"
#include "storage/SettingsFile.h"
#include "storage/StateFile.h"
#include "ui/main/MainWindow.h"
#include "ui/support/GuardedApplication.h"
#include "ui/support/SingleInstance.h"
#include "ui/support/Translations.h"

#include <QApplication>
#include <QFile>
#include <QIcon>
#include <QMessageBox>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace {

std::string commandLinePath(int argc, char** argv) {
    return argc > 1 ? std::string(argv[1]) : std::string();
}

// A second start hands its project over to the running window and ends.
int handOverAndEnd(zelk::ui::SingleInstance& instance, std::string path) {
    std::erase(path, '"');
    if (!path.empty() && path.front() != '/')
        path = (std::filesystem::current_path() / path).string();
    if (instance.handOver(path))
        return 0;
    std::fprintf(stderr, "zelk: another zelk runs on this program folder and did not answer\n");
    return 1;
}

std::filesystem::path homeFolder() {
    const char* home = std::getenv("HOME");
    return home != nullptr ? std::filesystem::path(home) : std::filesystem::path();
}

// $ZELK_SOUNDFONT names the SoundFont: the one chosen in the settings neither plays nor is
// replaced by it.
bool soundFontForced() {
    const char* forced = std::getenv("ZELK_SOUNDFONT");
    return forced != nullptr && *forced != '\0';
}

// The sound this machine chose ("sound.font", "sound.driver", "sound.period" in
// "zelk-state.ini"); $ZELK_SOUNDFONT wins, and a chosen file that went away gives the
// first SoundFont found.
zelk::SynthOptions soundOptions(const zelk::StateFile& state) {
    zelk::SynthOptions options;
    options.soundFont = zelk::findSoundFontFromEnvironment();
    const auto chosen = state.text("sound.font");
    std::error_code ec;
    if (!soundFontForced() && chosen && !chosen->empty() &&
        std::filesystem::is_regular_file(*chosen, ec))
        options.soundFont = std::filesystem::path(*chosen);
    options.driver = state.text("sound.driver").value_or("");
    options.periodFrames = state.number("sound.period", 0, 8192).value_or(0);
    return options;
}

void saveSoundChoice(const zelk::SoundChoice& choice, zelk::StateFile& state) {
    if (!soundFontForced())
        state.set("sound.font", choice.soundFont);
    state.set("sound.driver", choice.driver);
    state.set("sound.period", choice.periodFrames);
}

} // namespace

int main(int argc, char** argv) {
    using namespace zelk;
    ui::GuardedApplication app(argc, argv);
    app.setDesktopFileName(QStringLiteral("zelk"));
    app.setWindowIcon(
        QIcon::fromTheme(QStringLiteral("zelk"), QIcon(QStringLiteral(":/icons/zelk.svg"))));
    if (!ui::loadJapaneseTranslations(app))
        std::fprintf(stderr, "zelk: Qt's Japanese translations are missing; standard dialogs "
                             "speak English (apt-get install qt6-translations-l10n)\n");
    AppFolder folder = AppFolder::fromEnvironment();
    ui::SingleInstance instance(
        QFile::decodeName(QByteArray::fromStdString(folder.dir().string())));
    if (!instance.acquire())
        return handOverAndEnd(instance, commandLinePath(argc, argv));

    removeOrphanedTempFiles(folder);
    auto song = std::make_unique<Song>();
    EditorState editor;
    clearForNewSong(*song);
    ResetSong(*song, editor);

    Settings settings = readSettingsFile(folder);
    editor.keys.KeyAssign = settings.KeyAssign;
    ColorTable colors = toColorTable(settings.ColorTable);
    const GzipCompressor compressor;
    const IconvShiftJis shiftJis;
    NullMidiOut notYetOpen; // the command-line load comes before the synthesizer
    StateFile state = StateFile::read(folder);
    const SynthOptions options = soundOptions(state);
    SynthOpening synth = openSoundFontSynth(options);
    // Declared after the synthesizer: gone before it. Parts sound on it or on the MIDI
    // ports chosen for this machine; the ports' back ends outlive the choices.
    PartRouting routing(*song, *synth.synth);
    std::vector<std::string> noMidiPorts;
    const auto backends = openMidiBackends(noMidiPorts);
    std::vector<MidiPortBackend*> backendList;
    for (const auto& b : backends)
        backendList.push_back(b.get());
    MidiConnections connections(backendList, routing);
    LiveMidiOut live(routing);
    SchedulePlayer player(*synth.synth);
    SoundFontSynth& sound = *synth.synth;
    WavRecorder recorder(sound.sampleRate(), folder.recordingScratch(),
                         [&sound](AudioTap* tap) { sound.setTap(tap); });
    FfmpegWmaEncoder wma;
    EncodedAudioFileWriter audioFiles;
    SoundSwitch soundSwitch(sound, options.soundFont ? options.soundFont->string() : "",
                            homeFolder());
    // The offline render takes the SoundFont chosen at the time it starts.
    BackgroundRender::SynthFactory makeRenderer = [&soundSwitch](int rate) {
        return std::make_unique<FluidSynthRenderer>(rate, soundSwitch.current().soundFont);
    };

    ui::MainWindow window({*song, folder, live, editor, colors, compressor, shiftJis,
                           settings.recent, &live, &player, &recorder, &wma, makeRenderer,
                           &audioFiles, &shiftJis, &routing, &connections, &soundSwitch});
    QObject::connect(
        &instance, &ui::SingleInstance::handedOver, &window,
        [&window](const std::string& path) { window.openHandedOver(path); }, Qt::QueuedConnection);
    window.restoreState(state);
    const MissingPorts missingPorts = connections.restore(state);
    window.show();
    window.noticeMissingPorts(missingPorts);
    window.prompts().setMessagesWait(false);

    FileContext startup{*song,      editor,           folder,          notYetOpen,
                        compressor, window.prompts(), settings.recent, &shiftJis};
    if (argc > 1)
        openCommandLineProject(startup, argv[1]);
    if (synth.status != OpenStatus::Ok) {
        std::fprintf(stderr, "zelk: %s\n", synth.detail.c_str());
        // The reason is for the log; the notice itself stays the program's own words.
        window.prompts().showMessage(kAppTitle, kMidiOpenFailedMessage, MessageIcon::Information);
    }
    FileContext recovery{*song,      editor,           folder,          live,
                         compressor, window.prompts(), settings.recent, &shiftJis};
    if (!recoverFromBackup(recovery))
        sendPartHeader(*song, live); // the command-line song's sound, now audible
    window.showSongReplaced();
    window.prompts().setMessagesWait(true);

    const int status = app.exec();
    Shutdown({*song, folder, editor, colors, settings, [&window] { window.stopAndClose(); }, [] {},
              [&window] { window.finishBackup(); }});
    // After Shutdown: an open key-assignment window has committed its choices.
    window.saveState(state);
    connections.save(state);
    saveSoundChoice(soundSwitch.current(), state);
    try {
        state.write(folder);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "zelk: %s not saved: %s\n", folder.state().string().c_str(), e.what());
    }
    return status;
}
