#include "render/ScheduleRun.h"

#include <algorithm>
#include <limits>

namespace zelk {
namespace {

constexpr int64_t kNever = std::numeric_limits<int64_t>::max();

bool isNote(uint32_t message) {
    const uint32_t kind = message & 0xF0;
    return kind == 0x80 || kind == 0x90;
}

} // namespace

ScheduleRun::ScheduleRun(std::shared_ptr<const Schedule> schedule, const Options& options)
    : schedule_(std::move(schedule)), options_(options) {}

bool ScheduleRun::loops() const {
    const auto& loop = schedule_->loop;
    return options_.loop && loop && options_.startFrame < loop->endFrame;
}

void ScheduleRun::silenceOnAudioThread(SynthRenderer& synth) {
    for (uint32_t ch = 0; ch < 16; ++ch)
        for (uint32_t cc : {64u, 123u, 120u, 121u}) // pedal up, notes off, sounds off, reset
            synth.send((0xB0 | ch) | (cc << 8));
}

void ScheduleRun::start(SynthRenderer& synth) {
    started_ = true;
    const Schedule& s = *schedule_;
    now_ = options_.startFrame;
    next_ = s.indexAtFrame(now_);
    // The sound the music has at its start: every program and controller before it.
    for (size_t i = 0; i < next_; ++i)
        if (!isNote(s.messages[i].message))
            synth.send(s.messages[i].message);
    passEnd_ = loops() ? std::max(s.loop->end, next_) : s.messages.size();
}

int64_t ScheduleRun::nextDue() const {
    const Schedule& s = *schedule_;
    int64_t due = next_ < passEnd_ ? s.messages[next_].frame + shift_ : kNever;
    if (loops())
        due = std::min(due, s.loop->endFrame + shift_);
    else
        due = std::min(due, s.endFrame);
    if (options_.stopFrame >= 0)
        due = std::min(due, options_.stopFrame);
    return std::max(due, now_);
}

// At `now_`: messages first (a pass's own note-offs on the end tick close it), then the wrap,
// then the end.
void ScheduleRun::handleDue(SynthRenderer& synth) {
    const Schedule& s = *schedule_;
    if (next_ < passEnd_ && s.messages[next_].frame + shift_ <= now_) {
        synth.send(s.messages[next_++].message);
        return;
    }
    if (options_.stopFrame >= 0 && now_ >= options_.stopFrame) {
        silenceOnAudioThread(synth);
        finished_.store(true, std::memory_order_release);
        return;
    }
    if (loops() && now_ >= s.loop->endFrame + shift_) {
        shift_ += s.loop->length();
        next_ = s.loop->first;
        return;
    }
    if (!loops() && now_ >= s.endFrame) {
        // Played through: no pedal stays down for the notes played live afterwards; what
        // rings keeps ringing.
        for (uint32_t ch = 0; ch < 16; ++ch)
            synth.send((0xB0 | ch) | (64u << 8));
        finished_.store(true, std::memory_order_release);
    }
}

void ScheduleRun::advanceOnAudioThread(SynthRenderer& synth, std::span<float> left,
                                       std::span<float> right) {
    const auto frames = static_cast<int64_t>(std::min(left.size(), right.size()));
    if (!started_)
        start(synth);
    if (stopRequested() && !finished()) {
        silenceOnAudioThread(synth);
        finished_.store(true, std::memory_order_release);
    }
    int64_t done = 0;
    while (done < frames) {
        if (!finished()) {
            const int64_t due = nextDue();
            if (due == now_) {
                handleDue(synth);
                continue;
            }
            const int64_t n = std::min(frames - done, due - now_);
            synth.render(left.subspan(static_cast<size_t>(done), static_cast<size_t>(n)),
                         right.subspan(static_cast<size_t>(done), static_cast<size_t>(n)));
            done += n;
            now_ += n;
            continue;
        }
        synth.render(left.subspan(static_cast<size_t>(done)),
                     right.subspan(static_cast<size_t>(done)));
        now_ += frames - done;
        done = frames;
    }
    played_.fetch_add(frames, std::memory_order_acq_rel);
}

ScheduleRun::Position ScheduleRun::position() const {
    const Schedule& s = *schedule_;
    const int64_t t = options_.startFrame + playedFrames();
    Position p;
    p.frame = t;
    if (loops() && t >= s.loop->endFrame) {
        const int64_t len = s.loop->length();
        p.wraps = static_cast<int>((t - s.loop->startFrame) / len);
        p.frame = s.loop->startFrame + (t - s.loop->startFrame) % len;
    }
    p.tick = s.tickAtFrame(p.frame);
    return p;
}

std::shared_ptr<ScheduleRun> runOfMusic(const FileMusic& music, int sampleRate,
                                        const PlayRange& range) {
    auto schedule = std::make_shared<Schedule>(scheduleOf(music, sampleRate, 0, range.loop));
    ScheduleRun::Options options;
    options.startFrame = schedule->frameOfTick(range.fromTick);
    options.loop = schedule->loop.has_value();
    if (schedule->loop && range.stopAfterWrapAt)
        options.stopFrame =
            schedule->loop->endFrame +
            (schedule->frameOfTick(*range.stopAfterWrapAt) - schedule->loop->startFrame);
    return std::make_shared<ScheduleRun>(std::move(schedule), options);
}

} // namespace zelk
