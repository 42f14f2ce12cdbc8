#pragma once

#include <QString>
#include <array>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QScrollBar;
class QWidget;

namespace zelk::ui {

class ScoreCanvas;
class Twips;

// The controls of the main window, by their window identifiers. Built once by
// buildMainWindowControls at their designed places; the canvas and the scroll bar are
// re-laid out on every resize.
struct MainWindowControls {
    QScrollBar* HScroll1 = nullptr;
    ScoreCanvas* Picture1 = nullptr;
    QLabel* Label1 = nullptr;               // note length
    QLabel* Label2 = nullptr;               // accidental
    QLabel* Label3 = nullptr;               // "♪="
    QLabel* Label4 = nullptr;               // staff band or lane
    QLabel* Label6 = nullptr;               // "音響"
    QLabel* Label7 = nullptr;               // "ｺｰﾗｽ"
    QLabel* Label10 = nullptr;              // pointer information
    QLabel* Label11 = nullptr;              // mouse hint
    QComboBox* Combo1 = nullptr;            // program
    QComboBox* Combo2 = nullptr;            // tempo offset
    QComboBox* Combo3 = nullptr;            // reverb
    QComboBox* Combo4 = nullptr;            // chorus
    QComboBox* Combo5 = nullptr;            // time signature
    QComboBox* Combo6 = nullptr;            // sharp or flat key
    QComboBox* Combo7 = nullptr;            // number of accidentals
    std::array<QPushButton*, 7> Command1{}; // note lengths, indexes 1..6
    std::array<QPushButton*, 2> Command2{}; // sharp, flat
    QPushButton* Command3 = nullptr;        // clear accidental
    QPushButton* Command4 = nullptr;        // play / stop
    QPushButton* Command5 = nullptr;        // tuplet mode
    QPushButton* Command7 = nullptr;        // all play parts on
    QPushButton* Command8 = nullptr;        // all play parts off
    QGroupBox* Frame1 = nullptr;
    QGroupBox* Frame2 = nullptr;
    QGroupBox* Frame3 = nullptr;
    std::array<QRadioButton*, 16> Option1{}; // part select
    std::array<QRadioButton*, 4> Option2{};  // staff band
    std::array<QRadioButton*, 8> Option3{};  // input screen
    std::array<QCheckBox*, 16> Check1{};     // play parts
    QCheckBox* Check2 = nullptr;             // step entry from a MIDI keyboard (status bar)
    std::array<QLabel*, 50> Label5{};        // drum names
};

// Creates every control as a child of `form` at its designed place.
MainWindowControls buildMainWindowControls(QWidget* form, const Twips& tw);

// Items of the time-signature drop-down, in list order.
const std::array<QString, 10>& timeSignatureItems();

} // namespace zelk::ui
