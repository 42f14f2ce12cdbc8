#pragma once

#include "editor/transport/Playback.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace zelk {

class WaveRecorder;
class WmaEncoder;

inline constexpr std::string_view kRecStartCaption = "録音開始";
inline constexpr std::string_view kRecStopCaption = "録音停止";
inline constexpr std::string_view kRecordingLabel = "録音中";
inline constexpr std::string_view kRecordedLabel = "録音終了";
inline constexpr std::string_view kConvertingLabel = "変換中";
inline constexpr std::string_view kConvertFailedLabel = "変換失敗";
inline constexpr std::string_view kConvertedLabel = "変換完了";
inline constexpr std::string_view kSaveFailedLabel = "保存失敗";
inline constexpr std::string_view kEncodeFailedMessage = "エンコード失敗";
inline constexpr std::string_view kRecordSaveFailedMessage = "録音を保存できません";
// The render's words for a song that sounds nothing from where it would start.
inline constexpr std::string_view kNoNotesToRecordMessage = "音符がありません";
// Silence recorded before the music starts and after it ends.
inline constexpr int kLeadInterval = 700;
// How often the encoder is asked whether it has finished.
inline constexpr int kEncodePollInterval = 300;
// How often the end of the music is looked for; the tail's 700 ms dwarfs it.
inline constexpr int kEndWatchInterval = 5;
// How often a lead-in or tail whose sound has not all been heard yet looks again, and how
// many times before it goes on without it (a sound output that stopped rendering; the
// missing sound becomes silence in the file).
inline constexpr int kHeardWatchInterval = 10;
inline constexpr int kHeardWatchLimit = 500;

// The recording window Form7: its controls' values and its timers (interval 0 = idle).
struct RecordingForm {
    int Option1 = 0;                  // 0 "Wave", 1 "WMA"
    int Combo1 = 0;                   // "CD", "FMラジオ", "AMラジオ"
    int Option2 = 0;                  // 0 "ステレオ", 1 "モノラル"
    std::array<std::string, 4> Text1; // "タイトル", "製作者", "著作者", "説明"
    std::string Text2;                // the target path
    std::string_view Label3;
    std::string_view Command3Caption = kRecStartCaption;
    int Timer1Interval = 0;   // encoder poll
    int Timer2Interval = 0;   // end-of-music watch
    int Timer3Interval = 0;   // lead-in and tail
    uint8_t RecPhase = 0;     // 0: the next Timer3 tick plays the music; 1: it finishes
    bool musicPlayed = false; // the lead-in is over (the player has been started)
    // The recording's own clock, in frames heard (WaveRecorder::framesHeard): where the
    // music began and ended, and how long the played file lasts. The file keeps exactly
    // 700 ms before the music and 700 ms after it, whatever the timers did.
    int64_t musicStartFrame = 0;
    int64_t musicEndFrame = -1; // -1: still playing
    int64_t songFrames = 0;
    int heardWatches = 0; // looks of the current wait
};

// What the window works on. The window owns the form; the rest outlives it.
struct RecordingContext {
    RecordingForm& form;
    PlaybackContext playback;
    WaveRecorder& recorder;
    WmaEncoder& encoder;
    std::filesystem::path musicFolder; // default folder of a song without a project file
};

struct RecordingOutcome {
    std::string message;          // message box text; empty when none
    std::string detail;           // why, with a message
    bool playbackChanged = false; // the main window's play button, menus or Timer1 changed
};

bool isRecording(const RecordingForm& form);
// Where a take starts: "N小節目から録音", the first shown measure, as the play button.
std::string recordingStartText(const ViewState& view, bool partsOnPorts = false);
// The settings frames: "Wave設定" for Wave, "WMA設定" for WMA.
bool waveSettingsEnabled(const RecordingForm& form);
bool tagSettingsEnabled(const RecordingForm& form);
// A new recording would overwrite the file the encoder still reads.
bool command3Enabled(const RecordingForm& form);

void Form7_Load(RecordingContext& ctx);
void Option1_Click(RecordingContext& ctx, int index);
// 録音開始 checks everything it can before the take: the target's folder takes a file, the
// played file holds a note from the start measure on, the recorder's scratch file opens;
// a refusal changes nothing. 録音停止 ends the music.
RecordingOutcome Command3_Click(RecordingContext& ctx);
RecordingOutcome Timer1_Timer(RecordingContext& ctx);
RecordingOutcome Timer2_Timer(RecordingContext& ctx);
RecordingOutcome Timer3_Timer(RecordingContext& ctx);
// "キャンセル": a running recording is stopped, its recorder closed and "wav" deleted; the
// window then closes (and runs Form7_Unload).
RecordingOutcome Command4_Click(RecordingContext& ctx);
// The window closes: as the cancel, then the encoder is released (a conversion still running
// is abandoned and leaves the old target) and "wav" is deleted.
RecordingOutcome Form7_Unload(RecordingContext& ctx);

} // namespace zelk
