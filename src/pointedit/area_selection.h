#pragma once
// What the area edits share: the selection and lock bits of a point's flag byte, which
// points a gesture may select, the drag rectangle, the freehand lasso with its pixel mask,
// and the nearest-point pick with its depth tie-break.
#include <cstdint>
#include <functional>
#include <vector>

#include "model/terrain_data.h"

constexpr uint8_t POINT_FLAG_OUTLINE_VERTEX = 0x01;
constexpr uint8_t POINT_FLAG_AREA_SELECTED = 0x02;
constexpr uint8_t POINT_FLAG_PICKED = 0x04;
constexpr uint8_t POINT_FLAG_MOVE_SELECTED = 0x08;
constexpr uint8_t POINT_FLAG_NEW_SELECTION = 0x10;
constexpr uint8_t POINT_FLAG_LOCK = 0x80;
// Lock and pick together are the change lock.
constexpr uint8_t kPointChangeLock = POINT_FLAG_LOCK | POINT_FLAG_PICKED;

struct LassoPointXY {
    int32_t x;
    int32_t y;
};

// Messages the view hands the area dialogs.
enum ViewMessage : int32_t {
    kViewLButtonDown = 0x201,
    kViewLButtonUp = 0x202,
    kViewMouseMove = 0x200,
    kViewKeyDown = 0x100,
};

// The projection could place the point on the screen.
inline bool PointSelectable(const RandomPoint& p) { return (p.hidden & 0x05) == 0; }
inline bool PointChangeLocked(const RandomPoint& p) {
    return (p.flags & kPointChangeLock) == kPointChangeLock;
}
// Client pixel of a projected point (rows downwards).
int32_t PointClientColumn(const RandomPoint& p);
int32_t PointClientRow(const RandomPoint& p);

// Inclusive on every side.
inline bool InsideDragRectangle(int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t column,
                                int32_t row) {
    return column >= (x0 < x1 ? x0 : x1) && column <= (x0 < x1 ? x1 : x0) &&
           row >= (y0 < y1 ? y0 : y1) && row <= (y0 < y1 ? y1 : y0);
}

// What an area dialog draws over the view after the blit: lines (0x00RRGGBB colours) and
// handles (5 x 5 red squares with a 3 x 3 white centre), in client pixels.
struct OverlayLine {
    int32_t x0, y0, x1, y1;
    uint32_t color;
    int32_t width;
};
struct AreaOverlay {
    std::vector<OverlayLine> lines;
    std::vector<LassoPointXY> handles;
    bool band = false;  // a rubber-band rectangle drawn inverting the pixels below
    int32_t bandRect[4] = {0, 0, 0, 0};
};

// Projects a ground position (X north, Y east, Z) to client pixels; false when the
// projection cannot place it.
bool ProjectGround(double x, double y, double z, int32_t& column, int32_t& row);
// Adds a line between two ground positions when both ends can be placed.
void AddGroundLine(AreaOverlay& overlay, const double a[3], const double b[3], uint32_t color,
                   int32_t width);

// Clears a flag bit (or bits) on every point 1..g_pointCount.
void ClearPointFlags(uint8_t bits);

// ---- 1-bit pixel mask ----

// A top-down mask of pixels, most significant bit first in each byte; polygons are filled
// with the nonzero-winding rule.
class PixelMask {
public:
    PixelMask(int32_t width, int32_t height);
    int32_t Width() const { return m_width; }
    int32_t Height() const { return m_height; }
    // Outside pixels read as clear.
    bool Get(int32_t x, int32_t y) const {
        if (x < 0 || y < 0 || x >= m_width || y >= m_height) return false;
        return (m_bits[static_cast<size_t>(y) * m_bytesPerRow + (x >> 3)] >> (7 - (x & 7))) & 1;
    }
    void Put(int32_t x, int32_t y, bool value);
    // Sets every pixel whose centre (x, y) lies where the closed polygon winds nonzero.
    void FillPolygon(const std::vector<double>& xs, const std::vector<double>& ys);
    // Clears the pixels of the polygon's sides (the line primitive's pixels).
    void ClearOutline(const std::vector<int32_t>& xs, const std::vector<int32_t>& ys);

private:
    // Sets pixels from .. to - 1 of a row (clipped).
    void SetSpan(int32_t row, int32_t from, int32_t to);

    int32_t m_width;
    int32_t m_height;
    int32_t m_bytesPerRow;
    std::vector<uint8_t> m_bits;
};

// ---- lasso ----

using LassoPoint = LassoPointXY;
constexpr int32_t kLassoCapacity = 2000;
extern LassoPoint g_lassoPoints[kLassoCapacity];
extern int32_t g_lassoPointCount;
// Where the lasso being drawn ends now and its colour (0x00RRGGBB); the view draws the
// path g_lassoPoints .. this position while g_lassoDrawing is set.
extern int32_t g_lassoDrawing;
extern LassoPoint g_lassoCursor;
extern uint32_t g_lassoColor;

// Appends a vertex; when the table is full the last entry is replaced.
void AppendLassoPoint(int32_t x, int32_t y);

// Selects the selectable points strictly inside the polygon g_lassoPoints (nonzero
// winding; a point on its line is outside) that are not selected yet: marks them
// POINT_FLAG_AREA_SELECTED | POINT_FLAG_NEW_SELECTION and returns how many.
int32_t SelectInsideLasso();

// ---- nearest-point pick ----

// The point nearest the client pixel in |dx| + |dy| within `radius`; among points within
// `tieDistance` pixels the lower one in the plan view, the one nearer the eye in the
// bird's-eye view, and on equal keys the later one. 0 for none.
int32_t PickNearestPoint(int32_t x, int32_t y, int32_t radius, int32_t tieDistance);

// ---- the batch edit's lasso (point tool sub-state 10) ----

struct BatchLassoState {
    int32_t dragState = 0;  // 0 idle, 1 pressed, bit 2 once moved
    int32_t pathLength = 0;
    LassoPoint start{0, 0};
    LassoPoint last{0, 0};
};
extern BatchLassoState g_batchLasso;

// Runs the batch-edit dialog over the selected points and applies it; installed by the
// batch edit. Without it a lasso only shows its selection.
void SetBatchEditLassoRunner(std::function<void()> runner);

// message: kViewLButtonDown / kViewMouseMove / kViewLButtonUp; flags: the view's mouse key
// flags. 1 when the message was consumed.
int32_t TrackBatchEditLasso(int32_t message, int32_t flags, int32_t x, int32_t y);
