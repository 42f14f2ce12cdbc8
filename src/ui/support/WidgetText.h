#pragma once

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

} // namespace zelk::ui
