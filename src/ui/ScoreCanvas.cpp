#include "ui/ScoreCanvas.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

namespace zelk::ui {
namespace {

QColor colorOf(const ColorTable& c, uint8_t entry) {
    if (entry >= ColorTable::kEntries)
        return Qt::black;
    return QColor(c.ColorR[entry], c.ColorG[entry], c.ColorB[entry]);
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
    // Coordinates stay in twips; pens are cosmetic so their widths are screen pixels.
    p.save();
    p.scale(pxPerTwip, pxPerTwip);
    QPen pen;
    pen.setCosmetic(true);
    pen.setCapStyle(Qt::FlatCap);
    uint8_t penColor = 254, penWidth = 0;
    for (const DrawItem& it : list.items) {
        switch (it.kind) {
        case DrawKind::Clear:
            p.save();
            p.resetTransform();
            p.fillRect(p.viewport(), colorOf(colors, it.color));
            p.restore();
            break;
        case DrawKind::Box:
            p.fillRect(QRectF(QPointF(it.x1, it.y1), QPointF(it.x2, it.y2)),
                       colorOf(colors, it.color));
            break;
        case DrawKind::Line:
        case DrawKind::Dot:
            if (it.color != penColor || it.width != penWidth) {
                penColor = it.color;
                penWidth = it.width;
                pen.setColor(colorOf(colors, it.color));
                pen.setWidth(it.width);
                pen.setCapStyle(it.kind == DrawKind::Dot ? Qt::RoundCap : Qt::FlatCap);
                p.setPen(pen);
            }
            if (it.kind == DrawKind::Dot)
                p.drawPoint(QPointF(it.x1, it.y1));
            else
                p.drawLine(QPointF(it.x1, it.y1), QPointF(it.x2, it.y2));
            break;
        }
    }
    p.restore();
}

void ScoreCanvas::paintEvent(QPaintEvent*) {
    QPainter p(this);
    if (!list_ || !colors_) {
        p.fillRect(rect(), Qt::white);
        return;
    }
    paintList(p, *list_, *colors_, 1.0 / twipsPerPx_);
}

void ScoreCanvas::mousePressEvent(QMouseEvent* e) {
    setFocus();
    emit pressed(e->position().x() * twipsPerPx_, e->position().y() * twipsPerPx_, e->button(),
                 e->modifiers() & Qt::ShiftModifier);
}

void ScoreCanvas::mouseMoveEvent(QMouseEvent* e) {
    emit moved(e->position().x() * twipsPerPx_, e->position().y() * twipsPerPx_, e->buttons(),
               e->modifiers() & Qt::ShiftModifier);
}

void ScoreCanvas::mouseReleaseEvent(QMouseEvent* e) {
    emit released(e->position().x() * twipsPerPx_, e->position().y() * twipsPerPx_, e->button(),
                  e->modifiers() & Qt::ShiftModifier);
}

void ScoreCanvas::mouseDoubleClickEvent(QMouseEvent* e) {
    emit doubleClicked(e->position().x() * twipsPerPx_, e->position().y() * twipsPerPx_);
}

void ScoreCanvas::keyPressEvent(QKeyEvent* e) {
    emit keyPressed(e->key(), e->modifiers(), e->nativeVirtualKey());
}

void ScoreCanvas::keyReleaseEvent(QKeyEvent* e) {
    emit keyReleased(e->key(), e->modifiers());
}

} // namespace zelk::ui
