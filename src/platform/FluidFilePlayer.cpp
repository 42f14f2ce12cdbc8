#include "platform/FluidFilePlayer.h"

#include "platform/SoundFontSynth.h"

#include <fstream>
#include <iterator>
#include <vector>

namespace zelk {
namespace {

constexpr int kChannels = 16;
constexpr int kHoldPedal = 64;
constexpr int kAllSoundOff = 120;
constexpr int kResetControllers = 121;
constexpr int kAllNotesOff = 123;

} // namespace

FluidFilePlayer::~FluidFilePlayer() {
    close();
}

bool FluidFilePlayer::open(const std::filesystem::path& file, uint32_t lastTick) {
    std::ifstream in(file, std::ios::binary);
    if (!in)
        return false;
    const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in),
                                     std::istreambuf_iterator<char>()};
    return !in.bad() && openBytes(bytes, lastTick);
}

bool FluidFilePlayer::openBytes(std::span<const uint8_t> file, uint32_t lastTick) {
    close();
    {
        // The player hooks a timer into the synthesizer's list that the rendering walks.
        const auto hold = synth_.holdRendering();
        player_ = new_fluid_player(synth_.fluidSynth());
    }
    if (player_ == nullptr)
        return false;
    fluid_player_set_tick_callback(player_, &FluidFilePlayer::onTickOnAudioThread, this);
    tick_.store(0, std::memory_order_release);
    lastTick_ = lastTick;
    stopped_ = false;
    // FluidSynth parses the file when playing starts; a file it refuses ends playback then.
    if (file.empty() || fluid_player_add_mem(player_, file.data(), file.size()) != FLUID_OK) {
        close();
        return false;
    }
    return true;
}

void FluidFilePlayer::play() {
    if (player_ == nullptr)
        return;
    const auto hold = synth_.holdRendering();
    fluid_player_play(player_);
    stopped_ = false;
}

void FluidFilePlayer::stop() {
    if (player_ == nullptr)
        return;
    // Between two blocks, so no event of the file follows the silence.
    const auto hold = synth_.holdRendering();
    fluid_player_stop(player_);
    stopped_ = true;
    fluid_synth_t* synth = synth_.fluidSynth();
    for (int ch = 0; ch < kChannels; ++ch) {
        fluid_synth_cc(synth, ch, kHoldPedal, 0);
        fluid_synth_cc(synth, ch, kAllNotesOff, 0);
        fluid_synth_cc(synth, ch, kAllSoundOff, 0);
        fluid_synth_cc(synth, ch, kResetControllers, 0);
    }
}

bool FluidFilePlayer::isStopped() const {
    return player_ == nullptr || stopped_ || tick() >= lastTick_ ||
           fluid_player_get_status(player_) == FLUID_PLAYER_DONE;
}

void FluidFilePlayer::close() {
    if (player_ == nullptr)
        return;
    {
        const auto hold = synth_.holdRendering();
        delete_fluid_player(player_);
    }
    player_ = nullptr;
    stopped_ = true;
}

int FluidFilePlayer::onTickOnAudioThread(void* self, int tick) {
    if (tick >= 0)
        static_cast<FluidFilePlayer*>(self)->tick_.store(static_cast<uint32_t>(tick),
                                                         std::memory_order_release);
    return FLUID_OK;
}

} // namespace zelk
