#pragma once

#include <string>
#include <vector>

namespace zelk {

// How the built-in synthesizer sounds on this machine: its SoundFont and the sound card's
// driver and buffer. Kept in "zelk-state.ini"; $ZELK_SOUNDFONT and $ZELK_AUDIO_DRIVER win.
struct SoundChoice {
    std::string soundFont; // a file; "" none
    std::string driver;    // one of drivers(); "" the automatic choice
    int periodFrames = 0;  // frames per period of the buffer; 0 the short default
    bool operator==(const SoundChoice&) const = default;
};

// The built-in synthesizer's sound, changed while the program runs.
class SoundSetup {
public:
    virtual ~SoundSetup() = default;
    // General MIDI SoundFonts found in the usual folders, best first.
    virtual std::vector<std::string> soundFontsFound() const = 0;
    virtual std::vector<std::string> drivers() const = 0;
    virtual SoundChoice current() const = 0;
    // What plays now: driver and buffer in milliseconds, or that no sound card opened.
    virtual std::string outputDescription() const = 0;
    virtual double sampleRate() const = 0;
    // On a worker thread: reads the SoundFont into a synthesizer of its own, the running one
    // untouched. Empty, or why it cannot be read (for the window, in Japanese).
    virtual std::string prepareSoundFont(const std::string& file) = 0;
    // On the UI thread with nothing playing or recording: the prepared SoundFont (when one
    // was prepared) and the output opened anew with the choice's driver and buffer. Empty, or
    // why not; then the previous output plays on.
    virtual std::string apply(const SoundChoice& choice) = 0;
};

} // namespace zelk
