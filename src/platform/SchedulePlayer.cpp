#include "platform/SchedulePlayer.h"

#include "platform/SoundFontSynth.h"
#include "render/ScheduleRun.h"

namespace zelk {

SchedulePlayer::~SchedulePlayer() {
    close();
}

bool SchedulePlayer::open(std::shared_ptr<const FileMusic> music, const PlayRange& range) {
    close();
    if (!music)
        return false;
    run_ = runOfMusic(*music, static_cast<int>(synth_.sampleRate()), range);
    return true;
}

void SchedulePlayer::play() {
    if (!run_ || playing_)
        return;
    playing_ = true;
    synth_.play(run_);
}

void SchedulePlayer::stop() {
    if (run_)
        run_->requestStop();
}

bool SchedulePlayer::isStopped() const {
    return !run_ || run_->finished() || run_->stopRequested();
}

uint32_t SchedulePlayer::tick() const {
    return run_ && playing_ ? run_->position().tick : 0;
}

int SchedulePlayer::wraps() const {
    return run_ && playing_ ? run_->position().wraps : 0;
}

void SchedulePlayer::close() {
    if (playing_)
        synth_.stopPlaying();
    playing_ = false;
    run_.reset();
}

} // namespace zelk
