#pragma once

#include "midi/Schedule.h"
#include "ports/MidiFilePlayer.h"
#include "ports/SynthRenderer.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <span>

namespace zelk {

// One playing of a schedule: a cursor that renders the synthesizer block by block and sends
// every message at its own frame, splitting the block there. The same code plays the song in
// the window (on the rendering thread) and renders it offline, so both hear the same frames.
//
// Threads: advanceOnAudioThread runs on one rendering thread and neither locks, allocates nor
// frees; everything else is for the thread that made the run (the UI), which reads the
// progress through atomics.
class ScheduleRun {
public:
    struct Options {
        // Where playing begins; the programs and controllers before it are sent first, so the
        // sound is the one the music has there.
        int64_t startFrame = 0;
        bool loop = false; // wrap at the schedule's loop, until stopped
        // The run ends here, counted on the unrolled time (wraps add the loop's length); -1:
        // at the schedule's end, or never with a loop.
        int64_t stopFrame = -1;
    };

    ScheduleRun(std::shared_ptr<const Schedule> schedule, const Options& options);

    // Renders left.size() frames through `synth`, sending every message due in them first at
    // its frame. After the end (or a stop) it only renders.
    void advanceOnAudioThread(SynthRenderer& synth, std::span<float> left, std::span<float> right);
    // Ends the run at the next block: hold pedal up, all notes and sounds off and the
    // controllers reset on every channel. Also what a run given up while it played gets.
    void requestStop() { stopRequested_.store(true, std::memory_order_release); }
    static void silenceOnAudioThread(SynthRenderer& synth);

    // The music has ended: played through, at its stop frame, or stopped.
    bool finished() const { return finished_.load(std::memory_order_acquire); }
    bool stopRequested() const { return stopRequested_.load(std::memory_order_acquire); }
    // Frames rendered since the run started.
    int64_t playedFrames() const { return played_.load(std::memory_order_acquire); }

    struct Position {
        // The schedule's frame now sounding (back at the loop start after a wrap).
        int64_t frame = 0;
        uint32_t tick = 0;
        int wraps = 0;
    };
    Position position() const;
    const Schedule& schedule() const { return *schedule_; }
    const Options& options() const { return options_; }

private:
    bool loops() const;
    void start(SynthRenderer& synth);
    // The next thing due on the unrolled time: a message, the wrap or the end.
    int64_t nextDue() const;
    void handleDue(SynthRenderer& synth);

    std::shared_ptr<const Schedule> schedule_;
    Options options_;
    // The rendering thread's own cursor.
    bool started_ = false;
    int64_t now_ = 0;    // unrolled frame of the next frame to render
    size_t next_ = 0;    // next message
    int64_t shift_ = 0;  // the passes' shift: wraps x the loop's length
    size_t passEnd_ = 0; // messages of this pass end here
    std::atomic<int64_t> played_{0};
    std::atomic<bool> finished_{false};
    std::atomic<bool> stopRequested_{false};
};

// The run of a file's music for a player at `sampleRate`: the schedule in its frames, from
// the range's start, wrapping at its loop, ending after a seam audition's wrap.
std::shared_ptr<ScheduleRun> runOfMusic(const FileMusic& music, int sampleRate,
                                        const PlayRange& range);

} // namespace zelk
