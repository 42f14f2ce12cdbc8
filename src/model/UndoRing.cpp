#include "model/UndoRing.h"

#include <stdexcept>

namespace zelk {

UndoRecord& UndoRing::at(int p) {
    if (p < 1 || p > 255)
        throw std::out_of_range("undo position outside 1..255");
    return UndoTable[static_cast<size_t>(p)];
}

const UndoRecord& UndoRing::at(int p) const {
    if (p < 1 || p > 255)
        throw std::out_of_range("undo position outside 1..255");
    return UndoTable[static_cast<size_t>(p)];
}

void UndoRing::clear() {
    UndoTable.fill(UndoRecord{});
}

void UndoRing::resetChain() {
    UndoPos = 1;
    at(1).kind = -1;
}

void UndoRing::push(const UndoRecord& r) {
    UndoPos = static_cast<uint8_t>(next(UndoPos));
    at(next(UndoPos)).kind = -1;
    at(UndoPos) = r;
}

} // namespace zelk
