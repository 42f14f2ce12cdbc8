#pragma once

#include "editor/EditorState.h"
#include "editor/session/BackupWriter.h"
#include "editor/session/FileCommands.h"
#include "editor/transport/Playback.h"
#include "editor/view/ColorTable.h"
#include "editor/view/DrawList.h"
#include "editor/view/DrawScore.h"
#include "editor/view/GhostNotes.h"
#include "render/BackgroundRender.h"
#include "storage/Project.h"
#include "storage/StateFile.h"
#include "ui/main/MainMenus.h"
#include "ui/main/MainWindowControls.h"
#include "ui/support/QtPrompts.h"
#include "ui/support/Twips.h"

#include <QMainWindow>

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

class QProgressDialog;

namespace zelk {
struct Song;
struct EditOutcome;
struct EditContext;
enum class StepCommand : uint8_t;
class AppFolder;
class Compressor;
class MidiOut;
class TextEncoder;
class TextDecoder;
class LiveMidiOut;
class MidiConnections;
struct MissingPorts;
class MidiFilePlayer;
class PartRouting;
class SoundSetup;
class WaveRecorder;
class WmaEncoder;
} // namespace zelk

namespace zelk::ui {

// What the main window works on; owned by the program, outliving the window.
struct MainWindowContext {
    Song& song;
    AppFolder& folder;
    MidiOut& midi;
    EditorState& editor;
    ColorTable& colors;
    const Compressor& compressor;
    const TextEncoder& encoder; // texts of written MIDI files (Shift-JIS)
    RecentFiles& recent;        // the File menu's recent files, kept in "zelk.ini"
    // Playback: the live output that `midi` is, and the file player. Without them the play
    // button stays disabled.
    LiveMidiOut* live = nullptr;
    MidiFilePlayer* player = nullptr;
    // Recording: the tap on the synthesizer and the WMA encoder. Without them (or without
    // playback) the recording menu stays disabled.
    WaveRecorder* recorder = nullptr;
    WmaEncoder* wma = nullptr;
    // The offline render: a synthesizer for each render and the audio file formats. Without
    // them the render entry stays disabled.
    BackgroundRender::SynthFactory makeRenderer{};
    AudioFileWriter* audioFiles = nullptr;
    // Texts of imported MIDI files (Shift-JIS); without it they read as UTF-8 or Latin-1.
    const TextDecoder* decoder = nullptr;
    // MIDI ports: where each part sounds (`midi` sends through it) and this machine's port
    // choices. Without them the port window stays disabled and everything plays built in.
    PartRouting* routing = nullptr;
    MidiConnections* connections = nullptr;
    // The built-in synthesizer's SoundFont, driver and buffer; without it the sound window
    // stays disabled.
    SoundSetup* sound = nullptr;
};

// The main window Form1: forwards every control's event to the editor core and shows the
// state the core leaves behind.
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit MainWindow(MainWindowContext ctx, QWidget* parent = nullptr);

    const MainWindowControls& controls() const { return c_; }
    const MainMenus& menus() const { return m_; }
    const DrawList& drawList() const { return drawList_; }

    // Form_Resize: lays the window out for the current part and redraws.
    void relayout();
    // DrawScore and a repaint of the canvas.
    void redraw();
    // Puts every control to the state of the song and the editor (no handlers run).
    void refreshControls();
    // After the scroll position changed: ShowPosition's view side and a redraw.
    void scrolled();
    // The colour table to the window's backgrounds.
    void ApplyColors();
    // The export command after its file dialog: the whole song from measure 1 as a
    // Standard MIDI File. Returns false when it failed (the message has been shown).
    bool exportMidi(const QString& path);
    // After the song was replaced from outside the window (start-up, recovery): every
    // control, the recent-file menu, the layout and the picture.
    void showSongReplaced();
    // A project file handed over by a second start: raised, asked, opened; during a
    // playback or a recording it waits for their end.
    void openHandedOver(const std::string& path);
    // The prompts the window's commands use (message boxes and file dialogs).
    QtPrompts& prompts() { return prompts_; }
    // The prompts of the File menu and the offline render; tests put scripted ones in place
    // of the dialogs.
    void usePrompts(UserPrompts& prompts) { filePrompts_ = &prompts; }
    // The one-minute backup; the interval is $ZELK_BACKUP_MS when set.
    void backupNow();
    // Runs a core action on the song from a tool window and shows what it changed; a
    // damaged file it meets is reported.
    void runEdit(const std::function<EditOutcome(EditContext&)>& action);
    // Tool windows that work on measures keep the time signature from changing while open.
    void holdTimeSignature(bool hold);
    const GhostCache& ghostCache() const { return ghosts_; }
    // The size, zoom and render choices this machine remembers ("zelk-state.ini").
    void restoreState(const StateFile& state);
    void saveState(StateFile& state) const;
    // Waits for a backup still being written (before the end of the program).
    void finishBackup() { backup_.wait(); }
    // The play button's action (also the play/stop key).
    void playStop();
    // "つなぎ目を試聴" (menu and key): the loop's seam in a few seconds.
    void seamAudition();
    // The offline render entry after its file dialog: renders the song to `path` (.wav, .ogg
    // or .flac) on a thread of its own with a progress dialog. False when it cannot start
    // (the message has been shown).
    bool startOfflineRender(const QString& path);
    const BackgroundRender* offlineRender() const { return render_.get(); }
    // For the end of the program: a running playback stops at once and the player is closed.
    void stopAndClose();
    const PlaybackState& playback() const { return playback_; }
    const DrawList& playLine() const { return playLine_; }
    const DrawList& rubberBand() const { return line1_; }
    const DrawList& selectionGesture() const { return gesture_; }
    // Ports chosen for this machine that are not here: their parts play built in; one
    // notice in the status bar.
    void noticeMissingPorts(const MissingPorts& missing);
    class MidiPortsWindow* portsWindow() const {
        return portsWindow_;
    }
    // The colour settings window once the menu has opened it.
    class ColorSettingsWindow* colorWindow() const {
        return colorWindow_;
    }

signals:
    // The song's measure count changed (a time signature, New, Open, a drop, a reset, undo):
    // tool windows that list measures fill their lists again.
    void measureCountChanged();

protected:
    void resizeEvent(QResizeEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

private:
    QSize minimumReachableSize() const;
    void connectTopRow();
    void connectPalette();
    void connectParts();
    void connectMenus();
    void connectCanvas();
    void connectEditMenu();
    void connectFileMenu();
    void connectDrops();
    void startBackupTimer();
    FileContext fileContext();
    // Runs a File menu command and shows what it changed.
    template <typename Command> void fileCommand(Command&& command);
    void showFileOutcome(const FileOutcome& outcome);
    void updateRecentMenu();
    void openPendingHandOver();
    void showTitle();
    static void fitFont(class QLabel* l, int pointSize);
    void connectPlayback();
    PlaybackContext playbackContext();
    void onTimer1();
    // Shows what the play button or a timer tick changed.
    void showPlayback(const PlaybackOutcome& outcome);
    void movePlayLine();
    bool recordingAvailable() const;
    void connectRecordingAndHelp();
    void openRecordingWindow();
    // Where recordings and renders of a song without a project file go: the user's music
    // folder, else the home folder.
    static std::filesystem::path musicFolder();
    bool renderAvailable() const;
    void connectOfflineRender();
    void connectViewOptions();
    void connectPorts();
    void openPortsWindow();
    void openSoundWindow();
    // The keyboard's messages (thru and step entry) and a chord whose time has come.
    void pollMidiInput();
    void runStep(StepCommand command);
    // Starts or stops the keyboard's poll as an input is chosen.
    void followInput();
    // The ghost notes (when shown; their cache read again where a work file changed) and the
    // measure numbers and pitch ruler, for DrawScore.
    ScoreExtras scoreExtras();
    void showPointerReadout(double x, double y);
    void chooseRenderTarget();
    void watchRender();
    void renderEnded();
    bool songHasNotes() const;
    // Closing while a render runs: asks whether to give the render up.
    bool confirmRenderStop();
    // Shows what an editing action of the core changed.
    void apply(const EditOutcome& outcome);
    // Runs a core editing action and shows its outcome; a damaged file it meets is
    // reported instead of ending the program.
    template <typename Action> void edit(Action&& action);
    EditContext context();
    bool filterComboKey(QObject* watched, QEvent* e);
    void selectPart(int part);
    void showRefusal(const std::string& message);
    void afterPaletteAction(bool relayoutNeeded);
    // A lane drag: the new draw list, but only the strip of the changed columns repainted.
    void repaintLaneColumns(int first, int last);
    void moveRubberBand();
    // The edit menu's items for the notes selected on the score.
    void connectSelection();
    // Cut, copy, delete and paste usable as the selection and the clipboard allow.
    void updateSelectionMenus();
    // The band of a Ctrl drag or the outline of a selection drag, over the score.
    void showSelectionGesture();
    // Where a paste goes: the pointer's x on the score (twips), none when it is elsewhere.
    std::optional<double> pastePointer() const;

    MainWindowContext ctx_;
    Twips tw_;
    QWidget* form_;
    MainWindowControls c_;
    MainMenus m_;
    DrawList drawList_;
    class KeyAssignWindow* keyWindow_ = nullptr;
    class MeasureCopyWindow* copyWindow_ = nullptr;
    class MeasureEditWindow* measureEditWindow_ = nullptr;
    class ColorSettingsWindow* colorWindow_ = nullptr;
    class MidiPortsWindow* portsWindow_ = nullptr;
    class SoundSettingsWindow* soundWindow_ = nullptr;
    class QTimer* midiTimer_ = nullptr;  // the keyboard's poll, while an input is chosen
    class QTimer* portsTimer_ = nullptr; // looks for ports that went away
    QtPrompts prompts_{this};
    UserPrompts* filePrompts_ = &prompts_;
    BackupWriter backup_{ctx_.compressor};
    int timeSignatureHolds_ = 0;
    int shownMeasureCount_ = -1; // the count the tool windows' lists were last told
    bool recordingOpen_ = false;
    // The list views of the drop-downs, to give the keyboard back to their box.
    std::vector<std::pair<QObject*, class QComboBox*>> popupOwners_;
    std::optional<std::string> pendingHandOver_;
    GhostCache ghosts_;
    std::optional<GhostLayer> ghostLayer_;
    bool ghostsShown_ = false;
    uint16_t ghostParts_ = 0xFFFF;    // the parts whose ghosts show (bit p)
    class QLabel* readout_ = nullptr; // the pointer read-out in the status bar
    bool backupFailed_ = false;       // shown in the title until a backup succeeds again
    PlaybackState playback_;
    class QTimer* timer1_ = nullptr;
    class QTimer* lineTimer_ = nullptr;
    DrawList playLine_;
    DrawList line1_;   // the lane line while a right drag lasts
    DrawList gesture_; // the selection's band or drag outline
    class TransposeWindow* transposeWindow_ = nullptr;
    std::unique_ptr<BackgroundRender> render_;
    QProgressDialog* renderDialog_ = nullptr;
    // One gain bringing the render's peak to -1 dBFS; the render dialog's choice, on at first.
    bool renderNormalize_ = true;
    class QTimer* renderTimer_ = nullptr;
};

} // namespace zelk::ui
