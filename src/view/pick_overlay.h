#pragma once
// The marks of picked items, drawn on the window over the blitted frame (they never enter
// the back buffer and go with the next paint).
#include <cstdint>
#include <string>

// Drawing on the window in window pixels (rows downwards). Colours are 0x00BBGGRR pen
// colours; pens are solid and one pixel wide. Ellipses are filled white unless a brush is set.
class OverlayCanvas {
public:
    virtual ~OverlayCanvas() = default;
    virtual void SetPen(uint32_t colorRef) = 0;
    // The ellipse inside (left, top) .. (right, bottom), right and bottom excluded.
    virtual void Ellipse(int32_t left, int32_t top, int32_t right, int32_t bottom) = 0;
    virtual void MoveTo(int32_t x, int32_t y) = 0;
    // A line from the current position to (x, y), which becomes the current position.
    virtual void LineTo(int32_t x, int32_t y) = 0;
    // UTF-8 text with its top-left corner at (x, y), in the pen's colour.
    virtual void Text(int32_t x, int32_t y, const std::string& text) = 0;
    // The fill of the ellipses that follow (white unless set).
    virtual void SetBrush(uint32_t colorRef) { (void)colorRef; }
    // A filled rectangle without edge, right and bottom excluded.
    virtual void FillRect(int32_t left, int32_t top, int32_t right, int32_t bottom, uint32_t colorRef) {
        (void)left, (void)top, (void)right, (void)bottom, (void)colorRef;
    }
    // Pen width and dashes for the following lines.
    virtual void SetPenStyle(int32_t width, bool dashed) {
        (void)width;
        (void)dashed;
    }
    // Lines from here on finely dashed (2 pixels on, 1 off) or solid.
    virtual void SetDashed(bool dashed) { (void)dashed; }
};

constexpr uint32_t kOverlayOrange = 0x0019FF;
constexpr uint32_t kOverlayRed = 0x0000FF;
constexpr uint32_t kOverlayYellow = 0x00FFFF;
constexpr uint32_t kOverlayCyan = 0xFFFF00;
constexpr uint32_t kOverlayWhite = 0xFFFFFF;

// Picked points, the current IP and station, the mesh calculation range, the numbers of
// the marked crossings of the background drawing and the visibility observers.
void DrawPickOverlay(OverlayCanvas& canvas);
