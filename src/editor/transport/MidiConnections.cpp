#include "editor/transport/MidiConnections.h"

#include "storage/StateFile.h"

#include <algorithm>

namespace zelk {
namespace {

std::string outKey(int part) {
    std::string key("midi.out.");
    key.append(std::to_string(part + 1));
    return key;
}

// "JACK:port" into the back end's name and the port.
std::pair<std::string, std::string> splitId(const std::string& id) {
    const auto colon = id.find(':');
    if (colon == std::string::npos)
        return {};
    return {id.substr(0, colon), id.substr(colon + 1)};
}

std::vector<MidiPortOffer> offers(const std::vector<MidiPortBackend*>& backends, bool outputs) {
    std::vector<MidiPortOffer> list;
    for (MidiPortBackend* b : backends)
        for (const std::string& port : outputs ? b->destinations() : b->sources()) {
            std::string id(b->name()), caption(port);
            id.append(":").append(port);
            caption.append(" (").append(b->name()).append(")");
            list.push_back({std::move(id), std::move(caption)});
        }
    return list;
}

} // namespace

MidiConnections::MidiConnections(std::vector<MidiPortBackend*> backends, PartRouting& routing)
    : backends_(std::move(backends)), routing_(routing) {}

MidiConnections::~MidiConnections() {
    for (int p = 0; p < kParts; ++p)
        routing_.route(p, nullptr);
}

std::vector<MidiPortOffer> MidiConnections::destinations() const {
    return offers(backends_, true);
}

std::vector<MidiPortOffer> MidiConnections::sources() const {
    return offers(backends_, false);
}

ExternalMidiOut* MidiConnections::open(const std::string& id) {
    if (auto it = open_.find(id); it != open_.end() && !it->second->lost())
        return it->second.get();
    const auto [backend, port] = splitId(id);
    for (MidiPortBackend* b : backends_)
        if (b->name() == backend)
            if (auto out = b->openOutput(port)) {
                ExternalMidiOut* raw = out.get();
                open_[id] = std::move(out);
                return raw;
            }
    return nullptr;
}

void MidiConnections::closeUnused() {
    std::erase_if(open_, [this](const auto& entry) {
        return std::find(chosen_.begin(), chosen_.end(), entry.first) == chosen_.end();
    });
}

bool MidiConnections::choose(int part, const std::string& id) {
    ExternalMidiOut* out = id.empty() ? nullptr : open(id);
    const bool ok = id.empty() || out != nullptr;
    chosen_.at(static_cast<size_t>(part)) = ok ? id : std::string();
    wanted_.at(static_cast<size_t>(part)) = id;
    routing_.route(part, out);
    closeUnused();
    return ok;
}

bool MidiConnections::chooseInput(const std::string& id) {
    in_.reset();
    input_.clear();
    wantedInput_ = id;
    if (id.empty())
        return true;
    for (MidiPortBackend* b : backends_) {
        const auto [backend, port] = splitId(id);
        const bool all = id == kAllSources;
        if (!all && b->name() != backend)
            continue;
        if ((in_ = b->openInput(all ? std::string() : port))) {
            input_ = id;
            return true;
        }
    }
    return false;
}

std::vector<std::string> MidiConnections::dropLost() {
    std::vector<std::string> names;
    for (auto it = open_.begin(); it != open_.end();) {
        if (!it->second->lost()) {
            ++it;
            continue;
        }
        routing_.forget(it->second.get());
        for (std::string& c : chosen_)
            if (c == it->first)
                c.clear();
        names.push_back(it->second->name());
        it = open_.erase(it);
    }
    return names;
}

std::string portNameOf(const std::string& id) {
    const auto [backend, port] = splitId(id);
    return backend.empty() ? id : port;
}

std::string portCaption(const std::string& id) {
    const std::string backend = splitId(id).first;
    if (id == kAllSources || backend.empty())
        return id;
    return portNameOf(id).append(" (").append(backend).append(")");
}

MissingPorts MidiConnections::restore(const StateFile& state) {
    MissingPorts missing;
    for (int p = 0; p < kParts; ++p) {
        const auto id = state.text(outKey(p));
        if (!id || id->empty() || choose(p, *id))
            continue;
        auto it = std::find_if(missing.outputs.begin(), missing.outputs.end(),
                               [&](const auto& m) { return m.id == *id; });
        if (it == missing.outputs.end())
            it = missing.outputs.insert(missing.outputs.end(), {*id, {}});
        it->parts.push_back(p + 1);
    }
    if (const auto in = state.text("midi.in"); in && !in->empty() && !chooseInput(*in))
        missing.input = *in;
    return missing;
}

int MidiConnections::reconnect() {
    const auto offered = [](const std::vector<MidiPortOffer>& offers, const std::string& id) {
        return std::any_of(offers.begin(), offers.end(), [&](const auto& o) { return o.id == id; });
    };
    int back = 0;
    std::vector<MidiPortOffer> present; // asked of the back ends only while a part waits
    for (int p = 0; p < kParts; ++p) {
        const std::string wanted = wanted_.at(static_cast<size_t>(p));
        if (wanted.empty() || !chosen_.at(static_cast<size_t>(p)).empty())
            continue;
        if (present.empty())
            present = destinations();
        if (offered(present, wanted) && choose(p, wanted))
            ++back;
    }
    if (!wantedInput_.empty() && !in_ && wantedInput_ != kAllSources &&
        offered(sources(), wantedInput_) && chooseInput(wantedInput_))
        ++back;
    return back;
}

void MidiConnections::save(StateFile& state) const {
    for (int p = 0; p < kParts; ++p)
        state.set(outKey(p), wanted_.at(static_cast<size_t>(p)));
    state.set("midi.in", wantedInput_);
}

} // namespace zelk
