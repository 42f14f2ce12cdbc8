#include "render/RenderPlan.h"

#include "midi/MidiExportOptions.h"
#include "midi/MidiFileEvents.h"
#include "midi/TempoMap.h"
#include "midi/WriteMidiFile.h"
#include "model/AppFolder.h"
#include "model/Song.h"
#include "ports/MidiOut.h"

#include <algorithm>
#include <cctype>

namespace zelk {
namespace {

bool trackSounds(const MidiEvent& e, const std::vector<int>& trackParts,
                 const RenderOptions& options) {
    if (e.track == 0)
        return true;
    const size_t i = e.track - 1u;
    return i < trackParts.size() && options.parts[static_cast<size_t>(trackParts[i])];
}

// Frames count from `lead`: what comes before it (the set-up beat's programs and
// controllers) is sent at frame 0, in the file's order.
std::vector<TimedMessage> messagesOf(const MidiFileEvents& file, const TempoMap& tempo,
                                     const std::vector<int>& trackParts,
                                     const RenderOptions& options, int64_t lead) {
    std::vector<TimedMessage> out;
    for (const MidiEvent& e : file.events)
        if (e.isChannelEvent() && trackSounds(e, trackParts, options))
            out.push_back({std::max<int64_t>(0, tempo.sampleAt(e.tick, options.sampleRate) - lead),
                           e.tick, shortMessage(e.status, e.d1, e.d2)});
    return out;
}

} // namespace

AudioFileSpec RenderPlan::fileSpec(AudioFileFormat format) const {
    AudioFileSpec spec;
    spec.format = format;
    spec.sampleRate = sampleRate;
    spec.channels = channels;
    if (loop)
        spec.loop = AudioLoop{loop->start, loop->end - loop->start};
    spec.title = title;
    spec.copyright = copyright;
    return spec;
}

RenderPlan planRender(const Song& song, const MidiFileEvents& file,
                      const std::vector<int>& trackParts, const RenderOptions& options) {
    RenderPlan plan;
    plan.sampleRate = options.sampleRate;
    plan.channels = options.mono ? 1 : 2;
    plan.title = song.SongTitle;
    plan.copyright = song.SongCopyright;
    plan.normalize = options.normalize;
    const TempoMap tempo(file);
    plan.lastNoteOffTick = lastNoteOffTick(file);
    if (plan.lastNoteOffTick == 0)
        throw NothingToRender();
    // An audio file starts at the song's first column: the set-up beat of the MIDI file is
    // half a second of silence a game would play before every song.
    const int64_t lead = tempo.sampleAt(exportTickOfColumn(0), options.sampleRate);
    const auto frameOf = [&](uint32_t tick) {
        return tempo.sampleAt(tick, options.sampleRate) - lead;
    };
    plan.lastNoteOffFrame = frameOf(plan.lastNoteOffTick);
    plan.messages = messagesOf(file, tempo, trackParts, options, lead);
    if (std::none_of(plan.messages.begin(), plan.messages.end(), [](const TimedMessage& m) {
            return (m.message & 0xF0) == 0x90 && (m.message >> 16) != 0;
        }))
        throw NothingToRender("the chosen parts have no notes");
    if (const auto span = options.loop ? loopSpanOf(song, plan.lastNoteOffTick) : std::nullopt)
        plan.loop = LoopFrames{*span, frameOf(span->startTick), frameOf(span->endTick)};
    return plan;
}

RenderPlan prepareRender(Song& song, const AppFolder& folder, MidiOut& out,
                         const TextEncoder& encoder, const std::filesystem::path& midiPath,
                         const RenderOptions& options) {
    const auto exportAll = MidiExportOptions::forExport();
    WriteMidiFile(song, folder, out, encoder, midiPath, exportAll);
    const std::vector<int> trackParts = includedParts(folder, exportAll);
    const MidiFileEvents file = readMidiEventsFile(midiPath);
    std::error_code ignored; // the plan holds all of it now
    std::filesystem::remove(midiPath, ignored);
    return planRender(song, file, trackParts, options);
}

std::optional<AudioFileFormat> audioFormatOfPath(const std::filesystem::path& path) {
    std::string ext = path.extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (ext == ".wav")
        return AudioFileFormat::Wav;
    if (ext == ".ogg")
        return AudioFileFormat::Ogg;
    if (ext == ".flac")
        return AudioFileFormat::Flac;
    return std::nullopt;
}

} // namespace zelk
