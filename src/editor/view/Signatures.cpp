#include "editor/view/Signatures.h"

#include "model/Limits.h"

#include <algorithm>
#include <bit>
#include <stdexcept>

namespace zelk {

namespace {

struct TimeSignature {
    std::string_view caption;
    int cols; // numerator / denominator x 32
};

constexpr TimeSignature kTimeSignatureList[kTimeSignatures] = {
    {"１/４", 8},  {"２/４", 16}, {"３/４", 24}, {"４/４", 32}, {"５/４", 40},
    {"６/４", 48}, {"１/８", 4},  {"３/８", 12}, {"５/８", 20}, {"７/８", 28},
};

// Sharps add steps in the order F C G D A E B, flats in the order B E A D G C F
// (mask bits: 0 C, 1 B, 2 A, 3 G, 4 F, 5 E, 6 D).
constexpr uint8_t kSharpMasks[8] = {0, 16, 17, 25, 89, 93, 125, 127};
constexpr uint8_t kFlatMasks[8] = {0, 2, 34, 38, 102, 110, 111, 127};

// Number of measures the song holds when measures of `cols` columns follow from the
// first shown measure up to column 9600; the measures before it keep their lengths.
int measureCountFrom(const ViewState& view, int cols) {
    int n = view.FirstMeasure;
    int col = view.ViewCol;
    while (col < kLaneCols) {
        col += cols;
        ++n;
    }
    return n - 2;
}

} // namespace

std::string_view timeSignatureCaption(int listIndex) {
    if (listIndex < 0 || listIndex >= kTimeSignatures)
        throw std::out_of_range("time signature outside the list");
    return kTimeSignatureList[listIndex].caption;
}

int timeSignatureCols(int listIndex) {
    if (listIndex < 0 || listIndex >= kTimeSignatures)
        throw std::out_of_range("time signature outside the list");
    return kTimeSignatureList[listIndex].cols;
}

int timeSignatureIndexOf(int measureCols) {
    for (int i = 0; i < kTimeSignatures; ++i) {
        if (kTimeSignatureList[i].cols == measureCols)
            return i;
    }
    return -1;
}

uint8_t keyMaskFor(bool flat, int count) {
    if (count < 1 || count > 7)
        return 0;
    return flat ? kFlatMasks[count] : kSharpMasks[count];
}

ActionResult Combo5_Click(Song& song, const ViewState& view, SignatureControls& sig,
                          int listIndex) {
    if (sig.TimeSigLock == 1)
        return {};
    sig.Combo5Index = listIndex;
    const int oldCols = song.MeasureCols;
    const uint8_t oldBeat = song.BeatCols;
    if (listIndex >= 0 && listIndex < kTimeSignatures)
        song.MeasureCols = timeSignatureCols(listIndex);
    song.BeatCols = beatColsFor(song.MeasureCols);
    song.Dirty = 1;
    const int count = song.MeasureCols >= kMinMeasureLen ? measureCountFrom(view, song.MeasureCols)
                                                         : 0; // no length to fill the song with
    if (view.FirstMeasure + view.ShownMeasures - 1 <= count) {
        song.MeasureLen.resize(count);
        song.KeyMask.resize(static_cast<size_t>(count) + 1, 0);
        song.KeyShift.resize(static_cast<size_t>(count) + 1, 0);
        for (int m = view.FirstMeasure; m <= count; ++m)
            song.MeasureLen.setLen(m, song.MeasureCols);
        return {};
    }
    // The beat spacing goes back with the length, so the refused entry leaves no beat
    // lines of its own behind.
    song.MeasureCols = oldCols;
    song.BeatCols = oldBeat;
    return {std::string(kTimeSignatureRefused)};
}

void ShowTimeSignature(Song& song, SignatureControls& sig) {
    song.BeatCols = beatColsFor(song.MeasureCols);
    sig.TimeSigLock = 1;
    const int i = timeSignatureIndexOf(song.MeasureCols);
    if (i >= 0)
        sig.Combo5Index = i;
    sig.TimeSigLock = 0;
}

void Combo6_Click(Song& song, const ViewState& view, SignatureControls& sig, int listIndex) {
    if (listIndex != 0 && listIndex != 1)
        throw std::out_of_range("key kind outside 0..1");
    sig.Combo6Index = listIndex;
    KeySignatureChanged(song, view, sig);
}

void Combo7_Click(Song& song, const ViewState& view, SignatureControls& sig, int listIndex) {
    if (listIndex < 0 || listIndex > 7)
        throw std::out_of_range("accidental count outside 0..7");
    sig.Combo7Index = listIndex;
    KeySignatureChanged(song, view, sig);
}

void KeySignatureChanged(Song& song, const ViewState& view, SignatureControls& sig) {
    if (sig.KeySigLock == 1)
        return;
    const bool flat = sig.Combo6Index != 0;
    const uint8_t mask = keyMaskFor(flat, sig.Combo7Index);
    song.KeyCode = static_cast<uint8_t>(mask + (flat ? 128 : 0));
    song.KeySign = song.KeyCode < 128 ? 1 : -1;
    const int last = std::min(scrollMax(song), static_cast<int>(song.KeyMask.size()) - 1);
    for (int i = std::max(0, view.FirstMeasure - 1); i <= last; ++i) {
        song.KeyMask[static_cast<size_t>(i)] = song.KeyCode;
        song.KeyShift[static_cast<size_t>(i)] = song.KeySign;
    }
    // A key change is an edit of the song like a time signature: without this a changed
    // key would be lost silently when the program closes.
    song.Dirty = 1;
}

void showKeySignature(const Song& song, const ViewState& view, SignatureControls& sig) {
    const int m = view.FirstMeasure - 1;
    if (m < 0 || m >= static_cast<int>(song.KeyMask.size()))
        return;
    const uint8_t mask = song.KeyMask[static_cast<size_t>(m)];
    sig.KeySigLock = 1;
    sig.Combo6Index = mask / 128;
    sig.Combo7Index = std::popcount(static_cast<unsigned>(mask & 127));
    sig.KeySigLock = 0;
}

bool Combo2_Click(Song& song, const Palette& palette, int listIndex) {
    if (listIndex < 0 || listIndex >= kMaxTempo)
        throw std::out_of_range("tempo outside 1..300");
    song.TempoIndex = listIndex;
    const int d = (listIndex + 1) - song.TempoBase;
    for (int col = 0; col < kLaneCols; ++col)
        song.TemLane[col] = std::clamp(song.TemLane[col] + d, 1, kMaxTempo);
    song.TempoBase = listIndex + 1;
    // The shifted lane is saved with the song; a real shift must not be lost on closing.
    if (d != 0)
        song.Dirty = 1;
    return palette.InputScreen == ScreenTem;
}

} // namespace zelk
