#pragma once

class QWidget;

namespace zelk::ui {

// Keeps the mouse wheel from changing drop-downs the user never chose: under root, a
// drop-down changes on a wheel turn only while it has the keyboard focus, and a wheel
// turn never gives it the focus. (A wheel turned over the score to scroll it rewrote
// the time signature of the whole song.)
void guardWheel(QWidget* root);

} // namespace zelk::ui
