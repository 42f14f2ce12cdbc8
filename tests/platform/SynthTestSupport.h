#pragma once

#include "midi/MidiFileEvents.h"
#include "midi/Schedule.h"
#include "platform/SchedulePlayer.h"
#include "platform/SoundFontLookup.h"
#include "ports/AudioTap.h"

#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <vector>

namespace zelk::test {

// Root mean square of the samples. A sounding note of the General MIDI SoundFonts at velocity 100
// lies near 0.01 at the synthesizer's default gain; an idle synthesizer renders about 1e-8.
inline double rms(std::span<const float> samples) {
    if (samples.empty())
        return 0.0;
    double sum = 0.0;
    for (const float s : samples)
        sum += static_cast<double>(s) * s;
    return std::sqrt(sum / static_cast<double>(samples.size()));
}

// Opens a MIDI file's bytes that end at `lastTick` in the player; false when they are no
// MIDI file.
inline bool openBytes(SchedulePlayer& player, std::span<const uint8_t> file, uint32_t lastTick,
                      const PlayRange& range) {
    auto music = std::make_shared<FileMusic>();
    try {
        *music = musicOf(readMidiEvents(file));
    } catch (const std::exception&) {
        player.close();
        return false;
    }
    music->lastTick = lastTick;
    return player.open(std::move(music), range);
}

inline constexpr double kAudibleRms = 1e-3;
inline constexpr double kSilentRms = 1e-5;

// The SoundFont the synthesizer tests play, when one is installed.
inline std::optional<std::filesystem::path> installedSoundFont() {
    auto found = findSoundFontFromEnvironment();
    std::error_code ec;
    if (found && std::filesystem::is_regular_file(*found, ec))
        return found;
    return std::nullopt;
}

// Keeps a copy of every rendered block and wakes a waiting test thread.
class RecordingTap : public AudioTap {
public:
    void takeOnAudioThread(std::span<const float> left, std::span<const float> right) override {
        std::lock_guard lock(mutex_);
        for (size_t i = 0; i < left.size(); ++i) {
            interleaved_.push_back(left[i]);
            interleaved_.push_back(right[i]);
        }
        changed_.notify_all();
    }

    std::vector<float> interleaved() const {
        std::lock_guard lock(mutex_);
        return interleaved_;
    }

    // True once `frames` frames have arrived. The limit only keeps a broken clock from hanging
    // the test run; it is no measure of speed.
    bool waitForFrames(size_t frames, std::chrono::seconds limit = std::chrono::seconds(30)) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, limit, [&] { return interleaved_.size() >= 2 * frames; });
    }

private:
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<float> interleaved_;
};

} // namespace zelk::test
