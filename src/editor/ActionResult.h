#pragma once

#include <string>

namespace zelk {

// What an editor action reports back to the window: a refusal carries the text of the
// message box (OK button, application title) that the window shows.
struct ActionResult {
    std::string message;
    bool refused() const { return !message.empty(); }
};

} // namespace zelk
