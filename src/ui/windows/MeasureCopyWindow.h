#pragma once

#include "editor/tools/MeasureCopy.h"

#include <QDialog>
#include <array>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QRadioButton;
class QWidget;

namespace zelk::ui {

class MainWindow;

// The measure copy and clear window Form2 ("小節コピー・クリア"), modeless. While it is
// open the main window's time signature cannot change.
class MeasureCopyWindow : public QDialog {
    Q_OBJECT
public:
    MeasureCopyWindow(MainWindow& main, Song& song, EditorState& editor);

protected:
    void showEvent(QShowEvent* e) override;
    void done(int result) override;

private:
    void buildControls();
    void load();
    void fillMeasureLists();
    void showForm(const MeasureCopyForm& f);
    void read();
    void okClicked();

    MainWindow& main_;
    Song& song_;
    EditorState& editor_;
    MeasureCopyForm form_;
    QGroupBox* frame1_ = nullptr;
    std::array<QRadioButton*, 2> option1_{};
    std::array<QRadioButton*, 2> option2_{};
    std::array<QComboBox*, 5> combo1_{};
    QLabel* label8_ = nullptr;
    std::array<QWidget*, 7> destinationRow_{};
    QLineEdit* text1_ = nullptr;
};

} // namespace zelk::ui
