#pragma once

#include <QDialog>

#include <array>
#include <functional>
#include <string>

class QComboBox;
class QLabel;

namespace zelk {
class MidiConnections;
class PartRouting;
class UserPrompts;
struct Song;
} // namespace zelk

namespace zelk::ui {

// "MIDI出力の設定": per part the destination (the built-in synthesizer or a MIDI port of
// this machine) with a test note, all parts at once, and the keyboard input. A choice takes
// effect at once; `changed` runs after each (with the part, or -1 for the input) so the main
// window can send the part's sound to its new destination and listen to the input.
class MidiPortsWindow : public QDialog {
    Q_OBJECT
public:
    MidiPortsWindow(MidiConnections& connections, const Song& song, PartRouting& routing,
                    UserPrompts& prompts, std::function<void(int part)> changed, QWidget* owner);

    QComboBox* destinationBox(int part) const { return rows_.at(static_cast<size_t>(part)); }
    QComboBox* allPartsBox() const { return all_; }
    QComboBox* inputBox() const { return input_; }
    // The lists again from the ports that exist now, each showing its current choice.
    void refill();

protected:
    void showEvent(QShowEvent* e) override;

private:
    void build();
    void choose(int part, const std::string& id);
    void chooseAll();
    void chooseInput();
    void testNote(int part);
    void fillDestinations(QComboBox* box, const std::string& chosen);

    MidiConnections& connections_;
    const Song& song_;
    PartRouting& routing_;
    UserPrompts& prompts_;
    std::function<void(int)> changed_;
    std::array<QComboBox*, 16> rows_{};
    QComboBox* all_ = nullptr;
    QComboBox* input_ = nullptr;
    bool filling_ = false;
};

} // namespace zelk::ui
