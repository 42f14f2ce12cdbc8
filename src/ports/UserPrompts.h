#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace zelk {

enum class Answer { Yes, No, Cancel };
enum class MessageIcon { Information, Exclamation, Stop };

// What the file commands ask of the user: the unsaved-changes question, the file
// dialogs and message boxes. All calls are modal: they return when the user has answered.
class UserPrompts {
public:
    virtual ~UserPrompts() = default;
    // A Yes/No/Cancel question with an exclamation icon.
    virtual Answer askYesNoCancel(std::string_view title, std::string_view text) = 0;
    // A message with an OK button; detail, when given, says what failed and why (the
    // file and the reason) below the message.
    virtual void showMessage(std::string_view title, std::string_view text, MessageIcon icon,
                             std::string_view detail = {}) = 0;
    // File dialogs for project files, starting in startFolder (empty: the user's documents
    // folder). nullopt when the user cancels. Paths are bytes as the system names them.
    virtual std::optional<std::string> chooseProjectToOpen(const std::string& startFolder) = 0;
    // Asks before overwriting, adds ".zelk" to a name without extension.
    virtual std::optional<std::string> chooseProjectToSave(const std::string& startFolder) = 0;
    // The open dialog for Standard MIDI Files (*.mid, *.midi).
    virtual std::optional<std::string> chooseMidiToOpen(const std::string& startFolder) = 0;
};

} // namespace zelk
