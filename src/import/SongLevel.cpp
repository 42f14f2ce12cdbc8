#include "import/SongLevel.h"

#include "import/MeasurePlan.h"
#include "midi/ConductorTrack.h"
#include "model/Limits.h"
#include "model/Song.h"
#include "ports/TextDecoder.h"

#include <algorithm>
#include <cmath>

namespace zelk {
namespace {

bool validUtf8(std::string_view s) {
    size_t i = 0;
    while (i < s.size()) {
        const auto c = static_cast<unsigned char>(s[i]);
        const size_t n = c < 0x80         ? 1
                         : (c >> 5) == 6  ? 2
                         : (c >> 4) == 14 ? 3
                         : (c >> 3) == 30 ? 4
                                          : 0;
        if (n == 0 || i + n > s.size())
            return false;
        for (size_t k = 1; k < n; ++k)
            if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80)
                return false;
        i += n;
    }
    return true;
}

std::string latin1ToUtf8(std::string_view s) {
    std::string out;
    for (const char ch : s) {
        const auto c = static_cast<unsigned char>(ch);
        if (c < 0x80) {
            out += ch;
        } else {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

// Bar line at or after a column; reports a move when the column is inside a measure.
int measureAtOrAfter(const MeasurePlan& plan, int32_t col, ImportChange kind, int part,
                     ImportReport& report) {
    const int m = plan.measureOfColumn(col);
    if (plan.measureStart(m) == col || col >= plan.songCols())
        return col >= plan.songCols() ? static_cast<int>(plan.lengths().size()) + 1 : m;
    report.add(kind, {part, m});
    return m + 1;
}

void buildTempo(Song& song, const SongEvents& s, const MeasurePlan& plan, ImportReport& report) {
    song.TemLane.fill(120);
    for (const TempoEvent& t : s.tempos) {
        bool rounded = false;
        const int32_t bpm = bpmOf(t.micros, s.ownExport, rounded);
        const int32_t col = std::min(plan.columnOf(t.tick), kMaxSongCols);
        if (rounded)
            report.add(ImportChange::TempoRounded, {-1, plan.measureOfColumn(col)});
        for (int32_t x = col; x < kLaneCols; ++x)
            song.TemLane[x] = bpm;
    }
}

void buildLoop(Song& song, const SongEvents& s, const MeasurePlan& plan, ImportReport& report) {
    const int count = song.MeasureCount();
    if (s.loopTick) {
        const int m =
            measureAtOrAfter(plan, plan.columnOf(*s.loopTick), ImportChange::LoopMoved, -1, report);
        if (m <= count) {
            song.LoopOn = 1;
            song.LoopMeasure = m - 1;
        }
    } else if (s.ownLoopPoint && count > 0) {
        // Our export with a loop point that no track reached: the last measure keeps it so.
        song.LoopOn = 1;
        song.LoopMeasure = count - 1;
    }
}

} // namespace

std::vector<MeasureKey> measureKeys(const SongEvents& s, const MeasurePlan& plan,
                                    ImportReport& report) {
    const size_t count = plan.lengths().size();
    std::vector<MeasureKey> keys(count, MeasureKey::ofSharps(0));
    for (const KeyEvent& k : s.keys) {
        const int m =
            measureAtOrAfter(plan, plan.columnOf(k.tick), ImportChange::KeyMoved, -1, report);
        for (size_t i = static_cast<size_t>(m - 1); i < count; ++i)
            keys[i] = MeasureKey::ofSharps(k.sharps);
    }
    return keys;
}

void applyMeasureKeys(Song& song, const std::vector<MeasureKey>& keys) {
    song.resetKeySignatures();
    for (size_t i = 0; i < song.KeyMask.size(); ++i) {
        const MeasureKey& k = keys[std::min(i, keys.size() - 1)];
        song.KeyMask[i] = k.keyCode();
        song.KeyShift[i] = k.shift;
    }
}

std::string decodeSongText(std::string_view bytes, const TextDecoder& decoder, bool ownExport) {
    const bool beyondAscii = std::any_of(
        bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
    std::string text;
    if (!ownExport && beyondAscii && validUtf8(bytes))
        text = std::string(bytes);
    else if (auto sjis = decoder.decodeShiftJis(bytes))
        text = std::move(*sjis);
    else if (validUtf8(bytes))
        text = std::string(bytes);
    else
        text = latin1ToUtf8(bytes);
    std::replace_if(
        text.begin(), text.end(), [](char c) { return c >= 0 && c < 0x20; }, ' ');
    return text;
}

int32_t bpmOf(uint32_t micros, bool ownExport, bool& rounded) {
    if (ownExport)
        for (int32_t b = 1; b <= kMaxTempo; ++b)
            if (tempoMicros(b) == micros) {
                rounded = false;
                return b;
            }
    const double exact = 60'000'000.0 / micros;
    const auto bpm = static_cast<int32_t>(std::clamp(std::nearbyint(exact), 1.0, 300.0));
    rounded = std::abs(exact - bpm) >= 0.01;
    return bpm;
}

void buildSongLevel(Song& song, const SongEvents& s, const MeasurePlan& plan,
                    const std::vector<MeasureKey>& keys, const TextDecoder& decoder,
                    const std::string& fallbackTitle, ImportReport& report) {
    resetSongModel(song);
    const auto& lengths = plan.lengths();
    song.MeasureLen.assign(static_cast<int>(lengths.size()), 32);
    for (size_t m = 0; m < lengths.size(); ++m)
        song.MeasureLen.setLen(static_cast<int>(m) + 1, lengths[m]);
    applyMeasureKeys(song, keys);
    song.KeyCode = keys.front().keyCode();
    song.KeySign = keys.front().shift;
    song.MeasureCols = lengths.front();
    song.BeatCols = beatColsFor(lengths.front());
    buildTempo(song, s, plan, report);
    song.TempoBase = song.TemLane[0];
    song.TempoIndex = song.TemLane[0] - 1;
    buildLoop(song, s, plan, report);
    for (int p = 0; p < kParts; ++p)
        song.DrumPart[static_cast<size_t>(p)] = s.rhythm[static_cast<size_t>(p)] ? 1 : 0;
    if (s.title)
        song.SongTitle = decodeSongText(*s.title, decoder, s.ownExport);
    else if (!fallbackTitle.empty())
        song.SongTitle = fallbackTitle;
    song.SongCopyright =
        s.copyright ? decodeSongText(*s.copyright, decoder, s.ownExport) : std::string();
}

} // namespace zelk
