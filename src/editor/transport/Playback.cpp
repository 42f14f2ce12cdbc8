#include "editor/transport/Playback.h"

#include "editor/transport/LoopPlayback.h"
#include "editor/view/ViewPosition.h"
#include "midi/LiveMidiOut.h"
#include "midi/MidiExportOptions.h"
#include "midi/PartRouting.h"
#include "midi/TrackCache.h"
#include "midi/WriteMidiFile.h"
#include "model/AppFolder.h"
#include "model/Song.h"
#include "ports/MidiFilePlayer.h"

#include <algorithm>
#include <exception>

namespace zelk {
namespace {

PlaybackOutcome failedStart(std::string detail) {
    PlaybackOutcome out;
    out.message = kPlayFileFailedMessage;
    out.detail = std::move(detail);
    return out;
}

// The parts on ports get their share of the music; the player keeps the rest (all of it for
// a recording, which hears the built-in synthesizer only).
std::shared_ptr<const FileMusic> shareOut(PlaybackContext& ctx, const PlayRange& range,
                                          bool builtInOnly) {
    std::shared_ptr<const FileMusic> music = ctx.state.tracks.music();
    ctx.state.portMusic.clear();
    ctx.state.portRange = range;
    if (builtInOnly || ctx.routing == nullptr)
        return music;
    const std::vector<int>& parts = ctx.state.tracks.parts();
    const PartRouting& routing = *ctx.routing;
    for (const int p : parts) {
        ExternalMidiOut* port = routing.destination(p);
        auto& started = ctx.state.portMusic;
        if (port == nullptr || std::any_of(started.begin(), started.end(),
                                           [port](const auto& s) { return s.first == port; }))
            continue;
        started.emplace_back(port,
                             std::make_shared<const FileMusic>(musicFor(*music, parts, [&](int q) {
                                 return routing.destination(q) == port;
                             })));
    }
    if (ctx.state.portMusic.empty())
        return music;
    return std::make_shared<const FileMusic>(
        musicFor(*music, parts, [&](int q) { return routing.destination(q) == nullptr; }));
}

PlaybackOutcome openFile(PlaybackContext& ctx, const PlayPlan& plan, bool builtInOnly = false) {
    const auto file = ctx.folder.playbackMidi();
    const auto opt =
        MidiExportOptions::forPlayback(ctx.song, plan.fileMeasure, ctx.editor.palette.PlayPart);
    try {
        WriteMidiFile(ctx.song, ctx.folder, ctx.live, ctx.encoder, file, opt, &ctx.state.tracks);
    } catch (const std::exception& e) {
        return failedStart(e.what());
    }
    // The player gets what was written from memory: the file is not read back.
    if (!ctx.player.open(shareOut(ctx, plan.range, builtInOnly), plan.range))
        return failedStart("the player cannot play " + file.string());
    ctx.live.close();
    PlaybackState& s = ctx.state;
    s.startCol = ctx.song.SumMeasureLen(plan.fileMeasure - 1);
    s.followCol = plan.followCol;
    s.loop = plan.loop;
    s.wraps = 0;
    return {};
}

void stopPorts(PlaybackState& s) {
    for (ExternalMidiOut* port : s.ports)
        port->stop();
    s.ports.clear();
}

void playFile(PlaybackContext& ctx) {
    ctx.player.play();
    PlaybackState& s = ctx.state;
    for (auto& [port, music] : s.portMusic) {
        port->play(std::move(music), s.portRange);
        s.ports.push_back(port);
    }
    s.portMusic.clear();
    s.playing = true;
    s.PlayedCols = 0;
    s.Timer1Interval = kTimer1Interval;
    s.Command4Caption = kStopCaption;
}

PlaybackOutcome start(PlaybackContext& ctx, const PlayPlan& plan) {
    PlaybackOutcome out = openFile(ctx, plan);
    if (!out.message.empty())
        return out;
    playFile(ctx);
    out.controlsChanged = true;
    return out;
}

// The live output back with the current part's sound on the part's own channel.
void reopenLiveOutput(const Song& song, LiveMidiOut& live) {
    live.open();
    const int ch = song.CurPart;
    live.send(shortMessage(0xC0 + ch, song.part.PartProgram));
    live.send(shortMessage(0xB0 + ch, 91, song.part.PartReverb));
    live.send(shortMessage(0xB0 + ch, 93, song.part.PartChorus));
}

void end(PlaybackContext& ctx) {
    ctx.player.close();
    PlaybackState& s = ctx.state;
    stopPorts(s);
    s.Command4Caption = kPlayCaption;
    s.Timer1Interval = 0;
    s.PlaybackEnded = true;
    s.playing = false;
    reopenLiveOutput(ctx.song, ctx.live);
}

// After a wrap the score jumps back to the loop measure and counts from there again.
bool followWrap(PlaybackContext& ctx) {
    PlaybackState& s = ctx.state;
    const int wraps = ctx.player.wraps();
    if (!s.loop || wraps == s.wraps)
        return false;
    s.wraps = wraps;
    s.PlayedCols = 0;
    s.followCol = s.loop->startCol;
    ViewState& view = ctx.editor.view;
    view.FirstMeasure = std::min(s.loop->measure, scrollMax(ctx.song));
    HScroll1_Change(ctx.song, view, ctx.editor.signatures);
    return true;
}

// One measure on when the position reaches the end of the measure in front; the position
// counts sixteenths from where playing began, the measures thirty-seconds.
bool follow(PlaybackContext& ctx) {
    if (followWrap(ctx))
        return true;
    PlaybackState& s = ctx.state;
    const auto threshold = static_cast<uint32_t>((ctx.song.MeasureCols + s.PlayedCols) / 2);
    const int64_t fromStart =
        static_cast<int64_t>(ctx.player.tick()) - int64_t{s.followCol - s.startCol} * 60;
    if (fromStart < 0 || static_cast<uint32_t>(fromStart / 120) < threshold)
        return false;
    s.PlayedCols += ctx.song.MeasureCols;
    ViewState& view = ctx.editor.view;
    if (view.FirstMeasure >= scrollMax(ctx.song))
        return false;
    ++view.FirstMeasure;
    HScroll1_Change(ctx.song, view, ctx.editor.signatures);
    return true;
}

} // namespace

PlaybackControls playbackControls(const Song& song, const PlaybackState& state) {
    PlaybackControls c;
    c.menusEnabled = !state.playing;
    c.programEnabled = !state.playing && song.DrumPart[song.CurPart] == 0;
    return c;
}

PlaybackOutcome Command4_Click(PlaybackContext& ctx) {
    if (!ctx.state.playing)
        return start(ctx, playButtonPlan(ctx));
    // The rest of the ending is the next tick's.
    ctx.player.stop();
    stopPorts(ctx.state);
    ctx.state.Command4Caption = kPlayCaption;
    PlaybackOutcome out;
    out.controlsChanged = true;
    return out;
}

PlaybackOutcome Timer1_Timer(PlaybackContext& ctx) {
    PlaybackOutcome out;
    if (!ctx.state.playing)
        return out;
    if (ctx.player.isStopped()) {
        end(ctx);
        out.controlsChanged = true;
        return out;
    }
    out.positionChanged = follow(ctx);
    return out;
}

PlaybackOutcome Maudition_Click(PlaybackContext& ctx) {
    if (ctx.state.playing)
        return {};
    const auto plan = seamAuditionPlan(ctx);
    if (!plan) {
        PlaybackOutcome out;
        out.message = kNoLoopPointMessage;
        out.detail = "ループポイントの小節から後に音符がありません";
        return out;
    }
    PlaybackOutcome out = start(ctx, *plan);
    if (!out.message.empty())
        return out;
    // The score shows where the audition begins.
    ViewState& view = ctx.editor.view;
    view.FirstMeasure =
        std::min(ctx.song.MeasureLen.measureOfColumn(plan->followCol), scrollMax(ctx.song));
    HScroll1_Change(ctx.song, view, ctx.editor.signatures);
    ctx.state.followCol = ctx.song.SumMeasureLen(view.FirstMeasure - 1);
    out.positionChanged = true;
    return out;
}

void stopAndClose(PlaybackContext& ctx) {
    if (!ctx.state.playing)
        return;
    ctx.player.stop();
    end(ctx);
}

PlaybackOutcome openForRecording(PlaybackContext& ctx) {
    PlayPlan once; // a recording plays the song once, from the first shown measure
    once.fileMeasure = ctx.editor.view.FirstMeasure;
    once.followCol = ctx.editor.view.ViewCol;
    return openFile(ctx, once, true);
}

void playOpened(PlaybackContext& ctx) {
    playFile(ctx);
}

void abandonOpened(PlaybackContext& ctx) {
    ctx.player.close();
    ctx.state.portMusic.clear();
    reopenLiveOutput(ctx.song, ctx.live);
}

double heardColumn(const PlaybackState& state, uint32_t tick) {
    return state.startCol + tick / 60.0;
}

void DrawPlayPosition(const ViewState& view, double column, DrawList& out) {
    out.clear();
    const double shown = column - view.ViewCol;
    if (shown < 0 || shown >= view.ShownCols)
        return;
    const auto x = static_cast<float>(shown * view.ColWidth);
    // Colour of the staff and measure lines: visible on any canvas colour the user chose.
    out.line(x, 0, x, static_cast<float>(view.ScaleHeight), 4, 2);
}

} // namespace zelk
