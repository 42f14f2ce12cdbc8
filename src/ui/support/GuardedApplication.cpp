#include "ui/support/GuardedApplication.h"

#include "editor/ViewState.h"
#include "ui/support/WidgetText.h"

#include <QMessageBox>

#include <cstdio>
#include <exception>
#include <utility>

namespace zelk::ui {
namespace {

void showFailure(const std::string& what) {
    std::fprintf(stderr, "zelk: an action failed: %s\n", what.c_str());
    QMessageBox box(QMessageBox::Warning, qtText(kAppTitle), QString::fromUtf8(kUnfinishedAction),
                    QMessageBox::Ok, QApplication::activeWindow());
    box.setDetailedText(QString::fromStdString(what));
    box.exec();
}

} // namespace

GuardedApplication::GuardedApplication(int& argc, char** argv)
    : QApplication(argc, argv), report_(showFailure) {}

void GuardedApplication::setReporter(std::function<void(const std::string&)> report) {
    report_ = std::move(report);
}

bool GuardedApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        report_(e.what());
    } catch (...) {
        report_("unknown exception");
    }
    return false;
}

} // namespace zelk::ui
