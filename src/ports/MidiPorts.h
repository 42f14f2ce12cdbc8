#pragma once

#include "ports/FileMusic.h"
#include "ports/MidiFilePlayer.h"
#include "ports/MidiOut.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace zelk {

// A MIDI output outside the program: a port of another program or a device, reached through
// a back end (JACK, the ALSA sequencer). send() goes out at once; play() times music on the
// back end's own clock, as the built-in synthesizer times it on its frames.
class ExternalMidiOut : public MidiOut {
public:
    // The port's name as its back end lists it.
    virtual const std::string& name() const = 0;
    // Plays the music from range.fromTick on, starting now, in place of any playing.
    virtual void play(std::shared_ptr<const FileMusic> music, const PlayRange& range) = 0;
    // Stops playing: pedal up, all notes and sounds off on every channel.
    virtual void stop() = 0;
    // The port went away (its program quit, the server stopped): nothing more goes out.
    virtual bool lost() const = 0;
};

// What a MIDI keyboard plays, as it arrives: channel voice messages only (system messages,
// clock and active sensing are dropped where they come in).
class MidiInput {
public:
    virtual ~MidiInput() = default;
    // Moves the messages that arrived since the last call into `out`, oldest first; returns
    // how many (at most out.size()).
    virtual size_t take(std::span<uint32_t> out) = 0;
    // Messages dropped because the window did not take them in time.
    virtual uint64_t dropped() const = 0;
};

// One kind of MIDI port: the ports it offers and opening them.
class MidiPortBackend {
public:
    virtual ~MidiPortBackend() = default;
    virtual std::string_view name() const = 0; // "JACK", "ALSA"
    // Ports that take MIDI (to send to) and ports that give it (to listen to).
    virtual std::vector<std::string> destinations() = 0;
    virtual std::vector<std::string> sources() = 0;
    // Null when the port cannot be reached.
    virtual std::unique_ptr<ExternalMidiOut> openOutput(const std::string& destination) = 0;
    // Listens to one source, or to every source when `source` is empty. Null on failure.
    virtual std::unique_ptr<MidiInput> openInput(const std::string& source) = 0;
};

} // namespace zelk
