#pragma once

#include <string>
#include <string_view>

namespace zelk::tool {

// Text from a file made fit for a terminal: control characters (C0, DEL, C1), stray
// bytes that are not UTF-8 and the backslash itself come out as \xNN or \\, so a title
// cannot move the cursor, change colours or ring the bell.
std::string terminalSafe(std::string_view text);

} // namespace zelk::tool
