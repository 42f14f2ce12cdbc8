#include "platform/FluidSynthRenderer.h"

#include <stdexcept>

namespace zelk {

FluidSynthRenderer::FluidSynthRenderer(int sampleRate, const std::filesystem::path& soundFont,
                                       int cpuCores)
    : rate_(sampleRate), synth_(static_cast<double>(sampleRate), cpuCores) {
    if (!synth_.loadSoundFont(soundFont))
        throw std::runtime_error("cannot read the SoundFont " + soundFont.string());
}

} // namespace zelk
