#pragma once

#include "ports/WaveRecorder.h"

#include <string>

namespace zelk {

// Combo1's qualities "CD", "FMラジオ", "AMラジオ": 44100 \ (index + 1) samples per second.
inline constexpr int kQualityCount = 3;

// The recorder's numbers for the quality index (0..2) and the channel count (1 or 2).
WaveFormat waveFormatFor(int qualityIndex, int channels);
// The recorder's configuration as the wave recorder's set command reads, "set recWav time
// format ms channels 2 samplespersec 44100 ...": the window logs it when a recording starts.
std::string waveSetCommand(const WaveFormat& format);

} // namespace zelk
