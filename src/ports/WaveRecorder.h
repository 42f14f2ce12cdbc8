#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace zelk {

// The recorder's configuration: 16-bit PCM with these numbers, as a WAV file's format chunk
// states them.
struct WaveFormat {
    int channels = 2;
    int samplesPerSec = 44100;
    int bytesPerSec = 176400;
    int alignment = 4;
    int bitsPerSample = 16;
    bool operator==(const WaveFormat&) const = default;
};

// Records what the program plays. Everything is called from the UI thread, in the order
// open, record, stop, save, close; close alone discards whatever was recorded.
class WaveRecorder {
public:
    virtual ~WaveRecorder() = default;
    // Prepares a recording in `format`; replaces one still open (discarding it). Returns why
    // it cannot record (its scratch file cannot be made), nothing when it is ready.
    virtual std::optional<std::string> open(const WaveFormat& format) = 0;
    // Starts hearing the sound from now on.
    virtual void record() = 0;
    // Frames heard since record(), at the sound's own rate: the clock the lead-in and the
    // tail are counted on, whatever the window's timers do.
    virtual int64_t framesHeard() const = 0;
    virtual double soundRate() const = 0;
    // What save() writes: the frames heard from `from` up to `to` (counted as framesHeard
    // counts); frames before the first or after the last heard are silence.
    virtual void keepFrames(int64_t from, int64_t to) = 0;
    // Stops hearing; everything heard so far is kept.
    virtual void stop() = 0;
    // Why the sound heard stopped reaching the scratch file (a full disk), nothing while it
    // does: the recording is then lost, and the window says so at once.
    virtual std::optional<std::string> failure() const = 0;
    // Writes the recording as a WAV file. False when it cannot be written.
    virtual bool save(const std::filesystem::path& file) = 0;
    // Ends the recording (stopping it first when it still runs).
    virtual void close() = 0;
};

} // namespace zelk
