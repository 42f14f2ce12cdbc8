#include "platform/MidiBackends.h"

#include "platform/AlsaSeqMidi.h"
#include "platform/JackMidi.h"
#include "platform/JackProbe.h"

namespace zelk {
namespace {

std::unique_ptr<MidiPortBackend> openJack() {
    if (!jackServerRuns())
        return nullptr;
    return JackMidiBackend::connect();
}

std::unique_ptr<MidiPortBackend> openAlsa() {
    return AlsaSeqBackend::open();
}

constexpr MidiBackendRow kBackends[] = {
    {"JACK", openJack},
    {"ALSA", openAlsa},
};

} // namespace

std::span<const MidiBackendRow> midiBackendTable() {
    return kBackends;
}

std::vector<std::unique_ptr<MidiPortBackend>> openMidiBackends(std::vector<std::string>& skipped) {
    std::vector<std::unique_ptr<MidiPortBackend>> open;
    for (const MidiBackendRow& row : kBackends) {
        if (auto backend = row.open())
            open.push_back(std::move(backend));
        else
            skipped.emplace_back(row.name);
    }
    return open;
}

} // namespace zelk
