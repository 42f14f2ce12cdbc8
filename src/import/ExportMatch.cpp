#include "import/ExportMatch.h"

#include "midi/MidiExportOptions.h"
#include "midi/PartTrack.h"
#include "midi/TrackBuffer.h"
#include "midi/WorkFileStream.h"
#include "model/Song.h"

#include <algorithm>
#include <string>

namespace zelk {

bool writesTrackAgain(const Song& song, int p, std::string_view workFile,
                      std::span<const uint8_t> trackBody) {
    WorkFileStream stream(workFile, p);
    TrackBuffer track;
    const MidiExportOptions opt = MidiExportOptions::forExport();
    PartTrackBuilder(song, opt, p).build(stream, track);
    return std::equal(track.bytes().begin(), track.bytes().end(), trackBody.begin(),
                      trackBody.end());
}

} // namespace zelk
