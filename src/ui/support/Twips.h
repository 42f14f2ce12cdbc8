#pragma once

#include <QRect>
#include <QScreen>
#include <QWidget>
#include <cmath>

namespace zelk::ui {

// Converts the window's designed twips (1/1440 inch) to pixels with the screen's logical DPI.
class Twips {
public:
    explicit Twips(double logicalDpi) : pxPerTwip_(logicalDpi / 1440.0) {}
    int px(int twips) const { return static_cast<int>(std::lround(twips * pxPerTwip_)); }
    int fromPx(int px) const { return static_cast<int>(std::lround(px / pxPerTwip_)); }
    double twipsPerPx() const { return 1.0 / pxPerTwip_; }
    QRect rect(int left, int top, int width, int height) const {
        return {px(left), px(top), px(width), px(height)};
    }

private:
    double pxPerTwip_;
};

// The twips of the screen `w` is on (96 dots per inch without one).
inline Twips twipsOf(const QWidget* w) {
    const QScreen* screen = w ? w->screen() : nullptr;
    return Twips(screen ? screen->logicalDotsPerInch() : 96.0);
}

} // namespace zelk::ui
