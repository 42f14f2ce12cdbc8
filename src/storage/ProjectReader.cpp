#include "files/TextLines.h"
#include "model/FormatError.h"
#include "model/Limits.h"
#include "model/LineScanner.h"
#include "model/PartFile.h"
#include "storage/ProjectImage.h"

namespace zelk {

int ProjectImage::measureCount() const {
    if (!olderLayout)
        return static_cast<int>(measureLen.size());
    // The older layout's count: one fewer measure than would fit (299 of 4/4).
    int n = 0;
    for (int t = 0; t <= kMaxSongCols; t += measureCols)
        ++n;
    return n - 2;
}

std::optional<std::vector<int64_t>> ProjectImage::partValues(int p) const {
    if (!parts[static_cast<size_t>(p)].present)
        return std::nullopt;
    std::vector<int64_t> values;
    bool standard = false;
    scanNumberLines(partBytes(p), values, standard);
    return values;
}

std::string ProjectImage::partText(int p) const {
    if (parts[static_cast<size_t>(p)].standard)
        return std::string(partBytes(p));
    const auto values = partValues(p);
    std::string out;
    for (int64_t v : values.value_or(std::vector<int64_t>{}))
        appendNumberLine(out, v);
    return out;
}

namespace {

constexpr int64_t kMaxTempoIndex = kMaxTempo - 1;

bool isMarker(const ScannedLine& line, std::string_view marker) {
    if (line.standard)
        return line.text == marker;
    return trimBlanks(line.text) == marker;
}

std::string partName(int p) {
    return "part " + std::to_string(p + 1);
}

// Reads the sections in file order; every method leaves the scanner after its section.
class ProjectReader {
public:
    explicit ProjectReader(ProjectImage& image) : img_(image), lines_(image.text) {}

    void read() {
        readLoopAndTitle();
        readMeasures();
        readRhythmParts();
        img_.measureCols = static_cast<int32_t>(
            inRange(next("the time signature"), "measure length", kMinMeasureLen, kMaxMeasureLen));
        number("the beat spacing", 0, 255); // derived again from MeasureCols on load
        img_.keyCode = static_cast<uint8_t>(number("the key signature", 0, 255));
        readKeySignatures();
        img_.tempoIndex =
            static_cast<int32_t>(inRange(next("the tempo"), "tempo index", 0, kMaxTempoIndex));
        for (int p = 0; p < kParts; ++p)
            readPart(p);
        readTrailer();
    }

private:
    [[noreturn]] void fail(const std::string& reason) const {
        throw FormatError("line " + std::to_string(lines_.lineNumber()) + ": " + reason);
    }

    ScannedLine next(const std::string& where) {
        if (pending_) {
            pending_ = false;
            return pushed_;
        }
        ScannedLine line;
        if (!lines_.next(line))
            throw FormatError("the file ends inside " + where);
        return line;
    }
    void pushBack(const ScannedLine& line) {
        pushed_ = line;
        pending_ = true;
    }

    int64_t inRange(const ScannedLine& line, const std::string& what, int64_t lo, int64_t hi) {
        if (!line.isNumber)
            fail(what + " is not a number");
        if (line.value < lo || line.value > hi)
            fail(what + " " + std::to_string(line.value) + " outside " + std::to_string(lo) + ".." +
                 std::to_string(hi));
        return line.value;
    }
    int64_t number(const std::string& what, int64_t lo, int64_t hi) {
        return inRange(next(what), what, lo, hi);
    }

    // "-3" is a loop section unless "-4" follows at once: a loop measure is never negative,
    // so a song titled "-3" without loop point still loads.
    void readLoopAndTitle() {
        const ScannedLine first = next("the title");
        if (isMarker(first, "-3")) {
            const ScannedLine second = next("the loop point");
            if (!isMarker(second, "-4")) {
                img_.loopMeasure =
                    static_cast<int32_t>(inRange(second, "loop measure", 0, kMaxSongCols - 1));
                img_.title = std::string(next("the title").text);
                return;
            }
            pushBack(second);
        }
        img_.title = std::string(first.text);
    }

    void readMeasures() {
        const ScannedLine line = next("the measure section");
        if (!isMarker(line, "-4")) {
            img_.olderLayout = true;
            img_.copyright = std::string(line.text);
            return;
        }
        img_.tempo.reserve(kMaxSongCols);
        for (;;) {
            const ScannedLine len = next("the measure section");
            if (isMarker(len, "-5"))
                break;
            const auto cols = inRange(len, "measure length", kMinMeasureLen, kMaxMeasureLen);
            if (static_cast<int64_t>(img_.tempo.size()) + cols > kMaxSongCols)
                fail("the measures are longer than 9600 columns");
            img_.measureLen.push_back(static_cast<uint8_t>(cols));
            for (int64_t c = 0; c < cols; ++c)
                img_.tempo.push_back(static_cast<int32_t>(number("the tempo lane", 0, kMaxTempo)));
        }
        if (img_.measureLen.empty())
            fail("the song has no measures");
        img_.copyright = std::string(next("the copyright").text);
    }

    void readRhythmParts() {
        const ScannedLine line = next("the rhythm-part section");
        if (!isMarker(line, "-6")) {
            pushBack(line); // older files: no flags, the time signature comes next
            return;
        }
        std::array<uint8_t, 16> flags{};
        for (auto& f : flags)
            f = static_cast<uint8_t>(number("the rhythm-part flags", 0, 1));
        img_.drumPart = flags;
    }

    void readKeySignatures() {
        const ScannedLine line = next("the key signatures");
        if (!isMarker(line, "-1")) {
            pushBack(line); // older files: the tempo index comes next
            return;
        }
        const size_t limit = static_cast<size_t>(img_.measureCount()) + 1;
        auto& keys = img_.keys.emplace();
        for (;;) {
            const ScannedLine mask = next("the key signatures");
            if (isMarker(mask, "-2"))
                break;
            if (keys.size() == limit)
                fail("more key signatures than measures");
            const auto m = inRange(mask, "key mask", 0, 255);
            const auto shift = number("key shift", -1, 1);
            keys.emplace_back(static_cast<uint8_t>(m), static_cast<int32_t>(shift));
        }
    }

    void readPart(int p) {
        auto& part = img_.parts[static_cast<size_t>(p)];
        const std::string where = partName(p);
        if (pending_) // never: the tempo index before the parts takes the pushed line
            fail("internal reader state");
        part.begin = lines_.offset();
        const NumberScan scan = scanNumbers(img_.text, part.begin, values_, true);
        if (scan.badLine != 0)
            throw FormatError("line " + std::to_string(lines_.lineNumber() + scan.badLine) + ": " +
                              where + " holds a line that is not a number");
        if (!scan.foundMarker)
            throw FormatError("the file ends inside " + where);
        lines_.skipTo(scan.end, scan.lines);
        part.end = scan.markerAt;
        part.standard = scan.standard;
        part.present = !values_.empty();
        if (part.present)
            if (auto err = checkPartNumbers(values_); !err.empty())
                throw FormatError(where + ": " + err);
    }

    void readTrailer() {
        ScannedLine line;
        while (lines_.next(line))
            if (!trimBlanks(line.text).empty())
                fail("text after the last part");
    }

    ProjectImage& img_;
    LineScanner lines_;
    ScannedLine pushed_;
    bool pending_ = false;
    std::vector<int64_t> values_; // numbers of the part being read, reused for every part
};

} // namespace

ProjectImage parseProjectText(std::string text) {
    ProjectImage image;
    image.text = std::move(text);
    ProjectReader(image).read();
    return image;
}

} // namespace zelk
