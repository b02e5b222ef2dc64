#pragma once
// The drawing frame shared by the section windows (cross section, longitudinal section,
// section shift and the like): the mapping between client pixels and (distance, height)
// in metres, the automatic scale, grid and label positions, zoom, pan, wheel and keys,
// and the point hit test. No drawing here; the Qt widget paints what this computes.
//
// The horizontal axis is called "offset" (left negative) but may be any distance, such
// as the added distance of a longitudinal section.
#include <cstdint>
#include <string>
#include <vector>

struct SectionFrame {
    // Client rectangle of the drawing area, in pixels (right and bottom exclusive).
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;

    double heightOrigin = 0.0;
    double offsetOrigin = 0.0;
    double heightPan = 0.0;    // metres added to the height at the frame centre
    double offsetPan = 0.0;    // metres added to the offset at the frame centre
    double zoom = 1.0;         // kept between kSectionMinZoom and kSectionMaxZoom
    double metresPerPixel = 0.01;
    double pixelsPerMetre = 100.0;
    double gridInterval = 10.0;  // below kSectionMinGrid: no grid and no labels
    double verticalScale = 1.0;  // vertical exaggeration

    int32_t Width() const { return right - left; }
    int32_t Height() const { return bottom - top; }
    int32_t CentreX() const { return (left + right) / 2; }
    int32_t CentreY() const { return (top + bottom) / 2; }
    // Strictly inside: the border pixels do not count.
    bool Contains(int32_t x, int32_t y) const { return x > left && x < right && y > top && y < bottom; }
};

inline constexpr double kSectionMinZoom = 0.01;
inline constexpr double kSectionMaxZoom = 10000.0;
inline constexpr double kSectionMinGrid = 0.001;
inline constexpr double kCrossSectionScaleFactor = 0.9;
inline constexpr double kLongSectionScaleFactor = 1.2;

struct SectionPixel {
    int32_t x = 0;
    int32_t y = 0;
    bool operator==(const SectionPixel&) const = default;
};

struct SectionWorld {
    double offset = 0.0;
    double height = 0.0;
};

SectionWorld SectionScreenToWorld(const SectionFrame& frame, int32_t x, int32_t y);
// Truncates toward zero, as the drawing has always done.
SectionPixel SectionWorldToScreen(const SectionFrame& frame, double offset, double height);

// Clamps the zoom to at most kSectionMaxZoom and sets the scale so that spans of
// widthSpan x heightSpan metres fill the frame times `factor` at zoom 1.
void UpdateSectionScale(SectionFrame& frame, double widthSpan, double heightSpan, double factor);

// Grid lines: rows of the horizontal lines (from the top down) and columns of the
// vertical ones (from the left), for every whole multiple of the grid interval inside
// the frame. Empty when the interval is below kSectionMinGrid.
struct SectionGridLines {
    std::vector<int32_t> rows;
    std::vector<int32_t> columns;
};
SectionGridLines ComputeSectionGrid(const SectionFrame& frame);

// The label step for a visible range of `range` metres: the interval times 1, 2, 5, 10,
// 20 or 50, the first that gives fewer than 20 labels; 0 when none does (no labels).
double SectionLabelStep(double interval, double range);

struct SectionLabel {
    int32_t position = 0;  // row of a height label, column of an offset label
    double value = 0.0;
    std::string text;
};
struct SectionLabels {
    std::vector<SectionLabel> heights;  // "%1.0f "
    std::vector<SectionLabel> offsets;  // "%+1.0f ", only where the column exceeds 30
};
SectionLabels ComputeSectionLabels(const SectionFrame& frame);

// "D:%+7.3f H:%7.3f  "
std::string FormatSectionReadout(double offset, double height);

// View commands.
void SectionZoomAll(SectionFrame& frame);
void SectionZoomOut(SectionFrame& frame);
// Box from press (x0, y0) to release (x1, y1): re-centres on the box, then fits it; a
// box of 4 pixels or less (width plus height) counts as a click and zooms by 1.2.
void ApplyZoomBox(SectionFrame& frame, int32_t x0, int32_t y0, int32_t x1, int32_t y1);
// The drawing follows the cursor from (prevX, prevY) to (x, y).
void SectionDragPan(SectionFrame& frame, int32_t prevX, int32_t prevY, int32_t x, int32_t y);
// Zoom by 1.2 (forward) or 1/1.2 keeping the point under the cursor in place when the
// cursor is inside the frame.
void SectionWheelZoom(SectionFrame& frame, bool forward, int32_t x, int32_t y);
// Wheel over the vertical scale box: +-0.1 up to 2, x or / 1.1 above, cut to one
// decimal, kept between 0.1 and 100.
double SectionWheelVerticalScale(double verticalScale, bool forward);

enum class SectionKey { Up, Down, Left, Right };
// Moves the view by a tenth of the frame height.
void SectionKeyPan(SectionFrame& frame, SectionKey key);

// Typed values. False (and nothing changed) when out of range.
bool ApplySectionGridInterval(SectionFrame& frame, double value);
// Below 0.001 becomes 1, above 100 becomes 100.
double ClampTypedVerticalScale(double value);

// Where a selected point's mark goes: its own position when strictly inside the frame
// (and the cursor anchor moves there); otherwise the view is panned so that the point
// comes under the anchor, and the mark is drawn at the anchor.
SectionPixel PlaceSectionMark(SectionFrame& frame, double offset, double height, SectionPixel& anchor);

// Nearest point within `radius` pixels of (x, y), measured in metres without the
// vertical scale: -i for left point i, +j for right point j, 0 for none. Ties go to the
// first found: left before right, lower index first.
struct SectionHit {
    int32_t code = 0;
    int32_t left = 0;   // winner's left index or 0
    int32_t right = 0;  // winner's right index or 0
};
SectionHit HitTestSectionPoints(const SectionFrame& frame, double radius, int32_t x, int32_t y,
                                const std::vector<SectionWorld>& leftPoints,
                                const std::vector<SectionWorld>& rightPoints);
