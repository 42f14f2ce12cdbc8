#include "midi/PartTrack.h"

#include "midi/MidiExportOptions.h"
#include "midi/WorkFileStream.h"
#include "model/Cell.h"
#include "model/Song.h"

#include <algorithm>
#include <limits>

namespace zelk {
namespace {

constexpr int kLanesPerColumn = WorkFileStream::kLanesPerColumn;
// Lane order within a column of the work file.
enum LaneIndex { kSounding, kVel, kPit, kMod, kExp, kPan, kHol };
constexpr std::array<uint8_t, 5> kLaneStart{64, 0, 127, 64, 0};
constexpr uint32_t kSetUpFirst = 180; // export: the six set-up events end on tick 480
constexpr uint32_t kSetUpStep = 60;
constexpr uint32_t kTrailingBeat = 480;
constexpr int kTupletSlotTicks = 20; // three slots per four columns, 80 ticks apart

} // namespace

PartTrackBuilder::PartTrackBuilder(const Song& song, const MidiExportOptions& opt, int part)
    : song_(song), opt_(opt), part_(part), channel_(static_cast<uint8_t>(channelOf(song, part))),
      loopCol_(-1) {
    // A loop point past the last measure has no column to mark.
    if (opt.ExportMode == 1 && song.LoopOn == 1 && song.LoopMeasure >= 0 &&
        song.LoopMeasure < song.MeasureCount())
        loopCol_ = song.SumMeasureLen(song.LoopMeasure);
    held_.reserve(kRows + 1);
}

void PartTrackBuilder::build(WorkFileStream& file, TrackBuffer& track) {
    t_ = &track;
    track.reset(60 * opt_.ViewCol);
    lastSent_ = kLaneStart;
    held_.clear();
    soundingKey_.fill(-1);
    loopWritten_ = false;
    lastNoteOff_ = 0;
    measureIndex_ = 0;
    nextMeasureCol_ = song_.SumMeasureLen(song_.MeasureCount() > 0 ? 1 : 0);
    lanes_ = file.lanes.data();
    setUp(file);
    walkCells(file);
    if (loopCol_ < 0) {
        // Keeps the track running one beat past its last note.
        track.rawDelta(kTrailingBeat);
        track.put({static_cast<uint8_t>(0xC0 | channel_), 0x00});
    }
    track.endOfTrack();
}

void PartTrackBuilder::setUp(const WorkFileStream& file) {
    const uint8_t cc = 0xB0 | channel_;
    const bool exporting = opt_.ExportMode == 1;
    const uint32_t first = exporting ? kSetUpFirst : 0;
    const uint32_t step = exporting ? kSetUpStep : 0;
    auto& t = *t_;
    t.rawDelta(first);
    t.put({cc, 0x79, 0x00});
    t.rawDelta(step);
    t.put({cc, 0x07, 0x7F});
    t.rawDelta(step);
    t.put({cc, 0x0A, 0x40});
    t.rawDelta(step);
    t.put({cc, 0x5B, dataByte(file.PartReverb)});
    t.rawDelta(step);
    t.put({cc, 0x5D, dataByte(file.PartChorus)});
    t.rawDelta(step);
    t.put({static_cast<uint8_t>(0xC0 | channel_), dataByte(file.PartProgram)});
}

void PartTrackBuilder::walkCells(WorkFileStream& file) {
    WorkFileStream::Cell c{};
    while (file.nextCell(c))
        cell(c.v, c.x, c.r);
    if (!held_.empty())
        secondPass();
}

void PartTrackBuilder::cell(int32_t v, int32_t x, int32_t r) {
    if (x < opt_.ViewCol) {
        skippedCell(v, x, r);
        return;
    }
    if (!held_.empty() && x > held_.back().x)
        secondPass();
    if (v & (cell::TupletHead | cell::TupletEnd))
        held_.push_back({v, x, r});
    // A tuplet end holds back the whole cell, an ordinary head sharing it included.
    const bool heldBack = cell::isTupletEnd(v);
    if (!heldBack && cell::endsNote(v))
        noteOff(v, x, r, 0);
    loopMarker(x);
    effects(x);
    if (!heldBack && !cell::isTupletHead(v) && cell::startsNote(v))
        noteOn(v, x, r, 0);
}

// Playback from a later measure writes nothing before its first column, but a note that
// started there still ends with the key it sounds in.
void PartTrackBuilder::skippedCell(int32_t v, int32_t x, int32_t r) {
    if (cell::endsNote(v))
        soundingKey_[static_cast<size_t>(r)] = -1;
    if (cell::startsNote(v))
        soundingKey_[static_cast<size_t>(r)] = headKeyAt(v, x, r);
}

void PartTrackBuilder::secondPass() {
    for (const HeldCell& h : held_) {
        const int slot = h.x % 4;
        if (slot == 3)
            continue; // no tuplet slot there; the editor never puts a mark in it
        const int offset = kTupletSlotTicks * slot;
        if (cell::isTupletEnd(h.v))
            noteOff(h.v, h.x, h.r, offset);
        loopMarker(h.x);
        if (cell::isTupletHead(h.v) || (cell::isTupletEnd(h.v) && cell::startsNote(h.v)))
            noteOn(h.v, h.x, h.r, offset);
    }
    held_.clear();
}

void PartTrackBuilder::noteOn(int32_t v, int32_t x, int32_t r, int offset) {
    const uint8_t key = headKeyAt(v, x, r);
    soundingKey_[static_cast<size_t>(r)] = key;
    t_->at(60 * x + offset);
    t_->put({static_cast<uint8_t>(0x90 | channel_), key, lane(x, kVel)});
}

void PartTrackBuilder::noteOff(int32_t v, int32_t x, int32_t r, int offset) {
    int16_t& sounding = soundingKey_[static_cast<size_t>(r)];
    const uint8_t key =
        sounding >= 0 ? static_cast<uint8_t>(sounding) : dataByte(endKey(song_, part_, r, x, v));
    sounding = -1;
    t_->at(60 * x + offset);
    t_->put({static_cast<uint8_t>(0x90 | channel_), key, 0x00});
    lastNoteOff_ = std::max(lastNoteOff_, t_->fileTicks());
}

// Controller 111 on the first channel whatever the part's: the loop point RPG Maker reads.
void PartTrackBuilder::loopMarker(int32_t x) {
    if (loopCol_ < 0 || loopWritten_ || x < loopCol_)
        return;
    t_->at(60 * loopCol_);
    t_->put({0xB0, 0x6F, 0x00});
    loopWritten_ = true;
}

void PartTrackBuilder::effects(int32_t x) {
    if (lanes_[static_cast<size_t>(x) * kLanesPerColumn + kSounding] != 1)
        return;
    const std::array<uint8_t, 5> now{lane(x, kPit), lane(x, kMod), lane(x, kExp), lane(x, kPan),
                                     lane(x, kHol)};
    if (now == lastSent_)
        return;
    t_->at(60 * x);
    const uint8_t cc = 0xB0 | channel_;
    constexpr uint8_t kController[5] = {0, 0x01, 0x0B, 0x0A, 0x40}; // 0: pitch bend
    bool first = true;
    for (size_t k = 0; k < now.size(); ++k) {
        if (now[k] == lastSent_[k])
            continue;
        if (!first)
            t_->put({0x00}); // same tick as the event before
        first = false;
        if (k == 0)
            t_->put({static_cast<uint8_t>(0xE0 | channel_), 0x00, now[k]});
        else
            t_->put({cc, kController[k], now[k]});
        lastSent_[k] = now[k];
    }
}

uint8_t PartTrackBuilder::headKeyAt(int32_t v, int32_t x, int32_t r) {
    if (channel_ == kRhythmChannel)
        return dataByte(84 - r);
    const int count = song_.MeasureCount();
    while (x >= nextMeasureCol_ && measureIndex_ < count) {
        ++measureIndex_;
        nextMeasureCol_ = measureIndex_ < count ? song_.SumMeasureLen(measureIndex_ + 1)
                                                : std::numeric_limits<int32_t>::max();
    }
    return dataByte(keyInMeasure(song_, r, v & cell::Sharp, v & cell::Flat, measureIndex_));
}

uint8_t PartTrackBuilder::lane(int32_t x, int k) const {
    return dataByte(static_cast<int>(
        lanes_[static_cast<size_t>(x) * kLanesPerColumn + static_cast<size_t>(k)]));
}

} // namespace zelk
