#pragma once

#include "editor/EditorState.h"
#include "editor/view/DrawList.h"
#include "midi/PartRouting.h"
#include "midi/TrackCache.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zelk {

struct Song;
class AppFolder;
class LiveMidiOut;
class MidiFilePlayer;
class TextEncoder;

inline constexpr std::string_view kPlayCaption = "再生";
inline constexpr std::string_view kStopCaption = "停止";
inline constexpr std::string_view kPlayTooltip = "表示されてる小節から再生";
inline constexpr std::string_view kPlayFileFailedMessage = "Midi@保存できません";
// Timer1's interval while playing, in milliseconds: a measure lasts at least a few hundred,
// so the follow is never a visible step late, and the UI thread stays idle between ticks.
inline constexpr int kTimer1Interval = 5;

// A loop being played, in the song's columns; `measure` is the loop measure (1-based).
struct PlayLoop {
    int32_t startCol = 0;
    int32_t endCol = 0;
    int measure = 1;
};

// The play button's state between its press and the end of the music.
struct PlaybackState {
    // From the start until a tick sees the player stopped; the menus and drop-downs are
    // disabled meanwhile (Mfile disabled means playing).
    bool playing = false;
    int32_t PlayedCols = 0;
    bool PlaybackEnded = false;
    std::string_view Command4Caption = kPlayCaption;
    int Timer1Interval = 0; // 0: stopped
    int32_t startCol = 0;   // the column at the file's tick 0
    // The column PlayedCols counts from: the measure playing began in, the loop start after a
    // wrap.
    int32_t followCol = 0;
    std::optional<PlayLoop> loop; // while the music loops
    int wraps = 0;                // wraps the follow has seen
    TrackCache tracks;            // the part tracks of the last playback file
    // Ports playing parts beside the built-in synthesizer: what each starts with the player,
    // then the ports playing.
    std::vector<std::pair<ExternalMidiOut*, std::shared_ptr<const FileMusic>>> portMusic;
    PlayRange portRange;
    std::vector<ExternalMidiOut*> ports;
};

// What the play button and Timer1 work on. The window owns every piece.
struct PlaybackContext {
    Song& song;
    EditorState& editor;
    PlaybackState& state;
    const AppFolder& folder;
    LiveMidiOut& live;
    const TextEncoder& encoder;
    MidiFilePlayer& player;
    PartRouting* routing = nullptr; // where parts sound; none: all on the player's synthesizer
};

struct PlaybackOutcome {
    std::string message;          // message box text; empty when none
    std::string detail;           // why, for the log, with a message
    bool controlsChanged = false; // caption, menus, drop-downs, timer
    bool positionChanged = false; // the score moved one measure on
};

// The enabled state of the controls playback locks.
struct PlaybackControls {
    bool menusEnabled = true;   // Mfile, Mhen, Mrec, Mhelp; Combo2, Combo5, Combo6, Combo7
    bool programEnabled = true; // Combo1: also never for a rhythm part
};
PlaybackControls playbackControls(const Song& song, const PlaybackState& state);

// Starts playback from the first shown measure, or stops it while it plays. The file is
// written before anything is locked: when it cannot be written everything stays idle and
// the message says so.
PlaybackOutcome Command4_Click(PlaybackContext& ctx);
// The watch: one measure of scroll each time the music passes the end of the measure in
// front, and the end of playback once the player has stopped.
PlaybackOutcome Timer1_Timer(PlaybackContext& ctx);
// "つなぎ目を試聴": the seam of the loop heard in a few seconds (LoopPlayback.h); refused
// with a message when the song has no loop to play. Nothing while playing.
PlaybackOutcome Maudition_Click(PlaybackContext& ctx);
// For the end of the program: stops and closes the player at once, opens the live output.
void stopAndClose(PlaybackContext& ctx);

// Playback in two steps, for the recording's lead-in: the first writes and opens the file and
// closes the live output (a message when that fails, and nothing changed); the second plays it
// exactly as the play button does. A file opened but not wanted is given up with the third.
PlaybackOutcome openForRecording(PlaybackContext& ctx);
void playOpened(PlaybackContext& ctx);
void abandonOpened(PlaybackContext& ctx);

// The column being heard (fractional, 60 ticks per column) while playing.
double heardColumn(const PlaybackState& state, uint32_t tick);
// A thin vertical line at `column` when the view shows it; `out` is cleared first.
void DrawPlayPosition(const ViewState& view, double column, DrawList& out);

} // namespace zelk
