#include "import/ImportReport.h"

#include <algorithm>

namespace zelk {
namespace {

struct Wording {
    const char* english;
    const char* japanese;
};

// In the order of ImportChange.
constexpr Wording kWording[kImportChangeKinds] = {
    {"notes moved onto the grid", "音符の位置を格子に合わせました"},
    {"time signatures split into offered lengths", "拍子を選べる長さの小節に分けました"},
    {"measures lengthened to whole columns", "小節を長くして格子に合わせました"},
    {"key signatures moved to the next bar line", "調号を次の小節線に移しました"},
    {"tempos rounded to whole beats per minute in 1..300", "テンポを1～300の整数に丸めました"},
    {"notes split where the key signature changes", "調号が変わる小節線で音符を分けました"},
    {"overlapping notes in one row shortened", "同じ段で重なった音符を短くしました"},
    {"chord notes without a free row dropped", "段が空いていない和音の音符を省きました"},
    {"notes outside the rows dropped", "段の範囲外の音符を省きました"},
    {"chords with several velocities set to the loudest",
     "和音のベロシティを最も強い音に揃えました"},
    {"later program, reverb or chorus changes ignored",
     "曲の途中の音色・リバーブ・コーラスの変更を無視しました"},
    {"controllers without a lane and aftertouch ignored",
     "レーンのないコントロールとアフタータッチを無視しました"},
    {"loop marker moved to the next bar line", "ループ位置を次の小節線に移しました"},
    {"notes past the last column dropped or cut", "最後の列より後の音符を省くか短くしました"},
    {"notes without note-off ended at the end of the file",
     "ノートオフのない音符をファイルの終わりで止めました"},
    {"parts whose notes of one tick now sound in another order",
     "同じ時刻の音符の順番が変わったパート"},
};

std::string placesText(const std::vector<ImportPlace>& places, int count, bool japanese) {
    std::string out = " (";
    for (size_t i = 0; i < places.size(); ++i) {
        const ImportPlace& p = places[i];
        if (i > 0)
            out += japanese ? "、" : ", ";
        if (japanese)
            out += (p.part >= 0 ? "パート" + std::to_string(p.part + 1) + " " : std::string()) +
                   std::to_string(p.measure) + "小節";
        else
            out += (p.part >= 0 ? "part " + std::to_string(p.part + 1) + " " : std::string()) +
                   "measure " + std::to_string(p.measure);
    }
    if (count > static_cast<int>(places.size()))
        out += japanese ? " ほか" : ", ...";
    return out + ")";
}

} // namespace

void ImportReport::add(ImportChange kind, ImportPlace place, int count) {
    Entry& e = entries_[index(kind)];
    e.count += count;
    if (e.places.size() < kPlacesKept &&
        std::find(e.places.begin(), e.places.end(), place) == e.places.end())
        e.places.push_back(place);
}

void ImportReport::merge(const ImportReport& other) {
    for (size_t k = 0; k < entries_.size(); ++k) {
        const Entry& theirs = other.entries_[k];
        for (const ImportPlace& place : theirs.places)
            add(static_cast<ImportChange>(k), place, 0);
        entries_[k].count += theirs.count;
    }
}

bool ImportReport::empty() const {
    return std::all_of(entries_.begin(), entries_.end(),
                       [](const Entry& e) { return e.count == 0; });
}

std::vector<std::string> ImportReport::englishLines() const {
    std::vector<std::string> lines;
    for (size_t k = 0; k < entries_.size(); ++k)
        if (const Entry& e = entries_[k]; e.count > 0)
            lines.push_back(std::string(kWording[k].english) + ": " + std::to_string(e.count) +
                            placesText(e.places, e.count, false));
    return lines;
}

std::vector<std::string> ImportReport::japaneseLines() const {
    std::vector<std::string> lines;
    for (size_t k = 0; k < entries_.size(); ++k)
        if (const Entry& e = entries_[k]; e.count > 0)
            lines.push_back(std::string(kWording[k].japanese) + ": " + std::to_string(e.count) +
                            "件" + placesText(e.places, e.count, true));
    return lines;
}

std::string japaneseRefusal(MidiRefusal why) {
    switch (why) {
    case MidiRefusal::NotMidi:
        return "標準MIDIファイルではありません";
    case MidiRefusal::Format2:
        return "フォーマット2のMIDIファイルには一つの曲がありません";
    case MidiRefusal::SmpteDivision:
        return "拍ではなくSMPTEフレームで時間を数えるMIDIファイルです";
    case MidiRefusal::Damaged:
        return "MIDIファイルが壊れています";
    case MidiRefusal::TooLong:
        return "トラックが長すぎます";
    case MidiRefusal::TooLarge:
        return "MIDIファイルが大きすぎます";
    }
    return "MIDIファイルを読めません";
}

} // namespace zelk
