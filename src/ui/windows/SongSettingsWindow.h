#pragma once

#include <QDialog>
#include <array>

class QCheckBox;
class QLineEdit;

namespace zelk {
struct Song;
struct EditorState;
} // namespace zelk

namespace zelk::ui {

// The song-settings window Form3 ("曲の設定"), modal: title, copyright and the rhythm
// parts. A rhythm-part box acts at once; the texts are taken only by "閉じる", and a text
// the project file could not carry is refused with a message while the window stays.
class SongSettingsWindow : public QDialog {
    Q_OBJECT
public:
    SongSettingsWindow(Song& song, EditorState& editor, QWidget* owner);

private:
    void closeClicked();

    Song& song_;
    EditorState& editor_;
    QLineEdit* title_;
    QLineEdit* copyright_;
    std::array<QCheckBox*, 16> rhythm_{};
};

} // namespace zelk::ui
