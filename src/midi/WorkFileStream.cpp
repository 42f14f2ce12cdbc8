#include "midi/WorkFileStream.h"

#include "model/FormatError.h"
#include "model/PartFileRules.h"

#include <string>

namespace zelk {

WorkFileStream::WorkFileStream(std::string_view text, int part)
    : lines_(text), part_(part), cells_(0) {
    const std::string where = context();
    const int64_t len = required("header");
    const int64_t program = required("header");
    const int64_t reverb = required("header");
    const int64_t chorus = required("header");
    partfile::checkHeader(len, program, reverb, chorus, where);
    PartLen = static_cast<int32_t>(len);
    PartProgram = static_cast<int32_t>(program);
    PartReverb = static_cast<int32_t>(reverb);
    PartChorus = static_cast<int32_t>(chorus);
    lanes.resize(static_cast<size_t>(PartLen + 1) * kLanesPerColumn);
    for (uint8_t& lane : lanes)
        lane = partfile::laneValue(required("lanes"), where);
    cells_ = partfile::CellRuns(PartLen, where);
}

bool WorkFileStream::nextCell(Cell& c) {
    int64_t seq = 0;
    if (!cells_.next([this](int64_t& v) { return nextNumber(v); }, seq, c.v))
        return false;
    c.x = static_cast<int32_t>(seq / kRows);
    c.r = static_cast<int32_t>(seq % kRows);
    return true;
}

bool WorkFileStream::nextNumber(int64_t& v) {
    ScannedLine line;
    if (!lines_.next(line))
        return false;
    if (!line.isNumber)
        fail("line " + std::to_string(lines_.lineNumber()) + " is not a number");
    v = line.value;
    return true;
}

int64_t WorkFileStream::required(const char* where) {
    int64_t v = 0;
    if (!nextNumber(v))
        fail(std::string("part file ends inside its ") + where);
    return v;
}

std::string WorkFileStream::context() const {
    return "work file of part " + std::to_string(part_ + 1) + ": ";
}

void WorkFileStream::fail(const std::string& why) const {
    throw FormatError(context() + why);
}

} // namespace zelk
