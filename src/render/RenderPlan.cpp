#include "render/RenderPlan.h"

#include "files/FileNames.h"
#include "midi/MidiExportOptions.h"
#include "midi/MidiFileEvents.h"
#include "midi/WriteMidiFile.h"
#include "model/AppFolder.h"
#include "model/Song.h"
#include "ports/MidiOut.h"

namespace zelk {
namespace {

bool noteOn(const ScheduledMessage& m) {
    return (m.message & 0xF0) == 0x90 && (m.message >> 16) != 0;
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
    plan.lastNoteOffTick = lastNoteOffTick(file);
    if (plan.lastNoteOffTick == 0)
        throw NothingToRender();
    LoopSpan span{};
    const bool looped = options.loop && [&] {
        const auto s = loopSpanOf(song, plan.lastNoteOffTick);
        if (s)
            span = *s;
        return s.has_value();
    }();
    // An audio file starts at the song's first column: the set-up beat of the MIDI file is
    // half a second of silence a game would play before every song.
    const auto sounds = [&](int track) {
        const size_t i = static_cast<size_t>(track) - 1u;
        return i < trackParts.size() && options.parts[static_cast<size_t>(trackParts[i])];
    };
    auto schedule = std::make_shared<Schedule>(
        scheduleOf(file, options.sampleRate, sounds, exportTickOfColumn(0),
                   looped ? std::optional(std::pair(span.startTick, span.endTick)) : std::nullopt));
    plan.lastNoteOffFrame = schedule->frameOfTick(plan.lastNoteOffTick);
    if (std::none_of(schedule->messages.begin(), schedule->messages.end(), noteOn))
        throw NothingToRender("the chosen parts have no notes");
    if (looped && schedule->loop)
        plan.loop = LoopFrames{span, schedule->loop->startFrame, schedule->loop->endFrame};
    plan.schedule = std::move(schedule);
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
    const std::string ext = lowercaseExtension(path);
    if (ext == ".wav")
        return AudioFileFormat::Wav;
    if (ext == ".ogg")
        return AudioFileFormat::Ogg;
    if (ext == ".flac")
        return AudioFileFormat::Flac;
    return std::nullopt;
}

} // namespace zelk
