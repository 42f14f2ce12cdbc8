#include "ui/support/WheelGuard.h"

#include <QAbstractSpinBox>
#include <QComboBox>
#include <QEvent>
#include <QWidget>

namespace zelk::ui {
namespace {

class WheelGuardFilter : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* e) override {
        if (e->type() != QEvent::Wheel)
            return false;
        auto* w = qobject_cast<QWidget*>(watched);
        if (!w || w->hasFocus())
            return false;
        e->ignore();
        return true;
    }
};

} // namespace

void guardWheel(QWidget* root) {
    auto* filter = new WheelGuardFilter(root);
    const auto guard = [filter](QWidget* w) {
        w->setFocusPolicy(Qt::StrongFocus);
        w->installEventFilter(filter);
    };
    for (QComboBox* box : root->findChildren<QComboBox*>())
        guard(box);
    for (QAbstractSpinBox* box : root->findChildren<QAbstractSpinBox*>())
        guard(box);
}

} // namespace zelk::ui
