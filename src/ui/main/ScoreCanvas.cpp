#include "ui/main/ScoreCanvas.h"

#include "ui/support/KeyCodes.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QUrl>
#include <QWheelEvent>

#include <algorithm>
#include <array>
#include <cmath>

namespace zelk::ui {
namespace {

QColor colorOf(const ColorTable& c, uint8_t entry) {
    if (entry >= kPaletteEntries)
        return Qt::black;
    const Rgb rgb = paletteColor(c, entry);
    return QColor(rgb.r, rgb.g, rgb.b);
}

void paintText(QPainter& p, const DrawItem& it, const std::string& text, int x, int y) {
    QFont font = p.font();
    font.setPointSize(it.width);
    p.setFont(font);
    const QString s = QString::fromStdString(text);
    const int w = p.fontMetrics().horizontalAdvance(s);
    p.drawText(it.x2 < 0 ? x - w : x, y + p.fontMetrics().ascent(), s);
}

} // namespace

ScoreCanvas::ScoreCanvas(QWidget* parent) : QWidget(parent) {
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void ScoreCanvas::show(const DrawList* list, const ColorTable* colors) {
    list_ = list;
    colors_ = colors;
    update();
}

void ScoreCanvas::paintList(QPainter& p, const DrawList& list, const ColorTable& colors,
                            double pxPerTwip) {
    // Twips are turned into whole pixels here rather than by a painter transform: integer
    // rectangles and lines are the raster engine's fast path, and pen widths stay pixels.
    std::array<QColor, kPaletteEntries + 1> palette;
    for (uint8_t i = 0; i < kPaletteEntries; ++i)
        palette[i] = colorOf(colors, i);
    palette[kPaletteEntries] = Qt::black;
    auto color = [&](uint8_t e) -> const QColor& {
        return palette[std::min<size_t>(e, kPaletteEntries)];
    };
    auto px = [pxPerTwip](float t) { return static_cast<int>(std::lround(t * pxPerTwip)); };
    QPen pen;
    uint8_t penColor = 254, penWidth = 0;
    for (const DrawItem& it : list.items) {
        switch (it.kind) {
        case DrawKind::Clear:
            p.fillRect(p.viewport(), color(it.color));
            break;
        case DrawKind::Box:
            p.fillRect(QRect(QPoint(px(it.x1), px(it.y1)), QPoint(px(it.x2) - 1, px(it.y2) - 1)),
                       color(it.color));
            break;
        case DrawKind::Frame:
            if (it.color != penColor || it.width != penWidth || pen.capStyle() != Qt::SquareCap) {
                penColor = it.color;
                penWidth = it.width;
                pen = QPen(color(it.color), it.width); // square caps close the corners
                p.setPen(pen);
            }
            p.setBrush(Qt::NoBrush);
            p.drawRect(QRect(QPoint(px(it.x1), px(it.y1)), QPoint(px(it.x2) - 1, px(it.y2) - 1)));
            break;
        case DrawKind::Text:
            p.setPen(color(it.color));
            penColor = 254;
            if (it.text < list.texts.size())
                paintText(p, it, list.texts[it.text], px(it.x1), px(it.y1));
            break;
        case DrawKind::Line:
        case DrawKind::Dot:
            // A frame's pen has square caps; lines and dots never do.
            if (it.color != penColor || it.width != penWidth || pen.capStyle() == Qt::SquareCap) {
                penColor = it.color;
                penWidth = it.width;
                pen = QPen(color(it.color), it.width, Qt::SolidLine,
                           it.kind == DrawKind::Dot ? Qt::RoundCap : Qt::FlatCap);
                p.setPen(pen);
            }
            if (it.kind == DrawKind::Dot)
                p.drawPoint(px(it.x1), px(it.y1));
            else
                p.drawLine(px(it.x1), px(it.y1), px(it.x2), px(it.y2));
            break;
        }
    }
}

void ScoreCanvas::paintEvent(QPaintEvent*) {
    QPainter p(this);
    if (!list_ || !colors_) {
        p.fillRect(rect(), Qt::white);
        return;
    }
    if (gesture_ && !gesture_->items.empty()) {
        // While a selection gesture runs only its outline changes: the score is painted
        // once into a picture and copied under each new outline.
        const qreal ratio = devicePixelRatioF();
        if (!scoreCached_ || score_.size() != size() * ratio) {
            score_ = QImage(size() * ratio, QImage::Format_ARGB32_Premultiplied);
            score_.setDevicePixelRatio(ratio);
            QPainter cache(&score_);
            paintList(cache, *list_, *colors_, 1.0 / twipsPerPx_);
            scoreCached_ = true;
        }
        p.drawImage(0, 0, score_);
    } else {
        scoreCached_ = false;
        paintList(p, *list_, *colors_, 1.0 / twipsPerPx_);
    }
    if (overlay_)
        paintList(p, *overlay_, *colors_, 1.0 / twipsPerPx_);
    if (gesture_)
        paintList(p, *gesture_, *colors_, 1.0 / twipsPerPx_);
    if (rubber_)
        paintList(p, *rubber_, *colors_, 1.0 / twipsPerPx_);
}

QRect ScoreCanvas::pixelBounds(const DrawList& list) const {
    QRect bounds;
    for (const DrawItem& it : list.items) {
        if (it.kind != DrawKind::Line && it.kind != DrawKind::Dot)
            continue;
        const int pad = it.width + 1;
        const QRect r(QPoint(static_cast<int>(std::lround(std::min(it.x1, it.x2) / twipsPerPx_)),
                             static_cast<int>(std::lround(std::min(it.y1, it.y2) / twipsPerPx_))),
                      QPoint(static_cast<int>(std::lround(std::max(it.x1, it.x2) / twipsPerPx_)),
                             static_cast<int>(std::lround(std::max(it.y1, it.y2) / twipsPerPx_))));
        bounds |= r.adjusted(-pad, -pad, pad, pad);
    }
    return bounds;
}

void ScoreCanvas::mousePressEvent(QMouseEvent* e) {
    setFocus();
    emit pressed(e->position().x() * twipsPerPx_, e->position().y() * twipsPerPx_, e->button(),
                 e->modifiers());
}

void ScoreCanvas::mouseMoveEvent(QMouseEvent* e) {
    emit moved(e->position().x() * twipsPerPx_, e->position().y() * twipsPerPx_, e->buttons(),
               e->modifiers());
}

void ScoreCanvas::mouseReleaseEvent(QMouseEvent* e) {
    emit released(e->position().x() * twipsPerPx_, e->position().y() * twipsPerPx_, e->button(),
                  e->modifiers());
}

void ScoreCanvas::mouseDoubleClickEvent(QMouseEvent* e) {
    emit doubleClicked(e->position().x() * twipsPerPx_, e->position().y() * twipsPerPx_);
}

void ScoreCanvas::keyPressEvent(QKeyEvent* e) {
    emit keyPressed(
        windowsKeyCode(e->key(), e->modifiers(), e->nativeScanCode(), e->nativeVirtualKey()),
        e->modifiers());
}

void ScoreCanvas::keyReleaseEvent(QKeyEvent* e) {
    emit keyReleased(
        windowsKeyCode(e->key(), e->modifiers(), e->nativeScanCode(), e->nativeVirtualKey()),
        e->modifiers());
}

void ScoreCanvas::dragEnterEvent(QDragEnterEvent* e) {
    if (e->mimeData()->hasUrls())
        e->acceptProposedAction();
}

void ScoreCanvas::dropEvent(QDropEvent* e) {
    QStringList files;
    for (const QUrl& url : e->mimeData()->urls())
        if (url.isLocalFile())
            files.push_back(url.toLocalFile());
    e->acceptProposedAction();
    if (!files.isEmpty())
        emit filesDropped(files);
}

void ScoreCanvas::wheelEvent(QWheelEvent* e) {
    constexpr int kNotch = 120;
    wheelRest_ += e->angleDelta().y();
    const int notches = wheelRest_ / kNotch;
    wheelRest_ -= notches * kNotch;
    if (notches != 0)
        emit wheelTurned(notches);
    e->accept();
}

} // namespace zelk::ui
