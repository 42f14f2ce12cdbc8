#include "import/MeasurePlan.h"

#include "model/Limits.h"

#include <algorithm>

namespace zelk {
namespace {

constexpr int kOffered[] = {4, 8, 12, 16, 20, 24, 28, 32, 40, 48};
constexpr int kDefaultCols = 32; // 4/4 until a file says otherwise

bool offered(int cols) {
    return std::find(std::begin(kOffered), std::end(kOffered), cols) != std::end(kOffered);
}

// n pieces of whole beats as even as possible, the longer first: an even share the list
// does not offer (36, 44) trades a beat with another piece. Empty when that does not do.
std::vector<int> evenPieces(int cols, int beat, int n) {
    const int beats = cols / beat;
    std::vector<int> pieces;
    for (int i = 0; i < n; ++i)
        pieces.push_back((beats / n + (i < beats % n ? 1 : 0)) * beat);
    for (size_t i = 0; i < pieces.size(); ++i) {
        if (offered(pieces[i]))
            continue;
        bool traded = false;
        for (size_t k = 0; k < pieces.size() && !traded; ++k)
            for (const int d : {beat, -beat})
                if (k != i && offered(pieces[i] + d) && offered(pieces[k] - d) && !traded) {
                    pieces[i] += d;
                    pieces[k] -= d;
                    traded = true;
                }
        if (!traded)
            return {};
    }
    std::sort(pieces.rbegin(), pieces.rend());
    return pieces;
}

// Columns of a measure's beat: the signature's unit, three of them in compound time.
int beatOf(int numerator, int denominatorPower) {
    if (denominatorPower > 5)
        return 4;
    int beat = 32 >> denominatorPower;
    if (numerator % 3 == 0 && numerator > 3 && denominatorPower >= 3)
        beat *= 3;
    return beat % 4 == 0 ? beat : 4;
}

} // namespace

std::vector<int> offeredPieces(int cols, int beat) {
    if (offered(cols))
        return {cols};
    for (const int b : {beat, 4}) {
        if (b <= 0 || cols % b != 0)
            continue;
        for (int n = std::max(1, (cols + 47) / 48); n <= cols / b; ++n)
            if (auto pieces = evenPieces(cols, b, n); !pieces.empty())
                return pieces;
    }
    return std::vector<int>(static_cast<size_t>(cols / 4), 4);
}

MeasurePlan::MeasurePlan(const SongEvents& song, uint32_t musicEnd, ImportReport& report)
    : division_(song.division), origin_(song.origin) {
    place(fileMeasures(song, musicEnd), report);
    fillToGridEnd();
    measureAt_.reserve(static_cast<size_t>(total_));
    for (size_t m = 0; m < lengths_.size(); ++m)
        measureAt_.insert(measureAt_.end(), static_cast<size_t>(lengths_[m]),
                          static_cast<uint16_t>(m + 1));
}

std::vector<MeasurePlan::FileMeasure> MeasurePlan::fileMeasures(const SongEvents& song,
                                                                uint32_t musicEnd) const {
    struct Meter {
        int64_t at, length;
        int beat;
    };
    const int64_t upc = unitsPerColumn();
    std::vector<Meter> meters{{0, kDefaultCols * upc, 8}};
    for (const MeterEvent& m : song.meters) {
        if (m.numerator <= 0 || m.denominatorPower > 7)
            continue; // no length a measure could have
        // Exact: 1920 units per whole note and division is divisible by 2^7.
        const int64_t length = (int64_t{m.numerator} * 1920 * division_) >> m.denominatorPower;
        const int64_t at = m.tick <= origin_ ? 0 : int64_t{m.tick - origin_} * 480;
        if (meters.back().at == at)
            meters.back() = {at, length, beatOf(m.numerator, m.denominatorPower)};
        else
            meters.push_back({at, length, beatOf(m.numerator, m.denominatorPower)});
    }
    const int64_t end = musicEnd > origin_ ? int64_t{musicEnd - origin_} * 480 : 0;
    const int64_t stop = std::min(end, int64_t{kMaxSongCols} * upc);
    std::vector<FileMeasure> out;
    size_t i = 0;
    for (int64_t start = 0; start < stop;) {
        while (i + 1 < meters.size() && meters[i + 1].at <= start)
            ++i;
        int64_t length = meters[i].length;
        if (i + 1 < meters.size() && meters[i + 1].at < start + length)
            length = meters[i + 1].at - start; // a new signature cuts the measure short
        out.push_back({start, length, meters[i].beat});
        start += length;
    }
    return out;
}

void MeasurePlan::place(const std::vector<FileMeasure>& measures, ImportReport& report) {
    const int64_t upc = unitsPerColumn();
    const auto whole = [upc](const FileMeasure& m) {
        return m.length % upc == 0 && (m.length / upc) % 4 == 0;
    };
    for (size_t i = 0; i < measures.size();) {
        const int measure = static_cast<int>(lengths_.size()) + 1;
        sections_.push_back({measures[i].start, int64_t{total_} * upc - measures[i].start});
        std::vector<int> pieces;
        if (whole(measures[i])) {
            pieces = offeredPieces(static_cast<int>(measures[i].length / upc), measures[i].beat);
            if (pieces.size() > 1)
                report.add(ImportChange::MeterSplit, {-1, measure});
            ++i;
        } else {
            // Measures of no whole number of 4 columns, taken together.
            int64_t units = 0;
            for (; i < measures.size() && !whole(measures[i]); ++i)
                units += measures[i].length;
            const int64_t cols = (units + 4 * upc - 1) / (4 * upc) * 4;
            report.add(cols * upc > units ? ImportChange::MeterPadded : ImportChange::MeterSplit,
                       {-1, measure});
            pieces = offeredPieces(static_cast<int>(std::min<int64_t>(cols, kMaxSongCols)), 4);
        }
        for (const int cols : pieces)
            addMeasure(cols);
        lastPieces_ = pieces;
    }
}

void MeasurePlan::addMeasure(int cols) {
    if (total_ + cols > kMaxSongCols)
        return;
    starts_.push_back(total_);
    lengths_.push_back(cols);
    total_ += cols;
}

void MeasurePlan::fillToGridEnd() {
    if (lastPieces_.empty())
        lastPieces_ = {kDefaultCols};
    for (bool fits = true; fits;)
        for (const int cols : lastPieces_) {
            fits = total_ + cols <= kMaxSongCols;
            if (!fits)
                break;
            addMeasure(cols);
        }
    if (lengths_.empty()) // a single measure longer than the grid was cut
        addMeasure(kDefaultCols);
}

int64_t MeasurePlan::position(uint32_t tick) const {
    const int64_t units = (int64_t{tick} - int64_t{origin_}) * 480;
    auto it = std::upper_bound(sections_.begin(), sections_.end(), units,
                               [](int64_t u, const Section& s) { return u < s.from; });
    const int64_t shift = it == sections_.begin() ? 0 : std::prev(it)->shift;
    return units + shift;
}

int32_t MeasurePlan::columnOf(uint32_t tick) const {
    const int64_t p = position(tick);
    return p <= 0 ? 0 : static_cast<int32_t>(std::min<int64_t>(p / unitsPerColumn(), kGridCols));
}

int MeasurePlan::measureOfColumn(int32_t col) const {
    if (col < 0)
        return 1;
    if (col >= total_)
        return static_cast<int>(lengths_.size());
    return measureAt_[static_cast<size_t>(col)];
}

int32_t MeasurePlan::beatCols(int32_t col) const {
    const int len = lengths_[static_cast<size_t>(measureOfColumn(col) - 1)];
    return len % 8 == 0 ? 8 : 4;
}

int32_t MeasurePlan::beatStart(int32_t col) const {
    const int32_t start = measureStart(measureOfColumn(col));
    const int32_t beat = beatCols(col);
    return start + (col - start) / beat * beat;
}

} // namespace zelk
