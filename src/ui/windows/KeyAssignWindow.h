#pragma once

#include "editor/KeyAssign.h"

#include <QDialog>
#include <array>

class QComboBox;

namespace zelk::ui {

// The key-assignment window Form4 ("キー割り当て"), modeless. Every choice acts at once
// through the core's window state; closing it by any means commits the lists.
class KeyAssignWindow : public QDialog {
    Q_OBJECT
public:
    KeyAssignWindow(KeyAssignment& keys, QWidget* owner);

protected:
    // Closing by any means (閉じる, the close box, Escape) ends here.
    void done(int result) override;
    // Every showing loads the lists from KeyAssign anew.
    void showEvent(QShowEvent* e) override;

private:
    void selectAll();

    KeyAssignment& keys_;
    std::array<QComboBox*, kAllKeyActions> lists_{};
};

} // namespace zelk::ui
