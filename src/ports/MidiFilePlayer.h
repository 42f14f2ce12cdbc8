#pragma once

#include <cstdint>
#include <filesystem>

namespace zelk {

// Plays a Standard MIDI File on the program's synthesizer. Everything is called from the UI
// thread; the player advances on its own (with the rendered sound) and is polled.
class MidiFilePlayer {
public:
    virtual ~MidiFilePlayer() = default;

    // Loads `file` for one playback; it has played to its end once the player passes
    // `lastTick` (the time of the file's last event). Replaces a file still open. False when
    // the file cannot be read.
    virtual bool open(const std::filesystem::path& file, uint32_t lastTick) = 0;
    // Plays the open file from its start and returns at once.
    virtual void play() = 0;
    // Stops at once; nothing the file started keeps sounding.
    virtual void stop() = 0;
    // True once the file has played past its last event or was stopped (or none is open).
    virtual bool isStopped() const = 0;
    // Ticks of the file played so far (480 per quarter note).
    virtual uint32_t tick() const = 0;
    // The position in sixteenth notes.
    uint32_t position() const { return tick() / 120; }
    // Releases the file.
    virtual void close() = 0;
};

} // namespace zelk
