#include "midi/TempoMap.h"

#include <algorithm>
#include <cstdint>

namespace zelk {
namespace {

__extension__ typedef __int128 Wide; // GCC and Clang: exact products of samples and ticks

} // namespace

TempoMap::TempoMap() : division_(480) {
    changes_.push_back({0, 500'000, 0});
}

TempoMap::TempoMap(const MidiFileEvents& file) : division_(file.division) {
    changes_.push_back({0, 500'000, 0});
    for (const MidiEvent& e : file.events)
        if (e.isTempo())
            add(e.tick, e.tempoMicros());
}

TempoMap::TempoMap(uint16_t division, const std::vector<std::pair<uint32_t, uint32_t>>& tempos)
    : division_(division) {
    changes_.push_back({0, 500'000, 0});
    for (const auto& [tick, micros] : tempos)
        add(tick, micros);
}

void TempoMap::add(uint32_t tick, uint32_t micros) {
    const int64_t at = microTicksAt(tick);
    if (changes_.back().tick == tick)
        changes_.back().micros = micros; // the later of two at one tick holds
    else
        changes_.push_back({tick, micros, at});
}

int64_t TempoMap::microTicksAt(uint32_t tick) const {
    const auto after = std::upper_bound(changes_.begin(), changes_.end(), tick,
                                        [](uint32_t t, const Change& c) { return t < c.tick; });
    const Change& c = *(after - 1);
    return c.microTicks + static_cast<int64_t>(tick - c.tick) * c.micros;
}

int64_t TempoMap::sampleAt(uint32_t tick, int sampleRate) const {
    return sampleOfMicroTicks(microTicksAt(tick), sampleRate);
}

int64_t TempoMap::sampleAt(uint32_t tick, int sampleRate, size_t& hint) const {
    if (hint >= changes_.size() || changes_[hint].tick > tick)
        hint = 0;
    while (hint + 1 < changes_.size() && changes_[hint + 1].tick <= tick)
        ++hint;
    const Change& c = changes_[hint];
    return sampleOfMicroTicks(c.microTicks + static_cast<int64_t>(tick - c.tick) * c.micros,
                              sampleRate);
}

int64_t TempoMap::sampleOfMicroTicks(int64_t micro, int sampleRate) const {
    // Whole and remainder apart: microTicks (below 2^52 for ticks below 2^28) times the
    // rate would not fit in 64 bits, the remainder (below 2^35) times the rate does.
    const int64_t den = static_cast<int64_t>(division_) * 1'000'000;
    const int64_t whole = micro / den, rest = micro % den;
    return whole * sampleRate + (rest * sampleRate + den / 2) / den;
}

uint32_t TempoMap::tickAtSample(int64_t sample, int sampleRate) const {
    if (sample <= 0 || sampleRate <= 0)
        return 0;
    // Microseconds x division at the sample, exactly (the product needs 128 bits).
    const Wide micro = static_cast<Wide>(sample) * division_ * 1'000'000 / sampleRate;
    const auto after =
        std::upper_bound(changes_.begin(), changes_.end(), micro, [](Wide m, const Change& c) {
            return m < static_cast<Wide>(c.microTicks);
        });
    const Change& c = *(after - 1);
    const Wide ticks = (micro - c.microTicks) / std::max<uint32_t>(c.micros, 1);
    const Wide tick = c.tick + ticks;
    return tick > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(tick);
}

double TempoMap::secondsAt(uint32_t tick) const {
    return static_cast<double>(microTicksAt(tick)) / (static_cast<double>(division_) * 1e6);
}

} // namespace zelk
