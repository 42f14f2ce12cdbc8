#pragma once

#include "ports/WmaEncoder.h"

#include <array>
#include <string>

namespace zelk {

class TextEncoder;

// The record for Text1(0..3) ("タイトル", "製作者", "著作者", "説明"), each field in Shift-JIS:
// the text without its leading blanks, two NULs, blanks to the end of the field. A text that
// does not fit is cut at the field's end, never inside a two-byte character.
TagRecord buildTagRecord(const std::array<std::string, 4>& texts, const TextEncoder& shiftJis);

} // namespace zelk
