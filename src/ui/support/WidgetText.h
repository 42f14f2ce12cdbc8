#pragma once

#include <QPushButton>
#include <QRect>
#include <QString>
#include <QWidget>

#include <string_view>

namespace zelk::ui {

// The core's UTF-8 texts as Qt strings.
inline QString qtText(std::string_view s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

// A control at its place, with its control identifier as object name (none when empty).
template <typename W> W* placed(W* w, const QString& id, const QRect& r) {
    if (!id.isEmpty())
        w->setObjectName(id);
    w->setGeometry(r);
    return w;
}

template <typename W> W* placed(W* w, const char* id, const QRect& r) {
    return placed(w, id ? QString::fromLatin1(id) : QString(), r);
}

// No button of the window is pressed by Enter: a tool window's buttons change the song, and
// Qt makes the first push button of a dialog its default.
inline void noDefaultButton(QWidget* window) {
    for (QPushButton* b : window->findChildren<QPushButton*>()) {
        b->setAutoDefault(false);
        b->setDefault(false);
    }
}

} // namespace zelk::ui
