#include "editor/transport/RecordingFormat.h"

#include <algorithm>

namespace zelk {

WaveFormat waveFormatFor(int qualityIndex, int channels) {
    const int index = std::clamp(qualityIndex, 0, kQualityCount - 1);
    const int ch = channels == 1 ? 1 : 2;
    WaveFormat f;
    f.channels = ch;
    f.samplesPerSec = 44100 / (index + 1);
    f.bytesPerSec = f.samplesPerSec * ch * 2;
    f.alignment = ch * 2;
    f.bitsPerSample = 16;
    return f;
}

std::string waveSetCommand(const WaveFormat& f) {
    return "set recWav time format ms channels " + std::to_string(f.channels) + " samplespersec " +
           std::to_string(f.samplesPerSec) + " bytespersec " + std::to_string(f.bytesPerSec) +
           " alignment " + std::to_string(f.alignment) + " bitspersample " +
           std::to_string(f.bitsPerSample);
}

} // namespace zelk
