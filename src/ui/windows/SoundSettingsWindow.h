#pragma once

#include "ports/SoundSetup.h"

#include <QDialog>

#include <functional>
#include <future>

class QComboBox;
class QLabel;
class QPushButton;
class QTimer;

namespace zelk {
class UserPrompts;
}

namespace zelk::ui {

// "音源の設定": the built-in synthesizer's SoundFont (found ones or any file), the sound
// card's driver and buffer. "適用" reads a new SoundFont on a worker thread while the window
// stays responsive, then switches; `busy` says whether playing or recording forbids that now,
// `applied` runs after a switch (the current part's sound is sent again).
class SoundSettingsWindow : public QDialog {
    Q_OBJECT
public:
    SoundSettingsWindow(SoundSetup& setup, UserPrompts& prompts, std::function<bool()> busy,
                        std::function<void()> applied, QWidget* owner);
    ~SoundSettingsWindow() override;

    QComboBox* soundFontBox() const { return fonts_; }
    QComboBox* driverBox() const { return driver_; }
    QComboBox* bufferBox() const { return buffer_; }
    QPushButton* applyButton() const { return apply_; }
    // True while a SoundFont is being read.
    bool loading() const { return loading_.valid(); }
    // The choice as the window's boxes show it.
    SoundChoice shownChoice() const;

protected:
    void showEvent(class QShowEvent* e) override;

private:
    void build();
    void refill();
    void browse();
    void applyChoice();
    void finishLoading();
    // Playing or recording forbids a switch now: says so.
    bool refusedWhileBusy();
    void switchTo(const SoundChoice& choice);

    SoundSetup& setup_;
    UserPrompts& prompts_;
    std::function<bool()> busy_;
    std::function<void()> applied_;
    QComboBox* fonts_ = nullptr;
    QComboBox* driver_ = nullptr;
    QComboBox* buffer_ = nullptr;
    QLabel* now_ = nullptr;
    QPushButton* apply_ = nullptr;
    QTimer* poll_ = nullptr;
    std::future<std::string> loading_;
    SoundChoice pending_;
};

} // namespace zelk::ui
