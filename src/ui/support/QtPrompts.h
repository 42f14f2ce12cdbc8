#pragma once

#include "ports/UserPrompts.h"

#include <string>
#include <utility>

class QWidget;

namespace zelk::ui {

// The user prompts as Qt message boxes and file dialogs owned by one window. Every
// message is also written to stderr, so a run without a screen still tells what it said.
class QtPrompts : public UserPrompts {
public:
    explicit QtPrompts(QWidget* owner) : owner_(owner) {}

    // Messages shown while false do not wait for OK: the start-up's notices appear on
    // top of the window and the start goes on.
    void setMessagesWait(bool wait) { messagesWait_ = wait; }
    // The name the save dialog offers (the current file's), empty for none.
    void setCurrentName(std::string name) { currentName_ = std::move(name); }

    Answer askYesNoCancel(std::string_view title, std::string_view text) override;
    void showMessage(std::string_view title, std::string_view text, MessageIcon icon,
                     std::string_view detail = {}) override;
    std::optional<std::string> chooseProjectToOpen(const std::string& startFolder) override;
    std::optional<std::string> chooseProjectToSave(const std::string& startFolder) override;
    std::optional<std::string> chooseMidiToOpen(const std::string& startFolder) override;
    // The offline render's target: WAV, Ogg Vorbis or FLAC, offering `suggested`; a name
    // without extension gets the chosen type's. Asks before overwriting. The dialog also
    // holds the normalize choice, shown as `normalize` and returned as chosen.
    struct AudioTarget {
        std::string path;
        bool normalize = true;
    };
    std::optional<AudioTarget> chooseAudioToSave(const std::string& suggested, bool normalize);

private:
    QWidget* owner_;
    bool messagesWait_ = true;
    std::string currentName_;
};

} // namespace zelk::ui
