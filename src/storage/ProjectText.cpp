#include "storage/ProjectText.h"

#include "files/EveryCore.h"
#include "files/TextLines.h"
#include "model/AppFolder.h"
#include "model/FormatError.h"
#include "model/Limits.h"
#include "model/LineScanner.h"
#include "model/PartFile.h"
#include "model/Song.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <system_error>
#include <vector>

namespace zelk {
namespace {

// A title or copyright with a line break would shift every line after it; the break
// becomes a blank so the file stays readable.
void appendOneLine(std::string& out, std::string_view text) {
    const size_t start = out.size();
    appendTextLine(out, text);
    for (size_t i = start; i + 2 < out.size(); ++i)
        if (out[i] == '\r' || out[i] == '\n')
            out[i] = ' ';
}

void appendMeasures(std::string& out, const Song& song) {
    int col = 0;
    for (int m = 1; m <= song.MeasureCount(); ++m) {
        const int len = song.MeasureLen.len(m);
        appendNumberLine(out, len);
        for (int end = col + len; col < end; ++col)
            appendNumberLine(out, song.TemLane[col]);
    }
}

void appendKeySignatures(std::string& out, const Song& song) {
    for (int i = 0; i <= song.MeasureCount(); ++i) {
        appendNumberLine(out, song.KeyMask.at(static_cast<size_t>(i)));
        appendNumberLine(out, song.KeyShift.at(static_cast<size_t>(i)));
    }
}

} // namespace

void appendSongSections(std::string& out, const Song& song) {
    if (song.LoopOn == 1) {
        out += "-3\r\n";
        appendNumberLine(out, song.LoopMeasure);
    }
    appendOneLine(out, song.SongTitle);
    out += "-4\r\n";
    appendMeasures(out, song);
    out += "-5\r\n";
    appendOneLine(out, song.SongCopyright);
    out += "-6\r\n";
    for (uint8_t d : song.DrumPart)
        appendNumberLine(out, d);
    appendNumberLine(out, song.MeasureCount() > 0 ? song.MeasureLen.len(1) : song.MeasureCols);
    appendNumberLine(out, song.BeatCols);
    appendNumberLine(out, song.KeyCode);
    out += "-1\r\n";
    appendKeySignatures(out, song);
    out += "-2\r\n";
    appendNumberLine(out, song.TempoIndex);
}

namespace {

// Texts from this size on have their sections checked on every core.
constexpr size_t kTextForCores = size_t{1} << 20;

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

void appendFileBytes(std::string& out, const std::filesystem::path& path) {
    std::unique_ptr<std::FILE, FileCloser> f(std::fopen(path.c_str(), "rb"));
    if (!f)
        throw std::system_error(errno, std::generic_category(), "cannot open " + path.string());
    char buf[1 << 16];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f.get())) > 0)
        out.append(buf, n);
    if (std::ferror(f.get()))
        throw std::system_error(errno, std::generic_category(), "cannot read " + path.string());
}

// The numbers of one work file's lines; throws FormatError naming the part for a line that
// is not a number or numbers the editor could not have written. True when every line is
// in standard form already.
bool checkSection(std::string_view lines, int part, std::vector<int64_t>& values) {
    bool standard = false;
    if (const size_t bad = scanNumberLines(lines, values, standard); bad != 0)
        throw FormatError("work file of part " + std::to_string(part + 1) + " line " +
                          std::to_string(bad) + " is not a number");
    if (auto err = checkPartNumbers(values); !err.empty())
        throw FormatError("work file of part " + std::to_string(part + 1) + ": " + err);
    return standard;
}

} // namespace

void PartSections::close(int part, size_t begin) {
    spans_.push_back({part, begin, out_.size()});
    out_ += "-2\r\n";
}

void PartSections::add(int part, std::string_view workFile) {
    const size_t begin = out_.size();
    out_ += workFile;
    close(part, begin);
}

void PartSections::addFile(int part, const std::filesystem::path& workFile) {
    const size_t begin = out_.size();
    appendFileBytes(out_, workFile);
    close(part, begin);
}

void PartSections::finish(std::vector<int64_t>& scratch) {
    const unsigned cores = out_.size() >= kTextForCores ? 4 : 1;
    // The caller's buffer serves the first worker; the others bring their own.
    std::vector<std::vector<int64_t>> more(workersFor(spans_.size(), cores));
    std::vector<uint8_t> standard(spans_.size(), 0);
    onEveryCore(
        spans_.size(),
        [&](size_t i, size_t worker) {
            const Span& s = spans_[i];
            const std::string_view lines(out_.data() + s.begin, s.end - s.begin);
            standard[i] = checkSection(lines, s.part, worker == 0 ? scratch : more[worker]);
        },
        cores);
    if (std::count(standard.begin(), standard.end(), 0) != 0)
        rewrite(standard, scratch);
}

// Sections not in standard form (blanks, LF line ends, leading zeros) are written again.
void PartSections::rewrite(const std::vector<uint8_t>& standard, std::vector<int64_t>& scratch) {
    std::string again;
    again.reserve(out_.size());
    size_t from = 0;
    for (size_t i = 0; i < spans_.size(); ++i) {
        const Span& s = spans_[i];
        again.append(out_, from, s.begin - from);
        if (standard[i]) {
            again.append(out_, s.begin, s.end - s.begin);
        } else {
            checkSection(std::string_view(out_).substr(s.begin, s.end - s.begin), s.part, scratch);
            for (const int64_t v : scratch)
                appendNumberLine(again, v);
        }
        from = s.end;
    }
    again.append(out_, from, std::string::npos);
    out_.swap(again);
}

size_t songSectionsSize(const Song& song) {
    // Tempo lines are at most 5 bytes, key lines at most 5.
    return 256 + 5 * static_cast<size_t>(kLaneCols) + 10 * song.KeyMask.size() +
           song.SongTitle.size() + song.SongCopyright.size() + 16 * 4;
}

std::string formatProjectText(const Song& song, const WorkFileTexts& workFiles) {
    size_t size = songSectionsSize(song);
    for (const auto& w : workFiles)
        size += w ? w->size() : 0;
    std::string out;
    out.reserve(size);
    appendSongSections(out, song);
    PartSections sections(out);
    for (int p = 0; p < kParts; ++p) {
        if (const auto& w = workFiles[static_cast<size_t>(p)])
            sections.add(p, *w);
        else
            sections.addNone();
    }
    std::vector<int64_t> scratch;
    sections.finish(scratch);
    return out;
}

WorkFileTexts readWorkFiles(const AppFolder& folder) {
    WorkFileTexts texts;
    for (int p = 0; p < kParts; ++p) {
        const auto path = folder.workFile(p);
        if (std::filesystem::exists(path))
            texts[static_cast<size_t>(p)] = readWholeFile(path);
    }
    return texts;
}

} // namespace zelk
