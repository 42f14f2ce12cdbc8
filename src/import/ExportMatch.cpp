#include "import/ExportMatch.h"

#include "midi/MidiExportOptions.h"
#include "midi/PartTrack.h"
#include "midi/TrackBuffer.h"
#include "midi/WorkFileStream.h"
#include "model/PartFile.h"
#include "model/Song.h"

#include <algorithm>
#include <string>

namespace zelk {

bool writesTrackAgain(const Song& song, int p, std::span<const uint8_t> trackBody) {
    const std::string text = formatPartFile(song.part);
    WorkFileStream stream(text, p);
    TrackBuffer track;
    const MidiExportOptions opt = MidiExportOptions::forExport();
    PartTrackBuilder(song, opt, p).build(stream, track);
    return std::equal(track.bytes().begin(), track.bytes().end(), trackBody.begin(),
                      trackBody.end());
}

} // namespace zelk
