#pragma once

#include "ports/FileMusic.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <utility>

namespace zelk {

// How a file is played (beyond the play button's "all of it, once"), in the file's ticks.
struct PlayRange {
    // Where playing begins; the programs and controllers before it are sent first.
    uint32_t fromTick = 0;
    // At loop->second the music goes on at loop->first, without a reset, until stopped.
    std::optional<std::pair<uint32_t, uint32_t>> loop;
    // With a loop: the music ends when, after the first wrap, it reaches this tick (a seam
    // audition hears the end, the wrap and the start).
    std::optional<uint32_t> stopAfterWrapAt;
};

// Plays the music of a Standard MIDI File on the program's synthesizer. Everything is called from
// the UI thread; the player advances on its own (with the rendered sound) and is polled.
class MidiFilePlayer {
public:
    virtual ~MidiFilePlayer() = default;

    // Loads the music of a file for one playback; it has played to its end once the player
    // passes the music's last tick. Replaces music still open. False when it cannot be
    // played.
    virtual bool open(std::shared_ptr<const FileMusic> music, const PlayRange& range) = 0;
    bool open(std::shared_ptr<const FileMusic> music) {
        return open(std::move(music), PlayRange{});
    }
    // Plays the open file (from the range's start) and returns at once.
    virtual void play() = 0;
    // Stops at once; nothing the file started keeps sounding.
    virtual void stop() = 0;
    // True once the file has played past its last event or was stopped (or none is open).
    virtual bool isStopped() const = 0;
    // Ticks of the file played so far (480 per quarter note); back at the loop start after a
    // wrap.
    virtual uint32_t tick() const = 0;
    // How often the music has wrapped to the loop start.
    virtual int wraps() const = 0;
    // The position in sixteenth notes.
    uint32_t position() const { return tick() / 120; }
    // Releases the file.
    virtual void close() = 0;
};

} // namespace zelk
