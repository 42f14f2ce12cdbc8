#pragma once

#include <string>
#include <string_view>

namespace zelk {

// The reason of a refused file or a failed write in the window's words. The core and
// zelk-tool word their reasons in English (for logs and build pipelines); a message box
// shows them in Japanese: the program's own phrases are translated here, and what follows a
// system call's failure (the text after "cannot open PATH: ") is the system's own, already
// in the user's language where the C library has a translation. A phrase not known here
// stays as it is rather than being lost.
std::string reasonInJapanese(std::string_view reason);

} // namespace zelk
