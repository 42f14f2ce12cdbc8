#pragma once

#include "editor/transport/Recording.h"

#include <QDialog>

#include <array>
#include <functional>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTimer;

namespace zelk {
class UserPrompts;
}

namespace zelk::ui {

// The recording window Form7 ("録音"), modal over the main window: records the playback to a
// WAV file and, for WMA, converts it. The rules live in editor/Recording.h; the window copies
// its controls into the form, runs the handlers and shows the form and its timers.
class RecordingWindow : public QDialog {
    Q_OBJECT
public:
    // `playbackChanged` runs whenever the main window's play button, menus or Timer1 must be
    // shown anew.
    RecordingWindow(PlaybackContext playback, WaveRecorder& recorder, WmaEncoder& encoder,
                    std::filesystem::path musicFolder, UserPrompts& prompts,
                    std::function<void()> playbackChanged, QWidget* owner);

    const RecordingForm& form() const { return form_; }

protected:
    void closeEvent(QCloseEvent* e) override;
    void keyPressEvent(class QKeyEvent* e) override;
    void reject() override;

private:
    void buildFormatFrames(const class Twips& tw);
    void buildTagFrame(const Twips& tw);
    void buildBottomRow(const Twips& tw);
    void connectControls();
    void takeControls();
    void showForm();
    void present(const RecordingOutcome& outcome);
    void browse();
    void openMixer();
    bool tickedPartsOnPorts() const;
    void cancel();
    void unload();

    RecordingForm form_;
    RecordingContext ctx_;
    UserPrompts& prompts_;
    std::function<void()> playbackChanged_;
    bool unloaded_ = false;

    std::array<QRadioButton*, 2> option1_{};
    std::array<QRadioButton*, 2> option2_{};
    QGroupBox* frame2_ = nullptr;
    QGroupBox* frame3_ = nullptr;
    QLabel* label4_ = nullptr;
    QComboBox* combo1_ = nullptr;
    std::array<QLabel*, 4> label1_{};
    std::array<QLineEdit*, 4> text1_{};
    QLineEdit* text2_ = nullptr;
    QPushButton* command1_ = nullptr;
    QPushButton* command3_ = nullptr;
    QLabel* startLabel_ = nullptr;
    QLabel* label3_ = nullptr;
    QTimer* timer1_ = nullptr;
    QTimer* timer2_ = nullptr;
    QTimer* timer3_ = nullptr;
};

} // namespace zelk::ui
