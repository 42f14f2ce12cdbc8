#include "editor/transport/Recording.h"

#include "editor/transport/RecordingFormat.h"
#include "editor/transport/RecordingTarget.h"
#include "editor/transport/TagRecordBuilder.h"
#include "files/MoveReplacing.h"
#include "files/ReplacingFile.h"
#include "midi/MidiFileEvents.h"
#include "midi/TempoMap.h"
#include "model/AppFolder.h"
#include "model/Song.h"
#include "ports/MidiFilePlayer.h"
#include "ports/WaveRecorder.h"
#include "ports/WmaEncoder.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <optional>
#include <string>
#include <system_error>

namespace zelk {
namespace {

std::string_view extensionOf(const RecordingForm& f) {
    return f.Option1 == 0 ? ".wav" : ".wma";
}

void setDefaultTarget(RecordingContext& ctx) {
    ctx.form.Text2 =
        defaultRecordingTarget(ctx.playback.song, ctx.musicFolder, extensionOf(ctx.form)).string();
}

void deleteWav(RecordingContext& ctx) {
    std::error_code ignored;
    std::filesystem::remove(ctx.playback.folder.recording(), ignored);
}

RecordingOutcome failed(RecordingForm& f, std::string_view label, std::string_view message,
                        std::string detail) {
    f.Label3 = label;
    RecordingOutcome out;
    out.message = message;
    out.detail = std::move(detail);
    return out;
}

RecordingOutcome convert(RecordingContext& ctx) {
    RecordingForm& f = ctx.form;
    const TagRecord record = buildTagRecord(f.Text1, ctx.playback.encoder);
    f.Label3 = kConvertingLabel;
    int32_t option = 0;
    if (ctx.encoder.encodeOpen(ctx.playback.folder.recording(), f.Text2, option, record) == 0) {
        ctx.encoder.debug();
        return failed(f, kConvertFailedLabel, kEncodeFailedMessage,
                      "the encoder refused " + f.Text2);
    }
    ctx.encoder.encodeStart();
    f.Timer1Interval = kEncodePollInterval;
    return {};
}

int64_t leadFrames(const WaveRecorder& recorder) {
    return static_cast<int64_t>(std::llround(recorder.soundRate() * kLeadInterval / 1000.0));
}

// What the file just written for playback holds: how long it lasts up to its last event,
// and whether any note sounds in it.
struct PlayedFile {
    int64_t frames = 0;
    bool hasNotes = true;
};

// From the music the player was given, which is what the file holds.
PlayedFile playedMusic(const FileMusic* music, double rate) {
    if (!music)
        return {}; // the end watch then ends the music where it ends
    bool notes = false;
    for (const FileMusic::Message& m : music->messages) {
        const uint32_t kind = m.message & 0xF0;
        notes = notes || (m.tick > 0 && (kind == 0x80 || (kind == 0x90 && (m.message >> 16) == 0)));
    }
    const TempoMap tempo(music->division, music->tempos);
    return {static_cast<int64_t>(std::llround(tempo.secondsAt(music->lastTick) * rate)), notes};
}

// The target's folder takes a file: found before the take, not after the whole song.
std::optional<std::string> targetRefusal(const std::string& target) {
    try {
        ReplacingFile probe(target); // removed again without touching the target
    } catch (const std::exception& e) {
        return std::string(e.what());
    }
    return std::nullopt;
}

// The music has ended: on its own (the file's length after its start) or earlier, stopped
// (what has been heard by now).
void markMusicEnd(RecordingContext& ctx) {
    RecordingForm& f = ctx.form;
    if (f.musicEndFrame >= 0)
        return;
    const int64_t heard = ctx.recorder.framesHeard();
    f.musicEndFrame = f.songFrames > 0 ? std::min(f.musicStartFrame + f.songFrames, heard) : heard;
}

RecordingOutcome finish(RecordingContext& ctx) {
    RecordingForm& f = ctx.form;
    const int64_t lead = leadFrames(ctx.recorder);
    ctx.recorder.keepFrames(f.musicStartFrame - lead, f.musicEndFrame + lead);
    f.Command3Caption = kRecStartCaption;
    ctx.recorder.stop();
    const bool saved = ctx.recorder.save(ctx.playback.folder.recording());
    ctx.recorder.close();
    if (!saved)
        return failed(f, kSaveFailedLabel, kRecordSaveFailedMessage,
                      "cannot write " + ctx.playback.folder.recording().string());
    if (f.Option1 == 1)
        return convert(ctx);
    try {
        moveReplacing(ctx.playback.folder.recording(), f.Text2);
    } catch (const std::exception& e) {
        return failed(f, kSaveFailedLabel, kRecordSaveFailedMessage, e.what());
    }
    f.Label3 = kRecordedLabel;
    return {};
}

RecordingOutcome start(RecordingContext& ctx) {
    RecordingForm& f = ctx.form;
    if (const auto why = targetRefusal(f.Text2))
        return {std::string(kRecordSaveFailedMessage), *why, false};
    ctx.playback.state.PlaybackEnded = false;
    const PlaybackOutcome opened = openForRecording(ctx.playback);
    if (!opened.message.empty())
        return {opened.message, opened.detail, false};
    const PlayedFile played =
        playedMusic(ctx.playback.state.tracks.music().get(), ctx.recorder.soundRate());
    if (!played.hasNotes) { // a take of silence from a measure after the last note
        abandonOpened(ctx.playback);
        return {std::string(kNoNotesToRecordMessage),
                "no notes from measure " + std::to_string(ctx.playback.editor.view.FirstMeasure),
                false};
    }
    if (const auto why = ctx.recorder.open(waveFormatFor(f.Combo1, f.Option2 == 0 ? 2 : 1))) {
        abandonOpened(ctx.playback);
        return {std::string(kRecordSaveFailedMessage), *why, false};
    }
    f.songFrames = played.frames;
    ctx.recorder.record();
    f.Label3 = kRecordingLabel;
    f.Command3Caption = kRecStopCaption;
    f.RecPhase = 0;
    f.musicPlayed = false;
    f.musicStartFrame = 0;
    f.musicEndFrame = -1;
    f.heardWatches = 0;
    f.Timer3Interval = kLeadInterval;
    return {};
}

// "Stop Midi": a playing song ends as if it had played to its end; in the lead-in the file
// is given up and the tail follows at once.
RecordingOutcome stopMusic(RecordingContext& ctx) {
    RecordingForm& f = ctx.form;
    RecordingOutcome out;
    if (f.musicPlayed) {
        if (ctx.playback.state.playing) {
            markMusicEnd(ctx);
            ctx.playback.player.stop();
        }
        return out;
    }
    abandonOpened(ctx.playback);
    f.musicStartFrame = ctx.recorder.framesHeard();
    f.musicEndFrame = f.musicStartFrame;
    f.musicPlayed = true;
    f.RecPhase = 1;
    f.Timer3Interval = kLeadInterval;
    return out;
}

} // namespace

std::string recordingStartText(const ViewState& view, bool partsOnPorts) {
    std::string text = std::to_string(view.FirstMeasure) + "小節目から録音";
    // A port's sound is outside the program: the recording hears those parts built in.
    if (partsOnPorts)
        text.append("（MIDI出力先のパートも内蔵音源で録音します）");
    return text;
}

bool isRecording(const RecordingForm& form) {
    return form.Command3Caption == kRecStopCaption;
}

bool waveSettingsEnabled(const RecordingForm& form) {
    return form.Option1 == 0;
}

bool tagSettingsEnabled(const RecordingForm& form) {
    return form.Option1 == 1;
}

bool command3Enabled(const RecordingForm& form) {
    return form.Timer1Interval == 0;
}

void Form7_Load(RecordingContext& ctx) {
    RecordingForm& f = ctx.form;
    ctx.encoder.init();
    f.Option1 = 0;
    f.Combo1 = 0;
    setDefaultTarget(ctx);
    f.Text1[0] = ctx.playback.song.SongTitle;
    f.Text1[1] = ctx.playback.song.SongCopyright;
    f.Text1[2] = ctx.playback.song.SongCopyright;
}

void Option1_Click(RecordingContext& ctx, int index) {
    RecordingForm& f = ctx.form;
    f.Option1 = index == 1 ? 1 : 0;
    if (f.Option1 == 1) {
        f.Option2 = 0;
        f.Combo1 = 0;
    }
    setDefaultTarget(ctx);
}

RecordingOutcome Command3_Click(RecordingContext& ctx) {
    if (!command3Enabled(ctx.form))
        return {};
    return isRecording(ctx.form) ? stopMusic(ctx) : start(ctx);
}

// Until the sound of the lead-in or the tail has all been heard, the timer looks again.
bool heardEnough(RecordingContext& ctx) {
    RecordingForm& f = ctx.form;
    const int64_t lead = leadFrames(ctx.recorder);
    const int64_t needed = f.RecPhase == 0 ? lead : f.musicEndFrame + lead;
    if (ctx.recorder.framesHeard() >= needed || ++f.heardWatches > kHeardWatchLimit) {
        f.heardWatches = 0;
        return true;
    }
    f.Timer3Interval = kHeardWatchInterval;
    return false;
}

// The scratch file stopped taking the sound: the take is lost, and waiting for the end of
// the song in real time would only hide it.
std::optional<RecordingOutcome> lostTake(RecordingContext& ctx) {
    const auto why = ctx.recorder.failure();
    if (!why || !isRecording(ctx.form))
        return std::nullopt;
    RecordingOutcome out = Command4_Click(ctx);
    out.message = kRecordSaveFailedMessage;
    out.detail = *why;
    ctx.form.Label3 = kSaveFailedLabel;
    return out;
}

RecordingOutcome Timer3_Timer(RecordingContext& ctx) {
    RecordingForm& f = ctx.form;
    if (auto lost = lostTake(ctx))
        return *lost;
    f.Timer3Interval = 0;
    if (!heardEnough(ctx))
        return {};
    if (f.RecPhase == 0) {
        playOpened(ctx.playback);
        f.musicStartFrame = ctx.recorder.framesHeard();
        f.musicPlayed = true;
        f.Timer2Interval = kEndWatchInterval;
        f.RecPhase = 1;
        RecordingOutcome out;
        out.playbackChanged = true;
        return out;
    }
    f.RecPhase = 0;
    return finish(ctx);
}

RecordingOutcome Timer2_Timer(RecordingContext& ctx) {
    RecordingForm& f = ctx.form;
    if (auto lost = lostTake(ctx))
        return *lost;
    if (ctx.playback.state.PlaybackEnded) {
        markMusicEnd(ctx);
        f.Timer3Interval = kLeadInterval;
        f.Timer2Interval = 0;
    }
    return {};
}

RecordingOutcome Timer1_Timer(RecordingContext& ctx) {
    RecordingForm& f = ctx.form;
    int32_t result = 0;
    if (ctx.encoder.getEncodeState(result) != 0)
        return {};
    f.Timer1Interval = 0;
    deleteWav(ctx);
    if (result != 0)
        return failed(f, kConvertFailedLabel, kEncodeFailedMessage,
                      "the encoding of " + f.Text2 + " failed");
    f.Label3 = kConvertedLabel;
    return {};
}

RecordingOutcome Command4_Click(RecordingContext& ctx) {
    RecordingForm& f = ctx.form;
    RecordingOutcome out;
    if (!isRecording(f))
        return out;
    if (f.musicPlayed) {
        stopAndClose(ctx.playback);
        out.playbackChanged = true;
    } else {
        abandonOpened(ctx.playback);
    }
    ctx.recorder.close();
    deleteWav(ctx);
    f.Command3Caption = kRecStartCaption;
    f.Timer2Interval = 0;
    f.Timer3Interval = 0;
    f.RecPhase = 0;
    return out;
}

RecordingOutcome Form7_Unload(RecordingContext& ctx) {
    RecordingOutcome out = Command4_Click(ctx);
    ctx.form.Timer1Interval = 0;
    ctx.encoder.free();
    // Nothing reads "wav" once the window is gone (a refused conversion left it behind).
    deleteWav(ctx);
    return out;
}

} // namespace zelk
