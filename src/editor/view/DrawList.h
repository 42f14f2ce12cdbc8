#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zelk {

enum class DrawKind : uint8_t {
    Clear, // fill the whole canvas with the colour
    Line,  // segment (x1, y1) - (x2, y2)
    Box,   // filled rectangle with corners (x1, y1) and (x2, y2)
    Dot,   // a point at (x1, y1) drawn with the pen width as its diameter
    Frame, // the outline of the rectangle (x1, y1) - (x2, y2), pen width in pixels
    Text,  // texts[text] at (x1, y1), its size in points as width; x2 < 0: right-aligned there
};

// Colour of a primitive: an index of the palette (ColorTable.h: the table's entries 0..17,
// then colours derived from them), or plain black.
inline constexpr uint8_t kBlack = 255;

// One drawing call on the canvas. Coordinates are twips from the canvas's top left
// corner; width is the pen width in screen pixels.
struct DrawItem {
    DrawKind kind;
    uint8_t color;
    uint8_t width;
    float x1, y1, x2, y2;
    uint32_t text = 0; // Text: index into DrawList::texts
    bool operator==(const DrawItem&) const = default;
};

// The ordered calls of one redraw. The vector is reused between redraws so that a
// redraw on every pointer move allocates nothing once it has grown.
struct DrawList {
    std::vector<DrawItem> items;
    std::vector<std::string> texts;

    void clear() {
        items.clear();
        texts.clear();
    }
    void fill(uint8_t color) { items.push_back({DrawKind::Clear, color, 1, 0, 0, 0, 0}); }
    void line(float x1, float y1, float x2, float y2, uint8_t color, uint8_t width) {
        items.push_back({DrawKind::Line, color, width, x1, y1, x2, y2});
    }
    void box(float x1, float y1, float x2, float y2, uint8_t color) {
        items.push_back({DrawKind::Box, color, 1, x1, y1, x2, y2});
    }
    void dot(float x, float y, uint8_t color, uint8_t width) {
        items.push_back({DrawKind::Dot, color, width, x, y, x, y});
    }
    void frame(float x1, float y1, float x2, float y2, uint8_t color, uint8_t width) {
        items.push_back({DrawKind::Frame, color, width, x1, y1, x2, y2});
    }
    // Text whose top left is (x, y), or whose top right when rightAligned.
    void text(float x, float y, std::string s, uint8_t color, uint8_t points,
              bool rightAligned = false) {
        items.push_back({DrawKind::Text, color, points, x, y, rightAligned ? -1.0f : 0.0f, 0,
                         static_cast<uint32_t>(texts.size())});
        texts.push_back(std::move(s));
    }
};

} // namespace zelk
