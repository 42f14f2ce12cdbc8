#pragma once

#include "editor/view/ColorTable.h"
#include "editor/view/DrawList.h"

#include <QImage>
#include <QWidget>

namespace zelk::ui {

// The score canvas Picture1. It keeps no picture of its own: it paints the draw list the
// core made, mapping twips to pixels, and reports pointer events in twips.
class ScoreCanvas : public QWidget {
    Q_OBJECT
public:
    explicit ScoreCanvas(QWidget* parent = nullptr);

    // Both must outlive the canvas; the list is read on every paint.
    void show(const DrawList* list, const ColorTable* colors);
    // A second list painted over the first (the play-position line); the window repaints only
    // the pixels it covers before and after a change (pixelBounds).
    void setOverlay(const DrawList* overlay) { overlay_ = overlay; }
    // The lane screens' rubber-band line (Line1), painted over everything while it shows.
    void setRubberBand(const DrawList* line) { rubber_ = line; }
    // The selection's band or drag outline, painted over the score while a gesture runs.
    void setGesture(const DrawList* gesture) { gesture_ = gesture; }
    // The score's list changed: a picture kept for the gesture is painted again.
    void scoreChanged() { scoreCached_ = false; }
    // The pixels the lines and dots of `list` cover, their pen width included.
    QRect pixelBounds(const DrawList& list) const;
    // Twips per pixel of this screen.
    void setTwipsPerPixel(double t) { twipsPerPx_ = t; }
    double twipsPerPixel() const { return twipsPerPx_; }
    // Inner size in twips (ScaleWidth, ScaleHeight).
    double scaleWidth() const { return width() * twipsPerPx_; }
    double scaleHeight() const { return height() * twipsPerPx_; }

    // Paints a list into any paint device; used by the canvas and by benchmarks.
    static void paintList(QPainter& p, const DrawList& list, const ColorTable& colors,
                          double pxPerTwip);

signals:
    void pressed(double xTwips, double yTwips, Qt::MouseButton button, Qt::KeyboardModifiers mods);
    void moved(double xTwips, double yTwips, Qt::MouseButtons buttons, Qt::KeyboardModifiers mods);
    void released(double xTwips, double yTwips, Qt::MouseButton button, Qt::KeyboardModifiers mods);
    void doubleClicked(double xTwips, double yTwips);
    // Key numbers as the keyboard commands count them (KeyCodes.h); 0 for other keys.
    void keyPressed(int windowsKey, Qt::KeyboardModifiers mods);
    void keyReleased(int windowsKey, Qt::KeyboardModifiers mods);
    // Whole wheel notches: positive turns away from the user (towards earlier measures).
    void wheelTurned(int notches);
    // Local files dropped on the score, in the order given.
    void filesDropped(const QStringList& files);

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent*) override;
    void mouseMoveEvent(QMouseEvent*) override;
    void mouseReleaseEvent(QMouseEvent*) override;
    void mouseDoubleClickEvent(QMouseEvent*) override;
    void keyPressEvent(QKeyEvent*) override;
    void keyReleaseEvent(QKeyEvent*) override;
    void wheelEvent(QWheelEvent*) override;
    void dragEnterEvent(QDragEnterEvent*) override;
    void dropEvent(QDropEvent*) override;

private:
    const DrawList* list_ = nullptr;
    const DrawList* overlay_ = nullptr;
    const DrawList* rubber_ = nullptr;
    const DrawList* gesture_ = nullptr;
    QImage score_; // the score under a running gesture
    bool scoreCached_ = false;
    const ColorTable* colors_ = nullptr;
    double twipsPerPx_ = 15.0;
    int wheelRest_ = 0; // eighths of a degree not yet a whole notch (smooth wheels)
};

} // namespace zelk::ui
