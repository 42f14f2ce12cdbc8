#pragma once

#include "editor/entry/SelectionTranspose.h"

#include <QDialog>

#include <array>

class QComboBox;
class QLabel;
class QRadioButton;
class QSpinBox;

namespace zelk::ui {

class MainWindow;

// "移調": the selected notes transposed by semitones or by steps of the scale, and their
// velocity set, scaled or raised. Modeless; each OK is one edit of the notes selected at
// that moment, shown in the main window at once.
class TransposeWindow : public QDialog {
    Q_OBJECT
public:
    explicit TransposeWindow(MainWindow& main);

    // The form as the controls show it.
    TransposeForm form() const;

private:
    void buildPitch(const class Twips& tw);
    void buildVelocity(const class Twips& tw);
    // The value box's range and suffix for the chosen operation.
    void showVelocityOp();

    MainWindow& main_;
    std::array<QRadioButton*, 2> unit_{}; // Option1_0 半音, Option1_1 音階
    QComboBox* amount_ = nullptr;         // Combo1: +12 .. -12
    QComboBox* op_ = nullptr;             // Combo2: 固定, 倍率, 加算
    QSpinBox* value_ = nullptr;           // Text1
    QLabel* suffix_ = nullptr;            // Label3
};

} // namespace zelk::ui
