#pragma once

#include "ports/AudioFileSink.h"
#include "render/RenderPlan.h"

#include <atomic>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace zelk {

class SynthRenderer;

// A render to a file on a thread of its own, so the editor goes on meanwhile. The plan is
// the render's own copy: the song can change while it runs. The window polls it.
class BackgroundRender {
public:
    enum class State { Running, Finished, Cancelled, Failed };
    using SynthFactory = std::function<std::unique_ptr<SynthRenderer>(int sampleRate)>;

    // The synthesizer is made on the render's thread (loading a SoundFont takes a while).
    BackgroundRender(RenderPlan plan, AudioFileFormat format, std::filesystem::path target,
                     SynthFactory makeSynth, AudioFileWriter& writer);
    // Cancels a render still running and waits for its thread.
    ~BackgroundRender();
    BackgroundRender(const BackgroundRender&) = delete;
    BackgroundRender& operator=(const BackgroundRender&) = delete;

    // Stops at the next block; nothing is written and a file that was there stays.
    void cancel() { cancel_.store(true); }
    State state() const { return state_.load(); }
    // 0..1 of the frames to render.
    double fraction() const;
    // Why it failed (State::Failed), in English.
    std::string error() const;
    const std::filesystem::path& target() const { return target_; }

private:
    class Progress;
    void run(SynthFactory makeSynth, AudioFileWriter& writer);

    RenderPlan plan_;
    AudioFileFormat format_;
    std::filesystem::path target_;
    std::atomic<bool> cancel_{false};
    std::atomic<State> state_{State::Running};
    std::atomic<int64_t> done_{0};
    std::atomic<int64_t> total_{1};
    mutable std::mutex errorMutex_;
    std::string error_;
    std::thread thread_; // last: starts when everything above exists
};

} // namespace zelk
