#pragma once

#include <array>

namespace zelk::ui {

// Items of the program drop-down: number, blank, Japanese instrument name, trailing blank.
const std::array<const char*, 128>& programNames();

} // namespace zelk::ui
