#pragma once

namespace zelk::ui {

// Registers the pictures compiled into the ui library; safe to call more than once.
void initResources();

} // namespace zelk::ui
