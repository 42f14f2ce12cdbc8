#pragma once

#include "editor/tools/MeasureEdit.h"

#include <QDialog>
#include <array>

class QComboBox;
class QLabel;
class QRadioButton;

namespace zelk::ui {

class MainWindow;

// The measure-edit window ("小節編集"), modeless: octave shift of the current part, a
// lane over a measure range, and the loop point. While it is open the main window's time
// signature cannot change.
class MeasureEditWindow : public QDialog {
    Q_OBJECT
public:
    MeasureEditWindow(MainWindow& main, Song& song, EditorState& editor);

protected:
    void showEvent(QShowEvent* e) override;
    void done(int result) override;

private:
    void buildOctave(const class Twips& tw);
    void buildLanes(const class Twips& tw);
    void buildLoop(const class Twips& tw);
    void load();
    void fillMeasureLists();
    void showForm(const MeasureEditForm& f);
    void read();

    MainWindow& main_;
    Song& song_;
    EditorState& editor_;
    MeasureEditForm form_;
    QComboBox* octave_ = nullptr;       // Combo1(3)
    std::array<QComboBox*, 2> range_{}; // Combo3(0), Combo3(1)
    QComboBox* lane_ = nullptr;         // Combo2
    QComboBox* value_ = nullptr;        // Combo1(1)
    QLabel* opLabel_ = nullptr;         // Label5
    std::array<QRadioButton*, 3> option1_{};
    QComboBox* loop_ = nullptr;   // Combo4
    QLabel* loopState_ = nullptr; // Label6
};

} // namespace zelk::ui
