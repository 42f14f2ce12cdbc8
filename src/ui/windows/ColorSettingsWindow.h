#pragma once

#include "editor/prefs/ColorSettings.h"
#include "ui/support/Twips.h"

#include <QDialog>
#include <array>
#include <functional>

class QComboBox;

namespace zelk::ui {

// The colour settings window "色設定", modeless. Every selection changes the table at
// once and calls `changed` (the owner recolours its controls and redraws the canvas).
class ColorSettingsWindow : public QDialog {
    Q_OBJECT
public:
    ColorSettingsWindow(ColorTable& table, std::function<void()> changed, QWidget* owner);

    QComboBox* list(ColorComponent c, int entry) const;

protected:
    // Every showing presets the drop-downs from the table (Form_Load).
    void showEvent(QShowEvent* e) override;

private:
    void buildFrames();
    void addRow(QWidget* frame, int row, const ColorRow& r);
    void select(ColorComponent c, int entry, int listIndex);
    void restoreDefaults();

    ColorTable& table_;
    std::function<void()> changed_;
    ColorSettingsState state_;
    Twips tw_;
    std::array<std::array<QComboBox*, ColorTable::kEntries>, 3> lists_{};
};

} // namespace zelk::ui
