#pragma once

#include <span>

namespace zelk {

// Receives every block the synthesizer renders, whichever output drives it (the sound card's
// thread, the silent clock's thread, or the caller of an offline render). Samples are 32-bit float,
// -1..1, at the synthesizer's sample rate, one span per stereo side. Runs on the rendering thread
// while the synthesizer waits: copy the samples and return, never block on the UI thread.
class AudioTap {
public:
    virtual ~AudioTap() = default;
    virtual void takeOnAudioThread(std::span<const float> left, std::span<const float> right) = 0;
};

} // namespace zelk
