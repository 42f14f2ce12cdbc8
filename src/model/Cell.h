#pragma once

#include <cstdint>

// Bits of one grid cell. A cell can hold the end of one note and the start or
// continuation of the next at once; bits 15..31 are always 0.
namespace zelk::cell {

inline constexpr int32_t Head = 0x003F;
inline constexpr int32_t Body = 0x0040;
inline constexpr int32_t End = 0x0080;
inline constexpr int32_t Sharp = 0x0100;
inline constexpr int32_t Flat = 0x0200;
inline constexpr int32_t EndSharp = 0x0400;
inline constexpr int32_t EndFlat = 0x0800;
inline constexpr int32_t TupletBody = 0x1000;
inline constexpr int32_t TupletHead = 0x2000;
inline constexpr int32_t TupletEnd = 0x4000;
inline constexpr int32_t MaxValue = 0x7FFF;

// Layers: what belongs to the note starting here, and to the note ending here.
inline constexpr int32_t HeadLayer = 0x233F;
inline constexpr int32_t EndLayer = 0x4C80;

constexpr bool startsNote(int32_t v) {
    return (v & Head) != 0;
}
constexpr bool startsOrSounds(int32_t v) {
    return (v & 0x7F) != 0;
}
constexpr bool isPlainHead(int32_t v) {
    return (v & 0x203F) == Head;
}
constexpr bool isTupletHead(int32_t v) {
    return (v & 0x203F) == 0x203F;
}
constexpr bool isPlainEnd(int32_t v) {
    return (v & 0x4080) == End;
}
constexpr bool isTupletEnd(int32_t v) {
    return (v & 0x4080) == 0x4080;
}
// The cell's note is a tuplet note (its head or its body).
constexpr bool inTuplet(int32_t v) {
    return (v & (TupletBody | TupletHead)) != 0;
}
constexpr bool endsNote(int32_t v) {
    return (v & End) != 0;
}

} // namespace zelk::cell
