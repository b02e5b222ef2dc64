// The current section over the bird's-eye view: drawn on the window where the rendered
// section line lies in the (bottom-up) back buffer.
#include <gtest/gtest.h>

#include <cstdlib>
#include <set>
#include <utility>
#include <vector>

#include "model/terrain_data.h"
#include "raster_fixture.h"
#include "route/route_data.h"
#include "section/section_defaults.h"
#include "section/section_records.h"
#include "view/display_flags.h"
#include "view/line_3d.h"
#include "view/pick_overlay.h"
#include "view/projection.h"
#include "view/view_state.h"

namespace {

// Lines as pixels, one pixel wide, in window rows.
class PixelCanvas : public OverlayCanvas {
public:
    void SetPen(uint32_t colorRef) override { pen = colorRef; }
    void Ellipse(int32_t, int32_t, int32_t, int32_t) override {}
    void MoveTo(int32_t x, int32_t y) override { m_x = x, m_y = y; }
    void LineTo(int32_t x, int32_t y) override {
        ends.push_back({m_x, m_y});
        ends.push_back({x, y});
        int32_t x0 = m_x, y0 = m_y;
        const int32_t dx = std::abs(x - x0), dy = -std::abs(y - y0);
        const int32_t sx = x0 < x ? 1 : -1, sy = y0 < y ? 1 : -1;
        int32_t err = dx + dy;
        for (;;) {
            pixels.insert({x0, y0});
            if (x0 == x && y0 == y) break;
            const int32_t e2 = 2 * err;
            if (e2 >= dy) err += dy, x0 += sx;
            if (e2 <= dx) err += dx, y0 += sy;
        }
        m_x = x, m_y = y;
    }
    void Text(int32_t, int32_t, const std::string&) override {}

    uint32_t pen = 0;
    std::set<std::pair<int32_t, int32_t>> pixels;
    std::vector<std::pair<int32_t, int32_t>> ends;

private:
    int32_t m_x = 0, m_y = 0;
};

class CurrentSection3D : public RasterTest {
protected:
    void SetUp() override {
        InitDataModel();
        InitRouteSectionDefaults();
        Open(320, 240);
        g_viewCenterX = g_viewCenterY = 0;
        g_viewScale = 1;
        g_birdsEyeOn = 1;
        g_birdsEyeAzimuth = 0.6;
        g_birdsEyeTilt = -0.4;
        g_birdsEyeRoll = 0;
        g_heightScale = 1;
        g_focalLength = g_bufferMaxX;
        AddPoint(0, 0, 0);  // the target
        ProjectAllData(0);
        // Section 1: centre (0, 0, 5), left to (0, -30, 8) and (10, -60, 2), right to (0, 40, 0).
        CreateSectionBlocks();
        CrossSection& s = *GetCrossSection(1);
        s.height = 5;
        ReserveSectionPoints(&s, 3);
        s.leftCount = 2, s.rightCount = 1;
        s.points[1].leftX = 0, s.points[1].leftY = -30, s.points[1].leftHeight = 8;
        s.points[2].leftX = 10, s.points[2].leftY = -60, s.points[2].leftHeight = 2;
        s.points[1].rightX = 0, s.points[1].rightY = 40, s.points[1].rightHeight = 0;
        g_crossSectionCount = g_sectionViewCount = 1;
        g_currentSection = 1;
    }
    void TearDown() override {
        g_birdsEyeOn = 0;
        InitRouteSectionDefaults();
        ReleaseDataModel();
        RasterTest::TearDown();
    }
    static void AddPoint(double x, double y, double z) {
        ASSERT_EQ(EnsurePointCapacity(g_pointCount + 1), 0);
        g_points[++g_pointCount] = RandomPoint{};
        g_points[g_pointCount].x = x, g_points[g_pointCount].y = y, g_points[g_pointCount].z = z;
        SetPointEndMarker();
        g_pointsPresent = -1;
    }
    // Back-buffer row of a window row: the blit turns the bottom-up rows over the centre.
    static int32_t BufferRow(int32_t windowRow) { return 2 * g_viewportCenterY - windowRow; }
};

}  // namespace

TEST_F(CurrentSection3D, LiesOnTheRenderedSectionLine) {
    // What the bird's-eye view renders of the section: three segments into the buffer.
    DrawLine3D(0, 0, 5, 0, -30, 8);
    DrawLine3D(0, -30, 8, 10, -60, 2);
    DrawLine3D(0, 0, 5, 0, 40, 0);
    const PixelSet rendered = Written();
    ASSERT_GT(rendered.size(), 30u);

    PixelCanvas canvas;
    DrawPickOverlay(canvas);
    EXPECT_EQ(canvas.pen, kOverlayOrange);
    ASSERT_EQ(canvas.ends.size(), 6u) << "two polylines: two segments left, one right";
    // Every end on a rendered pixel; every overlay pixel within one of one.
    for (const auto& [x, y] : canvas.ends) EXPECT_TRUE(rendered.count({x, BufferRow(y)})) << x << "," << y;
    for (const auto& [x, y] : canvas.pixels) {
        bool near = false;
        for (int dx = -1; dx <= 1 && !near; ++dx)
            for (int dy = -1; dy <= 1 && !near; ++dy) near = rendered.count({x + dx, BufferRow(y) + dy}) > 0;
        EXPECT_TRUE(near) << x << "," << y;
    }
}

TEST_F(CurrentSection3D, NothingBehindTheEyeOrWithoutASection) {
    // A left point far behind the eye, on the line from the target (0, 0, 0) through it,
    // drops the segments that reach it, not the others.
    CrossSection& s = *GetCrossSection(1);
    int32_t c = 0, r = 0;
    s.points[1].leftX = g_eyeX * 50;
    s.points[1].leftY = g_eyeY * 50;
    s.points[1].leftHeight = g_eyeZ * 50;
    ASSERT_FALSE(ProjectGround3D(s.points[1].leftX, s.points[1].leftY, s.points[1].leftHeight, &c, &r));
    PixelCanvas canvas;
    DrawPickOverlay(canvas);
    EXPECT_EQ(canvas.ends.size(), 2u) << "only the right side";

    g_currentSection = 2;  // beyond the count
    PixelCanvas none;
    DrawPickOverlay(none);
    EXPECT_TRUE(none.ends.empty());
}
