#pragma once

#include <QApplication>

#include <functional>
#include <string>

namespace zelk::ui {

// The one guard of the window program: an exception the core throws out of an event
// handler (a choice a stale window still offered, a file that changed under us) is
// reported and the event loop goes on with the song kept, instead of Qt ending the
// program from inside a slot.
class GuardedApplication : public QApplication {
public:
    GuardedApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
    // Shows the failure; the window's message box by default, a test's own here.
    void setReporter(std::function<void(const std::string& what)> report);

private:
    std::function<void(const std::string&)> report_;
};

inline constexpr const char* kUnfinishedAction = "この操作を最後まで行えませんでした。";

} // namespace zelk::ui
