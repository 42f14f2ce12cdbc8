#pragma once

#include "ports/UserPrompts.h"

#include <deque>
#include <optional>
#include <string>
#include <vector>

namespace zelk::test {

// Answers from queues set up by the test and records everything it was asked.
class FakePrompts : public UserPrompts {
public:
    struct Shown {
        std::string title;
        std::string text;
        MessageIcon icon;
        std::string detail;
    };

    std::deque<Answer> answers;                       // the question; Cancel when empty
    std::deque<std::optional<std::string>> openPaths; // the open dialog; cancel when empty
    std::deque<std::optional<std::string>> savePaths; // the save dialog; cancel when empty
    std::deque<std::optional<std::string>> midiPaths; // the MIDI open dialog; cancel when empty
    std::vector<Shown> questions;
    std::vector<Shown> messages;
    std::vector<std::string> openDialogFolders;
    std::vector<std::string> saveDialogFolders;
    std::vector<std::string> midiDialogFolders;

    Answer askYesNoCancel(std::string_view title, std::string_view text) override {
        questions.push_back({std::string(title), std::string(text), MessageIcon::Exclamation, {}});
        return take(answers, Answer::Cancel);
    }
    void showMessage(std::string_view title, std::string_view text, MessageIcon icon,
                     std::string_view detail = {}) override {
        messages.push_back({std::string(title), std::string(text), icon, std::string(detail)});
    }
    std::optional<std::string> chooseProjectToOpen(const std::string& folder) override {
        openDialogFolders.push_back(folder);
        return take(openPaths, std::optional<std::string>());
    }
    std::optional<std::string> chooseProjectToSave(const std::string& folder) override {
        saveDialogFolders.push_back(folder);
        return take(savePaths, std::optional<std::string>());
    }

    std::optional<std::string> chooseMidiToOpen(const std::string& folder) override {
        midiDialogFolders.push_back(folder);
        return take(midiPaths, std::optional<std::string>());
    }

private:
    template <typename T> static T take(std::deque<T>& q, T otherwise) {
        if (q.empty())
            return otherwise;
        T v = q.front();
        q.pop_front();
        return v;
    }
};

} // namespace zelk::test
