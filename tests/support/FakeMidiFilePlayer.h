#pragma once

#include "ports/MidiFilePlayer.h"

#include <memory>
#include <string>
#include <vector>

namespace zelk::test {

// A player whose music moves only when the test says so (advanceTo); it records what it
// was asked to do, in order.
class FakeMidiFilePlayer : public MidiFilePlayer {
public:
    using MidiFilePlayer::open;
    bool open(std::shared_ptr<const FileMusic> m, const PlayRange& r) override {
        calls.push_back("open");
        if (refuseOpen || !m)
            return false;
        music = std::move(m);
        lastTick = music->lastTick;
        range = r;
        wraps_ = 0;
        isOpen = true;
        playing = false;
        tick_ = 0;
        return true;
    }
    void play() override {
        calls.push_back("play");
        playing = isOpen;
    }
    void stop() override {
        calls.push_back("stop");
        playing = false;
    }
    bool isStopped() const override {
        return !playing || (!range.loop && tick_ >= lastTick) || ended;
    }
    uint32_t tick() const override { return tick_; }
    int wraps() const override { return wraps_; }
    void close() override {
        calls.push_back("close");
        isOpen = false;
        playing = false;
    }

    // The music reaches `tick` (never beyond the end).
    void advanceTo(uint32_t tick) { tick_ = tick < lastTick ? tick : lastTick; }
    // The music wraps to the loop start and goes on to `tick` there.
    void wrapTo(uint32_t tick) {
        ++wraps_;
        tick_ = tick;
    }
    void advanceToSixteenth(uint32_t sixteenths) { advanceTo(sixteenths * 120); }

    std::vector<std::string> calls;
    std::shared_ptr<const FileMusic> music;
    uint32_t lastTick = 0;
    bool isOpen = false;
    bool playing = false;
    bool refuseOpen = false;
    bool ended = false; // a seam audition's own end
    PlayRange range;

private:
    uint32_t tick_ = 0;
    int wraps_ = 0;
};

} // namespace zelk::test
