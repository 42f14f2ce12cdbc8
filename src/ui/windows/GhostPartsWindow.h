#pragma once

#include <QDialog>

#include <array>
#include <cstdint>

class QCheckBox;

namespace zelk::ui {

// "薄く表示するパート": which parts' notes show faintly behind the part being edited, one box
// per part. Modal; the choice is read when it closes.
class GhostPartsWindow : public QDialog {
    Q_OBJECT
public:
    GhostPartsWindow(uint16_t parts, QWidget* owner);
    uint16_t parts() const;

private:
    std::array<QCheckBox*, 16> boxes_{};
};

} // namespace zelk::ui
