#pragma once

#include "ports/AudioFileSink.h"

#include <cstdint>
#include <filesystem>

namespace zelk {

struct RenderPlan;
class SynthRenderer;

// Told about the progress between rendered blocks; returning false cancels the render.
class RenderProgress {
public:
    virtual ~RenderProgress() = default;
    virtual bool keepGoing(int64_t framesDone, int64_t framesTotal) = 0;
};

// Renders a plan through a fresh synthesizer into sink, in time order, as fast as the
// synthesizer allows.
//
// With a loop the file ends exactly at the loop's end, and the loop section comes from a
// second pass: after the first pass reaches the loop end, the loop's messages are played
// again from the synthesizer's state at that moment, so the audio after the loop start
// carries the releases and reverb ringing at the end, as a player that wraps around hears
// it. The intro before the loop start comes from the first pass.
//
// Without a loop the file ends after the last note's release: at most three seconds past
// the last note-off, cut where the first tenth of a second of digital silence begins.
//
// Returns false when progress cancelled it; the sink is not committed either way.
bool renderPlan(const RenderPlan& plan, SynthRenderer& synth, AudioFileSink& sink,
                RenderProgress* progress);

// Opens the file, renders and commits it. False when cancelled (nothing is written).
bool renderToFile(const RenderPlan& plan, AudioFileFormat format, const std::filesystem::path& path,
                  SynthRenderer& synth, AudioFileWriter& writer, RenderProgress* progress);

} // namespace zelk
