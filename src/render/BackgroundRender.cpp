#include "render/BackgroundRender.h"

#include "ports/SynthRenderer.h"
#include "render/SongRenderer.h"

namespace zelk {

class BackgroundRender::Progress : public RenderProgress {
public:
    explicit Progress(BackgroundRender& owner) : owner_(owner) {}
    bool keepGoing(int64_t done, int64_t total) override {
        owner_.total_.store(std::max<int64_t>(total, 1));
        owner_.done_.store(done);
        return !owner_.cancel_.load();
    }

private:
    BackgroundRender& owner_;
};

BackgroundRender::BackgroundRender(RenderPlan plan, AudioFileFormat format,
                                   std::filesystem::path target, SynthFactory makeSynth,
                                   AudioFileWriter& writer)
    : plan_(std::move(plan)), format_(format), target_(std::move(target)),
      thread_([this, makeSynth = std::move(makeSynth), &writer] { run(makeSynth, writer); }) {}

BackgroundRender::~BackgroundRender() {
    cancel();
    thread_.join();
}

void BackgroundRender::run(SynthFactory makeSynth, AudioFileWriter& writer) {
    try {
        const auto synth = makeSynth(plan_.sampleRate);
        Progress progress(*this);
        const bool done = renderToFile(plan_, format_, target_, *synth, writer, &progress);
        if (done) // a release cut short by silence ends before the expected total
            done_.store(total_.load());
        state_.store(done ? State::Finished : State::Cancelled);
    } catch (const std::exception& e) {
        std::lock_guard lock(errorMutex_);
        error_ = e.what();
        state_.store(State::Failed);
    }
}

double BackgroundRender::fraction() const {
    return static_cast<double>(done_.load()) / static_cast<double>(total_.load());
}

std::string BackgroundRender::error() const {
    std::lock_guard lock(errorMutex_);
    return error_;
}

} // namespace zelk
