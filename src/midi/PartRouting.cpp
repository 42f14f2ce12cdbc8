#include "midi/PartRouting.h"

#include "model/Song.h"

namespace zelk {

int PartRouting::forget(const ExternalMidiOut* out) {
    int n = 0;
    for (ExternalMidiOut*& o : out_)
        if (o == out && out != nullptr) {
            o = nullptr;
            ++n;
        }
    return n;
}

int PartRouting::partOf(uint32_t shortMessage) const {
    const int channel = static_cast<int>(shortMessage & 0x0F);
    // The current part first: a rhythm part shares channel 10 with part 10.
    if (channelOf(song_, song_.CurPart) == channel)
        return song_.CurPart;
    return channel;
}

void PartRouting::send(uint32_t shortMessage) {
    sendTo(partOf(shortMessage), shortMessage);
}

void PartRouting::sendTo(int part, uint32_t shortMessage) {
    if (ExternalMidiOut* out = destination(part))
        out->send(shortMessage);
    else
        builtIn_.send(shortMessage);
}

FileMusic musicFor(const FileMusic& music, const std::vector<int>& trackParts,
                   const std::function<bool(int part)>& here) {
    FileMusic share;
    share.division = music.division;
    share.tempos = music.tempos;
    share.lastTick = music.lastTick;
    std::vector<bool> kept(trackParts.size() + 1, false);
    kept[0] = true;
    for (size_t t = 0; t < trackParts.size(); ++t)
        kept[t + 1] = here(trackParts[t]);
    for (const FileMusic::Message& m : music.messages)
        if (m.track < kept.size() && kept[m.track])
            share.messages.push_back(m);
    return share;
}

} // namespace zelk
